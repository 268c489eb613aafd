#include "shell/MainForm.h"

#include <stdexcept>

#include "alarm/MissedNotice.h"
#include "store/ScheduleReader.h"

namespace pelmora {
namespace {

constexpr std::string_view kAlreadyRunningText = "このアプリケーションは、即に起動しています。";
constexpr std::string_view kAlreadyRunningTitle = "確認";
constexpr std::string_view kTrayTip = "Pelmora!";

// Holds a flag up for the length of a scope, also when an exception leaves it.
class Raised {
  public:
    explicit Raised(bool& flag) : flag_(flag) { flag_ = true; }
    ~Raised() { flag_ = false; }
    Raised(const Raised&) = delete;
    Raised& operator=(const Raised&) = delete;

  private:
    bool& flag_;
};

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
                          .inTaskbar = false,
                          // It becomes the active window while the tray menu is open: an Alt+F4
                          // meant for another window must not end the program.
                          .userCanClose = false};
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
      frmAlart(platform,
               [&platform, this] {
                   auto alarm = std::make_unique<FrmAlart>(platform);
                   alarm->Next = [this] { return ShowNextAlarm(); };
                   // Closed by its close box, the window is made afresh for the next alarm once
                   // this event is over.
                   alarm->window().CloseBox = [this] {
                       platform_.Defer([this] { ShowNextAlarm(); });
                   };
                   return alarm;
               }),
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
    // taskkill without /F: as Exit, where Exit could be chosen.
    window().CloseRequest = [this] { Form_ExitRequest(); };
    window().EndSession = [this] { Form_EndSession(); };
    if (!Timer1.Enabled()) {
        throw std::runtime_error("the one-second timer cannot run");
    }
    platform_.eventGuard = [this](const std::function<void()>& event) { Guard(event); };
}

MainForm::~MainForm() {
    platform_.eventGuard = nullptr;
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
    try {
        StartUp();
        return;
    } catch (...) {
    }
    // Nothing has been saved. With its schedules read the program runs on; without them it
    // could only sit in the tray, and it ends, as when the file cannot be read.
    ReportUnexpectedError();
    if (tablesRead_) {
        loaded_ = true;
    } else {
        window().Close();
    }
}

void MainForm::StartUp() {
    // The splash and the hidden windows only make the first use quick: one that cannot be made
    // now (the desktop heap exhausted at a busy logon) is made when it is first needed.
    bool windowsMade = true;
    try {
        FrmOpening& splash = frmOpening.Get();
        splash.window().Show();
        splash.Timer1.SetEnabled(true);
        addNewTime.Get();
        addNewYobi.Get();
        frmAlart.Get();
        frmAllSch.Get();
        frmDaySch.Get();
    } catch (...) {
        windowsMade = false;
    }

    module_.AddTimeActive = false;
    window().Hide();
    AddTrayIcon();

    // The whole file is read and checked before the first box opens: the tick rings from the
    // complete tables while the boxes are open. The tray menu stays shut until the last one is
    // answered: a command now would save over a file whose lines the user has not seen yet.
    ReadFile read;
    ScheduleTables tables;
    std::vector<LineResult> dropped;
    known_ = platform_.files().Stamp(ScheduleFilePath());
    const std::optional<std::string> bytes =
        ReadScheduleBytes(platform_.files(), ScheduleFilePath());
    const bool loaded =
        bytes && LoadScheduleBytes(
                     tables, *bytes, platform_.clock(),
                     [&dropped](const LineResult& r) { dropped.push_back(r); }, &read);
    if (loaded) {
        module_.Tables = std::move(tables);
        tablesRead_ = true;
        knownBytes_ = *bytes;
        if (read.needsBackup) {
            backup_ = std::move(read.bytes);  // saved as Alarm_List.bak before the first rewrite
        }
    }
    ShowReading({std::move(dropped), false});
    if (!loaded) {
        // The tables stay empty: nothing rings from a half-read file, and the menu stays shut,
        // since Exit would write it over the file, or create an empty one where none was found.
        platform_.MsgBox(ReadErrorText, ReadErrorTitle, ui::Buttons::Ok, ui::Icon::None);
        window().Close();
        return;
    }
    loaded_ = true;
    if (!windowsMade) {
        ReportUnexpectedError();
    }
}

