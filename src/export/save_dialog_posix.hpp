#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "export/module1.hpp"

// The Save dialog on POSIX, behind GetSaveFileNameA: zenity's dialog under a
// display, else questions on the terminal (terminal_dialog.hpp).
namespace cvn {

// One entry of the record's filter list.
struct FileFilter {
  std::string description;
  std::string pattern;  // empty when the list ended after the description
};

// What the dialog shows, read from the record.
struct SaveDialogRequest {
  std::string title;
  // Where the dialog starts: the initial folder when it exists, else the
  // working folder (a Windows folder such as "c:\" never exists here).
  std::string folder;
  std::vector<FileFilter> filters;
  bool confirmOverwrite = false;
};

// The entries of a NUL-separated filter list ended by an empty string.
std::vector<FileFilter> parseFilterList(const char* filter);

SaveDialogRequest describeSaveDialog(const Module1::OPENFILENAME& ofn);

// Copies a chosen path into lpstrFile (and its name into lpstrFileTitle, when
// given) and sets nFileOffset and nFileExtension. 0, leaving the record as it
// was, when the path does not fit in nMaxFile - 1 bytes.
int32_t acceptChosenPath(Module1::OPENFILENAME& ofn, std::string_view path);

// The arguments of the zenity Save dialog, without the program's name.
std::vector<std::string> zenityArguments(const SaveDialogRequest& request);

// Runs a zenity program (by path, without a shell) and waits for it: non-zero
// when it exits 0 with a path. Anything else, a program that dies included,
// is a cancel; the child is always reaped.
int32_t runZenitySaveDialog(const std::string& program, Module1::OPENFILENAME& ofn);

// The system's dialog: zenity when a display is available and zenity is on
// PATH, else the controlling terminal when this process may read it, else a
// cancel.
int32_t runSystemSaveDialog(Module1::OPENFILENAME& ofn);

}  // namespace cvn
