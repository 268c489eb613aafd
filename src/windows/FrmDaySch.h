#pragma once
// Today's schedules: every date entry dated today and every weekday entry whose code covers
// today, by time, each with "済" (its time has come) or "未" (not yet). A snapshot taken when
// the window is opened.
#include <chrono>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "store/ScheduleTables.h"

namespace pelmora {

struct TodayEntry {
    std::string Name;
    std::chrono::seconds TimeOfDay{};
};

// Today's list, rebuilt at every opening. It has room for every schedule of both tables.
struct TodayList {
    std::vector<TodayEntry> TodayEntries;
    std::int16_t TodayCount() const { return static_cast<std::int16_t>(TodayEntries.size()); }
};

// Collects today's schedules in table order, date entries first (AddDaySch for each).
void CollectToday(const ScheduleTables& tables, std::chrono::local_seconds now, TodayList& today);

// The list's lines, ordered by time (stable: at equal times the one collected first comes
// first): name column, tab, "hh:mm", tab, the mark against the current hour and minute.
std::vector<std::string> TodayLines(const TodayList& today, std::chrono::local_seconds now);

class FrmDaySch final : public ui::Form {
  public:
    static ui::WindowSpec Layout();

    FrmDaySch(ui::Platform& platform, TodayList& today);

    ui::ListBox& ListSch;

  private:
    void Form_Unload();

    TodayList& today_;
};

}  // namespace pelmora
