#pragma once

// Child processes, started without a shell; POSIX only.
#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_descriptor_posix.hpp"

namespace cvn {

// The two ends of a pipe. Close-on-exec, so that a child keeps only the ends
// it is given; never descriptors 0-2, which a process without standard
// streams would hand out and a child's redirections would then overwrite.
struct Pipe {
  FileDescriptor read;
  FileDescriptor write;
};

// Throws std::system_error.
Pipe makePipe();

// A child's standard stream on /dev/null.
inline constexpr int kNullDevice = -1;

struct ChildSetup {
  // Descriptors of this process the child gets as 0, 1 and 2.
  int input = kNullDevice;
  int output = kNullDevice;
  int errors = kNullDevice;
  // SIGINT and SIGTERM at their default action, so that the child stops when
  // asked even where this process's caller ignores them.
  bool stoppable = false;
};

// Starts a program without a shell: arguments[0] is a path when it holds a
// "/", else a name looked up on PATH. Whatever this process does with signals,
// the child starts with none blocked and with SIGPIPE at its default action,
// so that it ends quietly when its reader has gone. Throws std::system_error
// ("cannot run <program>: <reason>") when it cannot be started.
pid_t startProcess(const std::vector<std::string>& arguments, const ChildSetup& setup);

// Waits for a child to end: its exit status, 128 + the signal that ended it,
// or 128 when it cannot be waited for.
int waitForProcess(pid_t child);

// The executable file a program name finds on PATH; a name with a "/" is a
// path already. Empty PATH entries, which would mean the working folder, are
// skipped.
std::optional<std::string> findOnPath(std::string_view program);

}  // namespace cvn
