// The three statement builders with random variants. A call either appends
// exactly one statement ending in ")|||" (text values escaped and written
// back, no "|||" inside) or fails with the error its first bad value calls
// for and leaves the list as it was.
//
// Input: a sequence of calls, each a builder byte, a session id and the
// variants (a kind byte, then what the kind needs; missing ones are Empty).

#include <cmath>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "engine/statements.hpp"
#include "engine/variant.hpp"
#include "fuzz_input.hpp"
#include "platform/error.hpp"

namespace cvn::fuzz {
namespace {

constexpr std::u16string_view kFileHead =
    u"insert into file_compare_results(sessionid, filename, newlines, deletedlines, samelines, "
    u"commentlinesinold, changedlines, totallinesinold, totallinesinnew, commentlinesinnew, "
    u"blanklinesinold, blanklinesinnew";
constexpr std::u16string_view kSplitHead =
    u",samelines_comments,samelines_code,changedlines_comments,changedlines_code,"
    u"deletedlines_comments,deletedlines_code,newlines_comments,newlines_code";
constexpr std::u16string_view kDirHead =
    u"insert into dir_compare_results(sessionid, samefiles, deletedfiles, newfiles, oldpath, "
    u"newpath) values (";

std::u16string widen(const std::string& ascii) {
  return {ascii.begin(), ascii.end()};
}

// Text pieces that numbers and names are made of.
std::u16string textPiece(Input& in, bool numeric) {
  static const std::u16string_view kNumeric[] = {u"0", u"1", u"7", u"9",  u" ",  u"\t", u"+",
                                                 u"-", u".", u"e", u"00", u"&H", u"1,5"};
  static const std::u16string_view kName[] = {u"'", u"|",  u"||", u"|||", u"''", u"a",
                                              u" ", u"\\", u"\"", u")",   u"/",  u"\r"};
  const uint8_t b = in.byte();
  if (numeric && b < 0xC0) return std::u16string(kNumeric[b % std::size(kNumeric)]);
  if (!numeric && b < 0x80) return std::u16string(kName[b % std::size(kName)]);
  return std::u16string(1, in.characterOf(b));
}

double someDouble(Input& in) {
  // Zero, halves, values longer than any integer type or rounded to whole ones, just
  // past 32 bits, not finite, the smallest; each with either sign.
  static const double kMagnitudes[] = {0.0,      1.0,          0.5,        2.5,    1e23,
                                       1e300,    0x1p52 + 0.5, 0x1p53 + 1, 0x1p31, 0x1p31 + 1,
                                       HUGE_VAL, NAN,          5e-324};
  const uint8_t b = in.byte();
  if (b < 0xC0) {
    const double magnitude = kMagnitudes[(b & 0x3F) % std::size(kMagnitudes)];
    return (b & 0x40) != 0 ? -magnitude : magnitude;
  }
  const uint64_t bits = in.u64();
  double d;
  static_assert(sizeof d == sizeof bits);
  __builtin_memcpy(&d, &bits, sizeof d);
  return d;
}

Variant variant(Input& in) {
  if (in.empty()) return Variant();
  const uint8_t kind = in.byte();
  switch (kind % 10) {
    case 0:
      return Variant();
    case 1:
      return Variant::null();
    case 2:
      return Variant::boolean((kind & 0x10) != 0);
    case 3:
      return Variant(static_cast<int16_t>(in.u16()));
    case 4:
      return Variant(static_cast<int32_t>(in.u32()));
    case 5:
      return Variant(someDouble(in));
    default: {
      const bool numeric = kind % 10 < 8;
      const size_t pieces = in.byte() % 12;
      std::u16string text;
      for (size_t k = 0; k < pieces && !in.empty(); ++k) text += textPiece(in, numeric);
      return Variant(text);
    }
  }
}

// The text a text position takes, or the error number it fails with.
struct TextOutcome {
  int32_t error = 0;
  std::u16string escaped;
};

TextOutcome expectedText(const Variant& value) {
  if (value.type() == Variant::Type::Null) return {kInvalidUseOfNull, {}};
  const std::u16string text = value.toText();
  if (text.find(u"|||") != std::u16string::npos) return {kInvalidArgument, {}};
  TextOutcome outcome;
  for (char16_t ch : text) {
    outcome.escaped += ch;
    if (ch == u'\'') outcome.escaped += u'\'';
  }
  return outcome;
}

// Whole-number text: blanks, a sign, digits, blanks; written without leading
// zeros and without the sign of zero.
std::optional<std::u16string> wholeNumberText(const std::u16string& text) {
  size_t i = 0;
  auto blank = [&] { return i < text.size() && (text[i] == u' ' || text[i] == u'\t'); };
  while (blank()) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) negative = text[i++] == u'-';
  std::u16string digits;
  while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') digits += text[i++];
  while (blank()) ++i;
  if (i != text.size() || digits.empty()) return std::nullopt;
  const size_t first = std::min(digits.find_first_not_of(u'0'), digits.size() - 1);
  digits.erase(0, first);
  return (negative && digits != u"0" ? u"-" : u"") + digits;
}

// Whether the text written for a numeric position is right for its variant.
bool numberFits(const Variant& value, const std::u16string& written) {
  switch (value.type()) {
    case Variant::Type::Empty:
      return written == u"0";
    case Variant::Type::Int16:
      return written == widen(std::to_string(value.int16Value()));
    case Variant::Type::Int32:
      return written == widen(std::to_string(value.int32Value()));
    case Variant::Type::String:
      return wholeNumberText(value.stringValue()) == written;
    case Variant::Type::Double: {
      // Any plain integer text that reads back as the same value.
      const auto canonical = wholeNumberText(written);
      if (!canonical || *canonical != written) return false;
      const std::string ascii(written.begin(), written.end());
      return std::strtod(ascii.c_str(), nullptr) == value.doubleValue();
    }
    default:
      return false;
  }
}

bool numberFails(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Null:
    case Variant::Type::Boolean:
      return true;
    case Variant::Type::Double: {
      const double d = value.doubleValue();
      return !std::isfinite(d) || std::trunc(d) != d;
    }
    case Variant::Type::String:
      return !wholeNumberText(value.stringValue());
    default:
      return false;
  }
}

