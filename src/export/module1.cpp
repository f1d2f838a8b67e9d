#include "export/module1.hpp"

#include <mutex>
#include <utility>

#include "export/linux_dialog.hpp"

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
