#include "alarm/AlarmTick.h"

#include "store/Calendar.h"
#include "store/WeekdayCode.h"

namespace pelmora {
namespace {

using std::chrono::seconds;

// The longest gap a late tick still makes up for.
constexpr seconds kCatchUp{60};

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

std::vector<std::string> AlarmTick::Tick(const ScheduleTables& tables,
                                         std::chrono::local_seconds now) {
    std::chrono::local_seconds from = now;
    if (last_ && now > *last_ && now - *last_ <= kCatchUp) {
        from = *last_ + seconds{1};
    } else if (last_ && now == *last_) {
        return {};
    }
    last_ = now;
    // Sixty seconds or fewer hold at most one first second of a minute, and only that second
    // can have entries due.
    std::vector<std::string> names;
    for (auto s = from; s <= now; s += seconds{1}) {
        if ((s - std::chrono::floor<std::chrono::minutes>(s)).count() != 0) {
            continue;
        }
        std::vector<std::string> due = DueAt(tables, s);
        names.insert(names.end(), due.begin(), due.end());
    }
    return names;
}

std::chrono::milliseconds DelayToNextSecond(LocalMilliseconds now) {
    const auto intoSecond = now - std::chrono::floor<seconds>(now);
    return seconds{1} - intoSecond + kPastTheSecond;
}

}  // namespace pelmora
