// End-to-end scenarios of Pelmora's start-up, tray menu, exit and alarms, run under Wine.
//
//   pelmora_e2e.exe SCENARIO PELMORA_EXE RUNS_FOLDER
//
// SCENARIO is one of: startup, second-instance, missing-file, bad-lines, exit, write-error,
// exit-during-splash, evd-rings, ok-hides, wke-saturday, date-midnight, sound, no-sound-file.
// Each scenario copies the program into a fresh folder under RUNS_FOLDER with its own
// Alarm_List.txt, starts it from another working directory, and exits non-zero on any failed
// check. The exit and alarm scenarios move the program's clock and need the time-shift library
// preloaded (run-e2e.sh does that) and PELMORA_TIME_OFFSET_FILE set. The alarm scenarios take
// the chime from PELMORA_E2E_SOUND and find what the program played in PELMORA_E2E_CAPTURE
// (run-e2e.sh points ALSA's default device at that file).
#include <algorithm>
#include <cstdio>
#include <map>

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

// --- local time for schedule lines ----------------------------------------------------------

struct LocalTime {
    int year, month, day, hour, minute;
};

LocalTime Now() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute};
}

// Local time `minutes` whole minutes after the start of the current minute.
LocalTime MinutesAhead(int minutes) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    now.wSecond = 0;
    now.wMilliseconds = 0;
    FILETIME ft;
    SystemTimeToFileTime(&now, &ft);
    ULARGE_INTEGER v;
    v.LowPart = ft.dwLowDateTime;
    v.HighPart = ft.dwHighDateTime;
    v.QuadPart += static_cast<ULONGLONG>(minutes) * 60 * 10000000ULL;
    ft.dwLowDateTime = v.LowPart;
    ft.dwHighDateTime = v.HighPart;
    SYSTEMTIME later;
    FileTimeToSystemTime(&ft, &later);
    return {later.wYear, later.wMonth, later.wDay, later.wHour, later.wMinute};
}

std::wstring N(int value) {
    return std::to_wstring(value);
}

// A date line as the program writes it: a blank before each number.
std::wstring WrittenDateLine(const std::wstring& name, const LocalTime& t) {
    return name + L", " + N(t.year) + L", " + N(t.month) + L", " + N(t.day) + L", " + N(t.hour) +
           L", " + N(t.minute);
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
    LocalTime next = MinutesAhead(60 * 24 * 30);
    std::string file = Cp932(WrittenDateLine(L"Dentist", next) + L"\r\nゴミ出し,MON, 7, 0\r\n");
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
    Say(L"splash visible after " + std::to_wstring(SecondsSince(t0)) + L" s");
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
        Say(L"splash gone after " + std::to_wstring(shownFor) + L" s");
        c.Expect(
            shownFor >= 2.0 && shownFor <= 6.0,
            L"the splash was shown for " + std::to_wstring(shownFor) + L" s; expected about 2.5 s");
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
        Say(L"process ended " + std::to_wstring(SecondsSince(ok)) + L" s after OK");
    c.Expect(!FileExists(folder.scheduleFile()), L"the program created Alarm_List.txt");
    return c.failures();
}

