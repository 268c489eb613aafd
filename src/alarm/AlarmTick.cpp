#include "alarm/AlarmTick.h"

#include <algorithm>

#include "store/Calendar.h"
#include "store/WeekdayCode.h"

namespace pelmora {
namespace {

using std::chrono::seconds;

// The longest gap a late tick still makes up for, and the longest set-back after which the
// seconds already examined are not examined again.
constexpr seconds kCatchUp{60};
// How far back a longer gap is reported.
constexpr seconds kMissedWithin = std::chrono::hours{24};

// A few milliseconds past the second, so that a timer firing a little early still reads the
// new second.
constexpr std::chrono::milliseconds kPastTheSecond{5};

}  // namespace

std::vector<std::string> DueAt(const ScheduleTables& tables, std::chrono::local_seconds second) {
    std::vector<std::string> names;
    const std::int16_t dates = tables.DateCount();
    for (std::int16_t i = 1; i <= dates; ++i) {
        if (tables.Date(i).DateTime == second) {
            names.push_back(tables.Date(i).Name);
        }
    }
    const seconds timeOfDay = TimeOfDayOf(second);
    const int wd = WeekdayNumberOf(second);
    const std::int16_t weekdays = tables.WeekdayCount();
    for (std::int16_t j = 1; j <= weekdays; ++j) {
        const WeekdaySchedule& e = tables.Weekday(j);
        if (e.TimeOfDay == timeOfDay && CodeRingsOn(e.Code, wd)) {
            names.push_back(e.Name);
        }
    }
    return names;
}

std::vector<MissedAlarm> DueBetween(const ScheduleTables& tables, std::chrono::local_seconds after,
                                    std::chrono::local_seconds before) {
    using std::chrono::days;
    using std::chrono::floor;
    std::vector<MissedAlarm> alarms;
    if (before <= after) {
        return alarms;
    }
    const auto inSpan = [&](std::chrono::local_seconds t) { return t > after && t < before; };
    const std::int16_t dates = tables.DateCount();
    for (std::int16_t i = 1; i <= dates; ++i) {
        const DateSchedule& e = tables.Date(i);
        if (inSpan(e.DateTime)) {
            alarms.push_back({e.DateTime, e.Name});
        }
    }
    const std::int16_t weekdays = tables.WeekdayCount();
    for (std::int16_t j = 1; j <= weekdays; ++j) {
        const WeekdaySchedule& e = tables.Weekday(j);
        for (auto day = floor<days>(after); day <= floor<days>(before); day += days{1}) {
            const std::chrono::local_seconds t = day + e.TimeOfDay;
            if (inSpan(t) && CodeRingsOn(e.Code, WeekdayNumberOf(t))) {
                alarms.push_back({t, e.Name});
            }
        }
    }
    // Stable: at one time the date entries stay before the weekday entries, in table order.
    std::stable_sort(alarms.begin(), alarms.end(),
                     [](const MissedAlarm& a, const MissedAlarm& b) { return a.due < b.due; });
    return alarms;
}

Ticked AlarmTick::Tick(const ScheduleTables& tables, std::chrono::local_seconds now) {
    Ticked found;
    std::chrono::local_seconds from = now;
    if (last_ && now <= *last_ && *last_ - now <= kCatchUp) {
        return found;  // examined already: the same second, or a time sync stepped back
    }
    if (last_ && now > *last_) {
        if (now - *last_ <= kCatchUp) {
            from = *last_ + seconds{1};
        } else {
            found.missed = DueBetween(tables, std::max(*last_, now - kMissedWithin), now);
        }
    }
    last_ = now;
    // Sixty seconds or fewer hold at most one first second of a minute, and only that second
    // can have entries due.
    for (auto s = from; s <= now; s += seconds{1}) {
        if ((s - std::chrono::floor<std::chrono::minutes>(s)).count() != 0) {
            continue;
        }
        std::vector<std::string> due = DueAt(tables, s);
        found.due.insert(found.due.end(), due.begin(), due.end());
    }
    return found;
}

std::chrono::milliseconds DelayToNextSecond(LocalMilliseconds now) {
    const auto intoSecond = now - std::chrono::floor<seconds>(now);
    return seconds{1} - intoSecond + kPastTheSecond;
}

}  // namespace pelmora
