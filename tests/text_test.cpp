// UTF-8 <-> code page 932. The same tests run against iconv natively and against
// MultiByteToWideChar under Wine; the exhaustive sweeps pin both builds to one table.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text.h"

namespace pelmora {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

std::string Utf8Of(char32_t c) {  // c in the BMP
    if (c < 0x80) {
        return std::string(1, static_cast<char>(c));
    }
    if (c < 0x800) {
        return {static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    return {static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
            static_cast<char>(0x80 | (c & 0x3F))};
}

// FNV-1a, fed one converted text after another, each closed by 0xFF (never in UTF-8).
std::uint32_t Fnv1a(std::string_view s, std::uint32_t h) {
    for (unsigned char c : std::string(s) + "\xFF") {
        h = (h ^ c) * 16777619u;
    }
    return h;
}

constexpr std::uint32_t kFnvBasis = 2166136261u;

struct Both {
    const char* utf8;
    const char* cp932;
};

// Texts that convert exactly in both directions.
// clang-format off
const Both kExact[] = {
    {"", ""}, {"Alarm 7:00, ok", "Alarm 7:00, ok"}, {"\\~", "\\~"}, {"\r\n", "\r\n"},
    {"あいう", "\x82\xA0\x82\xA2\x82\xA4"}, {"会議", "\x89\xEF\x8B\x63"}, {"ｱｲｳ", "\xB1\xB2\xB3"},
    {"表ソ能", "\x95\x5C\x83\x5C\x94\x5C"}, {"～", "\x81\x60"}, {"　", "\x81\x40"},
    {"，、", "\x81\x43\x81\x41"}, {"①", "\x87\x40"}, {"A表B", "A\x95\x5C" "B"},
};
// clang-format on

TEST(Cp932Text, ConvertsBothWays) {
    for (const auto& c : kExact) {
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << c.utf8;
        EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8) << ::testing::PrintToString(c.cp932);
    }
}

TEST(Cp932Text, UndecodableBytesBecomeReplacementCharacters) {
    const std::string r(kReplacement);
    // clang-format off
    const std::pair<std::string, std::string> cases[] = {
        {"\x81", r}, {"A\x81", "A" + r},   // a lead byte at the very end
        {"\x81 ", r + " "}, {"\x81\r\n", r + "\r\n"}, {"\x81\x7F", r + "\x7F"},  // no trail byte
        {"\x85\x40", r + "@"},             // unassigned code: the next byte is read on
        {"\xFF", r}, {"\x80", r}, {"\xA0", r}, {"\xFD\xFE", r + r},
        {"\x95\x5C\xFF\x95\x5C", "表" + r + "表"},
    };
    // clang-format on
    for (const auto& [bytes, text] : cases) {
        EXPECT_EQ(Cp932ToUtf8(bytes), text) << ::testing::PrintToString(bytes);
    }
}

TEST(Cp932Text, UnrepresentableCharactersBecomeOneQuestionMark) {
    // clang-format off
    const Both cases[] = {
        {"é", "?"}, {"😀", "?"}, {"a😀b", "a?b"},  // one mark per character, not per UTF-16 unit
        {"〜", "?"}, {"−", "?"}, {"¥", "?"},      // U+301C, U+2212, U+00A5: no best-fit
        {"\xC3", "?"}, {"\x80", "?"}, {"a\xFF" "b", "a?b"}, {"会\xFF議", "\x89\xEF?\x8B\x63"},
    };
    // clang-format on
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932) << ::testing::PrintToString(c.utf8);
    }
}

TEST(DecodeCp932OrUtf8, Utf8ByItsMarkOrWhenCp932WouldNotReadItAsJapanese) {
    const std::string r(kReplacement);
    const struct {
        std::string bytes, text;
        bool utf8;
    } cases[] = {
        // clang-format off
        {"", "", false}, {"A,MON", "A,MON", false}, {"\xEF\xBB\xBF", "", true},
        {"\xEF\xBB\xBF" "A\xEF\xBB\xBF", "A\uFEFF", true},  // only the first mark goes
        {"\xEF\xBB\xBF\x92\xA9\xE6\x9C", r + r + r + r, true},  // code page 932 朝, a cut character
        {"朝会", "朝会", true},          // E6 9C 9D E4 BC 9A: not code page 932
        {"あい", "あい", true},          // E3 81 82 E3 81 84: code page 932 too, but kana
        {"\xE7\xA4\xBA", "示", true},    // code page 932 "遉ｺ" too
        {"ﾈｺ", "ﾈｺ", true},              // EF BE 88 EF BD BA: not code page 932
        {"\xC8\xBA", "ﾈｺ", false},        // UTF-8 "Ⱥ"
        {"\xC3\xA9", "ﾃｩ", false},        // UTF-8 "é", and no kana
        {"\x92\xA9\x89\xEF", "朝会", false}, {"\xC0\x80", "ﾀ" + r, false},
        // clang-format on
    };
    for (const auto& c : cases) {
        const DecodedText d = DecodeCp932OrUtf8(c.bytes);
        EXPECT_EQ(d.text, c.text) << ::testing::PrintToString(c.bytes);
        EXPECT_EQ(d.utf8, c.utf8) << ::testing::PrintToString(c.bytes);
    }
}

