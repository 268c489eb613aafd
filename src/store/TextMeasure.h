#pragma once
// Text helpers shared by the windows: byte measure in code page 932, and blank trimming.
#include <cstdint>
#include <string>
#include <string_view>

namespace pelmora {

// Length of the text in bytes of code page 932: ASCII and half-width katakana count 1, other
// characters 2, a character that code page 932 cannot represent 1 (it would become "?").
// A text longer than 32,767 bytes gives 32,767.
std::int16_t LenByte(std::string_view s);

// Removes leading and trailing spaces (U+0020) and ideographic spaces (U+3000).
std::string TrimBlanks(std::string_view s);

}  // namespace pelmora
