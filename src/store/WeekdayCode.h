#pragma once
// The eleven weekday codes of repeating schedules, their numbers and their display texts.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace pelmora {

// In number order: "SUN" is 1 ... "SAT" 7 (Sunday = 1, as the clock's weekday numbering),
// then "WKD" Monday to Friday 8, "WKE" Saturday and Sunday 9, "EVD" every day 10,
// "MTS" Monday to Saturday 11.
inline constexpr std::array<std::string_view, 11> WeekdayCodes = {
    "SUN", "MON", "TUE", "WED", "THU", "FRI", "SAT", "WKD", "WKE", "EVD", "MTS"};

// The number that marks any text that is not a code; it sorts after every code.
inline constexpr std::int16_t NotACodeNumber = 12;

// The code's number 1 to 11, or 12 for any other text. Exact and case-sensitive.
std::int16_t WeekDayString(std::string_view w);

// The code's display text ("　月", "月～金", " 毎日", ...), or the empty text for any other text.
std::string_view TagtoYobi(std::string_view st);

// The code's bare name, its display text without the blanks ("月", "月～金", "毎日"): the entries
// of the weekday box, and the days that a confirmation names. The empty text for any other text.
std::string WeekdayLabel(std::string_view code);

// True when an entry with this code falls on weekday number wd (Sunday 1 to Saturday 7): the
// single days on their own day, "WKD" Monday to Friday, "WKE" Saturday and Sunday, "EVD" every
// day, "MTS" Monday to Saturday. False for any other text.
bool CodeRingsOn(std::string_view code, int wd);

// How a confirmation names the days of a code: "毎週月曜日", "毎週月～金曜日", "毎日", ...
std::string DayPhrase(std::string_view code);

}  // namespace pelmora