std::optional<MainForm::Reading> MainForm::WatchFile() {
    // Not before the start-up's boxes are answered, not while a reading's are open, not during
    // Exit: a change made meanwhile is read afterwards.
    if (!loaded_ || reading_ || exiting_) {
        return std::nullopt;
    }
    const FileStamp stamp = platform_.files().Stamp(ScheduleFilePath());
    if (stamp == known_ || stamp != seen_) {
        // A file still being written, or replaced by an editor that saves by renaming, is read
        // once its stamp has stayed the same for two ticks.
        seen_ = stamp == known_ ? std::nullopt : std::optional(stamp);
        return std::nullopt;
    }
    seen_.reset();
    return ReadAgain();
}

std::optional<MainForm::Reading> MainForm::ReadAgain() {
    const FileStamp stamp = platform_.files().Stamp(ScheduleFilePath());
    if (stamp == known_) {
        return std::nullopt;
    }
    known_ = stamp;
    const std::optional<std::string> bytes =
        stamp.exists ? ReadScheduleBytes(platform_.files(), ScheduleFilePath()) : std::nullopt;
    if (bytes && *bytes == knownBytes_) {
        return std::nullopt;  // the same bytes written again
    }
    knownBytes_ = bytes.value_or("");
    Reading reading;
    ScheduleTables tables;
    ReadFile read;
    // A one-off entry that has rung, waiting for Exit's purge, is past now: not worth a word.
    const bool loaded =
        bytes && LoadScheduleBytes(
                     tables, *bytes, platform_.clock(),
                     [&reading](const LineResult& r) { reading.dropped.push_back(r); }, &read,
                     &module_.Tables);
    if (!loaded) {
        // The tables stay as they were; the file as it stands is kept before the next rewrite.
        reading.failed = true;
        keepDiskAsBackup_ = true;
        return reading;
    }
    const FrmAllSch::Selection keep =
        frmAllSch.Exists() ? frmAllSch.Get().Selected() : FrmAllSch::Selection{};
    module_.Tables = std::move(tables);
    keepDiskAsBackup_ = false;
    backup_.reset();  // a later reading replaces an earlier one's pending copy
    if (read.needsBackup) {
        backup_ = std::move(read.bytes);
    }
    Refill(keep);
    return reading;
}

void MainForm::ShowReading(const Reading& reading) {
    const Raised open(reading_);
    for (const LineResult& r : reading.dropped) {
        platform_.MsgBox(r.MessageBoxText(), LineMessageTitle, ui::Buttons::Ok, ui::Icon::None);
    }
    if (reading.failed) {
        platform_.MsgBox(RereadErrorText, ReadErrorTitle, ui::Buttons::Ok, ui::Icon::None);
    }
}

void MainForm::ReadChangedFile() {
    if (loaded_ && !reading_) {
        if (const std::optional<Reading> reading = ReadAgain()) {
            ShowReading(*reading);
        }
    }
}

void MainForm::Refill(const FrmAllSch::Selection& keep) {
    if (FrmAllSch* list = frmAllSch.IfExists()) {
        list->Refill(keep);
    }
    if (FrmDaySch* today = frmDaySch.IfExists()) {
        FillToday(*today);
    }
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
    const Raised open(menuOpen_);
    platform_.PopupMenu(window(), mnuPLMR);
}

void MainForm::Timer1_Timer() {
    // Another program's change of the file is read before the tick examines its second, and
    // its boxes come after the alarms.
    const std::optional<Reading> reading = WatchFile();
    const Ticked ticked = tick_.Tick(module_.Tables, platform_.clock().Now());
    for (const std::string& name : ticked.due) {
        RingAlarm(name);
    }
    // A free-running 1000 ms timer drifts through the second and is late under load; set
    // afresh each time, the next tick falls just after the next second begins, so an alarm
    // rings at the start of its minute. A refused re-arm leaves the running timer as it was,
    // and the next tick aligns it again.
    Timer1.SetInterval(static_cast<int>(DelayToNextSecond(platform_.clock().NowPrecise()).count()));
    // An icon the shell has not taken yet (a task bar not ready at a busy logon) is tried again
    // every other tick, after the alarms: the shell may take seconds to answer.
    if (++ticks_ % 2 == 0) {
        trayIcon_->TryAgain();
    }
    // Last: the ticks go on while the boxes are open, and may ring.
    if (reading) {
        ShowReading(*reading);
    }
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
    // One name at a time: each alarm gets its turn, its sound and its 15 seconds.
    if (FrmAlart* shown = frmAlart.IfExists(); shown && shown->window().Visible()) {
        alarmQueue_.push_back(name);
        return;
    }
    ShowAlarm(name);
}

void MainForm::ShowAlarm(const std::string& name) {
    platform_.PlayWave(platform_.AppFolder() / "SOUND.wav");
    FrmAlart& alarm = frmAlart.Get();
    alarm.Label1.SetText(ShortAlarmName(name));
    alarm.window().PlaceTopmostAtOrigin();
    alarm.window().Show();
    alarm.Timer1.SetEnabled(true);  // 15 seconds from now
}