// The characters of a text as Utf8CharLength steps through it.
std::vector<std::string> Pieces(std::string_view s) {
    std::vector<std::string> pieces;
    for (std::size_t i = 0; i < s.size(); i += Utf8CharLength(s, i)) {
        pieces.emplace_back(s.substr(i, Utf8CharLength(s, i)));
    }
    return pieces;
}

TEST(Utf8CharLength, WellFormedSequencesAreOneCharacterEveryOtherByteIsOne) {
    using P = std::vector<std::string>;
    // clang-format off
    const std::pair<std::string, P> cases[] = {
        {"", {}}, {"a", {"a"}}, {"a会b", {"a", "会", "b"}}, {"é😀", {"é", "😀"}},
        // The first and last code of each length; the codes around the surrogates.
        {"\x7F\xC2\x80\xDF\xBF", {"\x7F", "\xC2\x80", "\xDF\xBF"}},
        {"\xE0\xA0\x80\xEF\xBF\xBF", {"\xE0\xA0\x80", "\xEF\xBF\xBF"}},
        {"\xED\x9F\xBF\xEE\x80\x80", {"\xED\x9F\xBF", "\xEE\x80\x80"}},
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", {"\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"}},
        // Stray continuation bytes, and bytes that never start a sequence.
        {"\x80\xBF", {"\x80", "\xBF"}}, {"\xC0\xC1\xF5\xFF", {"\xC0", "\xC1", "\xF5", "\xFF"}},
        // Cut short by the end, or by a byte that does not continue it.
        {"\xC3", {"\xC3"}}, {"\xE4\xBC", {"\xE4", "\xBC"}},
        {"\xF0\x9F\x98", {"\xF0", "\x9F", "\x98"}},
        {"\xE4\xBC" "a", {"\xE4", "\xBC", "a"}}, {"\xE4会", {"\xE4", "会"}},
        // Overlong forms, surrogates, beyond U+10FFFF.
        {"\xC1\xBF", {"\xC1", "\xBF"}}, {"\xE0\x9F\xBF", {"\xE0", "\x9F", "\xBF"}},
        {"\xF0\x8F\xBF\xBF", {"\xF0", "\x8F", "\xBF", "\xBF"}},
        {"\xED\xA0\x80", {"\xED", "\xA0", "\x80"}},
        {"\xF4\x90\x80\x80", {"\xF4", "\x90", "\x80", "\x80"}},
        {"\xF5\x80\x80\x80", {"\xF5", "\x80", "\x80", "\x80"}},
    };
    // clang-format on
    for (const auto& [text, pieces] : cases) {
        EXPECT_EQ(Pieces(text), pieces) << ::testing::PrintToString(text);
    }
}

// Fingerprints of the whole code page as this program sees it, computed once on the native
// build. The Windows build must reproduce them exactly.
constexpr int kValidCodes = 9795;     // single bytes and pairs that decode cleanly
constexpr int kDuplicateCodes = 398;  // NEC and IBM duplicates that re-encode elsewhere
constexpr std::uint32_t kDecodedChecksum = 211645348u;   // over every single byte and every pair
constexpr std::uint32_t kEncodedChecksum = 1747185015u;  // over every BMP character

TEST(Cp932Text, EveryCodeDecodesAndReencodesAlike) {
    std::uint32_t sum = kFnvBasis;
    int valid = 0, moved = 0;
    auto visit = [&](const std::string& bytes) {
        const std::string text = Cp932ToUtf8(bytes);
        sum = Fnv1a(text, sum);
        if (text.find(kReplacement) != std::string::npos) {
            return;
        }
        ++valid;
        const std::string back = Utf8ToCp932(text);
        EXPECT_EQ(Cp932ToUtf8(back), text) << ::testing::PrintToString(bytes);
        if (back != bytes) {
            ++moved;
        }
    };
    for (unsigned b = 0; b < 256; ++b) {
        if (!IsLeadByte(static_cast<unsigned char>(b))) {
            visit(std::string(1, static_cast<char>(b)));
        }
    }
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (IsLeadByte(static_cast<unsigned char>(lead)) && trail != 0x7F) {
                visit({static_cast<char>(lead), static_cast<char>(trail)});
            }
        }
    }
    EXPECT_EQ(valid, kValidCodes);
    EXPECT_EQ(moved, kDuplicateCodes);
    EXPECT_EQ(sum, kDecodedChecksum);
}

// Whatever encodes to something other than "?" must decode back to the same character:
// no one-way best-fit mappings on either build.
TEST(Cp932Text, EveryBmpCharacterEncodesExactlyOrAsQuestionMark) {
    std::uint32_t sum = kFnvBasis;
    int representable = 1;  // '?' itself
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        if (c == U'?' || (c >= 0xD800 && c <= 0xDFFF)) {
            continue;
        }
        const std::string text = Utf8Of(c);
        const std::string bytes = Utf8ToCp932(text);
        sum = Fnv1a(bytes, sum);
        if (bytes == "?") {
            continue;
        }
        ++representable;
        ASSERT_LE(bytes.size(), 2u) << std::hex << static_cast<unsigned>(c);
        EXPECT_EQ(Cp932ToUtf8(bytes), text) << std::hex << static_cast<unsigned>(c);
    }
    EXPECT_EQ(representable, kValidCodes - kDuplicateCodes);
    EXPECT_EQ(sum, kEncodedChecksum);
}

}  // namespace
}  // namespace pelmora
