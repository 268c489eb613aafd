// Writing the tables to Alarm_List.txt: the exact bytes, the round trip through the reader
// and the atomic rewrite.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/text.h"
#include "store/ScheduleReader.h"
#include "store/ScheduleWriter.h"
#include "store/WeekdayCode.h"

namespace pelmora {
namespace {

using support::At;
using support::Hm;
using support::ReadBytes;
using support::TempDir;
using support::TestData;
using support::WriteBytes;

const auto kNow = At(2027, 1, 5, 14, 0);
const std::string kPath = "Alarm_List.txt";

// The tables behind data/writer_basic.txt. Weekday entries go in first: the file still starts
// with the date lines.
ScheduleTables BasicTables() {
    ScheduleTables t;
    t.AppendWeekday({"Garbage", "MON", Hm(7, 0)});
    t.AppendWeekday({"深夜", "EVD", Hm(0, 0)});
    t.AppendDate({"Dentist", At(2027, 1, 5, 14, 0)});
    t.AppendDate({"表ソ能", At(2030, 12, 31, 9, 5)});
    t.AppendWeekday({"会議 室", "WKD", Hm(17, 45)});
    t.AppendDate({"ｱｲｳ", At(2100, 6, 10, 0, 0)});
    t.AppendDate({"A,B", At(2027, 3, 2, 23, 59)});
    t.AppendWeekday({"～～", "MTS", Hm(12, 30)});
    return t;
}

// Reads the file back, expecting no message.
ScheduleTables ReadBack(MemoryFiles& files) {
    ScheduleTables t;
    EXPECT_TRUE(LoadScheduleFile(t, files, kPath, ManualClock(kNow),
                                 [](const LineResult& r) { ADD_FAILURE() << r.MessageBoxText(); }));
    return t;
}

TEST(UpdateFile, WritesTheExpectedBytes) {
    const std::string expected = TestData("writer_basic.txt");
    ASSERT_FALSE(expected.empty());

    MemoryFiles files;
    EXPECT_FALSE(UpdateFile(BasicTables(), files, kPath).has_value());
    EXPECT_EQ(files.contents[kPath], expected);
    EXPECT_EQ(FormatScheduleFile(BasicTables()), Cp932ToUtf8(expected));

    TempDir dir;  // on disk too: no text-mode line end translation
    DiskFiles disk;
    EXPECT_FALSE(UpdateFile(BasicTables(), disk, dir.Path() / kPath).has_value());
    EXPECT_EQ(ReadBytes(dir.Path() / kPath), expected);
}

TEST(UpdateFile, EmptyTablesGiveAnEmptyFile) {
    MemoryFiles files;
    files.contents[kPath] = "Old,MON, 7, 0\r\n";
    EXPECT_FALSE(UpdateFile(ScheduleTables{}, files, kPath).has_value());
    EXPECT_EQ(files.contents.at(kPath), "");
}

TEST(UpdateFile, ReadsBackWithBlanksRemovedAndCommasFullWidth) {
    MemoryFiles files;
    ASSERT_FALSE(UpdateFile(BasicTables(), files, kPath).has_value());

    ScheduleTables expected;  // dates first now, blanks gone, the comma full width
    expected.AppendDate({"Dentist", At(2027, 1, 5, 14, 0)});
    expected.AppendDate({"表ソ能", At(2030, 12, 31, 9, 5)});
    expected.AppendDate({"ｱｲｳ", At(2100, 6, 10, 0, 0)});
    expected.AppendDate({"A，B", At(2027, 3, 2, 23, 59)});
    expected.AppendWeekday({"Garbage", "MON", Hm(7, 0)});
    expected.AppendWeekday({"深夜", "EVD", Hm(0, 0)});
    expected.AppendWeekday({"会議室", "WKD", Hm(17, 45)});
    expected.AppendWeekday({"～～", "MTS", Hm(12, 30)});
    EXPECT_EQ(ReadBack(files), expected);
}

TEST(UpdateFile, FullTablesRoundTripWithDateLinesFirst) {
    const char* names[] = {"表", "ソ", "能", "会議", "ｱｲｳ", "Dentist", "予定\\", "～", "①", "x"};
    ScheduleTables t;
    for (int n = 0; n < 100; ++n) {
        const std::string name = names[n % 10] + std::to_string(n);
        t.AppendWeekday({name, std::string(WeekdayCodes[n % 11]), Hm(n % 24, (n * 7) % 60)});
        t.AppendDate({name, At(2028 + n % 70, 1 + n % 12, 1 + n % 28, n % 24, (n * 13) % 60)});
    }
    ASSERT_TRUE(t.DateFull());
    ASSERT_TRUE(t.WeekdayFull());

    MemoryFiles files;
    ASSERT_FALSE(UpdateFile(t, files, kPath).has_value());
    const std::string& bytes = files.contents[kPath];
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 200);
    EXPECT_TRUE(bytes.starts_with(Utf8ToCp932("表0, 2028, 1, 1, 0, 0\r\n")));
    EXPECT_NE(bytes.find(Utf8ToCp932("\nx99, 2057, 4, 16, 3, 27\r\n表0,SUN, 0, 0\r\n")),
              bytes.npos);
    EXPECT_TRUE(bytes.ends_with("\nx99,SUN, 3, 33\r\n"));

    EXPECT_EQ(ReadBack(files), t);
}

TEST(UpdateFile, FailedRewriteLeavesTheOldFileAndNoTemporaryFile) {
    for (WriteStep step :
         {WriteStep::CreateTemp, WriteStep::Write, WriteStep::Flush, WriteStep::Replace}) {
        SCOPED_TRACE(static_cast<int>(step));
        TempDir dir;
        const auto target = dir.Path() / kPath;
        const std::string old = TestData("writer_basic.txt");
        WriteBytes(target, old);

        DiskFiles disk;
        disk.failAt = [step](WriteStep s) { return s == step; };
        ScheduleTables t;
        t.AppendWeekday({"New", "SAT", Hm(9, 0)});
        const auto error = UpdateFile(t, disk, target);
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->step, step);
        EXPECT_EQ(ReadBytes(target), old);
        EXPECT_EQ(dir.Listing(), std::vector<std::string>{kPath});

        disk.failAt = nullptr;  // the next attempt goes through
        EXPECT_FALSE(UpdateFile(t, disk, target).has_value());
        EXPECT_EQ(ReadBytes(target), "New,SAT, 9, 0\r\n");
        EXPECT_EQ(dir.Listing(), std::vector<std::string>{kPath});
    }
}

TEST(UpdateFile, MissingFolderFails) {
    TempDir dir;
    DiskFiles disk;
    const auto error = UpdateFile(BasicTables(), disk, dir.Path() / "gone" / kPath);
    EXPECT_TRUE(error.has_value());
    EXPECT_TRUE(dir.Listing().empty());
}

}  // namespace
}  // namespace pelmora
