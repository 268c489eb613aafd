// End-to-end scenarios of Pelmora's start-up, tray menu, exit, alarms, schedule windows and add
// dialogs, run under Wine.
//
//   pelmora_e2e.exe SCENARIO PELMORA_EXE RUNS_FOLDER
//
// SCENARIO is a name of scenarios.def.
// Each scenario copies the program into a fresh folder under RUNS_FOLDER with its own
// Alarm_List.txt, starts it from another working directory, and exits non-zero on any failed
// check. The exit and alarm scenarios move the program's clock and need the time-shift library
// preloaded (run-e2e.sh does that) and PELMORA_TIME_OFFSET_FILE set. The alarm scenarios take
// the chime from PELMORA_E2E_SOUND and find what the program played in PELMORA_E2E_CAPTURE
// (run-e2e.sh points ALSA's default device at that file).
#include <algorithm>
#include <cstdio>

#include "driver.h"

#include <shellapi.h>  // after windows.h

using namespace e2e;

namespace {

const wchar_t* const kMainCaption = L"  Pelmora!";
const wchar_t* const kSplashCaption = L" ";
const wchar_t* const kTrayCaption = L"Wine System Tray";

// Generous deadlines: Wine starts a process in well under a second on a warm server.
const Ms kStartDeadline(15000);
const Ms kBoxDeadline(10000);
// How long "nothing happens" is watched.
const Ms kQuietPeriod(1200);

const wchar_t* const kReadErrorText =
    L"Alarm_List.txtの読込み時にエラーが発生しました。"
    L"アプリケーションと同じディレクトリに位置することを確認してください。";

struct Options {
    std::wstring program;
    std::wstring runsFolder;
};

std::wstring N(int value) {
    return std::to_wstring(value);
}

// --- schedule lines ---------------------------------------------------------------------------

// A date line as a user writes it.
std::wstring DateLine(const std::wstring& name, const SYSTEMTIME& t) {
    return name + L"," + N(t.wYear) + L"," + N(t.wMonth) + L"," + N(t.wDay) + L"," + N(t.wHour) +
           L"," + N(t.wMinute) + L"\r\n";
}

// A date line as the program writes it: a blank before each number.
std::wstring WrittenDateLine(const std::wstring& name, const SYSTEMTIME& t) {
    return name + L", " + N(t.wYear) + L", " + N(t.wMonth) + L", " + N(t.wDay) + L", " +
           N(t.wHour) + L", " + N(t.wMinute) + L"\r\n";
}

std::wstring WeekdayLine(const std::wstring& name, const wchar_t* code, const SYSTEMTIME& t) {
    return name + L"," + code + L"," + N(t.wHour) + L"," + N(t.wMinute) + L"\r\n";
}

// --- common steps ---------------------------------------------------------------------------

bool IsVisible(HWND window) {
    return window && IsWindow(window) && IsWindowVisible(window);
}

HWND FindSplash(DWORD pid) {
    return FindTopWindow({kSplashCaption, pid, true});
}

HWND FindMain(DWORD pid) {
    return FindTopWindow({kMainCaption, pid});
}

// The Wine System Tray window of explorer.exe is shown while any tray icon exists.
std::optional<bool> TrayShown() {
    HWND tray = FindWindowW(nullptr, kTrayCaption);
    if (!tray)
        return std::nullopt;
    return IsWindowVisible(tray) != FALSE;
}

void ExpectTrayShown(Checks& c) {
    bool shown = WaitUntil([] { return TrayShown() == std::optional<bool>(true); }, Ms(3000));
    c.Expect(shown, L"the Wine System Tray does not show: no tray icon was added");
}

// Explorer hides its tray window once the last icon is gone.
void ExpectTrayHidden(Checks& c) {
    bool hidden = WaitUntil([] { return TrayShown() != std::optional<bool>(true); }, Ms(3000));
    c.Expect(hidden, L"the Wine System Tray still shows: the icon was not removed");
}

// A start-up that must show no message box: MainForm is there and hidden, and no box comes.
bool ExpectQuietStart(Checks& c, const Process& p, const wchar_t* label) {
    HWND main = WaitTopWindow({kMainCaption, p.id()}, kStartDeadline);
    if (!c.Expect(main != nullptr, std::wstring(label) + L": no window \"  Pelmora!\" appeared"))
        return false;
    c.Expect(!IsWindowVisible(main),
             std::wstring(label) + L": MainForm \"  Pelmora!\" is visible; it must stay hidden");
    if (auto box = WaitMessageBox(p.id(), L"", Ms(300)))
        c.Expect(false, std::wstring(label) + L": unexpected message box \"" + box->title +
                            L"\": \"" + Visible(box->text) + L"\"");
    return true;
}

// Opens the tray menu with `mouseEvent` and returns the menu window, or null.
HWND OpenTrayMenu(Checks& c, HWND main, DWORD pid, UINT mouseEvent) {
    PostTrayEvent(main, mouseEvent);
    HWND menu = WaitPopupMenu(pid, Ms(5000));
    c.Expect(menu != nullptr,
             L"tray event " + N(static_cast<int>(mouseEvent)) + L" did not open the popup menu");
    return menu;
}

bool CloseMenuWithEscape(HWND menu, DWORD pid) {
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    return WaitUntil([&] { return !PopupMenuOpen(pid); }, Ms(3000));
}

void ExpectBox(Checks& c, const std::optional<MessageBoxView>& box, const std::wstring& title,
               const std::wstring& text, bool icon, const std::wstring& what) {
    if (!c.Expect(box.has_value(), what + L": no message box titled \"" + title + L"\" appeared"))
        return;
    c.ExpectEq(box->title, title, what + L": title");
    c.ExpectEq(box->text, text, what + L": text");
    c.ExpectEq(ButtonNames(box->buttons), L"OK", what + L": buttons");
    c.Expect(box->hasIcon == icon,
             what + (icon ? L": the box shows no icon; expected the information icon"
                          : L": the box shows an icon; expected none"));
}

// Where the program is started from: not its own folder, and a folder without a schedule file,
// so a program that opens Alarm_List.txt relative to its working directory fails visibly.
std::wstring WorkingDirectory(const RunFolder&) {
    return L"C:\\";
}

// --- scenarios ------------------------------------------------------------------------------

// A good file: splash shown at once and gone after about 2.5 s, MainForm hidden, tray icon
// shown, the program resident; the icon comes back when the task bar is re-created.
int Startup(const Options& o) {
    Checks c;
    SYSTEMTIME next = AddMinutes(LocalNow(), 60 * 24 * 30);
    std::string file = Cp932(WrittenDateLine(L"Dentist", next) + L"ゴミ出し,MON, 7, 0\r\n");
    RunFolder folder(o.runsFolder, L"startup", o.program, file);
    if (!folder.ok())
        return 1;

    auto t0 = Clock::now();
    Process p = Process::Start(folder.program(), WorkingDirectory(folder));
    if (!p.started())
        return 1;

    HWND splash = nullptr;
    bool shown =
        WaitUntil([&] { return (splash = FindSplash(p.id())) != nullptr; }, kStartDeadline);
    if (!c.Expect(shown, L"the splash window \" \" did not become visible"))
        return 1;
    auto splashSeen = Clock::now();
    Say(L"splash visible after " + Fixed(SecondsSince(t0)) + L" s");
    Screenshot(L"startup-splash", splash);
    std::vector<std::wstring> texts = ChildTexts(splash);
    for (const wchar_t* label : {L"Pel", L"mora!", L"操作はタスクトレイからどうぞ"})
        c.Expect(std::find(texts.begin(), texts.end(), label) != texts.end(),
                 std::wstring(L"the splash has no label \"") + label + L"\"");

    ExpectQuietStart(c, p, L"startup");
    ExpectTrayShown(c);

    bool gone = WaitUntil([&] { return !IsVisible(splash); }, Ms(8000));
    double shownFor = SecondsSince(splashSeen);
    c.Expect(gone, L"the splash is still visible 8 s after it appeared");
    if (gone) {
        Say(L"splash gone after " + Fixed(shownFor) + L" s");
        c.Expect(shownFor >= 2.0 && shownFor <= 6.0,
                 L"the splash was shown for " + Fixed(shownFor) + L" s; expected about 2.5 s");
    }
    c.Expect(!p.WaitExit(kQuietPeriod),
             L"the program ended after its splash closed; it must stay resident");
    c.Expect(FindMain(p.id()) != nullptr, L"MainForm is gone while the program runs");
    Screenshot(L"startup-resident");
    auto bytes = ReadBytes(folder.scheduleFile());
    c.Expect(bytes == file, L"Alarm_List.txt changed during start-up");

    // A re-created task bar (Explorer restarted) has lost the icon and says "TaskbarCreated";
    // the program adds its icon again.
    if (HWND main = FindMain(p.id())) {
        NOTIFYICONDATAW lost{};
        lost.cbSize = sizeof lost;
        lost.hWnd = main;
        lost.uID = 1;
        c.Expect(Shell_NotifyIconW(NIM_DELETE, &lost),
                 L"the tray icon (window, id 1) is not there");
        ExpectTrayHidden(c);
        PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
        bool back = WaitUntil([] { return TrayShown() == std::optional<bool>(true); }, Ms(3000));
        c.Expect(back, L"the tray icon did not come back after \"TaskbarCreated\"");
    }
    return c.failures();
}

// A second start shows the "already running" box and ends; the first instance runs on.
int SecondInstance(const Options& o) {
    Checks c;
    RunFolder folder(o.runsFolder, L"second-instance", o.program, Cp932(L"ゴミ出し,MON, 7, 0\r\n"));
    if (!folder.ok())
        return 1;
    Process first = Process::Start(folder.program(), WorkingDirectory(folder));
    if (!first.started() || !ExpectQuietStart(c, first, L"first instance"))
        return 1;

    Process second = Process::Start(folder.program(), WorkingDirectory(folder));
    if (!second.started())
        return 1;
    auto box = WaitMessageBox(second.id(), L"確認", kBoxDeadline);
    ExpectBox(c, box, L"確認", L"このアプリケーションは、即に起動しています。", true,
              L"second instance");
    if (!box)
        return c.failures();
    Screenshot(L"second-instance-box", box->window);
    c.Expect(FindSplash(second.id()) == nullptr, L"the second instance shows a splash");
    c.Expect(second.Running(), L"the second instance ended before its box was answered");

    c.Expect(AnswerMessageBox(*box, IDOK), L"the box did not close on OK");
    c.Expect(second.WaitExit(Ms(5000)), L"the second instance still runs 5 s after OK");
    c.Expect(first.Running(), L"the first instance ended when the second started");
    c.Expect(!first.WaitExit(kQuietPeriod), L"the first instance ended after the second one's box");
    c.Expect(FindMain(first.id()) != nullptr, L"the first instance lost its MainForm");
    return c.failures();
}

// No Alarm_List.txt: the disk-read box, then the process ends; no file is created.
int MissingFile(const Options& o) {
    Checks c;
    RunFolder folder(o.runsFolder, L"missing-file", o.program, std::nullopt);
    if (!folder.ok())
        return 1;
    Process p = Process::Start(folder.program(), WorkingDirectory(folder));
    if (!p.started())
        return 1;

    const std::wstring title = L"ディスク読込みエラー";
    bool splashSeen = false;
    std::optional<MessageBoxView> box;
    WaitUntil(
        [&] {
            splashSeen = splashSeen || FindSplash(p.id()) != nullptr;
            box = WaitMessageBox(p.id(), title, Ms(0));
            return box.has_value() || !p.Running();
        },
        kBoxDeadline);
    ExpectBox(c, box, title, kReadErrorText, false, L"missing file");
    if (!box)
        return c.failures();
    splashSeen = splashSeen || FindSplash(p.id()) != nullptr;
    c.Expect(
        splashSeen,
        L"no splash was seen before the read-error box; it must be shown before the file is read");
    Screenshot(L"missing-file-box", box->window);

    c.Expect(AnswerMessageBox(*box, IDOK), L"the box did not close on OK");
    auto ok = Clock::now();
    // The process lives on until the splash has closed itself (2.5 s after start-up).
    bool ended = p.WaitExit(Ms(6000));
    c.Expect(ended, L"the program still runs 6 s after the read-error box was answered");
    if (ended)
        Say(L"process ended " + Fixed(SecondsSince(ok)) + L" s after OK");
    c.Expect(!FileExists(folder.scheduleFile()), L"the program created Alarm_List.txt");
    return c.failures();
}

// Lines dropped at start-up: one box each, in file order, with the line stripped of blanks.
// While a box is open the tray menu does not open. Exit then writes back only the good lines.
int BadLines(const Options& o) {
    Checks c;
    SYSTEMTIME next = AddMinutes(LocalNow(), 60 * 24 * 40);
    std::wstring y = N(next.wYear);
    // In order: a weekday line with a non-numeric hour, a note without a comma (ignored
    // silently), a date line with a non-numeric day, a good date line, a year out of range
    // (after an ideographic space), a past date, a good weekday line whose minute is absent.
    std::wstring text = L"ゴミ 出し , mon , ７時, 30\r\n";
    text += L"メモ：カンマのない行は無視される\r\n";
    text += L"Trip,\t" + y + L", 1, x5, 6, 0\r\n";
    text += L"会議, " + y + L", 3, 1, 9, 30\r\n";
    text += L"Party,　26, 8, 1, 6, 0\r\n";
    text += L"歯医者, 2020, 1, 5, 14, 0\r\n";
    text += L"Garbage,WKD,7\r\n";
    RunFolder folder(o.runsFolder, L"bad-lines", o.program, Cp932(text));
    if (!folder.ok())
        return 1;
    Process p = Process::Start(folder.program(), WorkingDirectory(folder));
    if (!p.started())
        return 1;

    struct Expected {
        std::wstring message, line;
    };
    const Expected expected[] = {
        {L"スケジュールリストにエラーがあります。", L"ゴミ出し,mon,７時,30"},
        {L"スケジュールにエラーがあります。", L"Trip," + y + L",1,x5,6,0"},
        {L"スケジュールの数値にミスがあります。", L"Party,26,8,1,6,0"},
        {L"過去のスケジュールは登録できません。", L"歯医者,2020,1,5,14,0"},
    };
    HWND main = nullptr;
    int n = 0;
    for (const auto& e : expected) {
        ++n;
        std::wstring what = L"bad line " + N(n);
        auto box = WaitMessageBox(p.id(), L"エラー", kBoxDeadline);
        ExpectBox(c, box, L"エラー", e.message + L"\n" + e.line, false, what);
        if (!box)
            return c.failures();
        if (n == 1) {
            Screenshot(L"bad-lines-box-1", box->window);
            main = FindMain(p.id());
            if (c.Expect(main != nullptr, L"no MainForm while the first reader box is open")) {
                PostTrayEvent(main, WM_RBUTTONDOWN);
                HWND early = WaitPopupMenu(p.id(), kQuietPeriod);
                c.Expect(!early,
                         L"the tray menu opened while a reader box was open; commands must wait "
                         L"for the load");
                if (early)
                    CloseMenuWithEscape(early, p.id());
            }
        }
        if (!c.Expect(AnswerMessageBox(*box, IDOK), what + L": the box did not close on OK"))
            return c.failures();
    }
    c.Expect(!WaitMessageBox(p.id(), L"", kQuietPeriod).has_value(),
             L"a box beyond the four bad lines appeared");
    c.Expect(p.Running(), L"the program ended after the reader's boxes");
    if (!main)
        main = FindMain(p.id());
    if (!c.Expect(main != nullptr, L"no MainForm after start-up"))
        return c.failures();
    c.Expect(!IsWindowVisible(main), L"MainForm is visible after start-up");

    // Exit by the item's access key; only the two good lines are written back.
    HWND menu = OpenTrayMenu(c, main, p.id(), WM_RBUTTONDOWN);
    if (!menu)
        return c.failures();
    ChooseMenuItemByMnemonic(menu, L'x');
    c.Expect(p.WaitExit(Ms(8000)), L"Exit (access key X) did not end the program within 8 s");
    auto bytes = ReadBytes(folder.scheduleFile());
    std::string want = Cp932(L"会議, " + y + L", 3, 1, 9, 30\r\nGarbage,WKD, 7, 0\r\n");
    c.ExpectEq(Visible(bytes.value_or("(missing)")), Visible(want), L"Alarm_List.txt after Exit");
    return c.failures();
}

// Exit from the tray menu: the date entries that became past while the program ran are
// purged, the file is rewritten date lines first, and the process ends. Pointer moves and
// button releases on the icon do not open the menu; left and right presses do.
int Exit(const Options& o) {
    Checks c;
    if (!c.Expect(SetClockOffset(0), L"the clock cannot be moved"))
        return 1;

    SYSTEMTIME soon = AddMinutes(LocalNow(), 2);              // 60 to 120 s ahead
    SYSTEMTIME later = AddMinutes(LocalNow(), 60 * 24 * 20);  // well ahead
    SYSTEMTIME appointment = LocalAt(later.wYear, later.wMonth, later.wDay, 9, 5);
    SYSTEMTIME nextYear = LocalAt(LocalNow().wYear + 1, 1, 5, 14, 0);
    std::wstring text = L"ゴミ出し,wkd,7,30\r\n" + WrittenDateLine(L"Dentist", nextYear) +
                        WrittenDateLine(L"Soon", soon) + DateLine(L"歯医者 予約", appointment) +
                        L"Garbage,MON,7\r\n";
    std::string file = Cp932(text);
    RunFolder folder(o.runsFolder, L"exit", o.program, file);
    if (!folder.ok())
        return 1;
    Process p = Process::Start(folder.program(), WorkingDirectory(folder));
    if (!p.started() || !ExpectQuietStart(c, p, L"exit"))
        return c.failures() + 1;
    HWND main = FindMain(p.id());
    c.Expect(WaitUntil([&] { return FindSplash(p.id()) == nullptr; }, Ms(8000)),
             L"the splash did not close");
    c.Expect(ReadBytes(folder.scheduleFile()) == file, L"Alarm_List.txt changed before Exit");

    // Move the clock of every preloaded process (this driver included) 150 s ahead: "Soon"
    // becomes past.
    if (!c.Expect(SetClockOffset(150), L"the clock cannot be moved"))
        return c.failures();

    // Codes that must not open the menu (also gives the program time to see the new offset).
    for (UINT code : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK})
        PostTrayEvent(main, code);
    c.Expect(!WaitPopupMenu(p.id(), kQuietPeriod),
             L"a pointer move, release or double click opened the menu");

