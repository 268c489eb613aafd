#include "windows/FrmDaySch.h"

#include <algorithm>

#include "store/Calendar.h"
#include "store/WeekdayCode.h"
#include "windows/ScheduleLines.h"

namespace pelmora {

void CollectToday(const ScheduleTables& tables, std::chrono::local_seconds now, TodayList& today) {
    using namespace std::chrono;
    const local_days date = floor<days>(now);
    const std::int16_t dates = tables.DateCount();
    for (std::int16_t i = 1; i <= dates; ++i) {
        const DateSchedule& e = tables.Date(i);
        if (floor<days>(e.DateTime) == date) {
            today.TodayEntries.push_back({e.Name, TimeOfDayOf(e.DateTime)});
        }
    }
    const int wd = WeekdayNumberOf(now);
    const std::int16_t weekdays = tables.WeekdayCount();
    for (std::int16_t j = 1; j <= weekdays; ++j) {
        const WeekdaySchedule& e = tables.Weekday(j);
        if (CodeRingsOn(e.Code, wd)) {
            today.TodayEntries.push_back({e.Name, e.TimeOfDay});
        }
    }
}

std::vector<std::string> TodayLines(const TodayList& today, std::chrono::local_seconds now) {
    using namespace std::chrono;
    std::vector<const TodayEntry*> order;
    for (const TodayEntry& e : today.TodayEntries) {
        order.push_back(&e);
    }
    std::stable_sort(order.begin(), order.end(), [](const TodayEntry* a, const TodayEntry* b) {
        return a->TimeOfDay < b->TimeOfDay;
    });
    // A schedule due in the current minute already counts as done.
    const seconds currentMinute = floor<minutes>(TimeOfDayOf(now));
    std::vector<std::string> lines;
    for (const TodayEntry* e : order) {
        lines.push_back(FitSchName(e->Name) + "\t" + FormatHhMm(e->TimeOfDay) + "\t" +
                        (e->TimeOfDay > currentMinute ? "未" : "済"));
    }
    return lines;
}

ui::WindowSpec FrmDaySch::Layout() {
    return ui::WindowSpec{.name = "FrmDaySch",
                          .caption = "  今日のアラームスケジュール",
                          .clientWidth = 3615,
                          .clientHeight = 4965,
                          .border = ui::Border::FixedSingle,
                          .controls =
                              {
                                  {.kind = ui::ControlKind::ListBox,
                                   .name = "ListSch",
                                   .rect = {120, 98, 3375, 4740},
                                   .tabIndex = 0,
                                   .font = kScheduleListFont,
                                   .buttonFaceBackground = true},
                              },
                          .escapeCloses = true};
}

FrmDaySch::FrmDaySch(ui::Platform& platform, TodayList& today)
    : Form(platform, Layout()), ListSch(window().GetListBox("ListSch")), today_(today) {
    window().Unload = [this] { Form_Unload(); };
}

void FrmDaySch::Form_Unload() {
    today_.TodayEntries.clear();
}

}  // namespace pelmora
