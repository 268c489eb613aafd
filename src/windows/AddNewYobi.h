#pragma once
// The dialog that adds a weekly schedule: a name, a weekday or group of weekdays, and a time
// of day.
#include <chrono>
#include <string>

#include "platform/ui.h"
#include "store/ScheduleTables.h"
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

    ui::TextBox& TxtYobiTag;
    ui::ComboBox& CmbYobi;
    ui::ComboBox& CmbYbHr;
    ui::ComboBox& CmbYbMin;

  private:
    void CmbYobi_Change();
    void Cb_set_Click();
    void Cb_cancel_Click();
    void SelectToday();

    ui::Platform& platform_;
    ScheduleTables& tables_;
    ScheduleHost& host_;
};

}  // namespace pelmora
