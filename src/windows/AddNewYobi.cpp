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
                          .caption = std::string(kAddCaption),
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
    purpose_.ForAdding(window(), TxtYobiTag);
    FillBoxes(TimeOfDayOf(now));
}

void AddNewYobi::SetUpChange(const WeekdaySchedule& entry) {
    purpose_.ForChanging(window(), TxtYobiTag, entry);
    FillBoxes(entry.TimeOfDay);
}

void AddNewYobi::FillBoxes(std::chrono::seconds timeOfDay) {
    const std::chrono::hh_mm_ss time{timeOfDay};
    FillNumbers(CmbYbHr, 0, 23, static_cast<int>(time.hours().count()));
    FillNumbers(CmbYbMin, 0, 59, static_cast<int>(time.minutes().count()));
    CmbYobi.Clear();
    // Entry n - 1 stands for the code numbered n.
    for (std::string_view code : WeekdayCodes) {
        CmbYobi.AddItem(WeekdayLabel(code));
    }
    SelectWeekday();
}

void AddNewYobi::SelectWeekday() {
    // While changing, the entry's own: a slip of the keyboard never moves the entry elsewhere.
    const auto& changing = purpose_.Changing();
    const int number = changing ? WeekDayString(changing->Code) : 0;
    CmbYobi.SetListIndex(
        (IdxToYobiTag(number).empty() ? WeekdayNumberOf(platform_.clock().Now()) : number) - 1);
}

void AddNewYobi::CmbYobi_Change() {
    Warn(platform_, kPickWeekdayText, kWarningTitle);
    SelectWeekday();
}

void AddNewYobi::Cb_set_Click() {
    host_.ReadChangedFile();
    if (window().Closed()) {
        return;  // the program was ended while a box of the reading was open
    }
    const std::optional<std::int16_t> k = purpose_.Target(tables_);
    if (k == 0) {
        return ChangedEntryGone(platform_, host_, window());
    }
    // The name is stored as typed, blanks and all.
    const std::string name = SafeName(TxtYobiTag.Text());
    if (!CheckRoomAndName(platform_, tables_, name, !k)) {
        return;
    }
    if (CmbYobi.ListIndex() < 0) {
        SelectWeekday();
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
    for (std::int16_t i = 1; i <= tables_.WeekdayCount(); ++i) {
        const WeekdaySchedule& e = tables_.Weekday(i);
        if (i != k && e.TimeOfDay == time && WeekDayString(e.Code) == p + 1) {
            return Warn(platform_, kDuplicateText, "");
        }
    }
    const WeekdaySchedule entry{name, IdxToYobiTag(p + 1), time};
    const std::chrono::local_seconds now = platform_.clock().Now();
    // Whether an entry falls due today at the new time.
    const auto dueToday = [&](const WeekdaySchedule& e) {
        return e.TimeOfDay == time && CodeRingsOn(e.Code, WeekdayNumberOf(now));
    };
    Setting setting{.changed = k.has_value(), .name = name, .when = JapaneseWhen(entry)};
    // An entry that was due then already has rung, or will ring: never twice.
    bool wasDue = false;
    if (k) {
        const WeekdaySchedule old = tables_.Weekday(*k);
        wasDue = dueToday(old);
        tables_.ReplaceWeekday(*k, entry);
        setting.takeBack = [this, k = *k, old] { tables_.ReplaceWeekday(k, old); };
        setting.select.weekday = entry;
    } else {
        tables_.AppendWeekday(entry);
        setting.takeBack = [this] { tables_.RemoveWeekday(tables_.WeekdayCount()); };
    }
    if (dueToday(entry) && !wasDue) {
        setting.ringAt = std::chrono::floor<std::chrono::days>(now) + time;
    }
    if (FinishSetting(platform_, host_, window(), setting)) {
        purpose_.Saved();
    }
}

void AddNewYobi::Cb_cancel_Click() {
    host_.ListWindow().Show();
    window().Hide();
}

}  // namespace pelmora
