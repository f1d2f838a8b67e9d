#include "platform/registry_file_posix.hpp"

#include "platform/ascii.hpp"

namespace cvn::automation {
namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

// The name of a "[name]" line, or nothing.
std::optional<std::string_view> headerName(std::string_view line) {
  line = trim(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return trim(line.substr(1, line.size() - 2));
}

std::string sectionText(const RegistrySection& section, bool leadingBreak) {
  std::string text = leadingBreak ? "\n[" : "[";
  text += section.name;
  text += "]\n";
  for (const auto& [key, value] : section.entries) {
    text += key;
    text += '=';
    text += value;
    text += '\n';
  }
  return text;
}

}  // namespace

std::vector<RegistryText::Span> RegistryText::sections() const {
  std::vector<Span> spans;
  for (size_t lineStart = 0; lineStart < bytes_.size();) {
    size_t lineEnd = bytes_.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = bytes_.size();
    if (const auto name =
            headerName(std::string_view(bytes_).substr(lineStart, lineEnd - lineStart))) {
      const size_t begin = lineStart == 0 ? 0 : lineStart - 1;
      if (!spans.empty()) spans.back().end = begin;
      spans.push_back({begin, bytes_.size(), std::string(*name)});
    }
    lineStart = lineEnd + 1;
  }
  return spans;
}

void RegistryText::put(const std::vector<RegistrySection>& wanted) {
  for (const RegistrySection& section : wanted) {
    bool replaced = false;
    for (const Span& span : sections()) {
      if (!equalIgnoringAsciiCase(span.name, section.name)) continue;
      bytes_.replace(span.begin, span.end - span.begin, sectionText(section, span.begin > 0));
      replaced = true;
      break;
    }
    if (!replaced) bytes_ += sectionText(section, !bytes_.empty());
  }
}

size_t RegistryText::remove(const std::vector<std::string>& names) {
  size_t removed = 0;
  const std::vector<Span> spans = sections();
  // Back to front, so that the earlier positions stay valid.
  for (auto it = spans.rbegin(); it != spans.rend(); ++it) {
    for (const std::string& name : names) {
      if (!equalIgnoringAsciiCase(it->name, name)) continue;
      bytes_.erase(it->begin, it->end - it->begin);
      ++removed;
      break;
    }
  }
  return removed;
}

std::optional<std::string> RegistryText::value(std::string_view section,
                                               std::string_view key) const {
  for (const Span& span : sections()) {
    if (!equalIgnoringAsciiCase(span.name, section)) continue;
    std::string_view body = std::string_view(bytes_).substr(span.begin, span.end - span.begin);
    if (!body.empty() && body.front() == '\n') body.remove_prefix(1);
    const size_t header = body.find('\n');
    body = header == std::string_view::npos ? std::string_view() : body.substr(header + 1);
    while (!body.empty()) {
      const size_t end = body.find('\n');
      const std::string_view line = body.substr(0, end);
      body = end == std::string_view::npos ? std::string_view() : body.substr(end + 1);
      const size_t equals = line.find('=');
      if (equals == std::string_view::npos) continue;
      if (equalIgnoringAsciiCase(trim(line.substr(0, equals)), key)) {
        return std::string(trim(line.substr(equals + 1)));
      }
    }
    return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace cvn::automation
