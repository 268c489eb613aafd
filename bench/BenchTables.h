#pragma once
// The schedules both benchmarks work on: full tables of 100 date entries spread over one week
// and 100 weekday entries using all eleven codes, every one at a whole minute, drawn from a
// fixed seed so that every run sees the same tables.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "platform/clock.h"
#include "store/ScheduleTables.h"
#include "store/WeekdayCode.h"

namespace pelmora::bench {

inline constexpr std::uint32_t kTablesSeed = 20270301;

// Monday 1 March 2027, 00:00 local time: the first second of the simulated week.
inline std::chrono::local_seconds WeekStart() {
    return MakeLocalTime(2027, 3, 1, 0, 0);
}

inline constexpr std::chrono::days kWeek{7};

// "予定D001", "定例W042": unique, so a rung name tells which entry rang.
inline std::string EntryName(const char* prefix, char kind, int number) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%c%03d", kind, number);
    return std::string(prefix) + digits;
}

inline ScheduleTables MakeFullTables(std::uint32_t seed = kTablesSeed) {
    using std::chrono::minutes;
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> minuteOfWeek(0, 7 * 24 * 60 - 1);
    std::uniform_int_distribution<int> minuteOfDay(0, 24 * 60 - 1);
    ScheduleTables tables;
    for (int i = 1; i <= ScheduleCapacity; ++i) {
        tables.AppendDate({EntryName("予定", 'D', i), WeekStart() + minutes{minuteOfWeek(rng)}});
    }
    for (int j = 1; j <= ScheduleCapacity; ++j) {
        const std::string_view code = WeekdayCodes[static_cast<std::size_t>(j - 1) % 11];
        tables.AppendWeekday(
            {EntryName("定例", 'W', j), std::string(code), minutes{minuteOfDay(rng)}});
    }
    return tables;
}

}  // namespace pelmora::bench
