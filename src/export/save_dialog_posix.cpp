#include "export/save_dialog_posix.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <system_error>

#include "export/terminal_dialog.hpp"
#include "platform/file_descriptor_posix.hpp"
#include "platform/path_posix.hpp"
#include "platform/process_posix.hpp"

namespace cvn {
namespace {

using posix::isDirectory;
using posix::joinPath;

// Enough for any path; a longer answer cannot fit the record anyway.
constexpr size_t kMaxOutput = 1 << 20;

std::string workingFolder() {
  std::string buffer(4096, '\0');
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE) return ".";
    buffer.resize(buffer.size() * 2);
  }
  return buffer.c_str();
}

std::string startFolder(const char* initialDir) {
  std::string folder = initialDir != nullptr ? initialDir : "";
  if (folder.empty() || !isDirectory(folder)) return workingFolder();
  if (folder[0] != '/') folder = joinPath(workingFolder(), folder);
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

int16_t offsetField(size_t offset) {
  return offset <= static_cast<size_t>(std::numeric_limits<int16_t>::max())
             ? static_cast<int16_t>(offset)
             : int16_t{0};
}

// zenity's form of a filter: "description | pattern pattern ...".
std::optional<std::string> zenityFilter(const FileFilter& filter) {
  if (filter.pattern.empty()) {
    // A lone entry (as "*.h" of "Sources|*.c;*.h") is still useful when it is
    // a pattern itself; a lone description filters nothing.
    if (filter.description.find_first_of("*?") == std::string::npos) return std::nullopt;
    return filter.description;
  }
  // "*.*" means every file to Windows but only names with a dot to GTK.
  const std::string pattern = filter.pattern == "*.*" ? "*" : filter.pattern;
  return filter.description + " | " + pattern;
}

// Runs a program with stdin and stderr on /dev/null and returns what it wrote
// to stdout, or nothing unless it exited with 0.
std::optional<std::string> runForOutput(const std::vector<std::string>& command) {
  FileDescriptor readEnd;
  pid_t child = -1;
  try {
    Pipe pipe = makePipe();
    child = startProcess(command, {.output = pipe.write.get()});
    readEnd = std::move(pipe.read);
    // Our copy of the write end goes with the pipe, or reading would never see the end.
  } catch (const std::system_error&) {
    return std::nullopt;
  }

  std::string output;
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(readEnd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    // Keep draining past the limit so that the program never blocks on a full pipe.
    if (output.size() < kMaxOutput) output.append(buffer, static_cast<size_t>(n));
  }
  readEnd.reset();
  if (waitForProcess(child) != 0) return std::nullopt;
  return output;
}

}  // namespace

std::vector<FileFilter> parseFilterList(const char* filter) {
  std::vector<FileFilter> filters;
  if (filter == nullptr) return filters;
  while (*filter != '\0') {
    FileFilter entry;
    entry.description = filter;
    filter += entry.description.size() + 1;
    if (*filter != '\0') {
      entry.pattern = filter;
      filter += entry.pattern.size() + 1;
    }
    filters.push_back(std::move(entry));
  }
  return filters;
}

SaveDialogRequest describeSaveDialog(const Module1::OPENFILENAME& ofn) {
  SaveDialogRequest request;
  request.title = ofn.lpstrTitle != nullptr ? ofn.lpstrTitle : "";
  request.folder = startFolder(ofn.lpstrInitialDir);
  request.filters = parseFilterList(ofn.lpstrFilter);
  request.confirmOverwrite = (ofn.Flags & Module1::OFN_OVERWRITEPROMPT) != 0;
  return request;
}

int32_t acceptChosenPath(Module1::OPENFILENAME& ofn, std::string_view path) {
  if (ofn.lpstrFile == nullptr || ofn.nMaxFile <= 0 || path.empty()) return 0;
  if (path.find('\0') != std::string_view::npos) return 0;
  if (path.size() > static_cast<size_t>(ofn.nMaxFile) - 1) return 0;
  std::memcpy(ofn.lpstrFile, path.data(), path.size());
  ofn.lpstrFile[path.size()] = '\0';

  const size_t nameStart = path.find_last_of('/') + 1;  // npos + 1 is 0
  const std::string_view name = path.substr(nameStart);
  const size_t dot = name.find_last_of('.');
  ofn.nFileOffset = offsetField(nameStart);
  // Without an extension the offset points at the terminating NUL.
  ofn.nFileExtension =
      offsetField(dot == std::string_view::npos ? path.size() : nameStart + dot + 1);
  if (ofn.lpstrFileTitle != nullptr && ofn.nMaxFileTitle > 0 &&
      name.size() < static_cast<size_t>(ofn.nMaxFileTitle)) {
    std::memcpy(ofn.lpstrFileTitle, name.data(), name.size());
    ofn.lpstrFileTitle[name.size()] = '\0';
  }
  return 1;
}

std::vector<std::string> zenityArguments(const SaveDialogRequest& request) {
  std::vector<std::string> arguments = {"--file-selection", "--save"};
  if (request.confirmOverwrite) arguments.push_back("--confirm-overwrite");
  arguments.push_back("--title=" + request.title);
  // The trailing "/" makes zenity open the folder instead of proposing its name.
  arguments.push_back("--filename=" + joinPath(request.folder, ""));
  for (const auto& filter : request.filters) {
    if (auto text = zenityFilter(filter)) arguments.push_back("--file-filter=" + *text);
  }
  return arguments;
}

int32_t runZenitySaveDialog(const std::string& program, Module1::OPENFILENAME& ofn) {
  std::vector<std::string> command = zenityArguments(describeSaveDialog(ofn));
  command.insert(command.begin(), program);
  const auto output = runForOutput(command);
  if (!output) return 0;
  std::string_view path = *output;
  if (!path.empty() && path.back() == '\n') path.remove_suffix(1);
  return acceptChosenPath(ofn, path);
}

int32_t runSystemSaveDialog(Module1::OPENFILENAME& ofn) {
  const auto isSet = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")) {
    if (auto zenity = findOnPath("zenity")) return runZenitySaveDialog(*zenity, ofn);
  }
  FileDescriptor tty(::open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY));
  if (!tty.valid()) return 0;
  // A background job that reads its terminal is stopped; cancel instead of hanging.
  if (::tcgetpgrp(tty.get()) != ::getpgrp()) return 0;
  return runTerminalSaveDialog(tty.get(), ofn);
}

}  // namespace cvn
