#pragma once
// The dialog that adds a one-off schedule, or changes one: a name, and a date and time to the
// minute picked in five drop-down boxes.
#include <chrono>

#include "platform/ui.h"
#include "store/Calendar.h"
#include "store/ScheduleTables.h"
#include "windows/AddSchedule.h"
#include "windows/ScheduleHost.h"

namespace pelmora {

// The years the year box offers: this year and the ten after it, within the years the schedule
// file's reader accepts, 2002 to 2100 (a year outside them would be dropped at the next start).
inline constexpr int kYearsOffered = 11;
inline constexpr int kFirstYear = 2002;
inline constexpr int kLastYear = 2100;

class AddNewTime final : public ui::Form {
  public:
    static ui::WindowSpec Layout();

    // `active` is the process-wide flag that is true while the dialog is open after being
    // filled; the year and month picks do nothing while it is false.
    AddNewTime(ui::Platform& platform, ScheduleTables& tables, bool& active, ScheduleHost& host);

    // Fills the five boxes and selects `now` in them (the list window runs it before every
    // opening); the name box keeps its text. On a clock whose year the box does not offer, the
    // offered year nearest it is selected, with now's month, time and day (the month's last day
    // in that year when it is shorter: 29 February becomes the 28th).
    void SetUpTimeCmb(std::chrono::local_seconds now);
    // The same for changing `entry`: its name, and its date and time selected; the year box
    // offers now's year and the ten after it, and the entry's year among them in order.
    void SetUpChange(const DateSchedule& entry, std::chrono::local_seconds now);

    ui::TextBox& TxtTimeTag;
    ui::ComboBox& CmbYr;
    ui::ComboBox& CmbMt;
    ui::ComboBox& CmbDy;
    ui::ComboBox& CmbHr;
    ui::ComboBox& CmbMin;

  private:
    void CmbYr_Click();
    void CmbMt_Click();
    void Cb_set_Click();
    void Cb_cancel_Click();
    void RefillDays(int length);
    // The boxes filled for now's year, `at` selected.
    void FillBoxes(std::chrono::local_seconds now, const DateTimeParts& at);

    ui::Platform& platform_;
    ScheduleTables& tables_;
    bool& active_;
    ScheduleHost& host_;
    DialogPurpose<DateSchedule> purpose_;
};

}  // namespace pelmora
