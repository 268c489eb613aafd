#pragma once
// The hidden main window: the start-up object, owner of the tray icon, the tray menu and the
// one-second timer, and of every other form. It is never shown.
#include <deque>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

#include "alarm/AlarmTick.h"
#include "alarm/FrmAlart.h"
#include "platform/ui.h"
#include "shell/FormSlot.h"
#include "shell/FrmOpening.h"
#include "shell/Module1.h"
#include "store/ScheduleReader.h"
#include "store/ScheduleWriter.h"
#include "windows/AddNewTime.h"
#include "windows/AddNewYobi.h"
#include "windows/FrmAllSch.h"
#include "windows/FrmDaySch.h"
#include "windows/ScheduleHost.h"

namespace pelmora {

// What the user is told when the file, changed by another program, cannot be read again.
inline constexpr std::string_view RereadErrorText =
    "Alarm_List.txtの読込み時にエラーが発生しました。変更前のスケジュールで動作を続けます。";

// What the user is told when an event threw: what it had done is taken back.
inline constexpr std::string_view UnexpectedErrorText =
    "予期しないエラーが発生したため、操作を取り消しました。";

class MainForm final : public ui::Form, public ScheduleHost {
  public:
    static ui::WindowSpec Layout();

    // Throws when its one-second timer cannot run: a program without its tick rings nothing.
    MainForm(Module1& module, ui::Platform& platform);
    ~MainForm() override;
    MainForm(const MainForm&) = delete;
    MainForm& operator=(const MainForm&) = delete;

    // The whole start-up: single instance, splash, the other windows, the tray icon, the file.
    void Form_Load();
    // The tray icon's mouse events: a press of the left or right button opens mnuPLMR.
    void Form_MouseMove(ui::TrayMouse event);
    void Form_Unload();
    void Timer1_Timer();

    void mnuShowAllSch_Click() override;
    void ShowListSelecting(const ScheduleSelection& select) override;
    void mnuToday_Click();
    void mnuExit_Click();
    // Another program asks the program to end (the setup, before it replaces or removes it):
    // Exit, wherever the user could choose Exit from the tray menu; otherwise (before or during
    // the start-up's load, while the tray menu is open, while an Exit is under way) nothing,
    // and the sender asks again.
    void Form_ExitRequest();
    // The session ends (shutdown, sign-out, the Restart Manager): Exit without any box, where
    // the exit request would be carried out. A failed save leaves the old file as it was.
    void Form_EndSession();

    // Plays SOUND.wav and shows the alarm window with the schedule's name; while the window
    // shows another alarm, this one waits its turn.
    void RingAlarm(const std::string& name);
    // Plays SOUND.wav once and lists, in one box, the alarms a gap in the ticks passed over.
    void ReportMissedAlarms(const std::vector<MissedAlarm>& missed);
    void RingIfPassedOver(const std::string& name, std::chrono::local_seconds due) override;

    // Rewrites Alarm_List.txt from the tables; the old file stays whole on failure.
    std::optional<WriteError> UpdateFile() override;
    void ReadChangedFile() override;
    ui::Window& ListWindow() override { return frmAllSch.Get().window(); }
    AddNewTime& AddNewTimeForm() override { return addNewTime.Get(); }
    AddNewYobi& AddNewYobiForm() override { return addNewYobi.Get(); }
    Path ScheduleFilePath() const;

    ui::Timer& Timer1;
    // The tray menu: its items run the handlers below.
    const std::vector<ui::MenuItem> mnuPLMR;
    FormSlot<FrmOpening> frmOpening;
    FormSlot<AddNewTime> addNewTime;
    FormSlot<AddNewYobi> addNewYobi;
    FormSlot<FrmAlart> frmAlart;
    FormSlot<FrmAllSch> frmAllSch;
    FormSlot<FrmDaySch> frmDaySch;

  private:
    // What a reading of the file found: the boxes to show once the tables are in place.
    struct Reading {
        std::vector<LineResult> dropped;
        bool failed = false;
    };

    // The start-up after the single-instance test; throws when it cannot finish.
    void StartUp();
    // Another program's change of the file, once its stamp has stayed the same for two ticks.
    std::optional<Reading> WatchFile();
    // Reads the file when it is not the version this run last read or wrote: on success the
    // tables are replaced and the lists refilled; either way each version is read once.
    std::optional<Reading> ReadAgain();
    void ShowReading(const Reading& reading);
    // The list window and today's window, where they exist, filled from the tables again.
    void Refill(const FrmAllSch::Selection& keep);
    void FillToday(FrmDaySch& today);
    void AddTrayIcon();
    // Exit's purge and save, the icon removed and the program ended. While the session ends no
    // box can show: a failed save is not reported, and the splash is not waited for.
    void Exit(bool sessionEnds);
    // Where the menu's Exit could be chosen: the start-up's load is over, the menu is shut, no
    // Exit is under way.
    bool CanExit() const;
    // The alarm window: a name shown with its sound and 15 seconds, and the next one waiting.
    void ShowAlarm(const std::string& name);
    bool ShowNextAlarm();
    // Runs one event (eventGuard); when it throws, the schedules are put back as they were
    // before it, on disk too when it had saved them, and the user is told.
    void Guard(const std::function<void()>& event);
    // The unexpected-error box, never two at a time.
    void ReportUnexpectedError();

    Module1& module_;
    ui::Platform& platform_;
    std::unique_ptr<ui::TrayIcon> trayIcon_;
    AlarmTick tick_;
    bool loaded_ = false;      // the start-up has read the file: the tray menu may open
    bool menuOpen_ = false;    // the tray menu is open, or its chosen item is running
    bool exiting_ = false;     // Exit is under way (its write-error box may be open)
    bool tablesRead_ = false;  // the start-up has put the file's schedules into the tables
    bool reportingError_ = false;
    int saves_ = 0;                       // successful rewrites of the file
    int ticks_ = 0;                       // the tray icon is tried again every other tick
    std::deque<std::string> alarmQueue_;  // alarms waiting for the alarm window, oldest first
    // The file as this run last read or wrote it: its stamp and bytes; another stamp seen at the
    // last tick and not read yet; a reading's boxes open; a reading that failed, whose file is
    // kept as Alarm_List.bak before the next rewrite.
    FileStamp known_;
    std::string knownBytes_;
    std::optional<FileStamp> seen_;
    bool reading_ = false;
    bool keepDiskAsBackup_ = false;
    // The file as read at start-up, while it had skipped lines and no rewrite has happened yet.
    std::optional<std::string> backup_;
};

}  // namespace pelmora
