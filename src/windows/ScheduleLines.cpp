#include "windows/ScheduleLines.h"

#include <cstdio>

#include "platform/text.h"
#include "store/Calendar.h"
#include "store/TextMeasure.h"
#include "store/WeekdayCode.h"

namespace pelmora {
namespace {

using namespace std::chrono;

constexpr std::int16_t kNameColumn = 18;
constexpr std::int16_t kCutAt = 16;

template <typename... Args>
std::string Format(const char* pattern, Args... args) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, args...);
    return buffer;
}

}  // namespace

std::string FitSchName(std::string_view name) {
    const std::int16_t bytes = LenByte(name);
    if (bytes < kNameColumn) {
        return std::string(name) + std::string(static_cast<std::size_t>(kNameColumn - bytes), ' ');
    }
    std::size_t taken = 0;
    std::int16_t measured = 0;
    while (taken < name.size() && measured < kCutAt) {
        const std::size_t n = Utf8CharLength(name, taken);
        measured = static_cast<std::int16_t>(measured + LenByte(name.substr(taken, n)));
        taken += n;
    }
    return std::string(name.substr(0, taken)) + "...";
}

std::string FormatHhMm(seconds timeOfDay) {
    const hh_mm_ss t{timeOfDay};
    return Format("%02ld:%02ld", static_cast<long>(t.hours().count()),
                  static_cast<long>(t.minutes().count()));
}

std::string FormatListDateTime(local_seconds t) {
    const DateTimeParts p = SplitDateTime(t);
    return Format("%04d, %02u/%02u, %02ld:%02ld", p.year, p.month, p.day, p.hour, p.minute);
}

std::string FormatJapaneseDateTime(local_seconds t) {
    const DateTimeParts p = SplitDateTime(t);
    return Format("%04d年%02u月%02u日 %02ld時%02ld分", p.year, p.month, p.day, p.hour, p.minute);
}

std::string FormatJapaneseTime(seconds timeOfDay) {
    const hh_mm_ss t{timeOfDay};
    return Format("%02ld時%02ld分", static_cast<long>(t.hours().count()),
                  static_cast<long>(t.minutes().count()));
}

std::string JapaneseWhen(const DateSchedule& e) {
    return FormatJapaneseDateTime(e.DateTime);
}

std::string JapaneseWhen(const WeekdaySchedule& e) {
    return DayPhrase(e.Code) + " " + FormatJapaneseTime(e.TimeOfDay);
}

std::string DateListLine(const DateSchedule& e) {
    return FitSchName(e.Name) + "\t" + FormatListDateTime(e.DateTime);
}

std::string WeekdayListLine(const WeekdaySchedule& e) {
    return FitSchName(e.Name) + "\t" + std::string(TagtoYobi(e.Code)) + "\t" +
           FormatHhMm(e.TimeOfDay);
}

}  // namespace pelmora
