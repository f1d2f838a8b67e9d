#pragma once

#include <cstdint>
#include <string_view>

namespace cvn {

// Whether the new line is an edited version of the old one: the sum over all
// characters of the difference of their counts in the two lines is at most
// the threshold. Order, case and white space all count as the lines stand.

// Characters compared by their Windows-1252 code; -1 for a changed line, 0 otherwise.
int16_t determineChangedLine(std::u16string_view string1, std::u16string_view string2,
                             int16_t diffThershold);

// The earlier formulation, comparing the characters themselves; 1 for a changed line, 0 otherwise.
int16_t determineChangedLine_old(std::u16string_view string1, std::u16string_view string2,
                                 int16_t diffThershold);

}  // namespace cvn
