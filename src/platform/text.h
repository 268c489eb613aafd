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

// Text that may be UTF-8 (as Notepad saves it) or code page 932, read as the one it is:
//  - bytes that begin with the UTF-8 byte order mark are UTF-8 (the mark dropped); any byte that
//    begins no well-formed character (see Utf8CharLength) becomes U+FFFD;
//  - well-formed UTF-8 holding a character beyond ASCII is UTF-8 when it is not code page 932
//    (strictly, as Cp932ToUtf8 decodes without a replacement), or when read as UTF-8 it holds
//    kana or kanji (U+3040 to U+30FF, U+4E00 to U+9FFF);
//  - anything else is code page 932, as Cp932ToUtf8 reads it.
// Half-width katakana do not count as kana: in UTF-8 they begin with 0xEF, which begins no code
// page 932 character, so such text is UTF-8 anyway; and code page 932 half-width katakana that
// happen to be well-formed UTF-8 read as letters below U+0800 ("ﾈｺ", C8 BA, is U+023A), so
// they stay code page 932.
struct DecodedText {
    std::string text;   // UTF-8
    bool utf8 = false;  // the bytes were read as UTF-8
};
DecodedText DecodeCp932OrUtf8(std::string_view bytes);

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
