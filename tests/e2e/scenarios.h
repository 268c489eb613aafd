// What the end-to-end scenarios share: the scenario functions (one per line of scenarios.def),
// Pelmora's captions, the deadlines, schedule lines, and the steps that several windows' scenarios
// take (start the program, open the tray menu, read a message box, the list window).
//
// driver.h drives any Win32 program; this header knows Pelmora. Each scenarios_*.cpp holds the
// scenarios of one window and the steps only they take.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "driver.h"

namespace e2e {

// From the command line: the program under test and the folder for the runs' folders.
struct Options {
    std::wstring program;
    std::wstring runsFolder;
};

// Each scenario copies the program into a fresh folder under Options::runsFolder with its own
// Alarm_List.txt, starts it, and returns the number of failed checks.
#define E2E_SCENARIO(name, function, summary) int function(const Options& o);
#include "scenarios.def"
#undef E2E_SCENARIO

inline constexpr const wchar_t* kMainCaption = L"  Pelmora!";
inline constexpr const wchar_t* kSplashCaption = L" ";
inline constexpr const wchar_t* kAlarmCaption = L"  時間です。";
inline constexpr const wchar_t* kTodayCaption = L"  今日のアラームスケジュール";
inline constexpr const wchar_t* kAddCaption = L"   アラームスケジュールの追加";  // both dialogs
inline constexpr const wchar_t* kChangeCaption = L"   アラームスケジュールの変更";
// The tray menu's items, separators not counted.
inline constexpr int kMenuList = 0;
inline constexpr int kMenuToday = 1;
inline constexpr int kMenuExit = 2;

// Generous deadlines: Wine starts a process in well under a second on a warm server.
inline constexpr Ms kStartDeadline{15000};
inline constexpr Ms kBoxDeadline{10000};
// How long "nothing happens" is watched.
inline constexpr Ms kQuietPeriod{1200};

std::wstring N(int value);
std::wstring Spaces(int n);

// --- schedule lines -------------------------------------------------------------------------

// A date line as a user writes it.
std::wstring DateLine(const std::wstring& name, const SYSTEMTIME& t);
// A date line as the program writes it: a blank before each number.
std::wstring WrittenDateLine(const std::wstring& name, const SYSTEMTIME& t);
std::wstring WeekdayLine(const std::wstring& name, const wchar_t* code, const SYSTEMTIME& t);

// --- the program and its main windows -------------------------------------------------------

bool IsVisible(HWND window);
HWND FindSplash(DWORD pid);
HWND FindMain(DWORD pid);
// Waits until the splash shows; null when it did not within kStartDeadline.
HWND WaitSplash(DWORD pid);
bool ExpectSplashClosed(Checks& c, DWORD pid);

// Starts the folder's program with C:\ as its working directory: not its own folder, and a
// folder without a schedule file, so a program that opens Alarm_List.txt relative to its
// working directory fails visibly.
Process StartProgram(const RunFolder& folder);

// A start-up that must show no message box: MainForm is there and hidden, and no box comes.
bool ExpectQuietStart(Checks& c, const Process& p, const wchar_t* label);
// The tray as Wine shows it: explorer.exe's "Wine System Tray" window is shown while any tray
// icon exists, and hidden once the last one has gone (nothing: there is no such window). The
// checks wait up to 3 s.
std::optional<bool> TrayShown();
void ExpectTrayShown(Checks& c);
void ExpectTrayHidden(Checks& c);
// Opens the tray menu with `mouseEvent` and returns the menu window, or null.
HWND OpenTrayMenu(Checks& c, HWND main, DWORD pid, UINT mouseEvent);
// A message box with `title`, `text`, the button OK, and the information icon or none.
void ExpectBox(Checks& c, const std::optional<MessageBoxView>& box, const std::wstring& title,
               const std::wstring& text, bool icon, const std::wstring& what);
// Waits for the box that reports a failed rewrite of Alarm_List.txt and checks it; left open.
std::optional<MessageBoxView> ExpectWriteErrorBox(Checks& c, DWORD pid, const std::wstring& what);
// Waits for the box that lists the alarms a jump of the clock passed over, one line each as
// "yyyy/mm/dd hh:nn name", and checks it; left open.
std::optional<MessageBoxView> ExpectMissedNotice(Checks& c, DWORD pid,
                                                 const std::vector<std::wstring>& lines,
                                                 const std::wstring& what);

// --- checks of lines and of the schedule file ----------------------------------------------

void ExpectLines(Checks& c, const std::vector<std::wstring>& actual,
                 const std::vector<std::wstring>& expected, const std::wstring& what);
// Alarm_List.txt holds exactly `expected`, encoded in CP932.
void ExpectFile(Checks& c, const RunFolder& folder, const std::wstring& expected,
                const std::wstring& what);
// Opens Alarm_List.txt for reading, sharing only `share`. By default as an editor might hold it,
// sharing neither writing nor deletion, so the program cannot replace it until CloseHandle; with
// 0 as a virus scanner might, so it cannot read it either. INVALID_HANDLE_VALUE when it cannot
// be opened.
HANDLE HoldScheduleFile(const RunFolder& folder, DWORD share = FILE_SHARE_READ);
// Watches the program for `watch`: no message box may open meanwhile.
void ExpectNoBox(Checks& c, DWORD pid, Ms watch, const std::wstring& what);

// --- the schedule windows -------------------------------------------------------------------

// The program running in its run folder, its file loaded and its splash gone.
struct Running {
    RunFolder folder;
    Process process;
    HWND main = nullptr;
    DWORD pid() const { return process.id(); }
};

// Starts the program of `scenario` with `file` as its Alarm_List.txt on a clock set to `when`.
std::optional<Running> StartOn(Checks& c, const Options& o, const wchar_t* scenario,
                               const std::string& file, const SYSTEMTIME& when);
// Chooses item `index` of the tray menu and waits for the window it shows.
HWND ChooseFromTray(Checks& c, const Running& run, int index, const wchar_t* caption);

// The visible add dialog of the program with `combos` drop-down boxes (the date dialog has
// five, the weekday dialog three; both have the same caption), or null after `timeout`.
HWND WaitAddDialog(DWORD pid, size_t combos, Ms timeout = Ms(5000));

struct ListWindow {
    HWND window = nullptr;
    HWND dates = nullptr, weekdays = nullptr;
    HWND newDate = nullptr, deleteDate = nullptr;
    HWND newWeekday = nullptr, deleteWeekday = nullptr;
};

// Opens the list window from the tray menu and finds its controls by kind, caption and place:
// the date section above the weekday section.
std::optional<ListWindow> OpenListWindow(Checks& c, const Running& run);

}  // namespace e2e
