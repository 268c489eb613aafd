#include "platform/text.h"

namespace pelmora {
namespace {

bool IsTrailByte(unsigned char b) {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// Bytes that code page 932 leaves undefined as single characters. The two backends disagree on
// them (Windows maps some to private-use characters), so both treat them as undecodable.
bool IsUndefinedSingleByte(unsigned char b) {
    return b == 0x80 || b == 0xA0 || b >= 0xFD;
}

bool HasUndefinedSingleByte(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (IsLeadByte(b)) {
            ++i;  // the trail byte of a pair may take any value
        } else if (IsUndefinedSingleByte(b)) {
            return true;
        }
    }
    return false;
}

// Decodes strictly, with the bytes that the two backends read differently refused.
bool DecodeExactly(std::string_view bytes, std::string& out) {
    return !HasUndefinedSingleByte(bytes) && backend::DecodeCp932Strict(bytes, out);
}

// Well-formed UTF-8 (every byte part of a character Utf8CharLength steps over) beyond ASCII.
bool IsUtf8BeyondAscii(std::string_view s) {
    bool beyond = false;
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t n = Utf8CharLength(s, i);
        if (n == 1 && static_cast<unsigned char>(s[i]) >= 0x80) {
            return false;
        }
        beyond = beyond || n > 1;
        i += n;
    }
    return beyond;
}

// Whether UTF-8 text holds hiragana, katakana or a CJK ideograph: all three-byte characters.
bool HoldsKanaOrKanji(std::string_view s) {
    for (std::size_t i = 0; i < s.size(); i += Utf8CharLength(s, i)) {
        if (Utf8CharLength(s, i) == 3) {
            const auto bits = [&](std::size_t k, unsigned mask) {
                return static_cast<char32_t>(static_cast<unsigned char>(s[i + k]) & mask);
            };
            const char32_t c = bits(0, 0x0F) << 12 | bits(1, 0x3F) << 6 | bits(2, 0x3F);
            if ((c >= 0x3040 && c <= 0x30FF) || (c >= 0x4E00 && c <= 0x9FFF)) {
                return true;
            }
        }
    }
    return false;
}

// Encodes strictly, and only where the bytes decode back to the same text. This refuses the
// one-way mappings each backend has of its own (glibc writes "¥" as 0x5C and "—" as 0x815C;
// Windows writes U+0080 as 0x80), which would otherwise change a name behind the user's back
// and make the two builds disagree.
bool EncodeExactly(std::string_view utf8, std::string& out) {
    std::string back;
    return backend::EncodeCp932Strict(utf8, out) && !HasUndefinedSingleByte(out) &&
           backend::DecodeCp932Strict(out, back) && back == utf8;
}

}  // namespace

bool IsLeadByte(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::size_t Utf8CharLength(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    if (b < 0x80) {
        return 1;
    } else if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
    } else {
        return 1;  // a continuation byte, or a byte that never starts a sequence
    }
    if (i + n > s.size()) {
        return 1;  // cut off by the end of the text
    }
    for (std::size_t k = 1; k < n; ++k) {
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) {
            return 1;
        }
    }
    const auto b1 = static_cast<unsigned char>(s[i + 1]);
    if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 >= 0xA0) || (b == 0xF0 && b1 < 0x90) ||
        (b == 0xF4 && b1 >= 0x90)) {
        return 1;  // overlong, surrogate or beyond U+10FFFF
    }
    return n;
}

std::string Cp932ToUtf8(std::string_view bytes) {
    std::string out;
    if (DecodeExactly(bytes, out)) {
        return out;
    }
    // Something in the text is damaged: go character by character, so that one bad byte costs
    // one replacement character and the rest of the text survives.
    out.clear();
    std::string piece;
    for (std::size_t i = 0; i < bytes.size();) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        std::size_t n = 1;
        if (IsLeadByte(b) && i + 1 < bytes.size() &&
            IsTrailByte(static_cast<unsigned char>(bytes[i + 1]))) {
            n = 2;
        }
        if ((n == 2 || (!IsLeadByte(b) && !IsUndefinedSingleByte(b))) &&
            backend::DecodeCp932Strict(bytes.substr(i, n), piece)) {
            out += piece;
            i += n;
        } else {
            out += kReplacementCharacter;
            i += 1;
        }
    }
    return out;
}

std::string Utf8ToCp932(std::string_view utf8) {
    std::string out;
    if (EncodeExactly(utf8, out)) {
        return out;
    }
    out.clear();
    std::string piece;
    // A byte that begins no character is malformed on its own, so the strict encoder refuses it
    // and it becomes one "?" like any character that code page 932 lacks.
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t n = Utf8CharLength(utf8, i);
        if (EncodeExactly(utf8.substr(i, n), piece)) {
            out += piece;
        } else {
            out += '?';
        }
        i += n;
    }
    return out;
}

DecodedText DecodeCp932OrUtf8(std::string_view bytes) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    DecodedText d;
    if (bytes.starts_with(kByteOrderMark)) {
        d.utf8 = true;
        for (std::size_t i = kByteOrderMark.size(); i < bytes.size();) {
            const std::size_t n = Utf8CharLength(bytes, i);
            const bool broken = n == 1 && static_cast<unsigned char>(bytes[i]) >= 0x80;
            d.text += broken ? kReplacementCharacter : bytes.substr(i, n);
            i += n;
        }
    } else if (IsUtf8BeyondAscii(bytes)) {
        if (!DecodeExactly(bytes, d.text) || HoldsKanaOrKanji(bytes)) {
            d.utf8 = true;
            d.text = bytes;
        }
    } else {
        d.text = Cp932ToUtf8(bytes);
    }
    return d;
}

}  // namespace pelmora
