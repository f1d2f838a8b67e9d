#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cvn::automation {

// One section of the registry file as we write it.
struct RegistrySection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> entries;
};

// The text of the per-user registry file, an INI-style file that others may
// share. A section runs from the line break before its "[name]" line (none at
// the start of the file) to the line break before the next one, so adding
// sections and removing them again gives back the same bytes, whatever the
// file held: other sections, comments, lines we do not know, a last line
// without a line break. Names and keys compare case-insensitively (ASCII).
class RegistryText {
 public:
  explicit RegistryText(std::string bytes) : bytes_(std::move(bytes)) {}

  const std::string& bytes() const noexcept { return bytes_; }

  // Replaces each section in place, or adds it at the end.
  void put(const std::vector<RegistrySection>& sections);
  // Removes every section of these names; returns how many it removed.
  size_t remove(const std::vector<std::string>& names);
  // The value of a key ("key=value", blanks around both ignored).
  std::optional<std::string> value(std::string_view section, std::string_view key) const;

 private:
  struct Span {
    size_t begin;
    size_t end;
    std::string name;
  };
  std::vector<Span> sections() const;

  std::string bytes_;
};

}  // namespace cvn::automation
