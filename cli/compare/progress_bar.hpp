#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace cvn::cli {

// A one-line progress display on a terminal: the run's label, a bar, the files done of
// the total and the file at hand. Redraws are throttled so that large trees are not slowed
// down; the line is cleared when the object goes, so no output follows it on the same line.
class ProgressBar {
 public:
  // Draws on fd only when enabled (the caller checks that it is a terminal).
  ProgressBar(int fd, bool enabled);
  ~ProgressBar();
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  bool enabled() const { return enabled_; }
  // Before each file of a run and once at its end (done == total), with the bytes read of
  // all the run has to read (0 of 0: the bar follows the files). The file is shown relative
  // to whichever root it lies under.
  void update(std::string_view label, int64_t done, int64_t total, const std::u16string& file,
              uint64_t bytesDone = 0, uint64_t bytesTotal = 0);
  // The roots whose prefix is left out of the shown file names.
  void setRoots(std::u16string oldRoot, std::u16string newRoot);
  // Removes the line, before other output goes to the terminal.
  void clear();

 private:
  void draw(std::string_view label, int64_t done, int64_t total, const std::u16string& file,
            int64_t percent);

  int fd_;
  bool enabled_;
  bool drawn_ = false;
  std::u16string oldRoot_;
  std::u16string newRoot_;
  std::string lastLabel_;
  int64_t lastTotal_ = -1;
  std::chrono::steady_clock::time_point lastDraw_{};
};

// The text of one progress line for a terminal this many columns wide, without the
// carriage return that starts it.
std::string progressLine(std::string_view label, int64_t percent, int64_t done, int64_t total,
                         std::string_view file, size_t columns);

}  // namespace cvn::cli
