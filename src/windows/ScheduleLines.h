#pragma once
// How schedules are written in the windows and their messages: the fixed-width name column,
// the date and time patterns, and the lines of the two list windows.
#include <chrono>
#include <string>
#include <string_view>

#include "platform/ui.h"
#include "store/ScheduleTables.h"

namespace pelmora {

// The font of the lists of schedule lines: fixed pitch, a half-width character one cell and a
// double-byte character two, so the byte-padded columns line up.
inline const ui::Font kScheduleListFont{"ＭＳ ゴシック", 9, false, 128};

// The 18-byte name column (bytes of code page 932): a shorter name is padded with spaces to 18
// bytes; a longer one (18 bytes or more) is cut after the first part that measures 16 bytes
// or more, and "..." follows.
std::string FitSchName(std::string_view name);

// "hh:mm"
std::string FormatHhMm(std::chrono::seconds timeOfDay);
// "yyyy, mm/dd, hh:mm"
std::string FormatListDateTime(std::chrono::local_seconds t);
// "yyyy年mm月dd日 hh時mm分"
std::string FormatJapaneseDateTime(std::chrono::local_seconds t);
// "hh時mm分"
std::string FormatJapaneseTime(std::chrono::seconds timeOfDay);

// When an entry rings, as the messages name it under its name: "yyyy年mm月dd日 hh時mm分", or the
// day phrase, a space and "hh時mm分" ("毎週月曜日 07時05分").
std::string JapaneseWhen(const DateSchedule& e);
std::string JapaneseWhen(const WeekdaySchedule& e);

// A line of the list window's date list: name column, tab, "yyyy, mm/dd, hh:mm".
std::string DateListLine(const DateSchedule& e);
// A line of its weekday list: name column, tab, the code's display text, tab, "hh:mm".
std::string WeekdayListLine(const WeekdaySchedule& e);

}  // namespace pelmora
