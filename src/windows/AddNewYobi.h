#pragma once
// The dialog that adds a weekly schedule, or changes one: a name, a weekday or group of
// weekdays, and a time of day.
#include <chrono>
#include <string>

#include "platform/ui.h"
#include "store/ScheduleTables.h"
#include "windows/AddSchedule.h"
#include "windows/ScheduleHost.h"

namespace pelmora {

// The code of the weekday box's entry n (1 to 11: "SUN" ... "SAT", "WKD", "WKE", "EVD", "MTS");
// the empty text for any other n.
std::string IdxToYobiTag(int n);

class AddNewYobi final : public ui::Form {
  public:
    static ui::WindowSpec Layout();

    AddNewYobi(ui::Platform& platform, ScheduleTables& tables, ScheduleHost& host);

    // Fills the three boxes and selects the current time and today's weekday (the list window
    // runs it before every opening); the name box keeps its text.
    void SetUpYobiCmb(std::chrono::local_seconds now);
    // The same for changing `entry`: its name, weekday and time selected.
    void SetUpChange(const WeekdaySchedule& entry);

    ui::TextBox& TxtYobiTag;
    ui::ComboBox& CmbYobi;
    ui::ComboBox& CmbYbHr;
    ui::ComboBox& CmbYbMin;

  private:
    void CmbYobi_Change();
    void Cb_set_Click();
    void Cb_cancel_Click();
    // Today's weekday; while changing, the entry's.
    void SelectWeekday();
    // The time boxes on `timeOfDay`, the weekday box on SelectWeekday's.
    void FillBoxes(std::chrono::seconds timeOfDay);

    ui::Platform& platform_;
    ScheduleTables& tables_;
    ScheduleHost& host_;
    DialogPurpose<WeekdaySchedule> purpose_;
};

}  // namespace pelmora
