#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// Module1: the Save dialog's record and the platform function that shows it,
// kept apart from the code that fills the record.
namespace cvn::Module1 {

// The record size the dialog expects in lStructSize: the layout of a 32-bit
// program. A 64-bit Windows build lays out pointers and handles in 8 bytes and
// passes 136 instead, the system's size of the record without the members
// added after Windows 2000 (OPENFILENAME_SIZE_VERSION_400A).
#ifdef _WIN64
inline constexpr int32_t kOpenFileNameSize = 136;
#else
inline constexpr int32_t kOpenFileNameSize = 76;
#endif

// The members the system declares as handles or pointer-sized integers
// (HWND, HINSTANCE, LPARAM, the hook): 32 bits in the POSIX record, as wide
// as a pointer on Windows, where the record is handed to the system itself.
#ifdef _WIN32
using RecordHandle = intptr_t;
#else
using RecordHandle = int32_t;
#endif

// Flags: ask before an existing file is replaced.
inline constexpr int32_t OFN_OVERWRITEPROMPT = 0x2;

// The 8-bit Save dialog record, member for member. Text members are
// NUL-terminated 8-bit strings (see recordText): UTF-8 on POSIX, where the
// UTF-16 side's U+DC80-U+DCFF are raw bytes, so any file name survives; the
// system's ANSI code page on Windows. lpstrFilter is a list of NUL-terminated
// strings (description, pattern, description, ...) ended by an empty one.
struct OPENFILENAME {
  int32_t lStructSize = 0;
  RecordHandle hwndOwner = 0;
  RecordHandle hInstance = 0;
  const char* lpstrFilter = nullptr;
  char* lpstrCustomFilter = nullptr;
  int32_t nMaxCustFilter = 0;
  int32_t nFilterIndex = 0;
  char* lpstrFile = nullptr;  // in: the proposed name; out: the chosen path
  int32_t nMaxFile = 0;       // bytes of lpstrFile, its NUL included
  char* lpstrFileTitle = nullptr;
  int32_t nMaxFileTitle = 0;
  const char* lpstrInitialDir = nullptr;
  const char* lpstrTitle = nullptr;
  int32_t Flags = 0;
  int16_t nFileOffset = 0;     // out: where the name starts in lpstrFile
  int16_t nFileExtension = 0;  // out: where its extension starts
  const char* lpstrDefExt = nullptr;
  RecordHandle lCustData = 0;
  RecordHandle lpfnHook = 0;
  const char* lpTemplateName = nullptr;
};
static_assert(sizeof(void*) != 4 || sizeof(OPENFILENAME) == kOpenFileNameSize);  // 32-bit layout

// Text as the record's 8-bit strings carry it, and back. On Windows that is
// the ANSI code page, the one GetSaveFileNameA reads and writes: characters
// it lacks become its default character ("?").
std::string recordText(std::u16string_view text);
std::u16string textOfRecord(std::string_view bytes);

// Shows the Save dialog the record describes. Non-zero when a file was chosen
// (its path is then in lpstrFile); 0 when the user cancelled, the path did not
// fit, or no dialog could be shown. Uses the installed dialog when there is
// one, else the system's (see save_dialog_posix.hpp, save_dialog_windows.hpp).
int32_t GetSaveFileNameA(OPENFILENAME* pOpenfilename);

// A dialog a host or a test provides instead of the system's.
using SaveDialogFunction = std::function<int32_t(OPENFILENAME&)>;

// Installs a dialog (an empty function restores the system's) and returns the
// one it replaces.
SaveDialogFunction setSaveDialog(SaveDialogFunction dialog);

// Installs a dialog for as long as it lives, then restores the previous one.
class ScopedSaveDialog {
 public:
  explicit ScopedSaveDialog(SaveDialogFunction dialog);
  ~ScopedSaveDialog();
  ScopedSaveDialog(const ScopedSaveDialog&) = delete;
  ScopedSaveDialog& operator=(const ScopedSaveDialog&) = delete;

 private:
  SaveDialogFunction previous_;
};

}  // namespace cvn::Module1
