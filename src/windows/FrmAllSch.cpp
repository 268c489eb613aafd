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

}  // namespace

ui::WindowSpec FrmAllSch::Layout() {
    using ui::ButtonAt;
    using ui::LabelAt;
    const ui::Font fixed{"ＭＳ ゴシック", 9, false, 128};
    const auto list = [&](const char* name, ui::Rect r, int tab) {
        return ui::ControlSpec{.kind = ui::ControlKind::ListBox,
                               .name = name,
                               .rect = r,
                               .tabIndex = tab,
                               .font = fixed,
                               .buttonFaceBackground = true};
    };
    return ui::WindowSpec{.name = "FrmAllSch",
                          .caption = "  アラームスケジュールの一覧",
                          .clientWidth = 5385,
                          .clientHeight = 4665,
                          .border = ui::Border::FixedSingle,
                          .controls = {
                              LabelAt("Label1", "*** 日付による登録 ***", {120, 45, 1845, 180}),
                              list("ListSchTime", {120, 240, 4095, 2040}, 0),
                              ButtonAt("CmdNewTime", "新規追加", {4320, 240, 975, 375}, 1),
                              ButtonAt("CmdDelTime", "削除", {4320, 720, 975, 375}, 2),
                              LabelAt("Label2", "*** 曜日による登録 ***", {120, 2324, 1845, 165}),
                              list("ListSchYobi", {120, 2520, 4095, 2040}, 6),
                              ButtonAt("CmdNewYobi", "新規追加", {4320, 2520, 975, 375}, 3),
                              ButtonAt("CmdDelYobi", "削除", {4320, 3000, 975, 375}, 4),
                              ButtonAt("CmdClose", "閉じる", {4320, 4200, 975, 375}, 5),
                          }};
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
    const auto k = static_cast<std::int16_t>(ListSchTime.ListIndex() + 1);
    if (k < 1 || k > tables_.DateCount()) {
        return;
    }
    const DateSchedule entry = tables_.Date(k);
    if (!Confirm(entry.Name + "\n" + FormatJapaneseDateTime(entry.DateTime))) {
        return;
    }
    // The question let other events run; delete only the entry the user was asked about.
    if (k > tables_.DateCount() || tables_.Date(k) != entry) {
        return;
    }
    tables_.RemoveDate(k);
    AfterDelete(ListSchTime);
}

void FrmAllSch::CmdDelYobi_Click() {
    const auto k = static_cast<std::int16_t>(ListSchYobi.ListIndex() + 1);
    if (k < 1 || k > tables_.WeekdayCount()) {
        return;
    }
    const WeekdaySchedule entry = tables_.Weekday(k);
    if (!Confirm(entry.Name + "\n" + DayPhrase(entry.Code) + " " +
                 FormatJapaneseTime(entry.TimeOfDay))) {
        return;
    }
    if (k > tables_.WeekdayCount() || tables_.Weekday(k) != entry) {
        return;
    }
    tables_.RemoveWeekday(k);
    AfterDelete(ListSchYobi);
}

void FrmAllSch::AfterDelete(ui::ListBox& list) {
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
    AddNewTime& dialog = host_.AddNewTimeForm();
    dialog.SetUpTimeCmb(platform_.clock().Now());
    addTimeActive_ = true;
    dialog.window().Show();
    window().Hide();
}

void FrmAllSch::CmdNewYobi_Click() {
    AddNewYobi& dialog = host_.AddNewYobiForm();
    dialog.SetUpYobiCmb(platform_.clock().Now());
    dialog.window().Show();
    window().Hide();
}

}  // namespace pelmora
