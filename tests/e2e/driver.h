// Drives Pelmora.exe from outside, as a user would: starts it from a folder of its own, finds
// its windows by caption, reads and answers its message boxes, presses its tray icon, picks
// items of its popup menu, and reads the schedule file it leaves. A Win32 console program run
// under Wine next to the program under test (see run-e2e.sh).
//
// Every wait has a deadline and polls; nothing waits by sleeping a fixed time.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "measure.h"

namespace e2e {

// --- output -------------------------------------------------------------------------------

std::string Utf8(const std::wstring& text);
// Writes one line, UTF-8, to stdout and flushes (Wine's console would otherwise use CP932).
void Say(const std::wstring& line);
// Text with line feeds, CRs, tabs and other controls written as escapes ("a\\nb").
std::wstring Visible(const std::wstring& text);
std::wstring Visible(const std::string& bytes);  // raw bytes, non-ASCII as \xNN

// `value` with `decimals` digits after the point ("2.512"), for seconds in the log.
std::wstring Fixed(double value, int decimals = 3);

// Collects failed checks of one scenario; each failure is printed at once.
class Checks {
  public:
    bool Expect(bool ok, const std::wstring& what);
    bool ExpectEq(const std::wstring& actual, const std::wstring& expected,
                  const std::wstring& what);
    int failures() const { return failures_; }

  private:
    int failures_ = 0;
};

// --- time -----------------------------------------------------------------------------------

using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;

double SecondsSince(Clock::time_point start);

// Polls `condition` every `poll` until it holds or `timeout` has passed; true when it held.
bool WaitUntil(const std::function<bool()>& condition, Ms timeout, Ms poll = Ms(25));

// Dates and times: a local date and time is a SYSTEMTIME; an instant is UTC in FILETIME units
// (100 ns since 1601) held in a long long, so instants and intervals are plain arithmetic.
constexpr long long kSecond = 10000000LL;
constexpr long long kMinute = 60 * kSecond;

double Seconds(long long interval);  // an interval in seconds
// UTC now, as this process's shifted clock shows it: the same reading the program under test
// gets.
long long WallClockNow();
// The UTC instant of a local date and time in this process's time zone.
long long LocalToUtc(const SYSTEMTIME& local);
// Local time now, on the shifted clock.
SYSTEMTIME LocalNow();
SYSTEMTIME LocalAt(int year, int month, int day, int hour, int minute, int second = 0);
// `local` moved by whole minutes from the start of its minute, with the weekday filled in.
SYSTEMTIME AddMinutes(SYSTEMTIME local, long long minutes);

// Moves the wall clock of every process that run-e2e.sh started with the time-shift library
// (the program under test and this driver) to `seconds` after real time, by rewriting the file
// named by PELMORA_TIME_OFFSET_FILE. Returns once this driver's own clock shows the new offset;
// the other processes see it within 200 ms of their next clock reading. False, with the reason
// printed, when the variable is missing or the library is not loaded.
bool SetClockOffset(long seconds);
// The offset last set by SetClockOffset (0 at the start).
long ClockOffset();
// SetClockOffset with the offset that makes the shifted clock read the UTC instant `utc` now,
// or the local date and time `local`.
bool SetClockToUtc(long long utc);
bool SetClockTo(const SYSTEMTIME& local);

// --- files and folders ----------------------------------------------------------------------

// "/unix/path" -> "Z:\unix\path"; Windows paths are returned unchanged.
std::wstring WindowsPath(const std::wstring& path);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
std::optional<std::string> ReadBytes(const std::wstring& path);
bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool FileExists(const std::wstring& path);
// Text encoded in code page 932, as the schedule file holds it.
std::string Cp932(const std::wstring& text);
// The sample bytes of a RIFF WAVE file: the "data" chunk, cut to its declared size, or with
// `toEnd` everything after the chunk's header (a file still being written may not have its
// size filled in yet). Nothing when there is no data chunk.
std::optional<std::string> WaveSamples(const std::string& file, bool toEnd = false);

// A fresh folder under `parent` named after the scenario, holding a copy of the program and,
// unless `scheduleFile` is empty, an Alarm_List.txt with exactly those bytes.
class RunFolder {
  public:
    RunFolder(const std::wstring& parent, const std::wstring& scenario,
              const std::wstring& programPath, const std::optional<std::string>& scheduleFile);
    const std::wstring& path() const { return path_; }
    std::wstring program() const { return JoinPath(path_, L"Pelmora.exe"); }
    std::wstring scheduleFile() const { return JoinPath(path_, L"Alarm_List.txt"); }
    bool ok() const { return ok_; }

  private:
    std::wstring path_;
    bool ok_ = false;
};

// --- processes ------------------------------------------------------------------------------

class Process {
  public:
    Process() = default;
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();  // terminates a process still running: a failed scenario leaves nothing behind

    // Starts `program` with `workingDirectory` as its current directory (deliberately not the
    // program's own folder, so a program that opens files relative to it fails visibly).
    static Process Start(const std::wstring& program, const std::wstring& workingDirectory);

    bool started() const { return handle_ != nullptr; }
    DWORD id() const { return id_; }
    bool Running() const;
    bool WaitExit(Ms timeout) const;
    // The exit code of a process that has ended; nothing while it runs.
    std::optional<DWORD> ExitCode() const;
    void Terminate();

