// Scenarios of start-up, the tray icon and its menu, and Exit: the splash, a second instance,
// a missing or faulty schedule file, the rewrite at Exit and its failure, a file held for a moment
// by another program.
#include <algorithm>

#include "scenarios.h"

#include <shellapi.h>  // after windows.h

namespace e2e {
namespace {

const wchar_t* const kReadErrorText =
    L"Alarm_List.txtの読込み時にエラーが発生しました。"
    L"アプリケーションと同じディレクトリに位置することを確認してください。";

// How long the busy-file scenario holds the file: a virus scanner's moment, well within the
// program's second of patience.
constexpr Ms kBriefHold{300};

// The names of the files beside the program other than itself and Alarm_List.txt (a save's
// temporary file), each after a blank.
std::wstring OtherFiles(const RunFolder& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(folder.path(), L"*").c_str(), &found);
    std::wstring names;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L".." && name != L"Pelmora.exe" &&
                name != L"Alarm_List.txt")
                names += L" " + name;
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    return names;
}

bool CloseMenuWithEscape(HWND menu, DWORD pid) {
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    return WaitUntil([&] { return !PopupMenuOpen(pid); }, Ms(3000));
}

}  // namespace

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
    Process p = StartProgram(folder);
    if (!p.started())
        return 1;

    HWND splash = WaitSplash(p.id());
    if (!c.Expect(splash != nullptr, L"the splash window \" \" did not become visible"))
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
    Process first = StartProgram(folder);
    if (!first.started() || !ExpectQuietStart(c, first, L"first instance"))
        return 1;

    Process second = StartProgram(folder);
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
    Process p = StartProgram(folder);
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
// While a box is open the tray menu does not open, and an entry of the last line rings (the
// whole file is read before the first box). Exit then writes back only the good lines.
int BadLines(const Options& o) {
    Checks c;
    SYSTEMTIME next = AddMinutes(LocalNow(), 60 * 24 * 40);
    std::wstring y = N(next.wYear);
    SYSTEMTIME due = AddMinutes(LocalNow(), 2);  // the EVD entry's, the program started 5 s before
    // In order: a weekday line with a non-numeric hour, a note without a comma (ignored
    // silently), a date line with a non-numeric day, a good date line, a year out of range
    // (after an ideographic space), a past date, a good weekday line whose minute is absent, a
    // good EVD line.
    std::wstring text = L"ゴミ 出し , mon , ７時, 30\r\n";
    text += L"メモ：カンマのない行は無視される\r\n";
    text += L"Trip,\t" + y + L", 1, x5, 6, 0\r\n";
    text += L"会議, " + y + L", 3, 1, 9, 30\r\n";
    text += L"Party,　26, 8, 1, 6, 0\r\n";
    text += L"歯医者, 2020, 1, 5, 14, 0\r\n";
    text += L"Garbage,WKD,7\r\n" + WeekdayLine(L"朝礼", L"EVD", due);
    RunFolder folder(o.runsFolder, L"bad-lines", o.program, Cp932(text));
    if (!folder.ok() ||
        !c.Expect(SetClockToUtc(LocalToUtc(due) - 5 * kSecond), L"the clock cannot be moved"))
        return 1;
    Process p = StartProgram(folder);
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
            // The task-modal box leaves the alarm window shown but disabled.
            HWND alarm = WaitTopWindow({kAlarmCaption, p.id(), true}, Ms(10000));
            if (c.Expect(alarm != nullptr,
                         L"the EVD entry did not ring while the first box was open")) {
                auto texts = ChildTexts(alarm);
                c.Expect(std::find(texts.begin(), texts.end(), L"朝礼") != texts.end(),
                         L"the alarm window does not show the name \"朝礼\"");
                c.Expect(!IsWindowEnabled(alarm), L"the alarm window takes input under the box");
                c.Expect(IsVisible(box->window), L"the first box closed when the alarm rang");
                Screenshot(L"bad-lines-alarm", alarm);
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

    // Exit by the item's access key; only the three good lines are written back, after the file
    // as it was read has been kept beside it.
    HWND menu = OpenTrayMenu(c, main, p.id(), WM_RBUTTONDOWN);
    if (!menu)
        return c.failures();
    ChooseMenuItemByMnemonic(menu, L'x');
    c.Expect(p.WaitExit(Ms(8000)), L"Exit (access key X) did not end the program within 8 s");
    ExpectFile(c, folder,
               L"会議, " + y + L", 3, 1, 9, 30\r\nGarbage,WKD, 7, 0\r\n朝礼,EVD, " + N(due.wHour) +
                   L", " + N(due.wMinute) + L"\r\n",
               L"Alarm_List.txt after Exit");
    c.ExpectEq(Visible(ReadBytes(JoinPath(folder.path(), L"Alarm_List.bak")).value_or("(missing)")),
               Visible(Cp932(text)), L"Alarm_List.bak after Exit");
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
    Process p = StartProgram(folder);
    if (!p.started() || !ExpectQuietStart(c, p, L"exit"))
        return c.failures() + 1;
    HWND main = FindMain(p.id());
    ExpectSplashClosed(c, p.id());
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
    ChooseMenuItemByKeys(menu, kMenuExit);
    auto chosen = Clock::now();
    bool ended = p.WaitExit(Ms(8000));
    c.Expect(ended, L"Exit did not end the program within 8 s");
    if (ended)
        Say(L"process ended " + Fixed(SecondsSince(chosen)) + L" s after Exit");
    ExpectTrayHidden(c);

    std::wstring expected = WrittenDateLine(L"Dentist", nextYear) +
                            WrittenDateLine(L"歯医者予約", appointment) +
                            L"ゴミ出し,WKD, 7, 30\r\nGarbage,MON, 7, 0\r\n";
    ExpectFile(c, folder, expected, L"Alarm_List.txt after Exit");
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
    Process p = StartProgram(folder);
    if (!p.started())
        return 1;
    HWND splash = WaitSplash(p.id());
    if (!c.Expect(splash != nullptr, L"the splash window \" \" did not become visible"))
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

// Requests from outside to the hidden MainForm: Alt+F4 (SC_CLOSE) is ignored; a plain WM_CLOSE
// (taskkill without /F) runs Exit; at the session's end WM_ENDSESSION runs Exit, without a box,
// before it returns. Each Exit purges the date entry that has fallen due meanwhile.
int CloseRequests(const Options& o) {
    Checks c;
    auto fileDue = [](const SYSTEMTIME& due) {
        return Cp932(DateLine(L"歯医者", due) + L"ゴミ出し,MON,7,0\r\n");
    };
    const std::wstring written = L"ゴミ出し,MON, 7, 0\r\n";
    // Started 8 s before the date entry is due; returned once it has rung.
    auto startUntilDue = [&](const SYSTEMTIME& due) {
        SYSTEMTIME start = AddMinutes(due, -1);
        start.wSecond = 52;
        auto run = StartOn(c, o, L"close-requests", fileDue(due), start);
        if (run && !c.Expect(WaitTopWindow({kAlarmCaption, run->pid(), true}, Ms(15000)) != nullptr,
                             L"the date entry did not ring"))
            return std::optional<Running>();
        return run;
    };
    SYSTEMTIME due = AddMinutes(LocalNow(), 2);
    auto run = startUntilDue(due);
    if (!run)
        return c.failures() + 1;
    PostMessageW(run->main, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectNoBox(c, run->pid(), kQuietPeriod, L"SC_CLOSE");
    c.Expect(run->process.Running(), L"SC_CLOSE to MainForm ended the program");
    ExpectTrayShown(c);
    c.Expect(ReadBytes(run->folder.scheduleFile()) == fileDue(due),
             L"SC_CLOSE to MainForm changed Alarm_List.txt");

    PostMessageW(run->main, WM_CLOSE, 0, 0);
    c.Expect(run->process.WaitExit(Ms(8000)), L"WM_CLOSE did not end the program within 8 s");
    c.Expect(run->process.ExitCode() == std::optional<DWORD>(0),
             L"the program ended after WM_CLOSE with an exit code other than 0");
    ExpectTrayHidden(c);
    ExpectFile(c, run->folder, written, L"Alarm_List.txt after WM_CLOSE");

    due = AddMinutes(due, 2);
    run = startUntilDue(due);
    if (!run)
        return c.failures() + 1;
    DWORD_PTR answer = 0;
    c.Expect(
        SendMessageTimeoutW(run->main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer) &&
            answer != 0,
        L"WM_QUERYENDSESSION was not answered TRUE within 5 s");
    c.Expect(ReadBytes(run->folder.scheduleFile()) == fileDue(due),
             L"WM_QUERYENDSESSION alone changed Alarm_List.txt");
    auto sent = Clock::now();
    c.Expect(SendMessageTimeoutW(run->main, WM_ENDSESSION, TRUE, 0, SMTO_ABORTIFHUNG, 5000,
                                 &answer) != 0,
             L"WM_ENDSESSION did not return within 5 s");
    Say(L"WM_ENDSESSION returned after " + Fixed(SecondsSince(sent)) + L" s");
    ExpectFile(c, run->folder, written, L"Alarm_List.txt when WM_ENDSESSION returned");
    ExpectNoBox(c, run->pid(), Ms(300), L"WM_ENDSESSION");
    c.Expect(run->process.WaitExit(Ms(8000)), L"the program still runs 8 s after WM_ENDSESSION");
    ExpectTrayHidden(c);
    return c.failures();
}

// Exit while another program holds Alarm_List.txt open (without delete sharing, as an editor
// might): the rewrite waits about a second for it, then fails: the write-error box is shown, the
// exit completes, and the file keeps its old content with no temporary file left beside it.
int WriteError(const Options& o) {
    Checks c;
    std::string file = Cp932(L"ゴミ出し,MON, 7, 0\r\n");
    RunFolder folder(o.runsFolder, L"write-error", o.program, file);
    if (!folder.ok())
        return 1;
    Process p = StartProgram(folder);
    if (!p.started() || !ExpectQuietStart(c, p, L"write-error"))
        return c.failures() + 1;
    HWND main = FindMain(p.id());
    ExpectSplashClosed(c, p.id());

    HANDLE held = HoldScheduleFile(folder);
    if (!c.Expect(held != INVALID_HANDLE_VALUE, L"cannot open Alarm_List.txt to hold it"))
        return c.failures();
    HWND menu = OpenTrayMenu(c, main, p.id(), WM_RBUTTONDOWN);
    if (!menu) {
        CloseHandle(held);
        return c.failures();
    }
    ChooseMenuItemByKeys(menu, kMenuExit);
    auto chosen = Clock::now();
    auto box = ExpectWriteErrorBox(c, p.id(), L"write error");
    if (box) {
        double after = SecondsSince(chosen);
        Say(L"write-error box " + Fixed(after) + L" s after Exit");
        c.Expect(after >= 0.9 && after <= 3.0,
                 L"the write-error box came " + Fixed(after) +
                     L" s after Exit; expected after about one second of waiting for the file");
        Screenshot(L"write-error-box", box->window);
        c.Expect(AnswerMessageBox(*box, IDOK), L"the box did not close on OK");
    }
    CloseHandle(held);
    c.Expect(p.WaitExit(Ms(8000)), L"the program still runs 8 s after the write-error box");
    ExpectTrayHidden(c);
    c.Expect(ReadBytes(folder.scheduleFile()) == file,
             L"Alarm_List.txt changed although the rewrite failed");
    std::wstring extra = OtherFiles(folder);
    c.Expect(extra.empty(), L"files left beside the program after the failed rewrite:" + extra);
    return c.failures();
}

// Another program (a virus scanner, say) holds Alarm_List.txt for 300 ms sharing nothing, first
// while the program reads it at start-up, then while it saves it at Exit: each time the program
// waits for the file and shows no box; Exit leaves the rewritten file and no temporary file.
int BusyFile(const Options& o) {
    Checks c;
    RunFolder folder(o.runsFolder, L"busy-file", o.program, Cp932(L"ゴミ出し,MON,7,0\r\n"));
    if (!folder.ok())
        return 1;

    // Held from before the start until 300 ms after the tray icon shows: the file is read just
    // after the icon is added.
    HANDLE held = HoldScheduleFile(folder, 0);
    if (!c.Expect(held != INVALID_HANDLE_VALUE, L"cannot open Alarm_List.txt to hold it"))
        return c.failures();
    Process p = StartProgram(folder);
    if (!p.started()) {
        CloseHandle(held);
        return c.failures() + 1;
    }
    ExpectTrayShown(c);
    ExpectNoBox(c, p.id(), kBriefHold, L"start-up with the file held for a moment");
    CloseHandle(held);
    if (!ExpectQuietStart(c, p, L"busy-file start-up"))
        return c.failures() + 1;
    HWND main = FindMain(p.id());
    ExpectSplashClosed(c, p.id());

    // Held again when Exit is chosen, until 300 ms after the save's temporary file appears.
    held = HoldScheduleFile(folder, 0);
    if (!c.Expect(held != INVALID_HANDLE_VALUE, L"cannot open Alarm_List.txt to hold it"))
        return c.failures();
    HWND menu = OpenTrayMenu(c, main, p.id(), WM_RBUTTONDOWN);
    if (!menu) {
        CloseHandle(held);
        return c.failures();
    }
    ChooseMenuItemByKeys(menu, kMenuExit);
    bool saving = WaitUntil([&] { return !OtherFiles(folder).empty(); }, Ms(5000), Ms(5));
    auto savingSeen = Clock::now();
    ExpectNoBox(c, p.id(), kBriefHold, L"Exit with the file held for a moment");
    CloseHandle(held);
    auto letGo = Clock::now();
    c.Expect(saving, L"no temporary file appeared after Exit: the save did not begin");
    // The temporary file goes when it has been renamed over Alarm_List.txt.
    bool replaced = WaitUntil([&] { return OtherFiles(folder).empty(); }, Ms(5000), Ms(5));
    if (c.Expect(replaced, L"the temporary file is still there 5 s after the file was let go"))
        Say(L"the save ended " + Fixed(SecondsSince(savingSeen)) + L" s after it began, " +
            Fixed(SecondsSince(letGo)) + L" s after the file was let go");
    c.Expect(!WaitMessageBox(p.id(), L"", Ms(0)).has_value(), L"a box is open after the save");
    c.Expect(p.WaitExit(Ms(8000)), L"the program still runs 8 s after Exit");
    ExpectFile(c, folder, L"ゴミ出し,MON, 7, 0\r\n", L"Alarm_List.txt after Exit");
    return c.failures();
}

}  // namespace e2e
