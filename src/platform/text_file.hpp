#pragma once

#include <cstring>
#include <memory>
#include <new>
#include <string_view>
#include <utility>
#include <vector>

namespace cvn {

// Leaves the chars a resize adds as they are: a buffer that a read fills next need not be
// zeroed first.
template <typename T>
struct UninitializedAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitializedAllocator<U>;
  };
  template <typename U>
  void construct(U* at) noexcept {
    ::new (static_cast<void*>(at)) U;
  }
  template <typename U, typename... Args>
  void construct(U* at, Args&&... args) {
    ::new (static_cast<void*>(at)) U(std::forward<Args>(args)...);
  }
};

// The bytes of a file as read.
using FileBytes = std::vector<char, UninitializedAllocator<char>>;

// Calls fn(line) for each line of a text, in order. A line ends at "\n" or
// "\r\n" (a lone "\r" stays inside its line); a last line without a terminator
// is a line; an empty text has none.
template <typename Fn>
void forEachLine(std::string_view text, Fn fn) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    const auto* newline = static_cast<const char*>(std::memchr(p, '\n', end - p));
    if (newline == nullptr) {
      fn(std::string_view(p, end - p));
      return;
    }
    const char* lineEnd = newline > p && newline[-1] == '\r' ? newline - 1 : newline;
    fn(std::string_view(p, lineEnd - p));
    p = newline + 1;
  }
}

std::vector<std::string_view> splitLines(std::string_view text);

// A text file read whole, as bytes, split into lines as forEachLine splits
// them, when they are first asked for: a reader that only needs the bytes never
// pays for the list.
class TextLines {
 public:
  TextLines() = default;
  explicit TextLines(FileBytes bytes) : bytes_(std::move(bytes)) {}
  TextLines(TextLines&&) noexcept = default;
  TextLines& operator=(TextLines&&) noexcept = default;

  std::string_view text() const noexcept { return {bytes_.data(), bytes_.size()}; }
  const std::vector<std::string_view>& lines() const {
    if (!split_) {
      lines_ = splitLines(text());
      split_ = true;
    }
    return lines_;
  }
  size_t size() const { return lines().size(); }

 private:
  FileBytes bytes_;  // the views point here; moving a vector keeps its buffer
  mutable std::vector<std::string_view> lines_;
  mutable bool split_ = false;
};

}  // namespace cvn