// Lines dropped at start-up: one box each, in file order, with the line stripped of blanks.
// While a box is open the tray menu does not open. Exit then writes back only the good lines.
int BadLines(const Options& o) {
    Checks c;
    LocalTime next = MinutesAhead(60 * 24 * 40);
    std::wstring y = N(next.year);
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

    LocalTime soon = MinutesAhead(2);              // 60 to 120 s ahead
    LocalTime later = MinutesAhead(60 * 24 * 20);  // well ahead
    LocalTime nextYear{Now().year + 1, 1, 5, 14, 0};
    std::wstring text = L"ゴミ出し,wkd,7,30\r\n" + WrittenDateLine(L"Dentist", nextYear) + L"\r\n" +
                        WrittenDateLine(L"Soon", soon) + L"\r\n" + L"歯医者 予約," + N(later.year) +
                        L"," + N(later.month) + L"," + N(later.day) + L",9,5\r\n" +
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
        Say(L"process ended " + std::to_wstring(SecondsSince(chosen)) + L" s after Exit");
    ExpectTrayHidden(c);

    std::wstring expected =
        WrittenDateLine(L"Dentist", nextYear) + L"\r\n" +
        WrittenDateLine(L"歯医者予約", {later.year, later.month, later.day, 9, 5}) + L"\r\n" +
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
                  L"Exit took until " + std::to_wstring(exitAt) +
                      L" s after the splash appeared; the scenario needs it within 2 s"))
        return c.failures();
    c.Expect(p.Running() && IsVisible(splash),
             L"the process or its splash ended at Exit; the "
             L"process must live until the splash closes itself");
    bool ended = p.WaitExit(Ms(8000));
    double endedAt = SecondsSince(splashSeen);
    c.Expect(ended, L"the process still runs 8 s after the splash appeared");
    if (ended) {
        Say(L"exit at " + std::to_wstring(exitAt) + L" s, process ended " +
            std::to_wstring(endedAt) + L" s after the splash appeared");
        c.Expect(endedAt >= 2.0 && endedAt <= 6.0, L"the process ended " +
                                                       std::to_wstring(endedAt) +
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
constexpr long long kSecond = 10000000LL;  // FILETIME units

double Seconds(long long fileTimeUnits) {
    return static_cast<double>(fileTimeUnits) / kSecond;
}

std::wstring Fixed(double value, int decimals = 3) {
    wchar_t text[32];
    swprintf(text, 32, L"%.*f", decimals, value);
    return text;
}

// `local` moved by whole minutes, with the weekday filled in.
SYSTEMTIME AddMinutes(SYSTEMTIME local, long long minutes) {
    local.wSecond = 0;
    local.wMilliseconds = 0;
    FILETIME ft;
    SystemTimeToFileTime(&local, &ft);
    ULARGE_INTEGER v;
    v.LowPart = ft.dwLowDateTime;
    v.HighPart = ft.dwHighDateTime;
    v.QuadPart += static_cast<ULONGLONG>(minutes * 60 * kSecond);
    ft.dwLowDateTime = v.LowPart;
    ft.dwHighDateTime = v.HighPart;
    SYSTEMTIME out;
    FileTimeToSystemTime(&ft, &out);
    return out;
}

SYSTEMTIME LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}

std::wstring DateLine(const std::wstring& name, const SYSTEMTIME& t) {
    return name + L"," + N(t.wYear) + L"," + N(t.wMonth) + L"," + N(t.wDay) + L"," + N(t.wHour) +
           L"," + N(t.wMinute) + L"\r\n";
}

std::wstring WeekdayLine(const std::wstring& name, const wchar_t* code, const SYSTEMTIME& t) {
    return name + L"," + code + L"," + N(t.wHour) + L"," + N(t.wMinute) + L"\r\n";
}

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
    const long long real = WallClockNow() - ClockOffset() * kSecond;
    const long offset = static_cast<long>((run.due - kLeadSeconds * kSecond - real) / kSecond);
    if (!c.Expect(SetClockOffset(offset), L"the clock cannot be moved"))
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
    long long toNext = run->due + 60 * kSecond - WallClockNow();
    if (!c.Expect(
            SetClockOffset(ClockOffset() + static_cast<long>(toNext / kSecond) - kLeadSeconds),
            L"the clock cannot be moved"))
        return c.failures();
    c.Expect(FindAlarm(run->process.id()) == nullptr,
             L"the alarm window showed when the clock moved, before the next entry was due");
    alarm = WaitRing(c, *run, run->due + 60 * kSecond, L"second alarm");
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
    SYSTEMTIME due{};
    due.wYear = static_cast<WORD>(LocalNow().wYear + 1);
    due.wMonth = 1;
    due.wDay = 1;
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

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::map<std::wstring, int (*)(const Options&)> scenarios = {
        {L"startup", Startup},
        {L"second-instance", SecondInstance},
        {L"missing-file", MissingFile},
        {L"bad-lines", BadLines},
        {L"exit", Exit},
        {L"write-error", WriteError},
        {L"exit-during-splash", ExitDuringSplash},
        {L"evd-rings", EvdRings},
        {L"ok-hides", OkHides},
        {L"wke-saturday", WkeSaturday},
        {L"date-midnight", DateMidnight},
        {L"sound", Sound},
        {L"no-sound-file", NoSoundFile},
    };
    if (argc != 4 || !scenarios.count(argv[1])) {
        Say(L"usage: pelmora_e2e SCENARIO PELMORA_EXE RUNS_FOLDER");
        Say(L"scenarios: startup second-instance missing-file bad-lines exit write-error "
            L"exit-during-splash evd-rings ok-hides wke-saturday date-midnight sound "
            L"no-sound-file");
        return 2;
    }
    Options o{WindowsPath(argv[2]), WindowsPath(argv[3])};
    auto start = Clock::now();
    int failures = scenarios.at(argv[1])(o);
    Say(std::wstring(failures ? L"FAILED " : L"PASSED ") + argv[1] + L" (" +
        std::to_wstring(SecondsSince(start)) + L" s)");
    return failures ? 1 : 0;
}
