#include "export/save_dialog_posix.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "export/terminal_dialog.hpp"
#include "platform/file_descriptor_posix.hpp"
#include "platform/path_posix.hpp"

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

// A descriptor moved above 0-2: a host without standard streams would get the
// pipe there, and the child's redirections would overwrite it.
int aboveStandardStreams(int fd) {
  if (fd < 0 || fd > 2) return fd;
  const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
  ::close(fd);
  return moved;
}

// Runs a program with stdin and stderr on /dev/null and returns what it wrote
// to stdout, or nothing unless it exited with 0.
std::optional<std::string> runForOutput(const std::string& program,
                                        const std::vector<std::string>& arguments) {
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) return std::nullopt;
  FileDescriptor readEnd(aboveStandardStreams(pipeEnds[0]));
  FileDescriptor writeEnd(aboveStandardStreams(pipeEnds[1]));
  if (readEnd.get() < 0 || writeEnd.get() < 0) return std::nullopt;

  std::vector<char*> argv;
  std::string name = program;
  argv.push_back(name.data());
  std::vector<std::string> copies = arguments;
  for (auto& argument : copies) argv.push_back(argument.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attributes;
  if (posix_spawn_file_actions_init(&actions) != 0) return std::nullopt;
  if (posix_spawnattr_init(&attributes) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return std::nullopt;
  }
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), 1);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  // The host's signal mask and ignored SIGPIPE must not leak into the dialog.
  sigset_t none;
  sigset_t defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t child = -1;
  const int spawned =
      ::posix_spawn(&child, program.c_str(), &actions, &attributes, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  // Our copy of the write end must go, or reading would never see the end.
  writeEnd.reset();
  if (spawned != 0) return std::nullopt;

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

  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return std::nullopt;
  }
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
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
  const auto output = runForOutput(program, zenityArguments(describeSaveDialog(ofn)));
  if (!output) return 0;
  std::string_view path = *output;
  if (!path.empty() && path.back() == '\n') path.remove_suffix(1);
  return acceptChosenPath(ofn, path);
}

std::optional<std::string> findOnPath(std::string_view program) {
  const auto isProgram = [](const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
  };
  if (program.empty()) return std::nullopt;
  if (program.find('/') != std::string_view::npos) {
    const std::string path(program);
    return isProgram(path) ? std::optional(path) : std::nullopt;
  }
  const char* variable = std::getenv("PATH");
  const std::string_view folders = variable != nullptr ? variable : "/usr/local/bin:/usr/bin:/bin";
  size_t start = 0;
  while (start <= folders.size()) {
    const size_t end = std::min(folders.find(':', start), folders.size());
    const std::string folder(folders.substr(start, end - start));
    start = end + 1;
    // An empty entry would mean the working folder: never run a program from there.
    if (folder.empty()) continue;
    std::string path = joinPath(folder, program);
    if (isProgram(path)) return path;
  }
  return std::nullopt;
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
  if (tty.get() < 0) return 0;
  // A background job that reads its terminal is stopped; cancel instead of hanging.
  if (::tcgetpgrp(tty.get()) != ::getpgrp()) return 0;
  return runTerminalSaveDialog(tty.get(), ofn);
}

}  // namespace cvn