  private:
    HANDLE handle_ = nullptr;
    DWORD id_ = 0;
};

// --- windows --------------------------------------------------------------------------------

struct WindowQuery {
    std::wstring caption;            // exact, blanks included
    std::optional<DWORD> processId;  // owner process, when given
    bool visibleOnly = false;
};

HWND FindTopWindow(const WindowQuery& query);
// The first top-level window, in Z order, for which `accept` holds, or null.
HWND FindTopWindowIf(const std::function<bool(HWND)>& accept);
// Texts of the visible child controls of `window`, in Z order.
std::vector<std::wstring> ChildTexts(HWND window);
// Waits until neither the window nor any of its children has anything left to paint.
bool WaitPainted(HWND window, Ms timeout = Ms(3000));
HWND WaitTopWindow(const WindowQuery& query, Ms timeout);
HWND WaitTopWindowIf(const std::function<bool(HWND)>& accept, Ms timeout);
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
DWORD WindowProcess(HWND window);

// A message box as the user sees it.
struct MessageBoxView {
    HWND window = nullptr;
    std::wstring title;
    std::wstring text;
    std::vector<int> buttons;  // control ids of the visible buttons, left to right
    bool hasIcon = false;      // a visible static control showing an icon
};

MessageBoxView ReadMessageBox(HWND box);
// The first visible message box (#32770) of `processId` (any title when `title` is empty).
std::optional<MessageBoxView> WaitMessageBox(DWORD processId, const std::wstring& title,
                                             Ms timeout);
// Presses a button of a message box (BM_CLICK), then waits until the box has gone.
bool AnswerMessageBox(const MessageBoxView& box, int buttonId, Ms timeout = Ms(5000));
std::wstring ButtonNames(const std::vector<int>& ids);

// --- controls of the program's windows ------------------------------------------------------

// A direct child control of a window (a combo box's own edit and list are not listed).
struct ChildControl {
    HWND hwnd = nullptr;
    std::wstring className;  // as registered: "Button", "Edit", "ComboBox", "ListBox", "Static"
    std::wstring text;
    RECT rect{};  // screen coordinates
};

// The direct children of `window`, from the top of the Z order (creation order).
std::vector<ChildControl> ChildControls(HWND window);
// Those of one class (case-insensitive), ordered top to bottom, then left to right.
std::vector<HWND> ControlsOfClass(HWND window, const std::wstring& className);
// The buttons whose caption is `caption`, ordered top to bottom.
std::vector<HWND> ButtonsCaptioned(HWND window, const std::wstring& caption);
// WM_GETTEXT with a timeout ("(no answer)" when the owner does not answer within 3 s).
std::wstring TextOf(HWND control);

// List boxes, read cross-process: every line as LB_GETTEXT gives it (tabs kept).
std::vector<std::wstring> ListBoxLines(HWND list);
int ListBoxSelection(HWND list);  // LB_GETCURSEL, -1 for none
// Selects a row as the mouse does: WM_LBUTTONDOWN and WM_LBUTTONUP at the centre of the row's
// LB_GETITEMRECT, so the list box itself notifies its owner (LBN_SELCHANGE with LBS_NOTIFY).
bool ClickListRow(HWND list, int row);
// A double click there the same way: down, up, WM_LBUTTONDBLCLK, up (LBN_DBLCLK with LBS_NOTIFY).
bool DoubleClickListRow(HWND list, int row);

// Combo boxes: the entries of the drop-down list, the selected entry, and its text field.
std::vector<std::wstring> ComboEntries(HWND combo);
int ComboSelection(HWND combo);  // CB_GETCURSEL, -1 for none
HWND ComboEdit(HWND combo);
// An arrow key pressed in the combo box's text field (WM_KEYDOWN sent to its edit): the combo
// box moves its selection and notifies its owner (CBN_SELCHANGE). False when the program did
// not answer within 3 s (a message box opened by the key, for instance).
bool PressComboKey(HWND combo, UINT virtualKey);

// Types `text` into an edit control, one WM_CHAR per UTF-16 unit, sent (each returns when the
// control has taken it). False when the program stopped answering.
bool TypeChars(HWND edit, const std::wstring& text);

// The id of the button drawn as the default (BS_DEFPUSHBUTTON) in a dialog or message box, 0
// when there is none. (Wine's message boxes answer DM_GETDEFID with IDOK whatever their
// buttons, so the style is what tells.)
int DefaultButtonId(HWND dialog);

// --- the tray icon and its menu -------------------------------------------------------------

// What the tray icon sends its owner: the callback message (WM_MOUSEMOVE for Pelmora) with the
// mouse event in the low word of lParam.
void PostTrayEvent(HWND owner, UINT mouseEvent, UINT callbackMessage = WM_MOUSEMOVE);
// The visible popup menu (#32768) of `processId`, or null.
HWND WaitPopupMenu(DWORD processId, Ms timeout);
bool PopupMenuOpen(DWORD processId);
// Chooses the item at `selectableIndex` (separators not counted) with the arrow keys.
void ChooseMenuItemByKeys(HWND menu, int selectableIndex);
// Chooses an item by its access key (the letter after & in its caption).
void ChooseMenuItemByMnemonic(HWND menu, wchar_t key);

// --- measuring texts inside the program -----------------------------------------------------

// Measures every child control of `window` inside the program that owns it: installs the hook of
// pelmora_measure.dll (beside this driver) on the window's thread, asks for a report and
// removes the hook (see measure.h). Nothing, with the reason in `error`, when no report came.
std::optional<measure::Report> MeasureControls(HWND window, std::wstring& error);

// --- screenshots ----------------------------------------------------------------------------

// Asks run-e2e.sh for a shot of the whole X screen, saved as <PELMORA_E2E_SHOTS>/<name>.png,
// and waits until it is taken. Does nothing when the variable is not set. The shot is taken
// outside Wine: a Unix program started from the driver would inherit the 32-bit time-shift
// preload.
// With `subject` given, waits first until that window has painted itself, and run-e2e.sh also
// saves that window alone as <name>-window.png.
bool Screenshot(const std::wstring& name, HWND subject = nullptr);

}  // namespace e2e
