#include "windows/AddNewTime.h"

#include <algorithm>

#include "store/Calendar.h"
#include "store/ScheduleWriter.h"
#include "store/TextMeasure.h"
#include "windows/AddSchedule.h"
#include "windows/ScheduleLines.h"

namespace pelmora {
namespace {

constexpr std::string_view kPastText = "過去のスケジュールは追加できません。";
constexpr int kFebruary = 2;

}  // namespace

ui::WindowSpec AddNewTime::Layout() {
    using ui::ButtonAt;
    using ui::LabelAt;
    const auto unit = [](const char* name, const char* caption, int left) {
        return LabelAt(name, caption, {left, 900, 180, 180});
    };
    return ui::WindowSpec{.name = "AddNewTime",
                          .caption = "   アラームスケジュールの追加",
                          .clientWidth = 5025,
                          .clientHeight = 1770,
                          .border = ui::Border::FixedSingle,
                          .controls =
                              {
                                  LabelAt("Label9", "スケジュール名", {120, 120, 1185, 180}),
                                  NameBoxAt("TxtTimeTag", 4),
                                  DropDownAt("CmbYr", 120, 735, 5),
                                  unit("Label1", "年", 885),
                                  DropDownAt("CmbMt", 1200, 615, 0),
                                  unit("Label2", "月", 1845),
                                  DropDownAt("CmbDy", 2160, 615, 1),
                                  unit("Label3", "日", 2820),
                                  DropDownAt("CmbHr", 3120, 615, 2),
                                  unit("Label4", "時", 3765),
                                  DropDownAt("CmbMin", 4080, 615, 3),
                                  unit("Label5", "分", 4725),
                                  ButtonAt("Cb_cancel", "キャンセル", {2400, 1320, 1215, 375}, 6),
                                  ButtonAt("Cb_set", "設定", {3720, 1320, 1215, 375}, 7),
                              },
                          .escapeButton = "Cb_cancel"};
}

AddNewTime::AddNewTime(ui::Platform& platform, ScheduleTables& tables, bool& active,
                       ScheduleHost& host)
    : Form(platform, Layout()),
      TxtTimeTag(window().GetTextBox("TxtTimeTag")),
      CmbYr(window().GetComboBox("CmbYr")),
      CmbMt(window().GetComboBox("CmbMt")),
      CmbDy(window().GetComboBox("CmbDy")),
      CmbHr(window().GetComboBox("CmbHr")),
      CmbMin(window().GetComboBox("CmbMin")),
      platform_(platform),
      tables_(tables),
      active_(active),
      host_(host) {
    CmbYr.Click = [this] { CmbYr_Click(); };
    CmbMt.Click = [this] { CmbMt_Click(); };
    window().GetButton("Cb_set").Click = [this] { Cb_set_Click(); };
    window().GetButton("Cb_cancel").Click = [this] { Cb_cancel_Click(); };
    // The close box cancels: the list window comes back and the next opening starts clean.
    window().CloseBox = [this] { Cb_cancel_Click(); };
}

void AddNewTime::SetUpTimeCmb(std::chrono::local_seconds now) {
    using namespace std::chrono;
    const year_month_day today{floor<days>(now)};
    const int year = static_cast<int>(today.year());
    const int month = static_cast<int>(static_cast<unsigned>(today.month()));
    const hh_mm_ss time{TimeOfDayOf(now)};
    // Never empty: a clock before 2002 or after 2100 is offered the nearest year the file keeps.
    const int first = std::clamp(year, kFirstYear, kLastYear);
    FillNumbers(CmbYr, first, std::clamp(year + kYearsOffered - 1, kFirstYear, kLastYear), first);
    FillNumbers(CmbMt, 1, 12, month);
    const int length = MonthLength(first, month);
    FillNumbers(CmbDy, 1, length,
                std::min(static_cast<int>(static_cast<unsigned>(today.day())), length));
    FillNumbers(CmbHr, 0, 23, static_cast<int>(time.hours().count()));
    FillNumbers(CmbMin, 0, 59, static_cast<int>(time.minutes().count()));
}

void AddNewTime::RefillDays(int length) {
    // A day typed over with something that is no day gives the first day.
    const int day = std::min(HeldNumber(CmbDy).value_or(1), length);
    FillNumbers(CmbDy, 1, length, std::max(day, 1));
}

void AddNewTime::CmbYr_Click() {
    if (!active_) {
        return;
    }
    if (HeldNumber(CmbMt) == kFebruary) {
        // No year held: a common year.
        RefillDays(IsLeapYear(HeldNumber(CmbYr).value_or(1)) ? 29 : 28);
    }
}

void AddNewTime::CmbMt_Click() {
    if (!active_) {
        return;
    }
    const std::optional<int> month = HeldNumber(CmbMt);
    if (!month || *month < 1 || *month > 12) {
        return;
    }
    const int year = *month == kFebruary ? HeldNumber(CmbYr).value_or(1) : 1;
    RefillDays(MonthLength(year, *month));
}

void AddNewTime::Cb_set_Click() {
    host_.ReadChangedFile();
    if (window().Closed()) {
        return;  // the program was ended while a box of the reading was open
    }
    const std::string name = SafeName(TrimBlanks(WithoutLineBreaks(TxtTimeTag.Text())));
    if (!CheckRoomAndName(platform_, tables_, name)) {
        return;
    }
    // Typed entries are picked in this order, so a typed year or month refills the days (and
    // keeps a typed day that the month has) before the day is read.
    const auto year = TakeNumber(CmbYr);
    const auto month = TakeNumber(CmbMt);
    const auto day = TakeNumber(CmbDy);
    const auto hour = TakeNumber(CmbHr);
    const auto minute = TakeNumber(CmbMin);
    // Only a date of the calendar: not the 30th of February, whatever the boxes hold.
    if (!year || !month || !day || !hour || !minute || *month < 1 || *month > 12 || *day < 1 ||
        *day > MonthLength(*year, *month)) {
        return Warn(platform_, kInvalidNumberText, kWarningTitle);
    }
    const auto when = MakeLocalTime(*year, *month, *day, *hour, *minute);
    if (when < platform_.clock().Now()) {
        return Warn(platform_, kPastText, kWarningTitle);
    }
    for (std::int16_t k = 1; k <= tables_.DateCount(); ++k) {
        if (tables_.Date(k).DateTime == when) {
            return Warn(platform_, kDuplicateText, "");
        }
    }
    tables_.AppendDate({name, when});
    if (FinishAddition(
            platform_, host_, window(), [this] { tables_.RemoveDate(tables_.DateCount()); }, name,
            FormatJapaneseDateTime(when), when)) {
        active_ = false;
    }
}

void AddNewTime::Cb_cancel_Click() {
    host_.ListWindow().Show();
    window().Hide();
    active_ = false;
}

}  // namespace pelmora
