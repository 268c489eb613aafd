// Scenarios of the keyboard: where the focus is when each window shows, what Esc and Enter do,
// and a date schedule added and deleted with the keyboard alone. Keys are posted to the control
// that has the focus, so they pass through the program's own message loop as typed keys do.
#include "scenarios.h"

namespace e2e {
namespace {

// The control with the keyboard focus in the thread of `window`, or null.
HWND FocusIn(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return thread && GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// `control` has the focus, itself or in a part of it (a combo box's text field).
bool HasFocus(HWND control) {
    HWND focus = FocusIn(control);
    return focus && (focus == control || IsChild(control, focus));
}

// The active window of the thread of `window`, or null.
HWND ActiveIn(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(window, nullptr);
    return thread && GetGUIThreadInfo(thread, &info) ? info.hwndActive : nullptr;
}

bool ExpectFocus(Checks& c, HWND control, const std::wstring& what) {
    const bool ok = WaitUntil([&] { return HasFocus(control); }, Ms(3000));
    if (!ok) {
        HWND active = ActiveIn(control);
        Say(L"active window: \"" + (active ? WindowText(active) : std::wstring(L"(none)")) +
            L"\", foreground: \"" + WindowText(GetForegroundWindow()) + L"\"");
    }
    HWND focus = FocusIn(control);
    return c.Expect(ok, what + L": the focus is on \"" +
                            (focus ? WindowText(focus) : std::wstring(L"(nothing)")) + L"\" (" +
                            (focus ? ClassName(focus) : std::wstring()) + L"), not on \"" +
                            WindowText(control) + L"\" (" + ClassName(control) + L")");
}

// A key pressed and released where the focus is in the thread of `window`.
bool PressKey(HWND window, UINT key) {
    HWND target = FocusIn(window);
    if (!target)
        return false;
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(target, WM_KEYDOWN, key, 1 | scan);
    PostMessageW(target, WM_KEYUP, key, 1 | scan | (LPARAM{1} << 30) | (LPARAM{1} << 31));
    return true;
}

// Tab, then the focus must be on `next`.
bool Tab(Checks& c, HWND window, HWND next, const std::wstring& what) {
    return c.Expect(PressKey(window, VK_TAB), what + L": no focus to press Tab in") &&
           ExpectFocus(c, next, what);
}

// Tab until `control` has the focus (at most eight times); then it must have it.
bool TabRoundTo(Checks& c, HWND window, HWND control, const std::wstring& what) {
    for (int i = 0; i < 8 && !HasFocus(control); ++i) {
        HWND before = FocusIn(window);
        PressKey(window, VK_TAB);
        WaitUntil([&] { return FocusIn(window) != before; }, Ms(3000));
    }
    return ExpectFocus(c, control, what);
}

bool Gone(HWND window) {
    return !IsWindow(window) || !IsWindowVisible(window);
}

HWND Only(const std::vector<HWND>& controls) {
    return controls.size() == 1 ? controls[0] : nullptr;
}

}  // namespace

// Each window's first focus, Esc in each, and Enter on a ringing alarm.
int KeysWindows(const Options& o) {
    Checks c;
    const SYSTEMTIME start = LocalAt(2027, 3, 10, 9, 0, 40);  // a Wednesday
    auto run = StartOn(c, o, L"keys-windows",
                       Cp932(WeekdayLine(L"朝会", L"EVD", LocalAt(2027, 3, 10, 9, 1)) +
                             WeekdayLine(L"昼会", L"EVD", LocalAt(2027, 3, 10, 9, 2)) +
                             DateLine(L"歯医者", LocalAt(2027, 3, 11, 10, 0))),
                       start);
    if (!run)
        return c.failures() + 1;

    HWND today = ChooseFromTray(c, *run, kMenuToday, kTodayCaption);
    if (today) {
        ExpectFocus(c, Only(ControlsOfClass(today, L"ListBox")), L"today's window");
        PressKey(today, VK_ESCAPE);
        c.Expect(WaitUntil([&] { return !IsWindow(today); }, Ms(3000)),
                 L"Esc did not close today's window");
    }

    auto lw = OpenListWindow(c, *run);
    if (!lw)
        return c.failures() + 1;
    ExpectFocus(c, lw->dates, L"the list window");
    // The weekday dialog: "キャンセル" first; Esc cancels.
    PostMessageW(lw->newWeekday, BM_CLICK, 0, 0);
    if (HWND weekday = WaitAddDialog(run->pid(), 3); c.Expect(weekday, L"no weekday dialog")) {
        ExpectFocus(c, Only(ButtonsCaptioned(weekday, L"キャンセル")), L"the weekday dialog");
        PressKey(weekday, VK_ESCAPE);
        c.Expect(WaitUntil([&] { return Gone(weekday) && IsVisible(lw->window); }, Ms(3000)),
                 L"Esc in the weekday dialog did not bring the list window back");
    }
    // The date dialog: the month box first; Esc cancels.
    PostMessageW(lw->newDate, BM_CLICK, 0, 0);
    if (HWND date = WaitAddDialog(run->pid(), 5); c.Expect(date, L"no date dialog")) {
        const auto boxes = ControlsOfClass(date, L"ComboBox");  // year, month, ...
        ExpectFocus(c, boxes[1], L"the date dialog");
        PressKey(date, VK_ESCAPE);
        c.Expect(WaitUntil([&] { return Gone(date) && IsVisible(lw->window); }, Ms(3000)),
                 L"Esc in the date dialog did not bring the list window back");
    }
    // The list window has the focus back where the click on "新規追加" left it; Esc is "閉じる".
    ExpectFocus(c, lw->newDate, L"the list window shown again");
    PressKey(lw->window, VK_ESCAPE);
    c.Expect(WaitUntil([&] { return !IsWindow(lw->window); }, Ms(3000)),
             L"Esc did not close the list window");

    // The alarm window: "了解" has the focus; Enter and Esc both dismiss it.
    for (const UINT key : {VK_RETURN, VK_ESCAPE}) {
        const std::wstring what = key == VK_RETURN ? L"Enter" : L"Esc";
        HWND alarm = WaitTopWindow({kAlarmCaption, run->pid(), true}, Ms(70000));
        if (!c.Expect(alarm, what + L": the alarm did not ring"))
            break;
        ExpectFocus(c, Only(ButtonsCaptioned(alarm, L"了解")), what + L": the alarm window");
        PressKey(alarm, key);
        c.Expect(WaitUntil([&] { return !IsWindowVisible(alarm); }, Ms(3000)),
                 what + L" did not dismiss the alarm window");
        // On to just before the next minute's alarm.
        SetClockTo(LocalAt(2027, 3, 10, 9, 1, 57));
    }
    return c.failures();
}

// A date schedule added and then deleted with the keyboard alone.
int KeysAddDelete(const Options& o) {
    Checks c;
    auto run =
        StartOn(c, o, L"keys-add-delete", Cp932(DateLine(L"歯医者", LocalAt(2027, 3, 11, 10, 0))),
                LocalAt(2027, 3, 10, 9, 0, 0));
    if (!run)
        return c.failures() + 1;
    auto lw = OpenListWindow(c, *run);
    if (!lw || !ExpectFocus(c, lw->dates, L"the list window"))
        return c.failures() + 1;

    // "新規追加" of the dates with Tab and Enter.
    if (!Tab(c, lw->window, lw->newDate, L"Tab from the date list"))
        return c.failures();
    PressKey(lw->window, VK_RETURN);
    HWND date = WaitAddDialog(run->pid(), 5);
    if (!c.Expect(date, L"Enter on \"新規追加\" did not open the date dialog"))
        return c.failures();
    const auto boxes = ControlsOfClass(date, L"ComboBox");  // year, month, day, hour, minute
    HWND name = Only(ControlsOfClass(date, L"Edit"));
    HWND cancel = Only(ButtonsCaptioned(date, L"キャンセル"));
    HWND set = Only(ButtonsCaptioned(date, L"設定"));
    if (!c.Expect(boxes.size() == 5 && name && cancel && set, L"the date dialog's controls") ||
        !ExpectFocus(c, boxes[1], L"the date dialog"))
        return c.failures();

    // Typed digits in the month and day boxes (the 29th of February, which March offers but
    // only a leap year keeps), Down in the hour box (9 -> 10), the minute and the name typed,
    // and the year typed last: "設定" takes the typed entries as picked, year first, so the
    // year's refill of February keeps the 29th.
    c.Expect(TypeChars(FocusIn(date), L"2"), L"typing the month");
    const struct {
        HWND box;
        const wchar_t* typed;  // nullptr: Down
    } steps[] = {{boxes[2], L"29"},
                 {boxes[3], nullptr},
                 {boxes[4], L"5"},
                 {name, L"鍵盤で追加"},
                 {boxes[0], L"2028"}};
    for (const auto& step : steps) {
        const std::wstring what = step.typed ? std::wstring(step.typed) : std::wstring(L"Down");
        if (!Tab(c, date, step.box, L"Tab to " + what))
            return c.failures();
        if (step.typed) {
            c.Expect(TypeChars(FocusIn(date), step.typed), L"typing " + what);
        } else {
            PressKey(date, VK_DOWN);
            c.Expect(WaitUntil([&] { return ComboSelection(step.box) == 10; }, Ms(3000)),
                     L"Down in the hour box did not pick 10");
        }
    }
    if (!Tab(c, date, cancel, L"Tab to \"キャンセル\"") || !Tab(c, date, set, L"Tab to \"設定\""))
        return c.failures();
    PressKey(date, VK_RETURN);
    auto added = WaitMessageBox(run->pid(), L"新規追加完了", kBoxDeadline);
    ExpectBox(c, added, L"新規追加完了",
              L"スケジュールを追加しました。\n\n鍵盤で追加\n2028年02月29日 10時05分", false,
              L"the confirmation");
    if (!added)
        return c.failures();
    PressKey(added->window, VK_RETURN);
    c.Expect(WaitUntil([&] { return !IsWindow(added->window); }, Ms(5000)),
             L"Enter did not close the confirmation");
    ExpectFile(c, run->folder,
               WrittenDateLine(L"歯医者", LocalAt(2027, 3, 11, 10, 0)) +
                   WrittenDateLine(L"鍵盤で追加", LocalAt(2028, 2, 29, 10, 5)),
               L"the file after the addition");

    // Back in the list window; Tab round to the date list, Down to its first row, Tab twice to
    // its "削除", Enter, and Enter again for the question's default answer, Yes.
    if (!c.Expect(WaitUntil([&] { return IsVisible(lw->window); }, Ms(3000)),
                  L"the list window did not come back"))
        return c.failures();
    if (!TabRoundTo(c, lw->window, lw->dates, L"Tab round to the date list"))
        return c.failures();
    PressKey(lw->window, VK_DOWN);
    c.Expect(WaitUntil([&] { return IsWindowEnabled(lw->deleteDate) != FALSE; }, Ms(3000)),
             L"Down in the date list did not select a row");
    if (!Tab(c, lw->window, lw->newDate, L"Tab after the row") ||
        !Tab(c, lw->window, lw->deleteDate, L"Tab to \"削除\""))
        return c.failures();
    PressKey(lw->window, VK_RETURN);
    auto question = WaitMessageBox(run->pid(), L"スケジュールの削除", kBoxDeadline);
    if (!c.Expect(question.has_value(), L"Enter on \"削除\" asked nothing"))
        return c.failures();
    PressKey(question->window, VK_RETURN);
    c.Expect(WaitUntil([&] { return !IsWindow(question->window); }, Ms(5000)),
             L"Enter did not answer the question");
    c.Expect(WaitUntil([&] { return ListBoxLines(lw->dates).size() == 1; }, Ms(5000)),
             L"the entry was not deleted");
    ExpectFile(c, run->folder, WrittenDateLine(L"鍵盤で追加", LocalAt(2028, 2, 29, 10, 5)),
               L"the file after the deletion");
    c.Expect(!IsWindowEnabled(lw->deleteDate), L"\"削除\" is still enabled");
    // Without a window manager, Wine sometimes hands the activation to the desktop once a box
    // has gone (X focus falls back to the root window). The list window then has the focus
    // kept for it, given back when it is activated again.
    if (!WaitUntil([&] { return ActiveIn(lw->window) != nullptr; }, Ms(1000))) {
        Say(L"the program has no active window after the box: activating the list window");
        SetForegroundWindow(lw->window);
    }
    ExpectFocus(c, lw->dates, L"after the deletion");
    return c.failures();
}

// Schedules changed from the list window (a double click on a date line, Enter on a weekday line):
// Esc keeps the entry, "設定" replaces it; a number box reached by Tab is typed over whole.
int ChangeSchedule(const Options& o) {
    Checks c;
    const std::string file = Cp932(DateLine(L"会議", LocalAt(2027, 3, 11, 9, 0)) +
                                   DateLine(L"歯医者", LocalAt(2027, 3, 11, 10, 30)) +
                                   WeekdayLine(L"ゴミ出し", L"MON", LocalAt(2027, 3, 15, 7, 0)));
    auto run = StartOn(c, o, L"change-schedule", file, LocalAt(2027, 3, 10, 9, 0, 0));
    auto lw = run ? OpenListWindow(c, *run) : std::nullopt;
    if (!lw)
        return c.failures() + 1;
    // The dialog in place of the list window, its boxes left to right and its name showing `shown`.
    auto open = [&](const std::wstring& shown, const std::wstring& what) -> HWND {
        HWND d = WaitTopWindow({kChangeCaption, run->pid(), true}, Ms(5000));
        if (!c.Expect(d && WaitUntil([&] { return !IsVisible(lw->window); }, Ms(2000)),
                      what + L": no change dialog in place of the list window"))
            return nullptr;
        std::wstring texts;
        for (HWND box : ControlsOfClass(d, L"ComboBox"))
            texts += TextOf(ComboEdit(box)) + L" ";
        c.ExpectEq(texts + TextOf(Only(ControlsOfClass(d, L"Edit"))), shown, what + L": the boxes");
        return d;
    };
    // "設定": the box confirms `entry`; after OK the list window is back, row `row` selected.
    auto set = [&](HWND d, HWND list, int row, const std::wstring& entry,
                   const std::wstring& what) {
        PostMessageW(Only(ButtonsCaptioned(d, L"設定")), BM_CLICK, 0, 0);
        auto box = WaitMessageBox(run->pid(), L"変更完了", kBoxDeadline);
        ExpectBox(c, box, L"変更完了", L"スケジュールを変更しました。\n\n" + entry, false, what);
        const bool back = box && AnswerMessageBox(*box, IDOK) &&
                          WaitUntil([&] { return IsVisible(lw->window) && Gone(d); }, Ms(5000));
        c.Expect(back && ListBoxSelection(list) == row,
                 what + L": no list window after OK with row " + N(row) + L" selected");
    };

    // 1.-2. The date line double-clicked twice; "45" typed over the minute; Esc keeps the entry.
    HWND date = nullptr;
    for (int use = 1; use <= 2; ++use) {
        const std::wstring what = L"use " + N(use) + L" of the date dialog";
        if (!DoubleClickListRow(lw->dates, 1) || !(date = open(L"2027 3 11 10 30 歯医者", what)))
            return c.failures() + 1;
        HWND minute = ControlsOfClass(date, L"ComboBox").back();
        if (TabRoundTo(c, date, minute, what + L": Tab round to the minute box") &&
            TypeChars(FocusIn(date), L"45"))
            c.ExpectEq(TextOf(ComboEdit(minute)), L"45", what + L": the minute box after 45");
        if (use == 2)
            break;
        PressKey(date, VK_ESCAPE);
        c.Expect(WaitUntil([&] { return IsVisible(lw->window) && Gone(date); }, Ms(3000)),
                 L"Esc did not bring the list window back");
        c.Expect(ReadBytes(run->folder.scheduleFile()) == file, L"Alarm_List.txt changed by Esc");
    }
    HWND name = Only(ControlsOfClass(date, L"Edit"));
    if (Tab(c, date, name, L"Tab to the name box"))
        TypeChars(name, L"歯科検診");
    c.ExpectEq(TextOf(name), L"歯科検診", L"the name box after typing");
    Screenshot(L"change-date-dialog", date);
    set(date, lw->dates, 1, L"歯科検診\n2027年03月11日 10時45分", L"the date change");

    // 3. Enter on the clicked weekday line; Down in the weekday box: Monday to Tuesday.
    if (ClickListRow(lw->weekdays, 0) && ExpectFocus(c, lw->weekdays, L"the weekday list"))
        PressKey(lw->window, VK_RETURN);
    HWND weekday = open(L"月 7 0 ゴミ出し", L"Enter on the weekday line");
    if (!weekday)
        return c.failures();
    HWND day = ControlsOfClass(weekday, L"ComboBox")[0];
    c.Expect(PressComboKey(day, VK_DOWN) && TextOf(ComboEdit(day)) == L"火",
             L"Down in the weekday box did not pick 火");
    set(weekday, lw->weekdays, 0, L"ゴミ出し\n毎週火曜日 07時00分", L"the weekday change");

    // 4. Each entry once, changed where it stood.
    ExpectFile(
        c, run->folder,
        L"会議, 2027, 3, 11, 9, 0\r\n歯科検診, 2027, 3, 11, 10, 45\r\nゴミ出し,TUE, 7, 0\r\n",
        L"Alarm_List.txt after the changes");
    return c.failures();
}

}  // namespace e2e
