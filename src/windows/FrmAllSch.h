#pragma once
// Every schedule in two lists, one-off by date and weekly by weekday, in list order (which is
// also the tables' order, so row r is entry r + 1); deleting after a confirmation; the way to
// the two dialogs, to add a schedule or to change the one of a line.
#include <optional>

#include "platform/ui.h"
#include "store/ScheduleTables.h"
#include "windows/ScheduleHost.h"

namespace pelmora {

class FrmAllSch final : public ui::Form {
  public:
    static ui::WindowSpec Layout();

    FrmAllSch(ui::Platform& platform, ScheduleTables& tables, bool& addTimeActive,
              ScheduleHost& host);

    // Reorders both tables and rebuilds both lists; both delete buttons start disabled.
    void Fill();
    // The entries of the selected lines, to select again after the tables were replaced.
    using Selection = ScheduleSelection;
    Selection Selected() const;
    // Fill, then the lines of those entries that are still there selected again.
    void Refill(const Selection& keep);

    ui::ListBox& ListSchTime;
    ui::ListBox& ListSchYobi;
    ui::Button& CmdDelTime;
    ui::Button& CmdDelYobi;

  private:
    void ListSchTime_Click();
    void ListSchYobi_Click();
    void ListSchTime_DblClick();
    void ListSchYobi_DblClick();
    void CmdDelTime_Click();
    void CmdDelYobi_Click();
    void CmdClose_Click();
    void CmdNewTime_Click();
    void CmdNewYobi_Click();
    // Fills a dialog, for adding (nothing) or for changing that entry, shows it and hides this.
    void OpenDateDialog(const std::optional<DateSchedule>& changing);
    void OpenWeekdayDialog(const std::optional<WeekdaySchedule>& changing);
    // Asks; true when the user answered Yes and the window is still there to act.
    bool Confirm(const std::string& what);
    // What both delete buttons do with the selected row of `list`, whose table holds `Entry`s
    // (DateSchedule or WeekdaySchedule): ask about its entry, remove exactly that entry, refill
    // the lists and rewrite the file, telling the user when the rewrite fails.
    template <typename Entry>
    void DeleteSelected(ui::ListBox& list);

    ui::Platform& platform_;
    ScheduleTables& tables_;
    bool& addTimeActive_;
    ScheduleHost& host_;
};

}  // namespace pelmora
