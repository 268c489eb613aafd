#include "windows/AddNewTime.h"

#include <algorithm>
#include <string>
#include <vector>

#include "store/Calendar.h"
#include "store/ScheduleWriter.h"
#include "store/TextMeasure.h"
#include "windows/AddSchedule.h"
#include "windows/ScheduleLines.h"

namespace pelmora {
namespace {

constexpr std::string_view kPastText = "過去のスケジュールは追加できません。";
constexpr std::string_view kChangePastText = "過去の日時には変更できません。";
constexpr int kFebruary = 2;

}  // namespace

ui::WindowSpec AddNewTime::Layout() {
    using ui::ButtonAt;
    using ui::LabelAt;
    const auto unit = [](const char* name, const char* caption, int left) {
        return LabelAt(name, caption, {left, 900, 180, 180});
    };
    return ui::WindowSpec{.name = "AddNewTime",
                          .caption = std::string(kAddCaption),
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
    purpose_.ForAdding(window(), TxtTimeTag);
    DateTimeParts at = SplitDateTime(now);
    // Never empty: a clock before 2002 or after 2100 is offered the nearest year the file keeps.
    at.year = std::clamp(at.year, kFirstYear, kLastYear);
    FillBoxes(now, at);
}

void AddNewTime::SetUpChange(const DateSchedule& entry, std::chrono::local_seconds now) {
    purpose_.ForChanging(window(), TxtTimeTag, entry);
    FillBoxes(now, SplitDateTime(entry.DateTime));
}

void AddNewTime::FillBoxes(std::chrono::local_seconds now, const DateTimeParts& at) {
    const int year = SplitDateTime(now).year;
    std::vector<int> years;
    for (int y = std::max(year, kFirstYear); y <= std::min(year + kYearsOffered - 1, kLastYear);
         ++y) {
        years.push_back(y);
    }
    const auto place = std::lower_bound(years.begin(), years.end(), at.year);
    if (place == years.end() || *place != at.year) {
        years.insert(place, at.year);
    }
    CmbYr.Clear();
    for (int y : years) {
        CmbYr.AddItem(std::to_string(y));
    }
    CmbYr.SetListIndex(
        static_cast<int>(std::lower_bound(years.begin(), years.end(), at.year) - years.begin()));
    const int month = static_cast<int>(at.month);
    FillNumbers(CmbMt, 1, 12, month);
    const int length = MonthLength(at.year, month);
    FillNumbers(CmbDy, 1, length, std::min(static_cast<int>(at.day), length));
    FillNumbers(CmbHr, 0, 23, static_cast<int>(at.hour));
    FillNumbers(CmbMin, 0, 59, static_cast<int>(at.minute));
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
    const std::optional<std::int16_t> k = purpose_.Target(tables_);
    if (k == 0) {
        active_ = false;
        return ChangedEntryGone(platform_, host_, window());
    }
    const std::string name = SafeName(TrimBlanks(WithoutLineBreaks(TxtTimeTag.Text())));
    if (!CheckRoomAndName(platform_, tables_, name, !k)) {
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
        return Warn(platform_, k ? kChangePastText : kPastText, kWarningTitle);
    }
    for (std::int16_t i = 1; i <= tables_.DateCount(); ++i) {
        if (i != k && tables_.Date(i).DateTime == when) {
            return Warn(platform_, kDuplicateText, "");
        }
    }
    const DateSchedule entry{name, when};
    Setting setting{.changed = k.has_value(), .name = name, .when = JapaneseWhen(entry)};
    if (k) {
        const DateSchedule old = tables_.Date(*k);
        tables_.ReplaceDate(*k, entry);
        setting.takeBack = [this, k = *k, old] { tables_.ReplaceDate(k, old); };
        if (old.DateTime != when) {
            setting.ringAt = when;
        }
        setting.select.date = entry;
    } else {
        tables_.AppendDate(entry);
        setting.takeBack = [this] { tables_.RemoveDate(tables_.DateCount()); };
        setting.ringAt = when;
    }
    if (FinishSetting(platform_, host_, window(), setting)) {
        active_ = false;
        purpose_.Saved();
    }
}

void AddNewTime::Cb_cancel_Click() {
    host_.ListWindow().Show();
    window().Hide();
    active_ = false;
}

}  // namespace pelmora
