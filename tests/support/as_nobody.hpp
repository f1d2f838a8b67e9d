#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace cvn::test {

// Runs a check in a child process that has dropped root's privileges (to the
// user and group 65534), so that permission errors are real even when the
// tests run as root. Returns the check's result (0-255), or -1 when the child
// did not exit normally.
template <typename Check>
int runAsNobody(Check&& check) {
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(254);
    _exit(check() & 0xFF);
  }
  int status = 0;
  if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

}  // namespace cvn::test
