#include "windows/FrmAllSch.h"

#include "store/ScheduleWriter.h"
#include "store/WeekdayCode.h"
#include "windows/AddNewTime.h"
#include "windows/AddNewYobi.h"
#include "windows/ScheduleLines.h"

namespace pelmora {
namespace {

constexpr std::string_view kDeleteQuestion = "以下のスケジュールを削除してもよろしいですか。";
constexpr std::string_view kDeleteTitle = "スケジュールの削除";
constexpr std::string_view kNotFoundText = "削除するスケジュールが見つかりません。";
constexpr std::string_view kNotFoundTitle = "警告";

// The two tables as the list window sees them: count, entry k, removal.
template <typename Entry>
struct Table;

// The entry of the list's selected line, or nothing.
template <typename Entry>
std::optional<Entry> SelectedIn(const ScheduleTables& t, const ui::ListBox& list);

template <>
struct Table<DateSchedule> {
    static std::int16_t Count(const ScheduleTables& t) { return t.DateCount(); }
    static const DateSchedule& At(const ScheduleTables& t, std::int16_t k) { return t.Date(k); }
    static void Remove(ScheduleTables& t, std::int16_t k) { t.RemoveDate(k); }
};

template <>
struct Table<WeekdaySchedule> {
    static std::int16_t Count(const ScheduleTables& t) { return t.WeekdayCount(); }
    static const WeekdaySchedule& At(const ScheduleTables& t, std::int16_t k) {
        return t.Weekday(k);
    }
    static void Remove(ScheduleTables& t, std::int16_t k) { t.RemoveWeekday(k); }
};

template <typename Entry>
std::optional<Entry> SelectedIn(const ScheduleTables& t, const ui::ListBox& list) {
    const auto k = static_cast<std::int16_t>(list.ListIndex() + 1);
    if (k < 1 || k > Table<Entry>::Count(t)) {
        return std::nullopt;
    }
    return Table<Entry>::At(t, k);
}

template <typename Entry>
void SelectAgain(const ScheduleTables& t, ui::ListBox& list, const std::optional<Entry>& entry) {
    if (const auto k = entry ? t.Find(*entry) : std::nullopt) {
        list.SetListIndex(*k - 1);
    }
}

}  // namespace

ui::WindowSpec FrmAllSch::Layout() {
    using ui::ButtonAt;
    using ui::LabelAt;
    const auto list = [&](const char* name, ui::Rect r, int tab) {
        return ui::ControlSpec{.kind = ui::ControlKind::ListBox,
                               .name = name,
                               .rect = r,
                               .tabIndex = tab,
                               .font = kScheduleListFont,
                               .buttonFaceBackground = true};
    };
    // A delete button, disabled once its list has no selection: the focus then goes back to
    // that list.
    const auto deleteFor = [](const char* name, const char* list, int top, int tab) {
        ui::ControlSpec button = ButtonAt(name, "削除", {4320, top, 975, 375}, tab);
        button.focusWhenDisabled = list;
        return button;
    };
    return ui::WindowSpec{
        .name = "FrmAllSch",
        .caption = "  アラームスケジュールの一覧",
        .clientWidth = 5385,
        .clientHeight = 4665,
        .border = ui::Border::FixedSingle,
        .controls =
            {
                LabelAt("Label1", "*** 日付による登録 ***", {120, 45, 1845, 180}),
                list("ListSchTime", {120, 240, 4095, 2040}, 0),
                ButtonAt("CmdNewTime", "新規追加", {4320, 240, 975, 375}, 1),
                deleteFor("CmdDelTime", "ListSchTime", 720, 2),
                // As high as the first heading: a line of 9 pt text needs 180 twips.
                LabelAt("Label2", "*** 曜日による登録 ***", {120, 2324, 1845, 180}),
                list("ListSchYobi", {120, 2520, 4095, 2040}, 6),
                ButtonAt("CmdNewYobi", "新規追加", {4320, 2520, 975, 375}, 3),
                deleteFor("CmdDelYobi", "ListSchYobi", 3000, 4),
                ButtonAt("CmdClose", "閉じる", {4320, 4200, 975, 375}, 5),
            },
        .escapeButton = "CmdClose"};
}

FrmAllSch::FrmAllSch(ui::Platform& platform, ScheduleTables& tables, bool& addTimeActive,
                     ScheduleHost& host)
    : Form(platform, Layout()),
      ListSchTime(window().GetListBox("ListSchTime")),
      ListSchYobi(window().GetListBox("ListSchYobi")),
      CmdDelTime(window().GetButton("CmdDelTime")),
      CmdDelYobi(window().GetButton("CmdDelYobi")),
      platform_(platform),
      tables_(tables),
      addTimeActive_(addTimeActive),
      host_(host) {
    ListSchTime.Click = [this] { ListSchTime_Click(); };
    ListSchYobi.Click = [this] { ListSchYobi_Click(); };
    ListSchTime.DblClick = [this] { ListSchTime_DblClick(); };
    ListSchYobi.DblClick = [this] { ListSchYobi_DblClick(); };
    CmdDelTime.Click = [this] { CmdDelTime_Click(); };
    CmdDelYobi.Click = [this] { CmdDelYobi_Click(); };
    window().GetButton("CmdClose").Click = [this] { CmdClose_Click(); };
    window().GetButton("CmdNewTime").Click = [this] { CmdNewTime_Click(); };
    window().GetButton("CmdNewYobi").Click = [this] { CmdNewYobi_Click(); };
    CmdDelTime.SetEnabled(false);
    CmdDelYobi.SetEnabled(false);
}

void FrmAllSch::Fill() {
    ListSchTime.Clear();
    ListSchYobi.Clear();
    CmdDelTime.SetEnabled(false);
    CmdDelYobi.SetEnabled(false);
    tables_.SortDatesByDateTime();
    for (std::int16_t k = 1; k <= tables_.DateCount(); ++k) {
        ListSchTime.AddItem(DateListLine(tables_.Date(k)));
    }
    tables_.SortWeekdaysByCode();
    for (std::int16_t k = 1; k <= tables_.WeekdayCount(); ++k) {
        ListSchYobi.AddItem(WeekdayListLine(tables_.Weekday(k)));
    }
}

FrmAllSch::Selection FrmAllSch::Selected() const {
    return {SelectedIn<DateSchedule>(tables_, ListSchTime),
            SelectedIn<WeekdaySchedule>(tables_, ListSchYobi)};
}

void FrmAllSch::Refill(const Selection& keep) {
    Fill();
    SelectAgain(tables_, ListSchTime, keep.date);
    SelectAgain(tables_, ListSchYobi, keep.weekday);
}

void FrmAllSch::ListSchTime_Click() {
    CmdDelTime.SetEnabled(ListSchTime.ListIndex() >= 0);
}

void FrmAllSch::ListSchYobi_Click() {
    CmdDelYobi.SetEnabled(ListSchYobi.ListIndex() >= 0);
}

bool FrmAllSch::Confirm(const std::string& what) {
    const std::string text = std::string(kDeleteQuestion) + "\n\n" + what;
    const ui::Answer answer =
        platform_.MsgBox(text, kDeleteTitle, ui::Buttons::YesNo, ui::Icon::None);
    // Exit may have closed the window while the question was open.
    return answer == ui::Answer::Yes && !window().Closed();
}

void FrmAllSch::CmdDelTime_Click() {
    DeleteSelected<DateSchedule>(ListSchTime);
}

void FrmAllSch::CmdDelYobi_Click() {
    DeleteSelected<WeekdaySchedule>(ListSchYobi);
}

template <typename Entry>
void FrmAllSch::DeleteSelected(ui::ListBox& list) {
    using T = Table<Entry>;
    const std::optional<Entry> entry = SelectedIn<Entry>(tables_, list);
    if (!entry || !Confirm(entry->Name + "\n" + JapaneseWhen(*entry))) {
        return;
    }
    // The file may have been changed by another program meanwhile: it is read first, and only
    // an entry equal to the one the user was asked about is removed, wherever it now stands.
    host_.ReadChangedFile();
    if (window().Closed()) {
        return;
    }
    const std::optional<std::int16_t> k = tables_.Find(*entry);
    if (!k) {
        platform_.MsgBox(kNotFoundText, kNotFoundTitle, ui::Buttons::Ok, ui::Icon::None);
        if (!window().Closed()) {
            host_.mnuShowAllSch_Click();  // the list as it now is
        }
        return;
    }
    T::Remove(tables_, *k);
    list.Clear();
    host_.mnuShowAllSch_Click();
    // The entry stays deleted; the next successful rewrite saves the tables as they are.
    if (host_.UpdateFile()) {
        platform_.MsgBox(WriteErrorText, WriteErrorTitle, ui::Buttons::Ok, ui::Icon::None);
    }
}

void FrmAllSch::CmdClose_Click() {
    window().Close();
}

void FrmAllSch::CmdNewTime_Click() {
    OpenDateDialog(std::nullopt);
}

void FrmAllSch::CmdNewYobi_Click() {
    OpenWeekdayDialog(std::nullopt);
}

void FrmAllSch::ListSchTime_DblClick() {
    if (const auto entry = SelectedIn<DateSchedule>(tables_, ListSchTime)) {
        OpenDateDialog(entry);
    }
}

void FrmAllSch::ListSchYobi_DblClick() {
    if (const auto entry = SelectedIn<WeekdaySchedule>(tables_, ListSchYobi)) {
        OpenWeekdayDialog(entry);
    }
}

void FrmAllSch::OpenDateDialog(const std::optional<DateSchedule>& changing) {
    AddNewTime& dialog = host_.AddNewTimeForm();
    const auto now = platform_.clock().Now();
    if (changing) {
        dialog.SetUpChange(*changing, now);
    } else {
        dialog.SetUpTimeCmb(now);
    }
    addTimeActive_ = true;
    dialog.window().Show();
    window().Hide();
}

void FrmAllSch::OpenWeekdayDialog(const std::optional<WeekdaySchedule>& changing) {
    AddNewYobi& dialog = host_.AddNewYobiForm();
    if (changing) {
        dialog.SetUpChange(*changing);
    } else {
        dialog.SetUpYobiCmb(platform_.clock().Now());
    }
    dialog.window().Show();
    window().Hide();
}

}  // namespace pelmora
