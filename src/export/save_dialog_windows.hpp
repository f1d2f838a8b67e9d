#pragma once

#include <cstdint>

#include "export/module1.hpp"

// The Save dialog of Windows, behind GetSaveFileNameA.
namespace cvn {

// Hands the record to the system's GetSaveFileNameA (comdlg32) as it is: on
// Windows it is the system's own record, laid out member for member. Non-zero
// when a file was chosen. 0 when the user cancelled, the path did not fit, or
// the dialog could not be shown, as under Wine without a display; the
// system's reason, if it gives one, is then in lastSaveDialogError.
int32_t runSystemSaveDialog(Module1::OPENFILENAME& ofn);

// CommDlgExtendedError of this thread's last system dialog: 0 after a cancel
// (Wine without a display reports that too), else why no file came back,
// such as CDERR_STRUCTSIZE for a record of the wrong size.
uint32_t lastSaveDialogError();

}  // namespace cvn
