#include "export/terminal_dialog.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "export/save_dialog_posix.hpp"
#include "platform/path_posix.hpp"

namespace cvn {
namespace {

using posix::isDirectory;
using posix::joinPath;

// Enough for any path; a longer answer cannot fit the record anyway.
constexpr size_t kMaxAnswer = 1 << 20;

bool writeText(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    text.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// One line typed on the terminal, without its line end; nothing at the end of
// input or on an error.
std::optional<std::string> readAnswer(int fd) {
  std::string line;
  for (;;) {
    char ch = 0;
    const ssize_t n = ::read(fd, &ch, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return std::nullopt;
    if (ch == '\n') break;
    if (line.size() < kMaxAnswer) line += ch;
  }
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

bool isBlank(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

bool isYes(std::string_view answer) {
  const auto first = answer.find_first_not_of(" \t");
  if (first == std::string_view::npos) return false;
  answer.remove_prefix(first);
  answer = answer.substr(0, answer.find_last_not_of(" \t") + 1);
  return answer == "y" || answer == "Y" || answer == "yes" || answer == "Yes" || answer == "YES";
}

// A typed name as a path: relative names are taken in the dialog's folder; a
// leading "~" is the home folder, since no shell expands it here.
std::string typedPath(const std::string& answer, const std::string& folder) {
  if (answer[0] == '/') return answer;
  const char* home = std::getenv("HOME");
  if (home != nullptr && *home != '\0' && (answer == "~" || answer.rfind("~/", 0) == 0)) {
    return home + answer.substr(1);
  }
  return joinPath(folder, answer);
}

std::string describeFilters(const std::vector<FileFilter>& filters) {
  std::string text;
  for (const auto& filter : filters) {
    if (!text.empty()) text += ", ";
    text += filter.description;
    if (!filter.pattern.empty()) text += " [" + filter.pattern + "]";
  }
  return text;
}

}  // namespace

int32_t runTerminalSaveDialog(int tty, Module1::OPENFILENAME& ofn) {
  const SaveDialogRequest request = describeSaveDialog(ofn);
  std::string intro = "\n" + request.title + "\nFolder: " + request.folder + "\n";
  if (!request.filters.empty()) intro += "File types: " + describeFilters(request.filters) + "\n";
  if (!writeText(tty, intro)) return 0;
  for (;;) {
    if (!writeText(tty, "File name (empty to cancel): ")) return 0;
    const auto answer = readAnswer(tty);
    if (!answer || isBlank(*answer)) return 0;
    const std::string path = typedPath(*answer, request.folder);
    if (isDirectory(path)) {
      if (!writeText(tty, path + " is a folder.\n")) return 0;
      continue;
    }
    struct stat st {};
    if (request.confirmOverwrite && ::stat(path.c_str(), &st) == 0) {
      if (!writeText(tty, path + " already exists.\nReplace it? [y/N] ")) return 0;
      const auto replace = readAnswer(tty);
      if (!replace || !isYes(*replace)) return 0;
    }
    if (acceptChosenPath(ofn, path) != 0) return 1;
    if (!writeText(tty, path + " cannot be used.\n")) return 0;
  }
}

}  // namespace cvn
