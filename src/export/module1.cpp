#include "export/module1.hpp"

#ifdef _WIN32
#include <windows.h>
#endif

#include <mutex>
#include <utility>

#ifdef _WIN32
#include "export/save_dialog_windows.hpp"
#else
#include "export/save_dialog_posix.hpp"
#include "platform/utf.hpp"
#endif

namespace cvn::Module1 {
namespace {

std::mutex& installedMutex() {
  static std::mutex mutex;
  return mutex;
}

SaveDialogFunction& installed() {
  static SaveDialogFunction dialog;
  return dialog;
}

}  // namespace

#ifdef _WIN32

std::string recordText(std::u16string_view text) {
  if (text.empty()) return {};
  // Both UTF-16; embedded NULs (the filter's) convert like any character.
  // No best fit: a name must not turn into another file's (U+0100 into "A").
  const auto* wide = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const DWORD flags = WC_NO_BEST_FIT_CHARS;
  const int size = ::WideCharToMultiByte(CP_ACP, flags, wide, length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  ::WideCharToMultiByte(CP_ACP, flags, wide, length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::u16string textOfRecord(std::string_view bytes) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  const int size = ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
  std::u16string text(static_cast<size_t>(size), u'\0');
  ::MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, reinterpret_cast<wchar_t*>(text.data()),
                        size);
  return text;
}

#else

std::string recordText(std::u16string_view text) {
  return utf16ToUtf8(text);
}

std::u16string textOfRecord(std::string_view bytes) {
  return utf8ToUtf16(bytes);
}

#endif

int32_t GetSaveFileNameA(OPENFILENAME* pOpenfilename) {
  if (pOpenfilename == nullptr) return 0;
  SaveDialogFunction dialog;
  {
    // A copy, so that the dialog may run (for minutes) without holding the lock.
    const std::lock_guard lock(installedMutex());
    dialog = installed();
  }
  if (dialog) return dialog(*pOpenfilename);
  return runSystemSaveDialog(*pOpenfilename);
}

SaveDialogFunction setSaveDialog(SaveDialogFunction dialog) {
  const std::lock_guard lock(installedMutex());
  return std::exchange(installed(), std::move(dialog));
}

ScopedSaveDialog::ScopedSaveDialog(SaveDialogFunction dialog)
    : previous_(setSaveDialog(std::move(dialog))) {}

ScopedSaveDialog::~ScopedSaveDialog() {
  setSaveDialog(std::move(previous_));
}

}  // namespace cvn::Module1