    if (HWND menu = OpenTrayMenu(c, main, p.id(), WM_RBUTTONDOWN)) {
        Screenshot(L"exit-tray-menu", menu);
        c.Expect(CloseMenuWithEscape(menu, p.id()), L"the menu did not close on Escape");
    }
    c.Expect(p.Running(), L"closing the menu without a choice ended the program");
    HWND menu = OpenTrayMenu(c, main, p.id(), WM_LBUTTONDOWN);
    if (!menu)
        return c.failures();
    ChooseMenuItemByKeys(menu, 2);  // the list, today, (separator), Exit
    auto chosen = Clock::now();
    bool ended = p.WaitExit(Ms(8000));
    c.Expect(ended, L"Exit did not end the program within 8 s");
    if (ended)
        Say(L"process ended " + Fixed(SecondsSince(chosen)) + L" s after Exit");
    ExpectTrayHidden(c);

    std::wstring expected = WrittenDateLine(L"Dentist", nextYear) +
                            WrittenDateLine(L"歯医者予約", appointment) +
                            L"ゴミ出し,WKD, 7, 30\r\nGarbage,MON, 7, 0\r\n";
    auto bytes = ReadBytes(folder.scheduleFile());
    c.ExpectEq(Visible(bytes.value_or("(missing)")), Visible(Cp932(expected)),
               L"Alarm_List.txt after Exit");
    SetClockOffset(0);
    return c.failures();
}

