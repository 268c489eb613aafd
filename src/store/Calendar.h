#pragma once
// The calendar rules the program shares: leap years and month lengths (the date dialog's day
// box), the weekday number of a day (the tick, today's window, the weekday dialog), the time
// of day of a date-time and its fields as texts show them.
#include <chrono>

namespace pelmora {

// A leap year of the Gregorian calendar: divisible by 4, and by 400 when divisible by 100.
bool IsLeapYear(int year);

// The number of days of month 1 to 12 in a year: 28 to 31, February 29 in a leap year.
int MonthLength(int year, int month);

// The weekday number of the day of a date-time: Sunday 1 to Saturday 7 (the numbers of the
// single-day weekday codes).
int WeekdayNumberOf(std::chrono::local_seconds t);

// The time of day of a date-time, whole seconds since midnight.
std::chrono::seconds TimeOfDayOf(std::chrono::local_seconds t);

// A date-time's fields down to the minute, as the program's texts show them.
struct DateTimeParts {
    int year;
    unsigned month;
    unsigned day;
    long hour;
    long minute;
};
DateTimeParts SplitDateTime(std::chrono::local_seconds t);

}  // namespace pelmora
