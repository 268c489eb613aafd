#include "alarm/MissedNotice.h"

#include <algorithm>
#include <cstdio>

#include "store/Calendar.h"
#include "store/ScheduleWriter.h"

namespace pelmora {
namespace {

constexpr std::string_view kHeading = "次のアラームは、パソコンの停止中などに時刻を過ぎました。";
constexpr std::string_view kLineBreak = "\r\n";

std::string DueText(std::chrono::local_seconds due) {
    const DateTimeParts p = SplitDateTime(due);
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%04d/%02u/%02u %02ld:%02ld", p.year, p.month, p.day,
                  p.hour, p.minute);
    return buffer;
}

}  // namespace

std::string MissedNoticeText(const std::vector<MissedAlarm>& missed) {
    std::string text(kHeading);
    const std::size_t shown = std::min(missed.size(), kMissedNoticeLines);
    for (std::size_t i = 0; i < shown; ++i) {
        text += kLineBreak;
        text += DueText(missed[i].due);
        text += ' ';
        // A name read from the file may hold a lone LF; it would split the alarm's line.
        text += WithoutLineBreaks(missed[i].name);
    }
    if (missed.size() > shown) {
        text += kLineBreak;
        text += "ほか " + std::to_string(missed.size() - shown) + " 件";
    }
    return text;
}

}  // namespace pelmora
