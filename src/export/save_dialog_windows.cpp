// The record's own names first: <commdlg.h> defines OPENFILENAME and the OFN_
// flags as macros.
#include "export/save_dialog_windows.hpp"

#include <windows.h>

// After <windows.h>, which it needs.
#include <commdlg.h>

#include <cstddef>

#undef OPENFILENAME

namespace cvn {
namespace {

using Record = Module1::OPENFILENAME;

// The record the system reads is exactly the system's, up to lpTemplateName.
static_assert(Module1::kOpenFileNameSize == sizeof(Record));
// OPENFILENAME_SIZE_VERSION_400A, which is no constant expression in C++.
static_assert(Module1::kOpenFileNameSize ==
              offsetof(OPENFILENAMEA, lpTemplateName) + sizeof(OPENFILENAMEA::lpTemplateName));
#define CVN_SAME_MEMBER(member)                                                \
  static_assert(offsetof(Record, member) == offsetof(OPENFILENAMEA, member) && \
                sizeof(Record::member) == sizeof(OPENFILENAMEA::member))
CVN_SAME_MEMBER(lStructSize);
CVN_SAME_MEMBER(hwndOwner);
CVN_SAME_MEMBER(hInstance);
CVN_SAME_MEMBER(lpstrFilter);
CVN_SAME_MEMBER(lpstrCustomFilter);
CVN_SAME_MEMBER(nMaxCustFilter);
CVN_SAME_MEMBER(nFilterIndex);
CVN_SAME_MEMBER(lpstrFile);
CVN_SAME_MEMBER(nMaxFile);
CVN_SAME_MEMBER(lpstrFileTitle);
CVN_SAME_MEMBER(nMaxFileTitle);
CVN_SAME_MEMBER(lpstrInitialDir);
CVN_SAME_MEMBER(lpstrTitle);
CVN_SAME_MEMBER(Flags);
CVN_SAME_MEMBER(nFileOffset);
CVN_SAME_MEMBER(nFileExtension);
CVN_SAME_MEMBER(lpstrDefExt);
CVN_SAME_MEMBER(lCustData);
CVN_SAME_MEMBER(lpfnHook);
CVN_SAME_MEMBER(lpTemplateName);
#undef CVN_SAME_MEMBER

thread_local DWORD lastError = 0;

}  // namespace

int32_t runSystemSaveDialog(Module1::OPENFILENAME& ofn) {
  // The system reads lStructSize bytes, no more: the record's own size.
  const BOOL chosen = ::GetSaveFileNameA(reinterpret_cast<OPENFILENAMEA*>(&ofn));
  lastError = chosen != 0 ? 0 : ::CommDlgExtendedError();
  return chosen != 0 ? 1 : 0;
}

uint32_t lastSaveDialogError() {
  return lastError;
}

}  // namespace cvn