// Exit chosen while the splash is still up: the file is rewritten and the icon removed at
// once, but the process lives on until the splash has closed itself.
int ExitDuringSplash(const Options& o) {
    Checks c;
    std::string file = Cp932(L"ゴミ出し,MON,7,0\r\n");
    RunFolder folder(o.runsFolder, L"exit-during-splash", o.program, file);
    if (!folder.ok())
        return 1;
    Process p = Process::Start(folder.program(), WorkingDirectory(folder));
    if (!p.started())
        return 1;
    HWND splash = nullptr;
    if (!c.Expect(
            WaitUntil([&] { return (splash = FindSplash(p.id())) != nullptr; }, kStartDeadline),
            L"the splash window \" \" did not become visible"))
        return c.failures();
    auto splashSeen = Clock::now();
    HWND main = WaitTopWindow({kMainCaption, p.id()}, kStartDeadline);
    if (!c.Expect(main != nullptr, L"no window \"  Pelmora!\" appeared"))
        return c.failures();
    ExpectTrayShown(c);
    HWND menu = OpenTrayMenu(c, main, p.id(), WM_RBUTTONDOWN);
    if (!menu)
        return c.failures();
    ChooseMenuItemByMnemonic(menu, L'X');
    bool rewritten = WaitUntil(
        [&] { return ReadBytes(folder.scheduleFile()) == Cp932(L"ゴミ出し,MON, 7, 0\r\n"); },
        Ms(2000));
    c.Expect(rewritten, L"Alarm_List.txt was not rewritten by Exit");
    ExpectTrayHidden(c);
    double exitAt = SecondsSince(splashSeen);
    if (!c.Expect(exitAt < 2.0,
                  L"Exit took until " + Fixed(exitAt) +
                      L" s after the splash appeared; the scenario needs it within 2 s"))
        return c.failures();
    c.Expect(p.Running() && IsVisible(splash),
             L"the process or its splash ended at Exit; the "
             L"process must live until the splash closes itself");
    bool ended = p.WaitExit(Ms(8000));
    double endedAt = SecondsSince(splashSeen);
    c.Expect(ended, L"the process still runs 8 s after the splash appeared");
    if (ended) {
        Say(L"exit at " + Fixed(exitAt) + L" s, process ended " + Fixed(endedAt) +
            L" s after the splash appeared");
        c.Expect(endedAt >= 2.0 && endedAt <= 6.0, L"the process ended " + Fixed(endedAt) +
                                                       L" s after the splash appeared; expected "
                                                       L"when the splash closes, about 2.5 s");
    }
    return c.failures();
}

// Exit while another program holds Alarm_List.txt open (without delete sharing, as an editor
// might): the rewrite fails, the write-error box is shown, the exit completes, and the file
// keeps its old content with no temporary file left beside it.
int WriteError(const Options& o) {
    Checks c;
    std::string file = Cp932(L"ゴミ出し,MON, 7, 0\r\n");
    RunFolder folder(o.runsFolder, L"write-error", o.program, file);
    if (!folder.ok())
        return 1;
    Process p = Process::Start(folder.program(), WorkingDirectory(folder));
    if (!p.started() || !ExpectQuietStart(c, p, L"write-error"))
        return c.failures() + 1;
    HWND main = FindMain(p.id());
    c.Expect(WaitUntil([&] { return FindSplash(p.id()) == nullptr; }, Ms(8000)),
             L"the splash did not close");

    HANDLE held = CreateFileW(folder.scheduleFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!c.Expect(held != INVALID_HANDLE_VALUE, L"cannot open Alarm_List.txt to hold it"))
        return c.failures();
    HWND menu = OpenTrayMenu(c, main, p.id(), WM_RBUTTONDOWN);
    if (!menu) {
        CloseHandle(held);
        return c.failures();
    }
    ChooseMenuItemByKeys(menu, 2);
    const std::wstring title = L"ディスク書込みエラー";
    auto box = WaitMessageBox(p.id(), title, kBoxDeadline);
    ExpectBox(c, box, title, L"Alarm_List.txtの書込み時にエラーが発生しました。", false,
              L"write error");
    if (box) {
        Screenshot(L"write-error-box", box->window);
        c.Expect(AnswerMessageBox(*box, IDOK), L"the box did not close on OK");
    }
    CloseHandle(held);
    c.Expect(p.WaitExit(Ms(8000)), L"the program still runs 8 s after the write-error box");
    ExpectTrayHidden(c);
    c.Expect(ReadBytes(folder.scheduleFile()) == file,
             L"Alarm_List.txt changed although the rewrite failed");

    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(folder.path(), L"*").c_str(), &found);
    std::wstring extra;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L".." && name != L"Pelmora.exe" &&
                name != L"Alarm_List.txt")
                extra += L" " + name;
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    c.Expect(extra.empty(), L"files left beside the program after the failed rewrite:" + extra);
    return c.failures();
}

// --- alarms ---------------------------------------------------------------------------------

const wchar_t* const kAlarmCaption = L"  時間です。";
const wchar_t* const kAlarmSentence = L"の時間になりました。";
// The program starts with its clock this many seconds before the minute its entry is due.
const int kLeadSeconds = 5;
std::wstring EnvironmentPath(const wchar_t* name) {
    wchar_t value[1024];
    DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n == 0 || n >= 1024 ? std::wstring() : WindowsPath(value);
}

// A run folder for an alarm scenario, with the chime as SOUND.wav when `withSound`.
bool PrepareAlarmFolder(Checks& c, const RunFolder& folder, bool withSound) {
    if (!folder.ok())
        return false;
    if (!withSound)
        return true;
    std::wstring chime = EnvironmentPath(L"PELMORA_E2E_SOUND");
    return c.Expect(
        !chime.empty() &&
            CopyFileW(chime.c_str(), JoinPath(folder.path(), L"SOUND.wav").c_str(), TRUE),
        L"cannot copy the chime (PELMORA_E2E_SOUND) to SOUND.wav");
}

// Wine tries PulseAudio before ALSA; the sound capture (an ALSA file sink that run-e2e.sh sets
// up) needs ALSA whether or not a PulseAudio server happens to be reachable.
void UseAlsaAudioDriver() {
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\Drivers", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    const wchar_t value[] = L"alsa";
    RegSetValueExW(key, L"Audio", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value);
    RegCloseKey(key);
}

// The program started with its clock kLeadSeconds before `due` (local time).
struct AlarmProgram {
    Process process;
    long long due = 0;  // the due minute's start, UTC in FILETIME units
};

std::optional<AlarmProgram> StartBefore(Checks& c, const RunFolder& folder, const SYSTEMTIME& due) {
    AlarmProgram run;
    run.due = LocalToUtc(due);
    if (!c.Expect(SetClockToUtc(run.due - kLeadSeconds * kSecond), L"the clock cannot be moved"))
        return std::nullopt;
    UseAlsaAudioDriver();
    run.process = Process::Start(folder.program(), WorkingDirectory(folder));
    if (!run.process.started() || !ExpectQuietStart(c, run.process, L"alarm"))
        return std::nullopt;
    double left = Seconds(run.due - WallClockNow());
    if (!c.Expect(left > 0.5, L"the program was up only " + Fixed(-left) +
                                  L" s before the due minute; the scenario needs it earlier"))
        return std::nullopt;
    return run;
}

HWND FindAlarm(DWORD pid) {
    return FindTopWindow({kAlarmCaption, pid, true});
}

// Waits for the alarm window due at `due`; it must not show before that second, and must show
// within one second of it (measured on the program's clock, which this driver shares).
HWND WaitRing(Checks& c, const AlarmProgram& run, long long due, const std::wstring& what) {
    HWND window = nullptr;
    long long seenAt = 0;
    WaitUntil(
        [&] {
            window = FindAlarm(run.process.id());
            seenAt = WallClockNow();
            return window != nullptr || seenAt > due + 3 * kSecond || !run.process.Running();
        },
        Ms((kLeadSeconds + 60) * 1000), Ms(5));
    if (!c.Expect(window != nullptr, what + L": the alarm window did not show within 3 s of the "
                                            L"due minute's start"))
        return nullptr;
    double delay = Seconds(seenAt - due);
    Say(what + L": alarm window visible " + Fixed(delay) + L" s after the minute began");
    c.Expect(delay >= 0,
             what + L": the alarm window showed " + Fixed(-delay) + L" s before the due minute");
    c.Expect(delay < 1.0, what + L": the alarm window showed " + Fixed(delay) +
                              L" s into the due minute; "
                              L"expected within its first second");
    return window;
}

std::wstring ControlText(HWND control) {
    wchar_t buffer[512];
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 2000, &n))
        return L"(no answer)";
    return std::wstring(buffer, n);
}

struct AlarmControls {
    std::vector<std::pair<int, HWND>> labels;  // (top edge, control) of the visible statics
    HWND okButton = nullptr;                   // the visible button "了解"
};

BOOL CALLBACK AlarmChildProc(HWND child, LPARAM param) {
    auto* found = reinterpret_cast<AlarmControls*>(param);
    if (!IsWindowVisible(child))
        return TRUE;
    std::wstring cls = ClassName(child);
    if (_wcsicmp(cls.c_str(), L"Static") == 0) {
        RECT r{};
        GetWindowRect(child, &r);
        found->labels.emplace_back(r.top, child);
    } else if (_wcsicmp(cls.c_str(), L"Button") == 0 && ControlText(child) == L"了解") {
        found->okButton = child;
    }
    return TRUE;
}

AlarmControls ReadAlarmControls(HWND window) {
    AlarmControls found;
    EnumChildWindows(window, AlarmChildProc, reinterpret_cast<LPARAM>(&found));
    std::sort(found.labels.begin(), found.labels.end());
    return found;
}

