#include "windows/AddNewYobi.h"

#include "store/Calendar.h"
#include "store/ScheduleWriter.h"
#include "store/WeekdayCode.h"
#include "windows/AddSchedule.h"
#include "windows/ScheduleLines.h"

namespace pelmora {
namespace {

constexpr std::string_view kPickWeekdayText = "曜日はリストから選んでください。";

}  // namespace

std::string IdxToYobiTag(int n) {
    if (n < 1 || n > static_cast<int>(WeekdayCodes.size())) {
        return {};
    }
    return std::string(WeekdayCodes[static_cast<std::size_t>(n - 1)]);
}

ui::WindowSpec AddNewYobi::Layout() {
    using ui::ButtonAt;
    using ui::LabelAt;
    return ui::WindowSpec{.name = "AddNewYobi",
                          .caption = "   アラームスケジュールの追加",
                          .clientWidth = 4065,
                          .clientHeight = 1770,
                          .border = ui::Border::FixedSingle,
                          .controls =
                              {
                                  LabelAt("Label9", "スケジュール名", {120, 120, 1185, 180}),
                                  NameBoxAt("TxtYobiTag", 2),
                                  DropDownAt("CmbYobi", 120, 1095, 5),
                                  LabelAt("Label8", "曜日", {1245, 915, 360, 180}),
                                  DropDownAt("CmbYbHr", 2160, 615, 3),
                                  LabelAt("Label6", "時", {2820, 915, 180, 180}),
                                  DropDownAt("CmbYbMin", 3120, 615, 4),
                                  LabelAt("Label7", "分", {3765, 900, 180, 180}),
                                  ButtonAt("Cb_cancel", "キャンセル", {1320, 1320, 1215, 375}, 0),
                                  ButtonAt("Cb_set", "設定", {2760, 1320, 1215, 375}, 1),
                              },
                          .escapeButton = "Cb_cancel"};
}

AddNewYobi::AddNewYobi(ui::Platform& platform, ScheduleTables& tables, ScheduleHost& host)
    : Form(platform, Layout()),
      TxtYobiTag(window().GetTextBox("TxtYobiTag")),
      CmbYobi(window().GetComboBox("CmbYobi")),
      CmbYbHr(window().GetComboBox("CmbYbHr")),
      CmbYbMin(window().GetComboBox("CmbYbMin")),
      platform_(platform),
      tables_(tables),
      host_(host) {
    CmbYobi.Change = [this] { CmbYobi_Change(); };
    window().GetButton("Cb_set").Click = [this] { Cb_set_Click(); };
    window().GetButton("Cb_cancel").Click = [this] { Cb_cancel_Click(); };
    // The close box cancels: the list window comes back.
    window().CloseBox = [this] { Cb_cancel_Click(); };
}

void AddNewYobi::SetUpYobiCmb(std::chrono::local_seconds now) {
    const std::chrono::hh_mm_ss time{TimeOfDayOf(now)};
    FillNumbers(CmbYbHr, 0, 23, static_cast<int>(time.hours().count()));
    FillNumbers(CmbYbMin, 0, 59, static_cast<int>(time.minutes().count()));
    CmbYobi.Clear();
    // Entry n - 1 stands for the code numbered n.
    for (std::string_view code : WeekdayCodes) {
        CmbYobi.AddItem(WeekdayLabel(code));
    }
    SelectToday();
}

void AddNewYobi::SelectToday() {
    CmbYobi.SetListIndex(WeekdayNumberOf(platform_.clock().Now()) - 1);
}

void AddNewYobi::CmbYobi_Change() {
    Warn(platform_, kPickWeekdayText, kWarningTitle);
    SelectToday();
}

void AddNewYobi::Cb_set_Click() {
    host_.ReadChangedFile();
    if (window().Closed()) {
        return;  // the program was ended while a box of the reading was open
    }
    // The name is stored as typed, blanks and all.
    const std::string name = SafeName(TxtYobiTag.Text());
    if (!CheckRoomAndName(platform_, tables_, name)) {
        return;
    }
    if (CmbYobi.ListIndex() < 0) {
        SelectToday();
    }
    const int p = CmbYobi.ListIndex();
    const auto hour = TakeNumber(CmbYbHr);
    const auto minute = TakeNumber(CmbYbMin);
    if (p < 0 || !hour || !minute) {
        return Warn(platform_, kInvalidNumberText, kWarningTitle);
    }
    const std::chrono::seconds time = std::chrono::hours{*hour} + std::chrono::minutes{*minute};
    // Only the same code at the same time is a double booking: "MON" and "WKD" at 7:00 may
    // both stand.
    for (std::int16_t k = 1; k <= tables_.WeekdayCount(); ++k) {
        const WeekdaySchedule& e = tables_.Weekday(k);
        if (e.TimeOfDay == time && WeekDayString(e.Code) == p + 1) {
            return Warn(platform_, kDuplicateText, "");
        }
    }
    const WeekdaySchedule entry{name, IdxToYobiTag(p + 1), time};
    tables_.AppendWeekday(entry);
    const std::chrono::local_seconds now = platform_.clock().Now();
    std::optional<std::chrono::local_seconds> dueToday;
    if (CodeRingsOn(entry.Code, WeekdayNumberOf(now))) {
        dueToday = std::chrono::floor<std::chrono::days>(now) + time;
    }
    FinishAddition(
        platform_, host_, window(), [this] { tables_.RemoveWeekday(tables_.WeekdayCount()); },
        entry.Name, DayPhrase(entry.Code) + " " + FormatJapaneseTime(time), dueToday);
}

void AddNewYobi::Cb_cancel_Click() {
    host_.ListWindow().Show();
    window().Hide();
}

}  // namespace pelmora
