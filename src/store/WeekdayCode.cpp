#include "store/WeekdayCode.h"

#include "store/TextMeasure.h"

namespace pelmora {
namespace {

// Display texts in code order. The single days carry a leading ideographic space and the two
// groups " 土日" and " 毎日" an ASCII space, so that all of them line up in the list window.
constexpr std::array<std::string_view, 11> kWeekdayTexts = {
    "　日", "　月", "　火", "　水", "　木", "　金", "　土", "月～金", " 土日", " 毎日", "月～土"};

}  // namespace

std::int16_t WeekDayString(std::string_view w) {
    for (std::size_t i = 0; i < WeekdayCodes.size(); ++i) {
        if (WeekdayCodes[i] == w) {
            return static_cast<std::int16_t>(i + 1);
        }
    }
    return NotACodeNumber;
}

std::string_view TagtoYobi(std::string_view st) {
    const std::int16_t n = WeekDayString(st);
    return n == NotACodeNumber ? std::string_view{}
                               : kWeekdayTexts[static_cast<std::size_t>(n - 1)];
}

bool CodeRingsOn(std::string_view code, int wd) {
    // The five tests of the tick, in their order; at most one can hold for any code.
    return WeekDayString(code) == wd || code == "EVD" || (code == "WKD" && wd > 1 && wd < 7) ||
           (code == "WKE" && (wd == 1 || wd == 7)) || (code == "MTS" && wd > 1 && wd < 8);
}

std::string WeekdayLabel(std::string_view code) {
    return TrimBlanks(TagtoYobi(code));
}

std::string DayPhrase(std::string_view code) {
    const bool everyDay = code == "EVD";
    std::string phrase = everyDay ? "" : "毎週";
    phrase += WeekdayLabel(code);
    if (!everyDay) {
        phrase += "曜日";
    }
    return phrase;
}

}  // namespace pelmora
