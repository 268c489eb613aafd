// Reading Alarm_List.txt: line splitting, blanks, fields, numbers, dates, the past check,
// the messages, capacity and the read failures.
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "store/ScheduleReader.h"
#include "store/ScheduleWriter.h"

namespace pelmora {
namespace {

using support::At;
using support::Hm;

const auto kNow = At(2027, 1, 5, 14, 0);  // the clock in every test below
const std::string kPath = "Alarm_List.txt";

TEST(SplitScheduleLines, CrLfAndLoneCrEndALineLoneLfStays) {
    using Lines = std::vector<std::string>;
    // clang-format off
    const std::pair<std::string, Lines> cases[] = {
        {"", {}}, {"a", {"a"}}, {"a\r\n", {"a"}}, {"a\r\nb", {"a", "b"}}, {"a\rb\r", {"a", "b"}},
        {"a\nb\n", {"a\nb\n"}}, {"\r\n", {""}}, {"a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"a\r\r\nb", {"a", "", "b"}}, {"a\n\rb", {"a\n", "b"}}, {"\n\r\n", {"\n"}},
    };
    // clang-format on
    for (const auto& [text, lines] : cases) {
        EXPECT_EQ(SplitScheduleLines(text), lines) << ::testing::PrintToString(text);
    }
}

TEST(ParseNumber, AcceptsPlainDecimalsOnly) {
    // clang-format off
    const std::pair<const char*, std::optional<double>> cases[] = {
        {"7", 7}, {"07", 7}, {"+7", 7}, {"-3", -3}, {"7.5", 7.5}, {"0.25", 0.25}, {"1e1", 10},
        {"1E+1", 10}, {"25e-1", 2.5}, {"2100", 2100},
        {"", {}}, {"-", {}}, {"+", {}}, {"abc", {}}, {"7a", {}}, {"a7", {}}, {"1e", {}}, {"e1", {}},
        {"1.2.3", {}}, {"--1", {}}, {"0x10", {}}, {"inf", {}}, {"nan", {}}, {"１２", {}},
        {"7\n", {}}, {"\n7", {}},
    };
    // clang-format on
    for (const auto& [field, value] : cases) {
        EXPECT_EQ(ParseNumber(field), value) << '[' << field << ']';
    }
}

TEST(ConvLine, OutcomesAndMessages) {
    using enum LineOutcome;
    using enum LineMessage;
    const struct {
        std::string line;
        LineOutcome outcome;
        LineMessage message = None;
    } cases[] = {
        // clang-format off
        // weekday lines
        {"Garbage,MON,7,0", Added}, {"Garbage,MON,7", Added}, {"Garbage,MON,7,", Added},
        {"Garbage,mon", Added},  // both numbers absent: midnight
        {",MON,7,0", Added},     // an empty name is allowed
        {"Garbage,MON,,30", Dropped, ListError}, {"Garbage,MON,7,,", Dropped, ListError},
        {"Garbage,MON,x,0", Dropped, ListError}, {"Garbage,MON,nan,0", Dropped, ListError},
        {"Garbage,MON,99,x", Dropped, ListError},  // the number test comes before the ranges
        {"Garbage,MON,24,0", Dropped, NumberError}, {"Garbage,MON,23.5,0", Dropped, NumberError},
        {"Garbage,MON,-1,0", Dropped, NumberError}, {"Garbage,MON,-0.4,0", Dropped, NumberError},
        {"Garbage,MON,0,60", Dropped, NumberError}, {"Garbage,MON,0,59.5", Dropped, NumberError},
        {"Garbage,MON,99999999999999999999,0", Dropped, NumberError},
        // date lines
        {"Dentist,2027,1,5,14,1", Added}, {"Dentist,2027,1,6", Added},
        {"Dentist,2027,1,5,14,0", Added},  // exactly now is not past
        {"Dentist,2027,1,5,13,59", Dropped, PastError},
        {"Dentist,2027,1,5", Dropped, PastError},  // absent hour and minute: midnight
        {"Dentist,2002,1,1,0,0", Dropped, PastError}, {"Dentist,2100,12,31,23,59", Added},
        {"Name,", Dropped, NumberError},  // year absent, so 0
        {"Trip,26,8,1,6,0", Dropped, NumberError}, {"Trip,2001,8,1,6,0", Dropped, NumberError},
        {"Trip,2101,8,1,6,0", Dropped, NumberError}, {"Trip,2027,0,1,6,0", Dropped, NumberError},
        {"Trip,2027,13,1,6,0", Dropped, NumberError}, {"Trip,2027,12.5,1,6,0", Dropped, NumberError},
        {"Trip,2027,8,0.5,6,0", Dropped, NumberError}, {"Trip,2027,8,32,6,0", Dropped, NumberError},
        {"Trip,2027,8,1,24,0", Dropped, NumberError}, {"Trip,2027,8,1,6,60", Dropped, NumberError},
        {"Trip,-99999999999999999999,8,1,6,0", Dropped, NumberError},
        {"Trip,2027,,1,6,0", Dropped, ScheduleError}, {"Trip,2027,8,1,6,x", Dropped, ScheduleError},
        {"Trip,26,13,1,6,x", Dropped, ScheduleError},  // every number is tested before any range
        {"Trip,MONDAY,7,0", Dropped, ScheduleError},   // not a code, so a date line
        {"Trip,ＭＯＮ,7,0", Dropped, ScheduleError}, {"Trip,inf,1,1,0,0", Dropped, ScheduleError},
        // ignored lines and field counts
        {"", Ignored}, {"just a note", Ignored}, {" \t　", Ignored},
        {"会議，MON，7，0", Ignored}, {"会議、MON、7、0", Ignored},  // only ASCII commas split
        {"A,MON,7,0,5,6,7,8,9,10", Added}, {"A,2027,8,1,6,0,x,y,z,w", Added},
        {"A,MON,7,0,5,6,7,8,9,10,", Added},  // the final comma opens no eleventh field
        {"A,MON,7,0,5,6,7,8,9,10,11", ReadFailure}, {"A,MON,7,0,5,6,7,8,9,10,,", ReadFailure},
        {"A,2027,8,1,6,0,x,y,z,w,v", ReadFailure}, {",,,,,,,,,,,", ReadFailure},
        {",,,,,,,,,,", Dropped, ScheduleError},  // ten fields, all present and empty
        // names up to 32,000 characters: longer ones would not be written back within a line
        {std::string(32000, 'n') + ",MON", Added}, {std::string(32000, 'n') + ",2030,1,1", Added},
        {std::string(32001, 'n') + ",MON,24", Dropped, ListError},  // the name before the numbers
        {std::string(32760, 'n') + ",MON", Dropped, ListError},  // written back: 32,770 characters
        {std::string(32001, 'n') + ",2030,13,1", Dropped, ScheduleError},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.line));
        ScheduleTables t;
        const LineResult r = Conv_LineText_to_Date(t, c.line, kNow);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(r.message, c.message);
        EXPECT_EQ(t.DateCount() + t.WeekdayCount(), c.outcome == Added ? 1 : 0);
    }
}

TEST(ConvLine, WeekdayEntriesAsStored) {
    // clang-format off
    const std::pair<const char*, WeekdaySchedule> cases[] = {
        {"Daily report,wkd,17,45", {"Dailyreport", "WKD", Hm(17, 45)}},
        {"G, m O n ,07,05", {"G", "MON", Hm(7, 5)}}, {"G,evd,0.5,7.5", {"G", "EVD", Hm(0, 8)}},
        {"G,sun,22.5,58.5", {"G", "SUN", Hm(22, 58)}}, {"G,MTS,23,59", {"G", "MTS", Hm(23, 59)}},
        {"My　Alarm\t,sat,6,0", {"MyAlarm", "SAT", Hm(6, 0)}},
        {"表ソ能,wke,1,2", {"表ソ能", "WKE", Hm(1, 2)}},
        {"A，B,MON,7,0", {"A，B", "MON", Hm(7, 0)}}, {"A、B,MON,7,0", {"A、B", "MON", Hm(7, 0)}},
        {"A\nB,MON,7,0", {"A\nB", "MON", Hm(7, 0)}},  // a lone LF is an ordinary character
        {"G,TUE,1,2,junk,x", {"G", "TUE", Hm(1, 2)}},
    };
    // clang-format on
    for (const auto& [line, entry] : cases) {
        ScheduleTables t;
        EXPECT_EQ(Conv_LineText_to_Date(t, line, kNow).outcome, LineOutcome::Added) << line;
        EXPECT_EQ(t.Weekday(1), entry) << line;
    }
}

TEST(ConvLine, DateEntriesAsStored) {
    // clang-format off
    const std::pair<const char*, DateSchedule> cases[] = {
        {"Dentist, 2027, 1, 5, 14, 0", {"Dentist", At(2027, 1, 5, 14, 0)}},
        {"Meeting, 2027, 01, 06, 09, 30", {"Meeting", At(2027, 1, 6, 9, 30)}},
        {"Feb,2027,2,30,8,0", {"Feb", At(2027, 3, 2, 8, 0)}},  // day overflow into March
        {"Apr,2027,4,31,8,0", {"Apr", At(2027, 5, 1, 8, 0)}},
        {"Leap,2028,2,30,8,0", {"Leap", At(2028, 3, 1, 8, 0)}},
        {"Half,2027,6.5,1.5,0.5,7.5", {"Half", At(2027, 6, 2, 0, 8)}},
        {"Exp,2.0275e3,1,6,1e1,0", {"Exp", At(2028, 1, 6, 10, 0)}},
        {"会議 室,2027,3,1,9,0", {"会議室", At(2027, 3, 1, 9, 0)}},
    };
    // clang-format on
    for (const auto& [line, entry] : cases) {
        ScheduleTables t;
        EXPECT_EQ(Conv_LineText_to_Date(t, line, kNow).outcome, LineOutcome::Added) << line;
        EXPECT_EQ(t.Date(1), entry) << line;
    }
}

TEST(ConvLine, OverflowingNumbersAreDroppedNotCrashed) {
    for (const char* line : {"X,MON,1e400,0", "X,MON,0,-1e400", "X,1e400,1,1,0,0"}) {
        ScheduleTables t;
        EXPECT_EQ(Conv_LineText_to_Date(t, line, kNow).outcome, LineOutcome::Dropped) << line;
    }
}

TEST(ConvLine, PastIsMeasuredToTheSecond) {
    ScheduleTables t;
    const auto now = At(2027, 1, 5, 14, 0, 30);
    EXPECT_EQ(Conv_LineText_to_Date(t, "A,2027,1,5,14,0", now).message, LineMessage::PastError);
    EXPECT_EQ(Conv_LineText_to_Date(t, "A,2027,1,5,14,1", now).outcome, LineOutcome::Added);
}

TEST(ConvLine, MessagesShowTheLineWithoutBlanks) {
    EXPECT_EQ(LineMessageText(LineMessage::ListError), "スケジュールリストにエラーがあります。");
    EXPECT_EQ(LineMessageText(LineMessage::ScheduleError), "スケジュールにエラーがあります。");
    EXPECT_EQ(LineMessageText(LineMessage::NumberError), "スケジュールの数値にミスがあります。");
    EXPECT_EQ(LineMessageText(LineMessage::PastError), "過去のスケジュールは登録できません。");
    EXPECT_EQ(LineMessageTitle, "エラー");

    ScheduleTables t;
    const LineResult r = Conv_LineText_to_Date(t, "My Alarm,\t2020, 1,　1, 0, 0", kNow);
    EXPECT_EQ(r.outcome, LineOutcome::Dropped);
    EXPECT_EQ(r.strippedLine, "MyAlarm,2020,1,1,0,0");
    EXPECT_EQ(r.MessageBoxText(), "過去のスケジュールは登録できません。\nMyAlarm,2020,1,1,0,0");

    const LineResult w = Conv_LineText_to_Date(t, "Gar bage, MON, , 30", kNow);
    EXPECT_EQ(w.MessageBoxText(), "スケジュールリストにエラーがあります。\nGarbage,MON,,30");
}

TEST(ConvLine, OverlongLinesAreReadFailures) {
    const std::string tail = ",MON,7,0";
    // Characters, not bytes: "会" is three bytes of UTF-8 and "😀" four.
    const auto repeat = [](std::string_view s, std::size_t n) {
        std::string out;
        for (std::size_t i = 0; i < n; ++i) {
            out += s;
        }
        return out;
    };
    const std::pair<std::string, LineOutcome> cases[] = {
        {std::string(32767, 'a'), LineOutcome::Ignored},
        {std::string(32768, 'a'), LineOutcome::ReadFailure},
        {std::string(32767 - tail.size(), 'a') + tail, LineOutcome::ReadFailure},
        {std::string(32000, 'a') + tail + ',' + std::string(32765 - 32000 - tail.size(), 'a'),
         LineOutcome::Added},  // the longest name, and an ignored field to fill the line
        {repeat("会", 32767), LineOutcome::Ignored},
        {repeat("会", 32768), LineOutcome::ReadFailure},
        {repeat("会", 32767 - tail.size()) + tail, LineOutcome::ReadFailure},
        {repeat("😀", 32000) + tail + ',' + repeat("😀", 32765 - 32000 - tail.size()),
         LineOutcome::Added},
    };
    for (const auto& [line, outcome] : cases) {
        ScheduleTables t;
        EXPECT_EQ(Conv_LineText_to_Date(t, line, kNow).outcome, outcome) << line.size();
    }
}

// --- the whole file ------------------------------------------------------------------------

struct Load {
    ScheduleTables tables;
    std::vector<LineResult> messages;
    bool ok = false;
};

Load LoadBytes(const std::string& bytes) {
    MemoryFiles files;
    files.contents[kPath] = bytes;
    Load load;
    load.ok = LoadScheduleFile(load.tables, files, kPath, ManualClock(kNow),
                               [&](const LineResult& r) { load.messages.push_back(r); });
    return load;
}

std::string Repeat(int n, const std::function<std::string(int)>& line) {
    std::string s;
    for (int i = 1; i <= n; ++i) {
        s += line(i) + "\r\n";
    }
    return s;
}

std::string DateLine(int i) {
    return "D" + std::to_string(i) + ",2030,1,1,0,0";
}
std::string WeekdayLine(int i) {
    return "W" + std::to_string(i) + ",MON,7,0";
}

TEST(LoadScheduleFile, MissingEmptyAndBlankFiles) {
    MemoryFiles none;
    ScheduleTables t;
    EXPECT_FALSE(LoadScheduleFile(t, none, kPath, ManualClock(kNow), [](const LineResult&) {}));
    EXPECT_TRUE(none.contents.empty());  // the reader never creates the file

    const std::string files[] = {"", "\r\n", "\r\n\r\n   \r\n\t\r\n\x81\x40\r\n", "\r\r\r"};
    for (const auto& bytes : files) {
        const Load load = LoadBytes(bytes);
        EXPECT_TRUE(load.ok);
        EXPECT_EQ(load.tables, ScheduleTables{});
        EXPECT_TRUE(load.messages.empty());
    }
}

TEST(LoadScheduleFile, MixedFileWithMessagesBetweenCompleteEntries) {
    MemoryFiles files;
    files.contents[kPath] =
        "Dentist, 2027, 1, 5, 15, 0\r\n"
        "Garbage,MON,7\r"
        "a note\r\n"
        "Trip,26,8,1,6,0\r\n"
        "\x95\x5C\x83\x5C\x94\x5C,wkd,9,0\r\n"  // 表ソ能
        "Gar bage,MON,,30\r\n"
        "Last,EVD,6,30";  // no line end
    ScheduleTables t;
    std::vector<std::string> texts;
    std::vector<int> countsSeen;
    EXPECT_TRUE(LoadScheduleFile(t, files, kPath, ManualClock(kNow), [&](const LineResult& r) {
        texts.push_back(r.MessageBoxText());
        countsSeen.push_back(t.DateCount() + t.WeekdayCount());
    }));
    EXPECT_EQ(texts, (std::vector<std::string>{
                         "スケジュールの数値にミスがあります。\nTrip,26,8,1,6,0",
                         "スケジュールリストにエラーがあります。\nGarbage,MON,,30"}));
    EXPECT_EQ(countsSeen, (std::vector<int>{2, 3}));
    ScheduleTables expected;
    expected.AppendDate({"Dentist", At(2027, 1, 5, 15, 0)});
    for (const auto& w :
         {WeekdaySchedule{"Garbage", "MON", Hm(7, 0)}, WeekdaySchedule{"表ソ能", "WKD", Hm(9, 0)},
          WeekdaySchedule{"Last", "EVD", Hm(6, 30)}}) {
        expected.AppendWeekday(w);
    }
    EXPECT_EQ(t, expected);
}

TEST(LoadScheduleFile, LfOnlyFileIsOneLine) {
    const std::string three = "A,MON,7,0\nB,MON,8,0\nC,MON,9,0\n";  // ten fields in all
    const Load load = LoadBytes(three);
    EXPECT_TRUE(load.ok);
    EXPECT_EQ(load.tables, ScheduleTables{});
    ASSERT_EQ(load.messages.size(), 1u);
    EXPECT_EQ(load.messages[0].message, LineMessage::ListError);  // field 4 is "0\nB"
    EXPECT_EQ(load.messages[0].strippedLine, three);

    const Load four = LoadBytes(three + "D,MON,10,0\n");
    EXPECT_FALSE(four.ok);
    EXPECT_TRUE(four.messages.empty());
}

// Past the 100th date entry, date lines are dropped without a message (good, past or
// malformed alike) while weekday lines are still read.
TEST(LoadScheduleFile, FullDateTableKeepsReadingWeekdayLines) {
    const Load load = LoadBytes(Repeat(101, DateLine) +
                                "Past,2020,1,1,0,0\r\nBad,2030,13,1,0,0\r\n"
                                "W1,MON,7,0\r\nD102,2030,1,1,0,0\r\nW2,tue,8,0\r\nW3,MON,x\r\n");
    EXPECT_TRUE(load.ok);
    EXPECT_EQ(load.tables.DateCount(), 100);
    EXPECT_EQ(load.tables.Date(100).Name, "D100");
    ASSERT_EQ(load.tables.WeekdayCount(), 2);
    EXPECT_EQ(load.tables.Weekday(2), (WeekdaySchedule{"W2", "TUE", Hm(8, 0)}));
    ASSERT_EQ(load.messages.size(), 1u);  // only the bad weekday line
    EXPECT_EQ(load.messages[0].message, LineMessage::ListError);
}

TEST(LoadScheduleFile, HundredAndFirstWeekdayLineEndsTheLoad) {
    const Load load = LoadBytes(Repeat(101, WeekdayLine) + DateLine(1) + "\r\n");
    EXPECT_FALSE(load.ok);
    EXPECT_EQ(load.tables.WeekdayCount(), 100);
    EXPECT_EQ(load.tables.Weekday(100).Name, "W100");
    EXPECT_EQ(load.tables.DateCount(), 0);  // nothing after the failure is read
    EXPECT_TRUE(load.messages.empty());
}

TEST(LoadScheduleFile, PastCheckUsesTheClockAtEachLine) {
    ManualClock clock(kNow);
    MemoryFiles files;
    files.contents[kPath] = "Bad,MON,x\r\nSoon,2027,1,5,14,30\r\nLater,2027,1,5,16,0\r\n";
    ScheduleTables t;
    std::vector<LineMessage> seen;
    EXPECT_TRUE(LoadScheduleFile(t, files, kPath, clock, [&](const LineResult& r) {
        seen.push_back(r.message);
        clock.Advance(std::chrono::hours{1});  // the first box stayed open for an hour
    }));
    EXPECT_EQ(seen, (std::vector<LineMessage>{LineMessage::ListError, LineMessage::PastError}));
    ASSERT_EQ(t.DateCount(), 1);
    EXPECT_EQ(t.Date(1).Name, "Later");
}

TEST(LoadScheduleFile, UndecodableBytesBecomeReplacementCharacters) {
    const Load load = LoadBytes("\xFF\x81,MON,7,0\r\nA\x81\r\n\x85\x40,TUE,1,0\r\n\x81");
    EXPECT_TRUE(load.ok);
    ASSERT_EQ(load.tables.WeekdayCount(), 2);
    EXPECT_EQ(load.tables.Weekday(1).Name, "\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(load.tables.Weekday(2).Name, "\xEF\xBF\xBD@");
}

// A file read as UTF-8 is kept by the first rewrite (its names: DecodeCp932OrUtf8's table).
TEST(LoadScheduleFile, AFileReadAsUtf8IsKeptByTheFirstRewrite) {
    const std::pair<std::string, bool> cases[] = {
        {"\xEF\xBB\xBF朝会,WKD,9,0", true}, {"あい,WKD,9,0", true}, {"\xC8\xBA,WKD,9,0", false}};
    for (const auto& [bytes, backup] : cases) {
        ScheduleTables t;
        ReadFile read;
        ASSERT_TRUE(LoadScheduleBytes(t, bytes, ManualClock(kNow), nullptr, &read));
        EXPECT_EQ(t.WeekdayCount(), 1);
        EXPECT_EQ(read.needsBackup, backup) << bytes;
    }
}

// Names the writer takes read back as they were: code page 932 that could pass for UTF-8, and
// the longest names with the longest numbers.
TEST(LoadScheduleFile, WhatTheWriterWritesReadsBackUnchanged) {
    ScheduleTables t;
    t.AppendWeekday({"遉ｺ", "MON", Hm(7, 0)});  // E7 A4 BA: UTF-8 "示"
    t.AppendWeekday({std::string(MaxNameChars, 'n'), "MTS", Hm(23, 59)});
    t.AppendDate({std::string(MaxNameChars, 'n'), At(2100, 12, 31, 23, 59)});
    ScheduleTables again;
    ReadFile read;
    ASSERT_TRUE(LoadScheduleBytes(
        again, ScheduleFileBytes(t), ManualClock(kNow),
        [](const LineResult& r) { ADD_FAILURE() << r.strippedLine; }, &read));
    EXPECT_EQ(again, t);
    EXPECT_FALSE(read.needsBackup);
}

}  // namespace
}  // namespace pelmora
