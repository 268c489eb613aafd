// The two 100-slot tables: append after the last entry, remove entry k, empty slots above the
// count.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "store/ScheduleTables.h"

namespace pelmora {
namespace {

using support::At;
using support::Hm;

DateSchedule D(int n) {
    return {"D" + std::to_string(n), At(2027, 1, 1, 0, 0) + std::chrono::hours{n}};
}
WeekdaySchedule W(int n) {
    return {"W" + std::to_string(n), "MON", Hm(n % 24, n % 60)};
}

ScheduleTables Filled(int n) {
    ScheduleTables t;
    for (int i = 1; i <= n; ++i) {
        EXPECT_TRUE(t.AppendDate(D(i)));
        EXPECT_TRUE(t.AppendWeekday(W(i)));
    }
    return t;
}

TEST(ScheduleTables, AppendsUpToOneHundredAndRefusesMore) {
    ScheduleTables t = Filled(100);
    EXPECT_EQ(t.DateCount(), 100);
    EXPECT_EQ(t.WeekdayCount(), 100);
    EXPECT_TRUE(t.DateFull() && t.WeekdayFull());
    EXPECT_FALSE(t.AppendDate(D(101)));
    EXPECT_FALSE(t.AppendWeekday(W(101)));
    EXPECT_EQ(t, Filled(100));
    EXPECT_EQ(t.Date(100), D(100));
    EXPECT_EQ(t.Weekday(100), W(100));
}

TEST(ScheduleTables, RemovingTheOnlyEntryEmptiesSlotOne) {
    ScheduleTables t = Filled(1);
    EXPECT_TRUE(t.RemoveDate(1));
    EXPECT_TRUE(t.RemoveWeekday(1));
    EXPECT_EQ(t, ScheduleTables{});
    EXPECT_EQ(t.Date(1).DateTime, ZeroDateTime);
}

TEST(ScheduleTables, RemovingEntryOneHundredOfAFullTable) {
    ScheduleTables t = Filled(100);
    EXPECT_TRUE(t.RemoveDate(100));
    EXPECT_TRUE(t.RemoveWeekday(100));
    EXPECT_EQ(t.DateCount(), 99);
    EXPECT_EQ(t.WeekdayCount(), 99);
    EXPECT_EQ(t.Date(100), DateSchedule{});
    EXPECT_EQ(t.Weekday(100), WeekdaySchedule{});
    EXPECT_EQ(t.Date(99), D(99));
    EXPECT_TRUE(t.AppendDate(D(7)));  // the freed slot takes the next entry
    EXPECT_EQ(t.Date(100), D(7));
}

TEST(ScheduleTables, RemovingFromTheMiddleKeepsTheOrder) {
    ScheduleTables t = Filled(5);
    EXPECT_TRUE(t.RemoveDate(2));
    EXPECT_TRUE(t.RemoveWeekday(4));
    const int dates[] = {1, 3, 4, 5}, weekdays[] = {1, 2, 3, 5};
    for (std::int16_t k = 1; k <= 4; ++k) {
        EXPECT_EQ(t.Date(k), D(dates[k - 1]));
        EXPECT_EQ(t.Weekday(k), W(weekdays[k - 1]));
    }
    EXPECT_EQ(t.Date(5), DateSchedule{});
    EXPECT_EQ(t.Weekday(5), WeekdaySchedule{});
    EXPECT_EQ(t.DateCount(), 4);
}

// Both sorts keep the table order of entries with equal keys. std::sort puts up to 16 entries in
// order by insertion, which happens to keep that order too; beyond 16 it partitions, which does
// not. Hence 40 entries on three keys, taking turns.
TEST(ScheduleTables, SortsKeepTheTableOrderOfEqualKeys) {
    // Key 0 sorts last, key 1 first, in both tables.
    const std::chrono::local_seconds times[] = {At(2027, 1, 1, 9, 0), At(2026, 12, 31, 23, 59),
                                                At(2027, 1, 1, 8, 0)};
    const char* codes[] = {"WKD", "SUN", "MON"};  // numbers 8, 1, 2
    ScheduleTables t;
    std::vector<std::string> expected;
    for (const int key : {1, 2, 0}) {
        for (int i = key; i < 40; i += 3) {
            expected.push_back(std::to_string(i));
        }
    }
    for (int i = 0; i < 40; ++i) {
        EXPECT_TRUE(t.AppendDate({std::to_string(i), times[i % 3]}));
        EXPECT_TRUE(t.AppendWeekday({std::to_string(i), codes[i % 3], Hm(i % 24, 0)}));
    }

    t.SortDatesByDateTime();
    t.SortWeekdaysByCode();
    std::vector<std::string> dates, weekdays;
    for (std::int16_t k = 1; k <= 40; ++k) {
        dates.push_back(t.Date(k).Name);
        weekdays.push_back(t.Weekday(k).Name);
    }
    EXPECT_EQ(dates, expected);
    EXPECT_EQ(weekdays, expected);
}

}  // namespace
}  // namespace pelmora