// The window as the user sees it: top-left corner, topmost, the shortened name above the
// fixed sentence, the button "了解".
void ExpectAlarmWindow(Checks& c, HWND window, const std::wstring& name, const std::wstring& what) {
    RECT r{};
    GetWindowRect(window, &r);
    c.Expect(r.left == 0 && r.top == 0, what + L": the alarm window stands at (" + N(r.left) +
                                            L", " + N(r.top) + L"); expected (0, 0)");
    c.Expect((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0,
             what + L": the alarm window is not topmost");
    AlarmControls controls = ReadAlarmControls(window);
    if (c.Expect(controls.labels.size() == 2, what + L": the alarm window shows " +
                                                  N(static_cast<int>(controls.labels.size())) +
                                                  L" labels; expected 2")) {
        c.ExpectEq(ControlText(controls.labels[0].second), name, what + L": the name (Label1)");
        c.ExpectEq(ControlText(controls.labels[1].second), kAlarmSentence,
                   what + L": the sentence below the name (Label2)");
    }
    c.Expect(controls.okButton != nullptr, what + L": the alarm window has no button \"了解\"");
}

bool WaitAlarmHidden(HWND window, Ms timeout) {
    return WaitUntil([&] { return !IsVisible(window); }, timeout, Ms(10));
}

// An "EVD" entry due two minutes ahead, with a long Japanese name, rings at the start of its
// minute: the window is shown and hides itself about 15 s later.
int EvdRings(const Options& o) {
    Checks c;
    SYSTEMTIME due = AddMinutes(LocalNow(), 2);
    RunFolder folder(o.runsFolder, L"evd-rings", o.program,
                     Cp932(WeekdayLine(L"月例ミーティングの資料を印刷する", L"EVD", due)));
    if (!PrepareAlarmFolder(c, folder, true))
        return c.failures() + 1;
    auto run = StartBefore(c, folder, due);
    if (!run)
        return c.failures() + 1;
    HWND alarm = WaitRing(c, *run, run->due, L"EVD");
    if (!alarm)
        return c.failures();
    auto seen = Clock::now();
    // 16 characters, 32 bytes: cut to 11 characters and "...".
    ExpectAlarmWindow(c, alarm, L"月例ミーティングの資料...", L"EVD");
    Screenshot(L"alarm-window", alarm);

    bool hidden = WaitAlarmHidden(alarm, Ms(20000));
    double shownFor = SecondsSince(seen);
    if (c.Expect(hidden, L"the alarm window is still visible 20 s after it appeared")) {
        Say(L"alarm window hidden after " + Fixed(shownFor) + L" s");
        c.Expect(shownFor >= 14.0 && shownFor <= 17.0,
                 L"the alarm window was shown for " + Fixed(shownFor) + L" s; expected 15 s");
    }
    c.Expect(run->process.Running(), L"the program ended after the alarm");
    return c.failures();
}

// "了解" hides the window at once; it does not come back within the minute (the entry rings
// once), and the next alarm shows it again with the next name.
int OkHides(const Options& o) {
    Checks c;
    SYSTEMTIME due = AddMinutes(LocalNow(), 2);
    SYSTEMTIME next = AddMinutes(due, 1);
    // The second name is 12 double-byte characters (24 bytes): shown whole.
    const std::wstring second = L"１２文字ちょうどの予定だ";
    RunFolder folder(
        o.runsFolder, L"ok-hides", o.program,
        Cp932(WeekdayLine(L"Standup", L"EVD", due) + WeekdayLine(second, L"EVD", next)));
    if (!PrepareAlarmFolder(c, folder, true))
        return c.failures() + 1;
    auto run = StartBefore(c, folder, due);
    if (!run)
        return c.failures() + 1;
    HWND alarm = WaitRing(c, *run, run->due, L"first alarm");
    if (!alarm)
        return c.failures();
    ExpectAlarmWindow(c, alarm, L"Standup", L"first alarm");
    HWND ok = ReadAlarmControls(alarm).okButton;
    if (!ok)
        return c.failures() + 1;

    PostMessageW(ok, BM_CLICK, 0, 0);
    auto pressed = Clock::now();
    bool hidden = WaitAlarmHidden(alarm, Ms(3000));
    double took = SecondsSince(pressed);
    if (c.Expect(hidden, L"the alarm window is still visible 3 s after \"了解\"")) {
        Say(L"hidden " + Fixed(took) + L" s after \"了解\"");
        c.Expect(took < 1.0, L"\"了解\" took " + Fixed(took) + L" s to hide the window");
    }
    c.Expect(!WaitUntil([&] { return FindAlarm(run->process.id()) != nullptr; }, Ms(2000)),
             L"the alarm window came back within its minute: the entry rang twice");

    // Straight to 5 s before the next minute (a jump of under a minute, with nothing due in it).
    if (!c.Expect(SetClockToUtc(run->due + kMinute - kLeadSeconds * kSecond),
                  L"the clock cannot be moved"))
        return c.failures();
    c.Expect(FindAlarm(run->process.id()) == nullptr,
             L"the alarm window showed when the clock moved, before the next entry was due");
    alarm = WaitRing(c, *run, run->due + kMinute, L"second alarm");
    if (alarm)
        ExpectAlarmWindow(c, alarm, second, L"second alarm");
    return c.failures();
}

// A "WKE" entry rings on a Saturday. Entries after it at the same time are for other days; had
// one of them rung too, the window would show its name instead.
int WkeSaturday(const Options& o) {
    Checks c;
    SYSTEMTIME day = AddMinutes(LocalNow(), 24 * 60);
    while (day.wDayOfWeek != 6)
        day = AddMinutes(day, 24 * 60);
    SYSTEMTIME due = day;
    due.wHour = 7;
    due.wMinute = 0;
    // Half-width katakana: 14 characters in 14 bytes, cut to 12 without "...".
    std::wstring text =
        WeekdayLine(L"ｼｭｳﾏﾂﾉｼﾞｮｷﾞﾝｸﾞ", L"WKE", due) + WeekdayLine(L"平日の朝", L"WKD", due) +
        WeekdayLine(L"日曜の朝", L"SUN", due) + WeekdayLine(L"金曜の朝", L"FRI", due);
    RunFolder folder(o.runsFolder, L"wke-saturday", o.program, Cp932(text));
    if (!PrepareAlarmFolder(c, folder, true))
        return c.failures() + 1;
    auto run = StartBefore(c, folder, due);
    if (!run)
        return c.failures() + 1;
    Say(L"the program's clock: " + N(day.wYear) + L"-" + N(day.wMonth) + L"-" + N(day.wDay) +
        L" (Saturday), 5 s before 07:00");
    if (HWND alarm = WaitRing(c, *run, run->due, L"WKE on Saturday"))
        ExpectAlarmWindow(c, alarm, L"ｼｭｳﾏﾂﾉｼﾞｮｷﾞﾝ", L"WKE on Saturday");
    return c.failures();
}

// A date entry at 00:00 on New Year's Day rings when the clock passes midnight (and the end of
// the year). The entry after it, at 00:00 a day later, must not ring.
int DateMidnight(const Options& o) {
    Checks c;
    SYSTEMTIME due = LocalAt(LocalNow().wYear + 1, 1, 1, 0, 0);
    SYSTEMTIME dayAfter = AddMinutes(due, 24 * 60);
    RunFolder folder(o.runsFolder, L"date-midnight", o.program,
                     Cp932(DateLine(L"新年のあいさつ", due) + DateLine(L"翌日の同時刻", dayAfter)));
    if (!PrepareAlarmFolder(c, folder, true))
        return c.failures() + 1;
    auto run = StartBefore(c, folder, due);
    if (!run)
        return c.failures() + 1;
    Say(L"the program's clock: " + N(due.wYear - 1) + L"-12-31 23:59:55");
    if (HWND alarm = WaitRing(c, *run, run->due, L"date across midnight"))
        ExpectAlarmWindow(c, alarm, L"新年のあいさつ", L"date across midnight");
    return c.failures();
}

// SOUND.wav is played: the ALSA file sink under the program receives its samples byte for
// byte, once, and to the end although "了解" is pressed at once (closing does not stop it).
int Sound(const Options& o) {
    Checks c;
    std::wstring capturePath = EnvironmentPath(L"PELMORA_E2E_CAPTURE");
    auto chime = ReadBytes(EnvironmentPath(L"PELMORA_E2E_SOUND"));
    if (!c.Expect(!capturePath.empty() && chime,
                  L"PELMORA_E2E_CAPTURE or PELMORA_E2E_SOUND is not set; run through run-e2e.sh"))
        return c.failures();
    auto samples = WaveSamples(*chime);
    if (!c.Expect(samples && !samples->empty(), L"the chime has no samples"))
        return c.failures();
    DeleteFileW(capturePath.c_str());

    SYSTEMTIME due = AddMinutes(LocalNow(), 2);
    RunFolder folder(o.runsFolder, L"sound", o.program,
                     Cp932(WeekdayLine(L"音の確認", L"EVD", due)));
    if (!PrepareAlarmFolder(c, folder, true))
        return c.failures() + 1;
    auto run = StartBefore(c, folder, due);
    if (!run)
        return c.failures() + 1;
    HWND alarm = WaitRing(c, *run, run->due, L"sound");
    if (!alarm)
        return c.failures();
    auto seen = Clock::now();
    if (HWND ok = ReadAlarmControls(alarm).okButton)
        PostMessageW(ok, BM_CLICK, 0, 0);
    auto capturedBytes = [&] { return ReadBytes(capturePath).value_or(""); };
    Say(L"capture holds " + N(static_cast<int>(capturedBytes().size())) +
        L" bytes when \"了解\" is pressed");

    size_t at = std::string::npos;
    std::string captured;
    bool played = WaitUntil(
        [&] {
            auto data = WaveSamples(capturedBytes(), true);
            captured = data.value_or("");
            at = captured.find(*samples);
            return at != std::string::npos;
        },
        Ms(10000), Ms(100));
    if (!c.Expect(played, L"the captured sound (" + N(static_cast<int>(captured.size())) +
                              L" bytes of samples) does not hold SOUND.wav's " +
                              N(static_cast<int>(samples->size())) + L" bytes of samples"))
        return c.failures();
    Say(L"SOUND.wav's " + N(static_cast<int>(samples->size())) +
        L" bytes of samples captured byte for byte, at offset " + N(static_cast<int>(at)) +
        L", complete " + Fixed(SecondsSince(seen)) + L" s after the window showed");
    // Played once: the capture stops growing and holds the samples only once.
    size_t last = 0;
    auto stable = Clock::now();
    WaitUntil(
        [&] {
            size_t size = capturedBytes().size();
            if (size != last) {
                last = size;
                stable = Clock::now();
            }
            return SecondsSince(stable) >= 1.5;
        },
        Ms(10000), Ms(100));
    captured = WaveSamples(capturedBytes(), true).value_or("");
    c.Expect(captured.find(*samples, at + 1) == std::string::npos,
             L"SOUND.wav was played more than once (" + N(static_cast<int>(captured.size())) +
                 L" bytes captured)");
    return c.failures();
}

// Without SOUND.wav the alarm window still shows.
int NoSoundFile(const Options& o) {
    Checks c;
    SYSTEMTIME due = AddMinutes(LocalNow(), 2);
    RunFolder folder(o.runsFolder, L"no-sound-file", o.program,
                     Cp932(WeekdayLine(L"音なしでも表示", L"EVD", due)));
    if (!PrepareAlarmFolder(c, folder, false))
        return c.failures() + 1;
    auto run = StartBefore(c, folder, due);
    if (!run)
        return c.failures() + 1;
    if (HWND alarm = WaitRing(c, *run, run->due, L"no SOUND.wav"))
        ExpectAlarmWindow(c, alarm, L"音なしでも表示", L"no SOUND.wav");
    c.Expect(!run->process.WaitExit(kQuietPeriod), L"the program ended after the alarm");
    return c.failures();
}

// --- the schedule windows: today's window, the list window, the add dialogs -----------------

const wchar_t* const kListCaption = L"  アラームスケジュールの一覧";
const wchar_t* const kTodayCaption = L"  今日のアラームスケジュール";
const wchar_t* const kAddCaption = L"   アラームスケジュールの追加";  // both dialogs
const wchar_t* const kAppTitle = L"Pelmora";
const wchar_t* const kDeleteTitle = L"スケジュールの削除";
const wchar_t* const kDeleteQuestion = L"以下のスケジュールを削除してもよろしいですか。\n\n";
const wchar_t* const kAddedTitle = L"新規追加完了";
const wchar_t* const kAddedText = L"スケジュールを追加しました。\n\n";
const wchar_t* const kDuplicateText = L"同じ時間に二重の予約はできません。";
const int kMenuList = 0;
const int kMenuToday = 1;

std::wstring Spaces(int n) {
    return std::wstring(static_cast<size_t>(n), L' ');
}

std::wstring Joined(const std::vector<std::wstring>& items) {
    std::wstring out;
    for (const auto& item : items)
        out += (out.empty() ? L"" : L"|") + item;
    return out;
}

void ExpectLines(Checks& c, const std::vector<std::wstring>& actual,
                 const std::vector<std::wstring>& expected, const std::wstring& what) {
    c.Expect(actual.size() == expected.size(), what + L": " + N(static_cast<int>(actual.size())) +
                                                   L" lines; expected " +
                                                   N(static_cast<int>(expected.size())));
    for (size_t i = 0; i < std::max(actual.size(), expected.size()); ++i)
        c.ExpectEq(i < actual.size() ? actual[i] : L"(no line)",
                   i < expected.size() ? expected[i] : L"(no line)",
                   what + L", line " + N(static_cast<int>(i) + 1));
}

void ExpectFile(Checks& c, const RunFolder& folder, const std::wstring& expected,
                const std::wstring& what) {
    c.ExpectEq(Visible(ReadBytes(folder.scheduleFile()).value_or("(missing)")),
               Visible(Cp932(expected)), what);
}

// Waits until Alarm_List.txt differs from `before`; false after 5 s.
bool WaitFileChanged(const RunFolder& folder, const std::string& before) {
    return WaitUntil([&] { return ReadBytes(folder.scheduleFile()) != before; }, Ms(5000));
}

// The program running on a clock set to `when`, its file loaded and its splash gone.
struct Running {
    Process process;
    HWND main = nullptr;
    DWORD pid() const { return process.id(); }
};

std::optional<Running> StartOn(Checks& c, const RunFolder& folder, const SYSTEMTIME& when,
                               const wchar_t* label) {
    if (!folder.ok() || !c.Expect(SetClockTo(when), L"the clock cannot be moved"))
        return std::nullopt;
    Running run;
    run.process = Process::Start(folder.program(), WorkingDirectory(folder));
    if (!run.process.started() || !ExpectQuietStart(c, run.process, label))
        return std::nullopt;
    run.main = FindMain(run.pid());
    // The file is read before the splash's timer can run; a reader box would still be open.
    if (!c.Expect(WaitUntil([&] { return FindSplash(run.pid()) == nullptr; }, Ms(8000)),
                  L"the splash did not close") ||
        !c.Expect(!WaitMessageBox(run.pid(), L"", Ms(0)).has_value(),
                  L"a message box is open after start-up: the prepared file was not read whole"))
        return std::nullopt;
    return run;
}

// Chooses item `index` of the tray menu and waits for the window it shows.
HWND ChooseFromTray(Checks& c, const Running& run, int index, const wchar_t* caption) {
    HWND menu = OpenTrayMenu(c, run.main, run.pid(), WM_RBUTTONDOWN);
    if (!menu)
        return nullptr;
    ChooseMenuItemByKeys(menu, index);
    HWND window = WaitTopWindow({caption, run.pid(), true}, Ms(5000));
    c.Expect(window != nullptr,
             L"menu item " + N(index) + L" did not show the window \"" + caption + L"\"");
    return window;
}

struct ListWindow {
    HWND window = nullptr;
    HWND dates = nullptr, weekdays = nullptr;
    HWND newDate = nullptr, deleteDate = nullptr;
    HWND newWeekday = nullptr, deleteWeekday = nullptr;
};

// The list window's controls, told apart by kind, caption and place: the date section above
// the weekday section.
std::optional<ListWindow> ListWindowOf(Checks& c, HWND window) {
    if (!window)
        return std::nullopt;
    auto lists = ControlsOfClass(window, L"ListBox");
    auto adds = ButtonsCaptioned(window, L"新規追加");
    auto deletes = ButtonsCaptioned(window, L"削除");
    auto closes = ButtonsCaptioned(window, L"閉じる");
    if (!c.Expect(
            lists.size() == 2 && adds.size() == 2 && deletes.size() == 2 && closes.size() == 1,
            L"the list window has " + N(static_cast<int>(lists.size())) + L" list boxes, " +
                N(static_cast<int>(adds.size())) + L" \"新規追加\", " +
                N(static_cast<int>(deletes.size())) + L" \"削除\" and " +
                N(static_cast<int>(closes.size())) + L" \"閉じる\"; expected 2, 2, 2, 1"))
        return std::nullopt;
    return ListWindow{window, lists[0], lists[1], adds[0], deletes[0], adds[1], deletes[1]};
}

// Clicks row `row` of `list` and checks that exactly `own` of the two delete buttons comes on.
void SelectRow(Checks& c, HWND list, int row, HWND own, HWND other, const std::wstring& what) {
    c.Expect(ClickListRow(list, row), what + L": the row cannot be clicked");
    c.Expect(ListBoxSelection(list) == row, what + L": the click did not select row " + N(row));
    c.Expect(WaitUntil([&] { return IsWindowEnabled(own) != FALSE; }, Ms(2000)),
             what + L": its \"削除\" is still disabled");
    c.Expect(!IsWindowEnabled(other), what + L": the other list's \"削除\" came on as well");
}

// Presses a "削除" and reads the question: Yes and No with Yes the default, no icon, and the
// list window disabled while it is open (the program's boxes are task-modal).
std::optional<MessageBoxView> AskDelete(Checks& c, const Running& run, const ListWindow& lw,
                                        HWND button, const std::wstring& entry,
                                        const std::wstring& what) {
    PostMessageW(button, BM_CLICK, 0, 0);
    auto box = WaitMessageBox(run.pid(), kDeleteTitle, kBoxDeadline);
    if (!c.Expect(box.has_value(), what + L": no box titled \"" + kDeleteTitle + L"\""))
        return std::nullopt;
    c.ExpectEq(box->text, kDeleteQuestion + entry, what + L": the question");
    c.ExpectEq(ButtonNames(box->buttons), L"Yes,No", what + L": buttons");
    c.Expect(DefaultButtonId(box->window) == IDYES, what + L": Yes is not the default button");
    c.Expect(!box->hasIcon, what + L": the question shows an icon");
    c.Expect(!IsWindowEnabled(lw.window),
             what + L": the list window takes input while the question is open");
    return box;
}

void ExpectBothDeletesOff(Checks& c, const ListWindow& lw, const std::wstring& what) {
    c.Expect(!IsWindowEnabled(lw.deleteDate) && !IsWindowEnabled(lw.deleteWeekday),
             what + L": a \"削除\" is enabled with no row selected");
}

// Schedules of every kind around Wednesday 24 February 2027, in no particular order: names of
// 4, 16 (half-width katakana), 17, 18 and 19 (mixed) bytes; two date entries at the same time;
// the same day of another year; weekday codes that count on a Wednesday and codes that do not.
std::wstring PreparedSchedules() {
    return L"会議,2027,2,24,12,0\r\n"
           L"来年の同じ日,2028,2,24,8,0\r\n"
           L"ｼｮｸｼﾞｶｲﾉﾖﾔｸｶｸﾆﾝｽ,2027,2,24,8,0\r\n"
           L"ABCDEFGHIJKLMNOPQ,2027,2,24,12,1\r\n"
           L"九文字の名前です。,2027,3,1,9,30\r\n"
           L"ProjectReviewXY会議,2027,2,24,23,59\r\n"
           L"同時刻A,2027,3,1,9,30\r\n"
           L"朝会,MTS,6,0\r\n"
           L"日曜礼拝,SUN,9,0\r\n"
           L"平日の昼,WKD,12,0\r\n"
           L"日曜の朝,SUN,8,0\r\n"
           L"水曜の定例,WED,12,1\r\n"
           L"毎日の薬,EVD,21,0\r\n"
           L"週末,WKE,10,0\r\n"
           L"火曜,TUE,7,0\r\n";
}

// The list window's lines for PreparedSchedules: dates in date order, weekday entries by code
// (Sunday first, the groups last), each kind keeping file order among equals.
std::vector<std::wstring> PreparedDateLines() {
    return {
        L"ｼｮｸｼﾞｶｲﾉﾖﾔｸｶｸﾆﾝｽ" + Spaces(2) + L"\t2027, 02/24, 08:00",
        L"会議" + Spaces(14) + L"\t2027, 02/24, 12:00",
        L"ABCDEFGHIJKLMNOPQ" + Spaces(1) + L"\t2027, 02/24, 12:01",
        L"ProjectReviewXY会...\t2027, 02/24, 23:59",
        L"九文字の名前です...\t2027, 03/01, 09:30",
        L"同時刻A" + Spaces(11) + L"\t2027, 03/01, 09:30",
        L"来年の同じ日" + Spaces(6) + L"\t2028, 02/24, 08:00",
    };
}

std::vector<std::wstring> PreparedWeekdayLines() {
    return {
        L"日曜礼拝" + Spaces(10) + L"\t　日\t09:00",   L"日曜の朝" + Spaces(10) + L"\t　日\t08:00",
        L"火曜" + Spaces(14) + L"\t　火\t07:00",       L"水曜の定例" + Spaces(8) + L"\t　水\t12:01",
        L"平日の昼" + Spaces(10) + L"\t月～金\t12:00", L"週末" + Spaces(14) + L"\t 土日\t10:00",
        L"毎日の薬" + Spaces(10) + L"\t 毎日\t21:00",  L"朝会" + Spaces(14) + L"\t月～土\t06:00",
    };
}

std::vector<std::wstring> Without(std::vector<std::wstring> lines, const std::wstring& prefix) {
    lines.erase(std::remove_if(lines.begin(), lines.end(),
                               [&](const std::wstring& l) { return l.rfind(prefix, 0) == 0; }),
                lines.end());
    return lines;
}

// Today's window and the list window from the tray menu, on Wednesday 24 February 2027 at
// 12:00:03: the lines read back exactly, each window hides the other, and showing the lists
// (which orders the tables) does not write the file.
int TodayWindow(const Options& o) {
    Checks c;
    const std::string file = Cp932(PreparedSchedules());
    RunFolder folder(o.runsFolder, L"today-window", o.program, file);
    // Started before the day's first entry, so the reader keeps every entry of the day.
    auto run = StartOn(c, folder, LocalAt(2027, 2, 24, 7, 50), L"today-window");
    if (!run)
        return c.failures() + 1;
    if (!c.Expect(SetClockTo(LocalAt(2027, 2, 24, 12, 0, 3)), L"the clock cannot be moved"))
        return c.failures();

    HWND today = ChooseFromTray(c, *run, kMenuToday, kTodayCaption);
    if (!today)
        return c.failures();
    auto todayLists = ControlsOfClass(today, L"ListBox");
    if (!c.Expect(todayLists.size() == 1, L"today's window has " +
                                              N(static_cast<int>(todayLists.size())) +
                                              L" list boxes; expected 1"))
        return c.failures();
    // By time; at equal times the date entry first; "済" up to the current minute.
    ExpectLines(c, ListBoxLines(todayLists[0]),
                {
                    L"朝会" + Spaces(14) + L"\t06:00\t済",
                    L"ｼｮｸｼﾞｶｲﾉﾖﾔｸｶｸﾆﾝｽ" + Spaces(2) + L"\t08:00\t済",
                    L"会議" + Spaces(14) + L"\t12:00\t済",
                    L"平日の昼" + Spaces(10) + L"\t12:00\t済",
                    L"ABCDEFGHIJKLMNOPQ" + Spaces(1) + L"\t12:01\t未",
                    L"水曜の定例" + Spaces(8) + L"\t12:01\t未",
                    L"毎日の薬" + Spaces(10) + L"\t21:00\t未",
                    L"ProjectReviewXY会...\t23:59\t未",
                },
                L"today's window");
    Screenshot(L"today-window", today);

    auto lw = ListWindowOf(c, ChooseFromTray(c, *run, kMenuList, kListCaption));
    if (!lw)
        return c.failures();
    c.Expect(WaitUntil([&] { return !IsVisible(today); }, Ms(2000)),
             L"today's window still shows after the list window opened");
    ExpectLines(c, ListBoxLines(lw->dates), PreparedDateLines(), L"date list");
    ExpectLines(c, ListBoxLines(lw->weekdays), PreparedWeekdayLines(), L"weekday list");
    ExpectBothDeletesOff(c, *lw, L"list window opened");
    Screenshot(L"list-window", lw->window);

    c.Expect(ChooseFromTray(c, *run, kMenuToday, kTodayCaption) != nullptr,
             L"today's window did not come back");
    c.Expect(WaitUntil([&] { return !IsVisible(lw->window); }, Ms(2000)),
             L"the list window still shows after today's window opened");
    c.Expect(ReadBytes(folder.scheduleFile()) == file,
             L"Alarm_List.txt changed although no schedule was added or deleted");
    return c.failures();
}

// Deleting from the list window: a row picked with the mouse enables its own "削除" only; No
// changes nothing; Yes removes the line and rewrites the file in list order; a rewrite that
// fails is reported, the entry stays deleted and the next rewrite (Exit) saves the tables.
int ListDelete(const Options& o) {
    Checks c;
    const std::string file = Cp932(PreparedSchedules());
    RunFolder folder(o.runsFolder, L"list-delete", o.program, file);
    auto run = StartOn(c, folder, LocalAt(2027, 2, 24, 7, 50), L"list-delete");
    if (!run)
        return c.failures() + 1;
    auto lw = ListWindowOf(c, ChooseFromTray(c, *run, kMenuList, kListCaption));
    if (!lw)
        return c.failures();
    ExpectBothDeletesOff(c, *lw, L"list window opened");

    // "会議" is row 1 of the date list.
    SelectRow(c, lw->dates, 1, lw->deleteDate, lw->deleteWeekday, L"date row 1");
    const std::wstring meeting = L"会議\n2027年02月24日 12時00分";
    if (auto box = AskDelete(c, *run, *lw, lw->deleteDate, meeting, L"delete, answered No")) {
        Screenshot(L"delete-question", box->window);
        c.Expect(AnswerMessageBox(*box, IDNO), L"the question did not close on No");
    }
    c.Expect(WaitUntil([&] { return IsWindowEnabled(lw->window) != FALSE; }, Ms(2000)),
             L"the list window stays disabled after the question closed");
    ExpectLines(c, ListBoxLines(lw->dates), PreparedDateLines(), L"date list after No");
    c.Expect(ListBoxSelection(lw->dates) == 1 && IsWindowEnabled(lw->deleteDate),
             L"after No the row is no longer selected or its \"削除\" is off");
    c.Expect(ReadBytes(folder.scheduleFile()) == file, L"Alarm_List.txt changed after No");

    auto box = AskDelete(c, *run, *lw, lw->deleteDate, meeting, L"delete, answered Yes");
    if (!box || !c.Expect(AnswerMessageBox(*box, IDYES), L"the question did not close on Yes"))
        return c.failures();
    c.Expect(WaitFileChanged(folder, file), L"Alarm_List.txt was not rewritten after Yes");
    std::vector<std::wstring> dates = Without(PreparedDateLines(), L"会議 ");
    std::vector<std::wstring> weekdays = PreparedWeekdayLines();
    ExpectLines(c, ListBoxLines(lw->dates), dates, L"date list after Yes");
    ExpectLines(c, ListBoxLines(lw->weekdays), weekdays, L"weekday list after Yes");
    ExpectBothDeletesOff(c, *lw, L"after a deletion");
    c.Expect(IsVisible(lw->window), L"the list window is hidden after a deletion");
    // Both tables in list order.
    const std::wstring sortedDates =
        L"ｼｮｸｼﾞｶｲﾉﾖﾔｸｶｸﾆﾝｽ, 2027, 2, 24, 8, 0\r\n"
        L"ABCDEFGHIJKLMNOPQ, 2027, 2, 24, 12, 1\r\n"
        L"ProjectReviewXY会議, 2027, 2, 24, 23, 59\r\n"
        L"九文字の名前です。, 2027, 3, 1, 9, 30\r\n";
    const std::wstring sameTime = L"同時刻A, 2027, 3, 1, 9, 30\r\n";
    const std::wstring nextYear = L"来年の同じ日, 2028, 2, 24, 8, 0\r\n";
    const std::wstring sortedWeekdays =
        L"日曜礼拝,SUN, 9, 0\r\n"
        L"日曜の朝,SUN, 8, 0\r\n"
        L"火曜,TUE, 7, 0\r\n"
        L"水曜の定例,WED, 12, 1\r\n"
        L"平日の昼,WKD, 12, 0\r\n"
        L"週末,WKE, 10, 0\r\n";
    const std::wstring evd = L"毎日の薬,EVD, 21, 0\r\n";
    const std::wstring mts = L"朝会,MTS, 6, 0\r\n";
    ExpectFile(c, folder, sortedDates + sameTime + nextYear + sortedWeekdays + evd + mts,
               L"Alarm_List.txt after deleting \"会議\"");

    // An "EVD" entry, row 6 of the weekday list: its question names the day phrase 毎日.
    SelectRow(c, lw->weekdays, 6, lw->deleteWeekday, lw->deleteDate, L"weekday row 6");
    std::string before = ReadBytes(folder.scheduleFile()).value_or("");
    box = AskDelete(c, *run, *lw, lw->deleteWeekday, L"毎日の薬\n毎日 21時00分",
                    L"delete a weekday entry");
    if (!box || !c.Expect(AnswerMessageBox(*box, IDYES), L"the question did not close on Yes"))
        return c.failures();
    c.Expect(WaitFileChanged(folder, before), L"Alarm_List.txt was not rewritten");
    weekdays = Without(weekdays, L"毎日の薬 ");
    ExpectLines(c, ListBoxLines(lw->weekdays), weekdays, L"weekday list after its deletion");
    ExpectLines(c, ListBoxLines(lw->dates), dates, L"date list after the weekday deletion");
    ExpectFile(c, folder, sortedDates + sameTime + nextYear + sortedWeekdays + mts,
               L"Alarm_List.txt after deleting \"毎日の薬\"");

    // While another program holds the file, a deletion cannot be saved: the write-error box,
    // the entry stays deleted, the file keeps its content.
    before = ReadBytes(folder.scheduleFile()).value_or("");
    HANDLE held = CreateFileW(folder.scheduleFile().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (!c.Expect(held != INVALID_HANDLE_VALUE, L"cannot open Alarm_List.txt to hold it"))
        return c.failures();
    SelectRow(c, lw->dates, 4, lw->deleteDate, lw->deleteWeekday, L"date row 4");
    box = AskDelete(c, *run, *lw, lw->deleteDate, L"同時刻A\n2027年03月01日 09時30分",
                    L"delete while the file is held");
    if (box && c.Expect(AnswerMessageBox(*box, IDYES), L"the question did not close on Yes")) {
        const std::wstring title = L"ディスク書込みエラー";
        auto error = WaitMessageBox(run->pid(), title, kBoxDeadline);
        ExpectBox(c, error, title, L"Alarm_List.txtの書込み時にエラーが発生しました。", false,
                  L"failed rewrite after a deletion");
        if (error)
            c.Expect(AnswerMessageBox(*error, IDOK), L"the write-error box did not close on OK");
    }
    CloseHandle(held);
    dates = Without(dates, L"同時刻A ");
    ExpectLines(c, ListBoxLines(lw->dates), dates, L"date list after the failed rewrite");
    c.Expect(ReadBytes(folder.scheduleFile()) == before,
             L"Alarm_List.txt changed although the rewrite failed");
    c.Expect(run->process.Running(), L"the program ended after the failed rewrite");

    HWND menu = OpenTrayMenu(c, run->main, run->pid(), WM_RBUTTONDOWN);
    if (!menu)
        return c.failures();
    ChooseMenuItemByKeys(menu, 2);
    c.Expect(run->process.WaitExit(Ms(8000)), L"Exit did not end the program within 8 s");
    ExpectFile(c, folder, sortedDates + nextYear + sortedWeekdays + mts,
               L"Alarm_List.txt after Exit");
    return c.failures();
}

// --- the add dialogs ---

struct AddDialogSearch {
    DWORD pid;
    size_t combos;
    HWND found;
};

BOOL CALLBACK AddDialogProc(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<AddDialogSearch*>(param);
    if (WindowProcess(window) == s->pid && IsWindowVisible(window) &&
        WindowText(window) == kAddCaption &&
        ControlsOfClass(window, L"ComboBox").size() == s->combos) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible add dialog with `combos` drop-down boxes (the date dialog has five, the weekday
// dialog three; both have the same caption).
HWND WaitAddDialog(DWORD pid, size_t combos, Ms timeout) {
    AddDialogSearch search{pid, combos, nullptr};
    WaitUntil(
        [&] {
            search.found = nullptr;
            EnumWindows(AddDialogProc, reinterpret_cast<LPARAM>(&search));
            return search.found != nullptr;
        },
        timeout);
    return search.found;
}

struct AddDialog {
    HWND window = nullptr;
    HWND name = nullptr;
    std::vector<HWND> boxes;  // left to right
    HWND cancel = nullptr, set = nullptr;
};

// Presses a "新規追加" of the list window and returns the dialog it opens, the list window
// hidden meanwhile.
std::optional<AddDialog> OpenAddDialog(Checks& c, const Running& run, const ListWindow& lw,
                                       HWND button, size_t combos, const std::wstring& what) {
    PostMessageW(button, BM_CLICK, 0, 0);
    AddDialog d;
    d.window = WaitAddDialog(run.pid(), combos, Ms(5000));
    if (!c.Expect(d.window != nullptr, what + L": no add dialog with " +
                                           N(static_cast<int>(combos)) + L" drop-down boxes"))
        return std::nullopt;
    c.Expect(WaitUntil([&] { return !IsVisible(lw.window); }, Ms(2000)),
             what + L": the list window still shows");
    auto edits = ControlsOfClass(d.window, L"Edit");
    d.boxes = ControlsOfClass(d.window, L"ComboBox");
    auto cancels = ButtonsCaptioned(d.window, L"キャンセル");
    auto sets = ButtonsCaptioned(d.window, L"設定");
    if (!c.Expect(edits.size() == 1 && cancels.size() == 1 && sets.size() == 1,
                  what + L": the dialog lacks its name box, \"キャンセル\" or \"設定\""))
        return std::nullopt;
    d.name = edits[0];
    d.cancel = cancels[0];
    d.set = sets[0];
    return d;
}

std::wstring Selected(HWND combo) {
    const int at = ComboSelection(combo);
    auto entries = ComboEntries(combo);
    return at >= 0 && at < static_cast<int>(entries.size()) ? entries[static_cast<size_t>(at)]
                                                            : L"(none)";
}

void ExpectNumbers(Checks& c, HWND combo, int first, int last, const std::wstring& what) {
    std::vector<std::wstring> want;
    for (int n = first; n <= last; ++n)
        want.push_back(N(n));
    c.ExpectEq(Joined(ComboEntries(combo)), Joined(want), what + L": entries");
}

// Picks `entry` with the arrow keys in the box's text field, one key at a time; each key must
// move the selection, and the text field shows the entry afterwards.
bool PickEntry(Checks& c, HWND combo, const std::wstring& entry, const std::wstring& what) {
    auto entries = ComboEntries(combo);
    auto it = std::find(entries.begin(), entries.end(), entry);
    if (!c.Expect(it != entries.end(),
                  what + L": no entry \"" + entry + L"\" among \"" + Joined(entries) + L"\""))
        return false;
    const int target = static_cast<int>(it - entries.begin());
    for (int keys = 0; keys < 100; ++keys) {
        const int at = ComboSelection(combo);
        if (at == target)
            return c.ExpectEq(TextOf(ComboEdit(combo)), entry, what + L": the text field");
        if (!c.Expect(PressComboKey(combo, at < target ? VK_DOWN : VK_UP),
                      what + L": the program did not answer an arrow key within 3 s") ||
            !c.Expect(ComboSelection(combo) != at, what +
                                                       L": an arrow key did not move the "
                                                       L"selection from entry " +
                                                       N(at)))
            return false;
    }
    return c.Expect(false, what + L": \"" + entry + L"\" not reached");
}

// The boxes of a dialog show the program's clock: one of two readings taken around the
// opening (a minute may begin in between).
void ExpectPreselectedNow(Checks& c, const std::vector<HWND>& boxes,
                          const std::vector<WORD SYSTEMTIME::*>& parts, const SYSTEMTIME& before,
                          const SYSTEMTIME& after, const std::wstring& what) {
    std::wstring shown, early, late;
    for (size_t i = 0; i < boxes.size(); ++i) {
        shown += L" " + Selected(boxes[i]);
        early += L" " + N(before.*parts[i]);
        late += L" " + N(after.*parts[i]);
    }
    if (shown != early)
        c.ExpectEq(shown, late, what + L": the preselected entries");
}

// The parts of now that the date dialog's boxes show, left to right, and the weekday dialog's
// time boxes.
const std::vector<WORD SYSTEMTIME::*> kDateParts = {&SYSTEMTIME::wYear, &SYSTEMTIME::wMonth,
                                                    &SYSTEMTIME::wDay, &SYSTEMTIME::wHour,
                                                    &SYSTEMTIME::wMinute};
const std::vector<WORD SYSTEMTIME::*> kTimeParts = {&SYSTEMTIME::wHour, &SYSTEMTIME::wMinute};

// Presses "設定" and returns the box it opens (any title).
std::optional<MessageBoxView> PressSet(Checks& c, const Running& run, const AddDialog& d,
                                       const std::wstring& what) {
    PostMessageW(d.set, BM_CLICK, 0, 0);
    auto box = WaitMessageBox(run.pid(), L"", kBoxDeadline);
    c.Expect(box.has_value(), what + L": \"設定\" opened no message box");
    return box;
}

// After an addition or "キャンセル": the list window shows again and the dialog is hidden.
void ExpectBackToList(Checks& c, const ListWindow& lw, const AddDialog& d,
                      const std::wstring& what) {
    c.Expect(WaitUntil([&] { return IsVisible(lw.window) && !IsVisible(d.window); }, Ms(5000)),
             what + L": the list window did not come back in place of the dialog");
}

// A date schedule added through the dialog: the boxes preselected to now (the years from this
// one on, the days of this month); the year and month picks refill the days; the name trimmed
// and its comma stored as "，"; the confirmation; the file rewritten with the new entry after
// the older dates; the list window again, in date order. A second opening offers the name
// again; the current minute is past; the same date and time again is refused. The close box
// acts as "キャンセル".
int AddDate(const Options& o) {
    Checks c;
    const std::wstring older =
        L"出張,2029,1,10,8,0\r\n引越し,2027,3,5,10,0\r\n"
        L"健康診断,2028,6,1,9,0\r\n定例,WED,10,0\r\nゴミ出し,MON,7,0\r\n";
    RunFolder folder(o.runsFolder, L"add-date", o.program, Cp932(older));
    // Wednesday 24 February 2027: a common year before a leap year.
    auto run = StartOn(c, folder, LocalAt(2027, 2, 24, 10, 20, 5), L"add-date");
    if (!run)
        return c.failures() + 1;
    auto lw = ListWindowOf(c, ChooseFromTray(c, *run, kMenuList, kListCaption));
    if (!lw)
        return c.failures();

    SYSTEMTIME before = LocalNow();
    auto d = OpenAddDialog(c, *run, *lw, lw->newDate, 5, L"date dialog");
    SYSTEMTIME after = LocalNow();
    if (!d)
        return c.failures();
    HWND yr = d->boxes[0], mt = d->boxes[1], dy = d->boxes[2], hr = d->boxes[3], mi = d->boxes[4];
    ExpectNumbers(c, yr, 2027, 2037, L"year box");
    ExpectNumbers(c, mt, 1, 12, L"month box");
    ExpectNumbers(c, dy, 1, 28, L"day box (February 2027)");
    ExpectNumbers(c, hr, 0, 23, L"hour box");
    ExpectNumbers(c, mi, 0, 59, L"minute box");
    ExpectPreselectedNow(c, d->boxes, kDateParts, before, after, L"date dialog");
    c.ExpectEq(TextOf(d->name), L"", L"the name box at the first opening");

    const std::wstring typed = L"  歯科,検診　";
    c.Expect(TypeChars(d->name, typed), L"the program did not take the typed name");
    c.ExpectEq(TextOf(d->name), typed, L"the name box after typing");
    // 2028 is a leap year: February gets its 29th day; back in 2027 day 29 becomes 28.
    PickEntry(c, yr, L"2028", L"year 2028");
    ExpectNumbers(c, dy, 1, 29, L"day box after picking 2028");
    c.ExpectEq(Selected(dy), L"24", L"the day after picking 2028");
    PickEntry(c, dy, L"29", L"day 29");
    PickEntry(c, yr, L"2027", L"year 2027");
    ExpectNumbers(c, dy, 1, 28, L"day box after picking 2027 with day 29");
    c.ExpectEq(Selected(dy), L"28", L"the day after picking 2027 with day 29");
    PickEntry(c, yr, L"2028", L"year 2028 again");
    PickEntry(c, mt, L"3", L"month 3");
    ExpectNumbers(c, dy, 1, 31, L"day box after picking March");
    c.ExpectEq(Selected(dy), L"28", L"the day after picking March");
    PickEntry(c, hr, L"9", L"hour 9");
    PickEntry(c, mi, L"30", L"minute 30");
    Screenshot(L"add-date-dialog", d->window);

    const std::wstring name = L"歯科，検診";
    auto box = PressSet(c, *run, *d, L"add a date");
    if (!box)
        return c.failures();
    ExpectBox(c, box, kAddedTitle, kAddedText + name + L"\n2028年03月28日 09時30分", false,
              L"date added");
    // Written before the confirmation; the older entries in the list's order, then the new one.
    const std::wstring written =
        L"引越し, 2027, 3, 5, 10, 0\r\n健康診断, 2028, 6, 1, 9, 0\r\n"
        L"出張, 2029, 1, 10, 8, 0\r\n" +
        name + L", 2028, 3, 28, 9, 30\r\n" + L"ゴミ出し,MON, 7, 0\r\n定例,WED, 10, 0\r\n";
    ExpectFile(c, folder, written, L"Alarm_List.txt when the addition is confirmed");
    c.Expect(AnswerMessageBox(*box, IDOK), L"the confirmation did not close on OK");
    ExpectBackToList(c, *lw, *d, L"date added");
    const std::vector<std::wstring> dates = {
        L"引越し" + Spaces(12) + L"\t2027, 03/05, 10:00",
        name + Spaces(8) + L"\t2028, 03/28, 09:30",
        L"健康診断" + Spaces(10) + L"\t2028, 06/01, 09:00",
        L"出張" + Spaces(14) + L"\t2029, 01/10, 08:00",
    };
    ExpectLines(c, ListBoxLines(lw->dates), dates, L"date list after the addition");

    // Again: the name is offered as typed; the boxes show now again.
    before = LocalNow();
    d = OpenAddDialog(c, *run, *lw, lw->newDate, 5, L"date dialog, second opening");
    after = LocalNow();
    if (!d)
        return c.failures();
    yr = d->boxes[0], mt = d->boxes[1], dy = d->boxes[2], hr = d->boxes[3], mi = d->boxes[4];
    c.ExpectEq(TextOf(d->name), typed, L"the name box at the second opening");
    ExpectPreselectedNow(c, d->boxes, kDateParts, before, after, L"date dialog, second opening");
    // The preselected minute has begun: past (unless the clock stands at its second 0).
    WaitUntil([] { return LocalNow().wSecond != 0; }, Ms(2000));
    box = PressSet(c, *run, *d, L"the current minute");
    if (box) {
        ExpectBox(c, box, L"警告", L"過去のスケジュールは追加できません。", false,
                  L"the current minute");
        c.Expect(AnswerMessageBox(*box, IDOK), L"the past warning did not close on OK");
    }
    PickEntry(c, yr, L"2028", L"year 2028");
    PickEntry(c, mt, L"3", L"month 3");
    PickEntry(c, dy, L"28", L"day 28");
    PickEntry(c, hr, L"9", L"hour 9");
    PickEntry(c, mi, L"30", L"minute 30");
    box = PressSet(c, *run, *d, L"the same date and time");
    if (box) {
        ExpectBox(c, box, kAppTitle, kDuplicateText, false, L"duplicate date");
        c.Expect(AnswerMessageBox(*box, IDOK), L"the duplicate box did not close on OK");
    }
    c.Expect(IsVisible(d->window), L"the dialog closed after a refused addition");
    ExpectFile(c, folder, written, L"Alarm_List.txt after the refused duplicate");
    // The close box cancels: the list window comes back, and the next opening is a fresh dialog
    // filled as usual.
    PostMessageW(d->window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectBackToList(c, *lw, *d, L"the close box");
    ExpectLines(c, ListBoxLines(lw->dates), dates, L"date list after the close box");
    ExpectFile(c, folder, written, L"Alarm_List.txt after the close box");
    before = LocalNow();
    d = OpenAddDialog(c, *run, *lw, lw->newDate, 5, L"date dialog after the close box");
    after = LocalNow();
    if (!d)
        return c.failures();
    ExpectNumbers(c, d->boxes[0], 2027, 2037, L"year box after the close box");
    ExpectNumbers(c, d->boxes[2], 1, 28, L"day box after the close box");
    ExpectPreselectedNow(c, d->boxes, kDateParts, before, after,
                         L"date dialog after the close box");
    PostMessageW(d->cancel, BM_CLICK, 0, 0);
    ExpectBackToList(c, *lw, *d, L"キャンセル");
    ExpectLines(c, ListBoxLines(lw->dates), dates, L"date list after キャンセル");
    return c.failures();
}

// A weekday schedule added through the dialog on a Wednesday: the eleven weekday entries with
// "水" selected and the time of now; typing into the weekday box is refused with a warning
// and "水" comes back, while a pick from its list is accepted silently; the name stored with
// its blanks; "月～金" at the time of a "WED" entry is no double booking; the confirmation,
// the file and the list window. The same code and time again is refused.
int AddWeekday(const Options& o) {
    Checks c;
    const std::wstring older =
        L"出張,2029,1,10,8,0\r\n定例,WED,18,0\r\nゴミ出し,MON,7,0\r\n夜の散歩,EVD,21,0\r\n";
    RunFolder folder(o.runsFolder, L"add-weekday", o.program, Cp932(older));
    auto run = StartOn(c, folder, LocalAt(2027, 2, 24, 10, 20, 5), L"add-weekday");
    if (!run)
        return c.failures() + 1;
    auto lw = ListWindowOf(c, ChooseFromTray(c, *run, kMenuList, kListCaption));
    if (!lw)
        return c.failures();

    SYSTEMTIME before = LocalNow();
    auto d = OpenAddDialog(c, *run, *lw, lw->newWeekday, 3, L"weekday dialog");
    SYSTEMTIME after = LocalNow();
    if (!d)
        return c.failures();
    HWND day = d->boxes[0], hr = d->boxes[1], mi = d->boxes[2];
    c.ExpectEq(Joined(ComboEntries(day)), L"日|月|火|水|木|金|土|月～金|土日|毎日|月～土",
               L"weekday box: entries");
    c.ExpectEq(Selected(day), L"水", L"weekday box on a Wednesday");
    c.ExpectEq(TextOf(ComboEdit(day)), L"水", L"weekday box's text field on a Wednesday");
    ExpectNumbers(c, hr, 0, 23, L"hour box");
    ExpectNumbers(c, mi, 0, 59, L"minute box");
    ExpectPreselectedNow(c, {hr, mi}, kTimeParts, before, after, L"weekday dialog");
    c.ExpectEq(TextOf(d->name), L"", L"the name box at the first opening");

    // Typing into the weekday box: a warning, then today's weekday again.
    PostMessageW(ComboEdit(day), WM_CHAR, L'x', 1);
    auto box = WaitMessageBox(run->pid(), L"警告", kBoxDeadline);
    ExpectBox(c, box, L"警告", L"曜日はリストから選んでください。", false, L"typing a weekday");
    if (box) {
        c.Expect(!IsWindowEnabled(d->window),
                 L"the dialog takes input while the weekday warning is open");
        Screenshot(L"weekday-warning", box->window);
        c.Expect(AnswerMessageBox(*box, IDOK), L"the warning did not close on OK");
    }
    c.Expect(WaitUntil([&] { return ComboSelection(day) == 3 && TextOf(ComboEdit(day)) == L"水"; },
                       Ms(2000)),
             L"after the warning the weekday box shows \"" + TextOf(ComboEdit(day)) +
                 L"\" (entry " + N(ComboSelection(day)) + L"); expected \"水\" selected");

    PickEntry(c, day, L"月～金", L"weekday 月～金");
    c.Expect(!WaitMessageBox(run->pid(), L"", Ms(800)).has_value(),
             L"picking from the weekday list opened a message box");
    PickEntry(c, hr, L"18", L"hour 18");
    PickEntry(c, mi, L"0", L"minute 0");
    const std::wstring name = L" 夕会 ";
    c.Expect(TypeChars(d->name, name), L"the program did not take the typed name");
    Screenshot(L"add-weekday-dialog", d->window);

    box = PressSet(c, *run, *d, L"add a weekday entry");
    if (!box)
        return c.failures();
    ExpectBox(c, box, kAddedTitle, kAddedText + name + L"\n毎週月～金曜日 18時00分", false,
              L"weekday entry added");
    const std::wstring written =
        L"出張, 2029, 1, 10, 8, 0\r\nゴミ出し,MON, 7, 0\r\n"
        L"定例,WED, 18, 0\r\n夜の散歩,EVD, 21, 0\r\n" +
        name + L",WKD, 18, 0\r\n";
    ExpectFile(c, folder, written, L"Alarm_List.txt when the addition is confirmed");
    c.Expect(AnswerMessageBox(*box, IDOK), L"the confirmation did not close on OK");
    ExpectBackToList(c, *lw, *d, L"weekday entry added");
    const std::vector<std::wstring> weekdays = {
        L"ゴミ出し" + Spaces(10) + L"\t　月\t07:00",
        L"定例" + Spaces(14) + L"\t　水\t18:00",
        name + Spaces(12) + L"\t月～金\t18:00",
        L"夜の散歩" + Spaces(10) + L"\t 毎日\t21:00",
    };
    ExpectLines(c, ListBoxLines(lw->weekdays), weekdays, L"weekday list after the addition");

    d = OpenAddDialog(c, *run, *lw, lw->newWeekday, 3, L"weekday dialog, second opening");
    if (!d)
        return c.failures();
    day = d->boxes[0], hr = d->boxes[1], mi = d->boxes[2];
    c.ExpectEq(TextOf(d->name), name, L"the name box at the second opening");
    c.ExpectEq(Selected(day), L"水", L"weekday box at the second opening");
    PickEntry(c, day, L"月～金", L"weekday 月～金");
    PickEntry(c, hr, L"18", L"hour 18");
    PickEntry(c, mi, L"0", L"minute 0");
    box = PressSet(c, *run, *d, L"the same code and time");
    if (box) {
        ExpectBox(c, box, kAppTitle, kDuplicateText, false, L"duplicate weekday entry");
        c.Expect(AnswerMessageBox(*box, IDOK), L"the duplicate box did not close on OK");
    }
    c.Expect(IsVisible(d->window), L"the dialog closed after a refused addition");
    ExpectFile(c, folder, written, L"Alarm_List.txt after the refused duplicate");
    PostMessageW(d->cancel, BM_CLICK, 0, 0);
    ExpectBackToList(c, *lw, *d, L"キャンセル");
    ExpectLines(c, ListBoxLines(lw->weekdays), weekdays, L"weekday list after キャンセル");
    return c.failures();
}

}  // namespace

// The scenarios of scenarios.def, in its order.
struct Scenario {
    const wchar_t* name;
    int (*run)(const Options&);
    const wchar_t* summary;
};

const Scenario kScenarios[] = {
#define E2E_SCENARIO(name, function, summary) {L"" name, function, L"" summary},
#include "scenarios.def"
#undef E2E_SCENARIO
};

int wmain(int argc, wchar_t** argv) {
    const Scenario* scenario = nullptr;
    for (const Scenario& s : kScenarios)
        if (argc == 4 && argv[1] == std::wstring(s.name))
            scenario = &s;
    if (!scenario) {
        Say(L"usage: pelmora_e2e SCENARIO PELMORA_EXE RUNS_FOLDER");
        Say(L"scenarios:");
        for (const Scenario& s : kScenarios)
            Say(L"  " + std::wstring(s.name) + L": " + s.summary);
        return 2;
    }
    Options o{WindowsPath(argv[2]), WindowsPath(argv[3])};
    auto start = Clock::now();
    int failures = scenario->run(o);
    Say(std::wstring(failures ? L"FAILED " : L"PASSED ") + argv[1] + L" (" +
        Fixed(SecondsSince(start)) + L" s)");
    return failures ? 1 : 0;
}
