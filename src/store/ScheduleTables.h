#pragma once
// The in-memory schedules: one table of one-off date entries and one of repeating weekday
// entries, 100 slots each, entries numbered from 1.
//
// Entries 1 to the count are in use and every slot above it is empty (empty name, zero values).
// Entries are only ever appended after the last one, replaced in place or removed (the later
// ones move up), so the tables keep the order in which entries arrived until something reorders
// them.
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/clock.h"

namespace pelmora {

inline constexpr std::int16_t ScheduleCapacity = 100;

// The value of an empty slot's date-time. No entry in use ever holds it: entries come from the
// file (years 2002 to 2100) or from the add dialog (now or later).
inline constexpr std::chrono::local_seconds ZeroDateTime{};

struct DateSchedule {
    std::string Name;
    std::chrono::local_seconds DateTime{};  // whole minutes: seconds are always 0

    bool operator==(const DateSchedule&) const = default;
};

struct WeekdaySchedule {
    std::string Name;
    std::string Code;                  // one of the eleven weekday codes, upper case
    std::chrono::seconds TimeOfDay{};  // since midnight, whole minutes

    bool operator==(const WeekdaySchedule&) const = default;
};

class ScheduleTables {
  public:
    std::int16_t DateCount() const { return dateCount_; }
    std::int16_t WeekdayCount() const { return weekdayCount_; }
    bool DateFull() const { return dateCount_ >= ScheduleCapacity; }
    bool WeekdayFull() const { return weekdayCount_ >= ScheduleCapacity; }

    // Slot k, 1 to 100 (slots above the count are empty). Out-of-range k is a programming error.
    const DateSchedule& Date(std::int16_t k) const;
    const WeekdaySchedule& Weekday(std::int16_t k) const;

    // Writes the entry into slot count + 1 and raises the count. False, and nothing changes,
    // when the table is full.
    bool AppendDate(DateSchedule entry);
    bool AppendWeekday(WeekdaySchedule entry);

    // Removes entry k (1 to count): the later entries move up one place in order and the
    // vacated last slot becomes empty. False, and nothing changes, for k outside 1 to count.
    bool RemoveDate(std::int16_t k);
    bool RemoveWeekday(std::int16_t k);

    // Puts `entry` into place k (1 to count), where entry k stood. False, and nothing changes,
    // for k outside 1 to count.
    bool ReplaceDate(std::int16_t k, DateSchedule entry);
    bool ReplaceWeekday(std::int16_t k, WeekdaySchedule entry);

    // The number of the first entry equal to `entry` (name and date-time; name, code and time),
    // or nothing.
    std::optional<std::int16_t> Find(const DateSchedule& entry) const;
    std::optional<std::int16_t> Find(const WeekdaySchedule& entry) const;

    // Removes every date entry that is due now or past, reading the clock for each entry; the
    // scan also stops at an empty slot. Weekday entries never expire. Returns the number kept.
    std::int16_t PurgePastDates(const Clock& clock);

    // The list window's order: date entries by date-time, weekday entries by the number of
    // their code (Sunday first, the groups after the days). Both stable: entries with equal
    // keys keep their order, so two "MON" entries are not ordered by time.
    void SortDatesByDateTime();
    void SortWeekdaysByCode();

    bool operator==(const ScheduleTables&) const = default;

  private:
    std::array<DateSchedule, ScheduleCapacity> dates_{};
    std::array<WeekdaySchedule, ScheduleCapacity> weekdays_{};
    std::int16_t dateCount_ = 0;
    std::int16_t weekdayCount_ = 0;
};

}  // namespace pelmora
