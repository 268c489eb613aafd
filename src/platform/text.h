#pragma once
// Conversion between the program's in-memory text (UTF-8) and code page 932 (Shift_JIS with the
// Windows extensions), the encoding of the schedule file and of every byte measure.
//
// Both directions are total: they never fail and never throw.
//  - Decoding turns every byte that does not start a valid code page 932 character into U+FFFD
//    and goes on with the next byte, so a damaged file still reads line by line.
//  - Encoding turns every character that code page 932 cannot represent (and every byte of
//    malformed UTF-8) into one question mark, as Windows does without best-fit mapping.
// The two backends (iconv on Linux, MultiByteToWideChar on Windows) only provide the strict
// conversions below; the replacement rules above are shared, so both builds agree byte for byte.
#include <string>
#include <string_view>

namespace pelmora {

// What decoding puts where a byte is not code page 932: U+FFFD, in UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

std::string Cp932ToUtf8(std::string_view bytes);
std::string Utf8ToCp932(std::string_view utf8);

// The first byte of a double-byte character of code page 932 (0x81 to 0x9F, 0xE0 to 0xFC).
bool IsLeadByte(unsigned char b);

// How the program steps through UTF-8 text, one character at a time: the length in bytes of the
// character that starts at s[i] (i < s.size()). That is the length of the well-formed sequence
// there, 1 to 4; a byte that begins none (a continuation byte, a sequence cut short by the end
// or by a byte that does not continue it, an overlong form, a surrogate, a code beyond U+10FFFF)
// is a character of one byte, which the encoder writes as one "?".
std::size_t Utf8CharLength(std::string_view s, std::size_t i);

namespace backend {
// Strict conversions: false (and `out` unspecified) when any part of the input is invalid or
// not representable. Implemented once per platform.
bool DecodeCp932Strict(std::string_view bytes, std::string& out);
bool EncodeCp932Strict(std::string_view utf8, std::string& out);
}  // namespace backend

}  // namespace pelmora