// Equality that holds for NaN too: the variant was left alone.
bool unchanged(const Variant& now, const Variant& before) {
  if (now.type() == Variant::Type::Double && before.type() == Variant::Type::Double) {
    const double a = now.doubleValue();
    const double b = before.doubleValue();
    return __builtin_memcmp(&a, &b, sizeof a) == 0;
  }
  return now == before;
}

std::vector<std::u16string> splitAt(std::u16string_view text, char16_t separator) {
  std::vector<std::u16string> parts;
  for (;;) {
    const size_t cut = text.find(separator);
    parts.emplace_back(text.substr(0, cut));
    if (cut == std::u16string_view::npos) return parts;
    text.remove_prefix(cut + 1);
  }
}

enum class Builder { File, Legacy, Dir };

void checkCall(Input& in, std::u16string& list, int& statements) {
  const auto builder = static_cast<Builder>(in.byte() % 3);
  const uint8_t idKind = in.byte();
  const int32_t sessionID =
      idKind < 0xC0 ? static_cast<int32_t>(idKind) - 8 : static_cast<int32_t>(in.u32());
  const size_t count = builder == Builder::File ? 19 : builder == Builder::Legacy ? 11 : 5;
  std::vector<Variant> values;
  for (size_t k = 0; k < count; ++k) values.push_back(variant(in));
  const std::vector<Variant> original = values;
  std::vector<Variant*> pointers;
  for (Variant& value : values) pointers.push_back(&value);

  // Text positions in the order they are escaped; the rest are numbers, in statement order.
  const std::vector<size_t> texts =
      builder == Builder::Dir ? std::vector<size_t>{3, 4} : std::vector<size_t>{8};
  std::vector<size_t> numbers = builder == Builder::Dir
                                    ? std::vector<size_t>{0, 1, 2}
                                    : std::vector<size_t>{3, 2, 0, 4, 1, 6, 7, 5, 9, 10};
  for (size_t k = 11; k < count; ++k) numbers.push_back(k);

  int32_t expectedError = 0;
  size_t escapedBeforeFailure = texts.size();
  std::vector<TextOutcome> outcomes;
  for (size_t t = 0; t < texts.size(); ++t) {
    outcomes.push_back(expectedText(original[texts[t]]));
    if (outcomes.back().error != 0 && expectedError == 0) {
      expectedError = outcomes.back().error;
      escapedBeforeFailure = t;
    }
  }
  if (expectedError == 0) {
    for (size_t n : numbers) {
      if (numberFails(original[n])) expectedError = kTypeMismatch;
    }
  }

  const std::u16string before = list;
  int32_t error = 0;
  try {
    switch (builder) {
      case Builder::File:
        insertFileCompareResults(list, sessionID,
                                 std::span<Variant* const, 19>(pointers.data(), 19));
        break;
      case Builder::Legacy:
        insertLegacyFileCompareResults(list, sessionID,
                                       std::span<Variant* const, 11>(pointers.data(), 11));
        break;
      case Builder::Dir:
        insertDirCompareResults(list, sessionID, std::span<Variant* const, 5>(pointers.data(), 5));
        break;
    }
  } catch (const Error& failure) {
    error = failure.number();
  }
  const std::string what = "builder " + std::to_string(static_cast<int>(builder)) + " error " +
                           std::to_string(error) + " expected " + std::to_string(expectedError);
  CVN_FUZZ_CHECK(error == expectedError, what);

  // Numbers are never written back; text is, up to the first that failed.
  for (size_t n : numbers) CVN_FUZZ_CHECK(unchanged(values[n], original[n]), what);
  for (size_t t = 0; t < texts.size(); ++t) {
    const Variant& now = values[texts[t]];
    if (t < escapedBeforeFailure) {
      CVN_FUZZ_CHECK(now == Variant(outcomes[t].escaped), what + " text " + show(now.toText()));
    } else {
      CVN_FUZZ_CHECK(unchanged(now, original[texts[t]]), what);
    }
  }
  if (error != 0) {
    CVN_FUZZ_CHECK(list == before, what);
    return;
  }

  CVN_FUZZ_CHECK(list.starts_with(before), what);
  const std::u16string added = list.substr(before.size());
  CVN_FUZZ_CHECK(added.ends_with(u")|||") && added.find(u"|||") == added.size() - 3,
                 what + " " + show(added));
  ++statements;

  // The statement piece by piece.
  const std::u16string session = widen(std::to_string(sessionID));
  std::u16string head;
  std::u16string numberPart;
  if (builder == Builder::Dir) {
    head = std::u16string(kDirHead) + session + u",";
    const std::u16string tail =
        u",'" + outcomes[0].escaped + u"','" + outcomes[1].escaped + u"')|||";
    CVN_FUZZ_CHECK(added.starts_with(head) && added.ends_with(tail) &&
                       added.size() >= head.size() + tail.size(),
                   show(added));
    numberPart = added.substr(head.size(), added.size() - head.size() - tail.size());
  } else {
    head = std::u16string(kFileHead);
    if (builder == Builder::File) head += kSplitHead;
    head += u") values (" + session + u",'" + outcomes[0].escaped + u"',";
    CVN_FUZZ_CHECK(added.starts_with(head), show(added));
    numberPart = added.substr(head.size(), added.size() - head.size() - 4);
  }
  const std::vector<std::u16string> written = splitAt(numberPart, u',');
  CVN_FUZZ_CHECK(written.size() == numbers.size(), show(added));
  for (size_t k = 0; k < numbers.size(); ++k) {
    CVN_FUZZ_CHECK(numberFits(original[numbers[k]], written[k]),
                   "value " + std::to_string(numbers[k]) + " written " + show(written[k]));
  }
}

void run(Input& in) {
  std::u16string list;
  int statements = 0;
  for (int call = 0; call < 8 && !in.empty(); ++call) checkCall(in, list, statements);
  // The list cuts back into the statements, each whole.
  if (list.empty()) return;
  CVN_FUZZ_CHECK(list.ends_with(u"|||"), show(list));
  int pieces = 0;
  std::u16string_view rest(list);
  while (!rest.empty()) {
    const size_t cut = rest.find(u"|||");
    CVN_FUZZ_CHECK(cut != std::u16string_view::npos && rest.starts_with(u"insert into "),
                   show(rest));
    rest.remove_prefix(cut + 3);
    ++pieces;
  }
  CVN_FUZZ_CHECK(pieces == statements, show(list));
}

}  // namespace
}  // namespace cvn::fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cvn::fuzz::Input in(data, size);
  cvn::fuzz::run(in);
  return 0;
}
