#include "shell/MainForm.h"

#include "alarm/MissedNotice.h"
#include "store/ScheduleReader.h"

namespace pelmora {
namespace {

constexpr std::string_view kAlreadyRunningText = "このアプリケーションは、即に起動しています。";
constexpr std::string_view kAlreadyRunningTitle = "確認";
constexpr std::string_view kTrayTip = "Pelmora!";

// A window the user closed is not created again only to be hidden.
template <typename Form>
void HideIfOpen(FormSlot<Form>& slot) {
    if (Form* form = slot.IfExists()) {
        form->window().Hide();
    }
}

template <typename Form>
std::function<std::unique_ptr<Form>()> Maker(ui::Platform& platform) {
    return [&platform] { return std::make_unique<Form>(platform); };
}

}  // namespace

ui::WindowSpec MainForm::Layout() {
    return ui::WindowSpec{.name = "MainForm",
                          .caption = "  Pelmora!",
                          .clientWidth = 3585,
                          .clientHeight = 2220,
                          .border = ui::Border::FixedDialog,
                          .centred = true,
                          .hasIcon = true,
                          .inTaskbar = false};
}

MainForm::MainForm(Module1& module, ui::Platform& platform)
    : Form(platform, Layout()),
      Timer1(window().AddTimer("Timer1", 1000, true)),
      mnuPLMR{
          {"mnuShowAllSch", "アラームスケジュール一覧と追加・削除", ui::MenuItemKind::Command,
           [this] { mnuShowAllSch_Click(); }},
          {"mnuToday", "今日のアラームスケジュールを確認", ui::MenuItemKind::Command,
           [this] { mnuToday_Click(); }},
          {"mnuLine", "-", ui::MenuItemKind::Separator, nullptr},
          {"mnuExit", "終了(&X)", ui::MenuItemKind::Command, [this] { mnuExit_Click(); }},
      },
      frmOpening(platform, Maker<FrmOpening>(platform)),
      addNewTime(platform,
                 [&platform, &module, this] {
                     return std::make_unique<AddNewTime>(platform, module.Tables,
                                                         module.AddTimeActive, *this);
                 }),
      addNewYobi(platform,
                 [&platform, &module, this] {
                     return std::make_unique<AddNewYobi>(platform, module.Tables, *this);
                 }),
      frmAlart(platform, Maker<FrmAlart>(platform)),
      frmAllSch(platform,
                [&platform, &module, this] {
                    return std::make_unique<FrmAllSch>(platform, module.Tables,
                                                       module.AddTimeActive, *this);
                }),
      frmDaySch(
          platform,
          [&platform, &module] { return std::make_unique<FrmDaySch>(platform, module.Today); }),
      module_(module),
      platform_(platform),
      trayIcon_(platform.CreateTrayIcon(window())) {
    Timer1.Tick = [this] { Timer1_Timer(); };
    trayIcon_->MouseEvent = [this](ui::TrayMouse event) { Form_MouseMove(event); };
    window().Unload = [this] { Form_Unload(); };
    window().ExitRequest = [this] { Form_ExitRequest(); };
}

Path MainForm::ScheduleFilePath() const {
    return platform_.AppFolder() / ScheduleFileName;
}

void MainForm::Form_Load() {
    if (platform_.AnotherInstanceRunning()) {
        platform_.MsgBox(kAlreadyRunningText, kAlreadyRunningTitle, ui::Buttons::Ok,
                         ui::Icon::Information);
        window().Close();
        return;
    }

    FrmOpening& splash = frmOpening.Get();
    splash.window().Show();
    splash.Timer1.SetEnabled(true);

    addNewTime.Get();
    addNewYobi.Get();
    frmAlart.Get();
    frmAllSch.Get();
    frmDaySch.Get();

    module_.AddTimeActive = false;
    window().Hide();
    AddTrayIcon();

    // Until the file has been read, the reader's boxes included, the tray menu stays shut: a
    // command now would save a half-read table over the file.
    ReadFile read;
    const bool loaded = LoadScheduleFile(
        module_.Tables, platform_.files(), ScheduleFilePath(), platform_.clock(),
        [this](const LineResult& r) {
            platform_.MsgBox(r.MessageBoxText(), LineMessageTitle, ui::Buttons::Ok, ui::Icon::None);
        },
        &read);
    if (loaded && read.needsBackup) {
        backup_ = std::move(read.bytes);  // saved as Alarm_List.bak before the first rewrite
    }
    if (!loaded) {
        // Still shut while this box is open: Exit now would write the half-read tables over
        // the file, or create an empty one where none was found.
        platform_.MsgBox(ReadErrorText, ReadErrorTitle, ui::Buttons::Ok, ui::Icon::None);
        window().Close();
    }
    loaded_ = loaded;
}

void MainForm::AddTrayIcon() {
    module_.TrayIconData.tip = kTrayTip;
    trayIcon_->Add(module_.TrayIconData);
}

void MainForm::Form_MouseMove(ui::TrayMouse event) {
    if (!loaded_ || (event != ui::TrayMouse::LeftDown && event != ui::TrayMouse::RightDown)) {
        return;
    }
    platform_.SetForegroundWindow(window());
    menuOpen_ = true;
    platform_.PopupMenu(window(), mnuPLMR);
    menuOpen_ = false;
}

void MainForm::Timer1_Timer() {
    const Ticked ticked = tick_.Tick(module_.Tables, platform_.clock().Now());
    for (const std::string& name : ticked.due) {
        RingAlarm(name);
    }
    // A free-running 1000 ms timer drifts through the second and is late under load; set
    // afresh each time, the next tick falls just after the next second begins, so an alarm
    // rings at the start of its minute.
    Timer1.SetInterval(static_cast<int>(DelayToNextSecond(platform_.clock().NowPrecise()).count()));
    // Last: the ticks go on while the box is open, and may ring.
    if (!ticked.missed.empty()) {
        ReportMissedAlarms(ticked.missed);
    }
}

void MainForm::ReportMissedAlarms(const std::vector<MissedAlarm>& missed) {
    platform_.PlayWave(platform_.AppFolder() / "SOUND.wav");
    platform_.MsgBox(MissedNoticeText(missed), kMissedNoticeTitle, ui::Buttons::Ok,
                     ui::Icon::Information);
}

void MainForm::RingIfPassedOver(const std::string& name, std::chrono::local_seconds due) {
    if (tick_.PassedOver(due, platform_.clock().Now())) {
        RingAlarm(name);
    }
}

void MainForm::RingAlarm(const std::string& name) {
    platform_.PlayWave(platform_.AppFolder() / "SOUND.wav");
    FrmAlart& alarm = frmAlart.Get();
    alarm.Label1.SetText(ShortAlarmName(name));
    alarm.window().PlaceTopmostAtOrigin();
    alarm.window().Show();
    // A second alarm within the 15 seconds starts them again.
    alarm.Timer1.SetEnabled(true);
}

void MainForm::mnuShowAllSch_Click() {
    FrmAllSch& list = frmAllSch.Get();
    list.Fill();
    list.window().Show();
    HideIfOpen(addNewTime);
    HideIfOpen(addNewYobi);
    HideIfOpen(frmDaySch);
}

void MainForm::mnuToday_Click() {
    FrmDaySch& today = frmDaySch.Get();
    module_.Today.TodayEntries.clear();
    today.ListSch.Clear();
    // One reading of the clock for the whole list: the day, the weekday and the marks agree.
    const auto now = platform_.clock().Now();
    CollectToday(module_.Tables, now, module_.Today);
    for (const std::string& line : TodayLines(module_.Today, now)) {
        today.ListSch.AddItem(line);
    }
    today.window().Show();
    HideIfOpen(frmAllSch);
    HideIfOpen(addNewTime);
    HideIfOpen(addNewYobi);
}

std::optional<WriteError> MainForm::UpdateFile() {
    return pelmora::UpdateFile(module_.Tables, platform_.files(), ScheduleFilePath(), backup_);
}

void MainForm::mnuExit_Click() {
    exiting_ = true;
    module_.Tables.PurgePastDates(platform_.clock());
    // Every addition and deletion was saved when it was made and the rewrite never leaves a
    // half-written file, so a failure here loses at most the purge of past entries.
    if (UpdateFile()) {
        platform_.MsgBox(WriteErrorText, WriteErrorTitle, ui::Buttons::Ok, ui::Icon::None);
    }
    trayIcon_->Delete();
    window().Close();
}

void MainForm::Form_ExitRequest() {
    // Where the menu's Exit cannot be chosen, neither is the request carried out, and it is not
    // kept for later either: a save before or during the load would write a half-read table
    // (or an empty file after a refused second start), an Exit inside the open menu would leave
    // the menu's chosen item to run on a closed program, and a second Exit would save twice. A
    // request that comes while a message box of a running program is open ends it as the
    // menu's Exit does there.
    if (!loaded_ || menuOpen_ || exiting_ || window().Closed()) {
        return;
    }
    mnuExit_Click();
}

void MainForm::Form_Unload() {
    // After Exit the icon is gone already; after a refused second start it never existed.
    trayIcon_->Delete();
    addNewTime.Close();
    addNewYobi.Close();
    frmAlart.Close();
    frmAllSch.Close();
    frmDaySch.Close();
}

}  // namespace pelmora
