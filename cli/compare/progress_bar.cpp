#include "compare/progress_bar.hpp"

#include <fmt/format.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>

#include "app/failure.hpp"
#include "platform/utf.hpp"

namespace cvn::cli {
namespace {

// At most ten redraws a second.
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr size_t kBarWidth = 20;
// "\r" then "erase to the end of the line".
constexpr std::string_view kClearLine = "\r\x1b[K";

size_t terminalColumns(int fd) {
  winsize size{};
  if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

void writeAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t n = ::write(fd, text.data(), text.size());
    if (n <= 0) return;  // a progress display is not worth failing for
    text.remove_prefix(static_cast<size_t>(n));
  }
}

// Characters, not bytes, decide what fits: UTF-8 continuation bytes take no column.
size_t columnsOf(std::string_view text) {
  size_t columns = 0;
  for (const char c : text) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
  return columns;
}

// The end of the text that fits in the columns, "..." first when it was cut.
std::string tailThatFits(std::string_view text, size_t columns) {
  if (columnsOf(text) <= columns) return std::string(text);
  if (columns <= 3) return std::string(columns, '.');
  size_t start = text.size();
  size_t taken = 0;
  while (start > 0 && taken < columns - 3) {
    --start;
    if ((static_cast<unsigned char>(text[start]) & 0xC0) != 0x80) ++taken;
  }
  return "..." + std::string(text.substr(start));
}

std::string shownFile(const std::u16string& file, const std::u16string& oldRoot,
                      const std::u16string& newRoot) {
  std::u16string_view path(file);
  for (const std::u16string& root : {oldRoot, newRoot}) {
    if (!root.empty() && path.starts_with(root) && path.size() > root.size() &&
        path[root.size()] == u'/') {
      path.remove_prefix(root.size() + 1);
      break;
    }
  }
  return escapeControls(utf16ToUtf8(path));
}

}  // namespace

std::string progressLine(std::string_view label, int64_t percent, int64_t done, int64_t total,
                         std::string_view file, size_t columns) {
  const auto filled = static_cast<size_t>(percent) * kBarWidth / 100;
  std::string line = fmt::format("{} [{}{}] {:3}% {}/{} files", label, std::string(filled, '#'),
                                 std::string(kBarWidth - filled, '.'), percent, done, total);
  // The last column stays free: writing into it makes some terminals wrap.
  const size_t room = columns > 1 ? columns - 1 : 0;
  const size_t used = columnsOf(line);
  if (!file.empty() && used + 2 < room) line += "  " + tailThatFits(file, room - used - 2);
  if (columnsOf(line) > room) line = tailThatFits(line, room);
  return line;
}

ProgressBar::ProgressBar(int fd, bool enabled) : fd_(fd), enabled_(enabled) {}

ProgressBar::~ProgressBar() {
  clear();
}

void ProgressBar::setRoots(std::u16string oldRoot, std::u16string newRoot) {
  oldRoot_ = std::move(oldRoot);
  newRoot_ = std::move(newRoot);
}

void ProgressBar::update(std::string_view label, int64_t done, int64_t total,
                         const std::u16string& file, uint64_t bytesDone, uint64_t bytesTotal) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  // A new run and its end are always shown; in between, time decides.
  const bool newRun = label != lastLabel_ || total != lastTotal_;
  if (!newRun && done != total && now - lastDraw_ < kRedrawInterval) return;
  lastLabel_ = label;
  lastTotal_ = total;
  lastDraw_ = now;
  const int64_t percent = done >= total    ? 100
                          : bytesTotal > 0 ? static_cast<int64_t>(bytesDone * 100 / bytesTotal)
                          : total > 0      ? done * 100 / total
                                           : 100;
  draw(label, done, total, file, std::min<int64_t>(percent, 100));
}

void ProgressBar::draw(std::string_view label, int64_t done, int64_t total,
                       const std::u16string& file, int64_t percent) {
  const std::string line = progressLine(label, percent, done, total,
                                        shownFile(file, oldRoot_, newRoot_), terminalColumns(fd_));
  writeAll(fd_, std::string(kClearLine) + line);
  drawn_ = true;
}

void ProgressBar::clear() {
  if (!drawn_) return;
  writeAll(fd_, kClearLine);
  drawn_ = false;
}

}  // namespace cvn::cli
