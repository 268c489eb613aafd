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
    if (!HasUndefinedSingleByte(bytes) && backend::DecodeCp932Strict(bytes, out)) {
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

}  // namespace pelmora