bool MainForm::ShowNextAlarm() {
    if (alarmQueue_.empty()) {
        return false;
    }
    const std::string name = std::move(alarmQueue_.front());
    alarmQueue_.pop_front();
    ShowAlarm(name);
    return true;
}

void MainForm::mnuShowAllSch_Click() {
    ShowListSelecting({});
}

void MainForm::ShowListSelecting(const ScheduleSelection& select) {
    FrmAllSch& list = frmAllSch.Get();
    list.Refill(select);
    list.window().Show();
    HideIfOpen(addNewTime);
    HideIfOpen(addNewYobi);
    HideIfOpen(frmDaySch);
}

void MainForm::mnuToday_Click() {
    FrmDaySch& today = frmDaySch.Get();
    FillToday(today);
    today.window().Show();
    HideIfOpen(frmAllSch);
    HideIfOpen(addNewTime);
    HideIfOpen(addNewYobi);
}

void MainForm::FillToday(FrmDaySch& today) {
    module_.Today.TodayEntries.clear();
    today.ListSch.Clear();
    // One reading of the clock for the whole list: the day, the weekday and the marks agree.
    const auto now = platform_.clock().Now();
    CollectToday(module_.Tables, now, module_.Today);
    for (const std::string& line : TodayLines(module_.Today, now)) {
        today.ListSch.AddItem(line);
    }
}

std::optional<WriteError> MainForm::UpdateFile() {
    if (keepDiskAsBackup_) {
        // The file could not be read again: it is kept as it stands (a deleted one has nothing
        // to keep) before the tables replace it.
        backup_ = ReadScheduleBytes(platform_.files(), ScheduleFilePath());
        keepDiskAsBackup_ = false;
    }
    std::optional<WriteError> failed =
        pelmora::UpdateFile(module_.Tables, platform_.files(), ScheduleFilePath(), backup_);
    if (!failed) {
        ++saves_;
        // The program's own writes are no change to read.
        knownBytes_ = ScheduleFileBytes(module_.Tables);
        known_ = platform_.files().Stamp(ScheduleFilePath());
        seen_.reset();
    }
    return failed;
}

void MainForm::mnuExit_Click() {
    Exit(false);
}

void MainForm::Exit(bool sessionEnds) {
    const Raised exiting(exiting_);  // while it runs (its write-error box); then MainForm is closed
    // A change another program made is read first, with its boxes; at the session's end no box
    // can show, and a file changed since this run last read or wrote it is left as it is.
    if (!sessionEnds) {
        ReadChangedFile();
    }
    const bool changed = sessionEnds && platform_.files().Stamp(ScheduleFilePath()) != known_;
    module_.Tables.PurgePastDates(platform_.clock());
    // Every addition and deletion was saved when it was made and the rewrite never leaves a
    // half-written file, so a failure here loses at most the purge of past entries.
    if (!changed && UpdateFile() && !sessionEnds) {
        platform_.MsgBox(WriteErrorText, WriteErrorTitle, ui::Buttons::Ok, ui::Icon::None);
    }
    trayIcon_->Delete();
    if (sessionEnds) {
        frmOpening.Close();
    }
    window().Close();
}

bool MainForm::CanExit() const {
    return loaded_ && !menuOpen_ && !exiting_ && !window().Closed();
}

void MainForm::Form_ExitRequest() {
    // Where the menu's Exit cannot be chosen, neither is the request carried out, and it is not
    // kept for later either: a save before or during the load would write a half-read table
    // (or an empty file after a refused second start), an Exit inside the open menu would leave
    // the menu's chosen item to run on a closed program, and a second Exit would save twice. A
    // request that comes while a message box of a running program is open ends it as the
    // menu's Exit does there.
    if (CanExit()) {
        mnuExit_Click();
    }
}

void MainForm::Form_EndSession() {
    if (CanExit()) {
        Exit(true);
    }
}

void MainForm::Guard(const std::function<void()>& event) {
    const ScheduleTables before = module_.Tables;
    const int saves = saves_;
    try {
        event();
        return;
    } catch (...) {
    }
    module_.Tables = before;
    if (saves_ != saves) {
        UpdateFile();  // the file as it was before the event
    }
    ReportUnexpectedError();
}

void MainForm::ReportUnexpectedError() {
    if (reportingError_) {
        return;
    }
    const Raised reporting(reportingError_);
    platform_.MsgBox(UnexpectedErrorText, ui::ApplicationTitle, ui::Buttons::Ok, ui::Icon::Error);
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
