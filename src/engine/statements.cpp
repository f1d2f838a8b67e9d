#include "engine/statements.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <string_view>

#include "platform/error.hpp"

namespace cvn {
namespace {

constexpr std::u16string_view kFileHead =
    u"insert into file_compare_results(sessionid, filename, newlines, deletedlines, samelines, "
    u"commentlinesinold, changedlines, totallinesinold, totallinesinnew, commentlinesinnew, "
    u"blanklinesinold, blanklinesinnew";
constexpr std::u16string_view kFileHeadSplit =
    u",samelines_comments,samelines_code,changedlines_comments,changedlines_code,"
    u"deletedlines_comments,deletedlines_code,newlines_comments,newlines_code";
constexpr std::u16string_view kValuesOpen = u") values (";
constexpr std::u16string_view kDirHead =
    u"insert into dir_compare_results(sessionid, samefiles, deletedfiles, newfiles, oldpath, "
    u"newpath) values (";

std::u16string widen(std::string_view ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

// Reads "  -007\t" as "-7": optional blanks, an optional sign, digits of any
// length, optional blanks. Anything else is not a whole number.
bool normalizeWholeNumberText(const std::u16string& text, std::u16string& out) {
  size_t i = 0;
  const size_t n = text.size();
  auto blank = [&](size_t k) { return text[k] == u' ' || text[k] == u'\t'; };
  while (i < n && blank(i)) ++i;
  bool negative = false;
  if (i < n && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  const size_t digitsStart = i;
  while (i < n && text[i] >= u'0' && text[i] <= u'9') ++i;
  const size_t digitsEnd = i;
  while (i < n && blank(i)) ++i;
  if (i != n || digitsStart == digitsEnd) return false;
  size_t first = digitsStart;
  while (first + 1 < digitsEnd && text[first] == u'0') ++first;
  out.clear();
  const bool zero = digitsEnd - first == 1 && text[first] == u'0';
  if (negative && !zero) out += u'-';
  out.append(text, first, digitsEnd - first);
  return true;
}

// The decimal text of a value in a numeric position.
std::u16string numberText(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Empty:
      return u"0";
    case Variant::Type::Int16:
      return widen(std::to_string(value.int16Value()));
    case Variant::Type::Int32:
      return widen(std::to_string(value.int32Value()));
    case Variant::Type::Double: {
      const double d = value.doubleValue();
      if (!std::isfinite(d) || std::trunc(d) != d) raise(kTypeMismatch);
      // Fixed notation: a whole value is written without fraction or exponent.
      char buffer[400];
      const auto result =
          std::to_chars(buffer, buffer + sizeof buffer, d == 0 ? 0.0 : d, std::chars_format::fixed);
      return widen(std::string_view(buffer, result.ptr - buffer));
    }
    case Variant::Type::String: {
      std::u16string out;
      if (normalizeWholeNumberText(value.stringValue(), out)) return out;
      raise(kTypeMismatch);
    }
    case Variant::Type::Null:
    case Variant::Type::Boolean:
      break;
  }
  raise(kTypeMismatch);
}

// Turns the variant into text, refuses "|||", doubles every quote and writes
// the escaped text back into the variant.
std::u16string escapeTextValue(Variant& value) {
  // Null has no text: a type mismatch, as in a numeric position; the builders
  // never fail with 94.
  if (value.type() == Variant::Type::Null) raise(kTypeMismatch);
  std::u16string text = value.toText();
  if (text.find(u"|||") != std::u16string::npos) {
    raise(kInvalidArgument, "a text value holds \"|||\", which would split the statement list");
  }
  std::u16string escaped;
  escaped.reserve(text.size() + 2);
  for (char16_t ch : text) {
    escaped += ch;
    if (ch == u'\'') escaped += u'\'';
  }
  value = Variant(escaped);
  return escaped;
}

template <size_t N>
void appendNumbers(std::u16string& out, const std::array<std::u16string, N>& numbers) {
  for (size_t k = 0; k < N; ++k) {
    if (k > 0) out += u',';
    out += numbers[k];
  }
}

// The per-file statements share their layout: the head, the session, the
// quoted name, then the numbers of positions a..l (and a1..d2 for the current
// form) in the order d c a e b g h f k l a1 a2 b1 b2 c1 c2 d1 d2.
template <size_t N>
void appendFileStatement(std::u16string& strSQL, int32_t sessionID, std::u16string_view head,
                         std::span<Variant* const, N> v) {
  constexpr std::array<size_t, 18> kOrder = {3,  2,  0,  4,  1,  6,  7,  5,  9,
                                             10, 11, 12, 13, 14, 15, 16, 17, 18};
  constexpr size_t kNumbers = N - 1;
  const std::u16string name = escapeTextValue(*v[8]);
  std::array<std::u16string, kNumbers> numbers;
  for (size_t k = 0; k < kNumbers; ++k) numbers[k] = numberText(*v[kOrder[k]]);

  std::u16string statement;
  statement.reserve(head.size() + name.size() + 16 + 8 * kNumbers);
  statement += head;
  statement += kValuesOpen;
  statement += widen(std::to_string(sessionID));
  statement += u",'";
  statement += name;
  statement += u"',";
  appendNumbers(statement, numbers);
  statement += u")|||";
  strSQL += statement;
}

}  // namespace

void insertFileCompareResults(std::u16string& strSQL, int32_t sessionID,
                              std::span<Variant* const, 19> values) {
  static const std::u16string head = std::u16string(kFileHead) + std::u16string(kFileHeadSplit);
  appendFileStatement<19>(strSQL, sessionID, head, values);
}

void insertLegacyFileCompareResults(std::u16string& strSQL, int32_t sessionID,
                                    std::span<Variant* const, 11> values) {
  appendFileStatement<11>(strSQL, sessionID, kFileHead, values);
}

void insertDirCompareResults(std::u16string& strSQL, int32_t sessionID,
                             std::span<Variant* const, 5> v) {
  const std::u16string oldPath = escapeTextValue(*v[3]);
  const std::u16string newPath = escapeTextValue(*v[4]);
  const std::array<std::u16string, 3> numbers = {numberText(*v[0]), numberText(*v[1]),
                                                 numberText(*v[2])};
  std::u16string statement(kDirHead);
  statement += widen(std::to_string(sessionID));
  statement += u',';
  appendNumbers(statement, numbers);
  statement += u",'";
  statement += oldPath;
  statement += u"','";
  statement += newPath;
  statement += u"')|||";
  strSQL += statement;
}

}  // namespace cvn
