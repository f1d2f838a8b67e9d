#include "storage/insert_row.hpp"

#include <cctype>
#include <charconv>

namespace cvn::cli {
namespace {

constexpr std::string_view kInsert = "insert into ";
constexpr std::string_view kValues = " values (";

void skipSpaces(std::string_view& text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
}

// One literal at the start of text, which it then leaves behind; nothing when the text starts
// with anything else (an expression, a real number, a number too large).
std::optional<InsertRow::Value> takeLiteral(std::string_view& text) {
  if (text.starts_with('\'')) {
    std::string value;
    for (size_t k = 1; k < text.size(); ++k) {
      if (text[k] != '\'') {
        value += text[k];
      } else if (k + 1 < text.size() && text[k + 1] == '\'') {
        value += '\'';
        ++k;
      } else {
        text.remove_prefix(k + 1);
        return value;
      }
    }
    return std::nullopt;  // no closing quote
  }
  if (text.size() >= 4 && (text.substr(0, 4) == "NULL" || text.substr(0, 4) == "null")) {
    text.remove_prefix(4);
    return InsertRow::Value{};
  }
  size_t digits = text.starts_with('-') ? 1 : 0;
  const size_t first = digits;
  while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
  if (digits == first) return std::nullopt;
  int64_t number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + digits, number);
  if (error != std::errc() || end != text.data() + digits) return std::nullopt;
  text.remove_prefix(digits);
  return number;
}

}  // namespace

std::optional<InsertRow> parseInsertRow(std::string_view statement) {
  if (!statement.starts_with(kInsert)) return std::nullopt;
  const size_t values = statement.find(kValues);
  // The head holds no quote, so the first " values (" is the one that ends it.
  if (values == std::string_view::npos ||
      statement.substr(0, values).find('\'') != std::string_view::npos) {
    return std::nullopt;
  }
  InsertRow row{statement.substr(0, values + kValues.size() - 1), {}};
  std::string_view rest = statement.substr(values + kValues.size());
  for (;;) {
    skipSpaces(rest);
    auto value = takeLiteral(rest);
    if (!value) return std::nullopt;
    row.values.push_back(std::move(*value));
    skipSpaces(rest);
    if (rest == ")") return row;
    if (!rest.starts_with(',')) return std::nullopt;
    rest.remove_prefix(1);
  }
}

}  // namespace cvn::cli
