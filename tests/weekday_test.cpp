// Weekday codes, their numbers, display texts and day phrases; the byte measure and trimming.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "store/TextMeasure.h"
#include "store/WeekdayCode.h"

namespace pelmora {
namespace {

const struct {
    const char* code;
    std::int16_t number;
    const char* text;
    std::int16_t textBytes;
    const char* phrase;
} kCodes[] = {
    {"SUN", 1, "　日", 4, "毎週日曜日"},        {"MON", 2, "　月", 4, "毎週月曜日"},
    {"TUE", 3, "　火", 4, "毎週火曜日"},        {"WED", 4, "　水", 4, "毎週水曜日"},
    {"THU", 5, "　木", 4, "毎週木曜日"},        {"FRI", 6, "　金", 4, "毎週金曜日"},
    {"SAT", 7, "　土", 4, "毎週土曜日"},        {"WKD", 8, "月～金", 6, "毎週月～金曜日"},
    {"WKE", 9, " 土日", 5, "毎週土日曜日"},     {"EVD", 10, " 毎日", 5, "毎日"},
    {"MTS", 11, "月～土", 6, "毎週月～土曜日"},
};

TEST(WeekdayCode, EveryCodeHasItsNumberTextAndPhrase) {
    for (const auto& c : kCodes) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(WeekDayString(c.code), c.number);
        EXPECT_EQ(TagtoYobi(c.code), c.text);
        EXPECT_EQ(LenByte(TagtoYobi(c.code)), c.textBytes);
        EXPECT_EQ(DayPhrase(c.code), c.phrase);
        EXPECT_EQ(WeekdayCodes[c.number - 1], c.code);
    }
}

TEST(WeekdayCode, AnythingElseIsNotACode) {
    for (const char* text :
         {"ELSE", "", "mon", "Mon", "MON ", " MON", "MONDAY", "MO", "XYZ", "ＭＯＮ"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(WeekDayString(text), NotACodeNumber);
        EXPECT_EQ(TagtoYobi(text), "");
    }
}

TEST(LenByte, CountsBytesOfCodePage932) {
    // clang-format off
    const std::pair<std::string, std::int16_t> cases[] = {
        {"", 0}, {"ABC", 3}, {"会議", 4}, {"ｱｲｳ", 3}, {"月～金", 6}, {"　日", 4}, {"表ソ能", 6},
        {"歯医者 14:00", 12},
        {"é", 1}, {"😀x", 2}, {"\xFF", 1},  // not representable: one "?" each
    };
    // clang-format on
    for (const auto& [text, bytes] : cases) {
        EXPECT_EQ(LenByte(text), bytes) << text;
    }
}

TEST(LenByte, LongTextsStopAtTheLargestValue) {
    EXPECT_EQ(LenByte(std::string(32767, 'a')), 32767);
    EXPECT_EQ(LenByte(std::string(100000, 'a')), 32767);
    std::string kanji;
    for (int i = 0; i < 16384; ++i) {
        kanji += "会";  // 32,768 bytes
    }
    EXPECT_EQ(LenByte(kanji), 32767);
    EXPECT_EQ(LenByte(kanji.substr(3)), 32766);
}

TEST(TrimBlanks, RemovesSpacesAndIdeographicSpacesAtTheEnds) {
    // clang-format off
    const std::pair<const char*, const char*> cases[] = {
        {"", ""}, {" 　 ", ""}, {" a ", "a"}, {"　会議　", "会議"}, {" 　 x　 ", "x"},
        {"a b", "a b"}, {"会　議", "会　議"}, {"\ta\t", "\ta\t"}, {" 毎日", "毎日"},
    };
    // clang-format on
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(TrimBlanks(in), out) << '[' << in << ']';
    }
}

}  // namespace
}  // namespace pelmora
