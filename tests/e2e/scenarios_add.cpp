// Scenarios of the two add dialogs, AddNewTime (a date) and AddNewYobi (a weekday code), opened
// from the list window: their boxes, what they store, and what they refuse.
#include <algorithm>

#include "scenarios.h"

namespace e2e {
namespace {

const wchar_t* const kAppTitle = L"Pelmora";
const wchar_t* const kAddedTitle = L"新規追加完了";
const wchar_t* const kAddedText = L"スケジュールを追加しました。\n\n";
const wchar_t* const kDuplicateText = L"同じ時間に二重の予約はできません。";

std::wstring Joined(const std::vector<std::wstring>& items) {
    std::wstring out;
    for (const auto& item : items)
        out += (out.empty() ? L"" : L"|") + item;
    return out;
}

struct AddDialog {
    HWND window = nullptr;
    HWND name = nullptr;
    std::vector<HWND> boxes;  // left to right
    HWND cancel = nullptr, set = nullptr;
    // The program's clock just before "新規追加" was pressed and once the dialog was found.
    SYSTEMTIME openedFrom{}, openedUntil{};
};

// Presses a "新規追加" of the list window and returns the dialog it opens, the list window
// hidden meanwhile.
std::optional<AddDialog> OpenAddDialog(Checks& c, const Running& run, const ListWindow& lw,
                                       HWND button, size_t combos, const std::wstring& what) {
    AddDialog d;
    d.openedFrom = LocalNow();
    PostMessageW(button, BM_CLICK, 0, 0);
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
    d.openedUntil = LocalNow();
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

// The boxes of a dialog show the program's clock: one of the two readings taken around the
// opening (a minute may begin in between).
void ExpectPreselectedNow(Checks& c, const AddDialog& d, const std::vector<HWND>& boxes,
                          const std::vector<WORD SYSTEMTIME::*>& parts, const std::wstring& what) {
    std::wstring shown, early, late;
    for (size_t i = 0; i < boxes.size(); ++i) {
        shown += L" " + Selected(boxes[i]);
        early += L" " + N(d.openedFrom.*parts[i]);
        late += L" " + N(d.openedUntil.*parts[i]);
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

// "設定" for an entry the program takes: the confirmation names `entry`, Alarm_List.txt already
// holds `written` when it shows, and after OK the list window is back. False when no box came.
bool ExpectAdded(Checks& c, const Running& run, const ListWindow& lw, const AddDialog& d,
                 const std::wstring& entry, const std::wstring& written, const std::wstring& what) {
    auto box = PressSet(c, run, d, what);
    if (!box)
        return false;
    ExpectBox(c, box, kAddedTitle, kAddedText + entry, false, what);
    ExpectFile(c, run.folder, written, L"Alarm_List.txt when the addition is confirmed");
    c.Expect(AnswerMessageBox(*box, IDOK), L"the confirmation did not close on OK");
    ExpectBackToList(c, lw, d, what);
    return true;
}

// "設定" for an entry the program refuses with the box `title` / `text`, answered OK.
void ExpectRefused(Checks& c, const Running& run, const AddDialog& d, const std::wstring& title,
                   const std::wstring& text, const std::wstring& what) {
    auto box = PressSet(c, run, d, what);
    if (box) {
        ExpectBox(c, box, title, text, false, what);
        c.Expect(AnswerMessageBox(*box, IDOK), what + L": the box did not close on OK");
    }
}

// "設定" for a date and time, or a code and time, already booked: refused, the dialog stays,
// the file keeps `written`.
void ExpectDuplicateRefused(Checks& c, const Running& run, const AddDialog& d,
                            const std::wstring& written, const std::wstring& what) {
    ExpectRefused(c, run, d, kAppTitle, kDuplicateText, what);
    c.Expect(IsVisible(d.window), L"the dialog closed after a refused addition");
    ExpectFile(c, run.folder, written, L"Alarm_List.txt after the refused duplicate");
}

}  // namespace

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
    // Wednesday 24 February 2027: a common year before a leap year.
    auto run = StartOn(c, o, L"add-date", Cp932(older), LocalAt(2027, 2, 24, 10, 20, 5));
    if (!run)
        return c.failures() + 1;
    auto lw = OpenListWindow(c, *run);
    if (!lw)
        return c.failures();

    auto d = OpenAddDialog(c, *run, *lw, lw->newDate, 5, L"date dialog");
    if (!d)
        return c.failures();
    HWND yr = d->boxes[0], mt = d->boxes[1], dy = d->boxes[2], hr = d->boxes[3], mi = d->boxes[4];
    ExpectNumbers(c, yr, 2027, 2037, L"year box");
    ExpectNumbers(c, mt, 1, 12, L"month box");
    ExpectNumbers(c, dy, 1, 28, L"day box (February 2027)");
    ExpectNumbers(c, hr, 0, 23, L"hour box");
    ExpectNumbers(c, mi, 0, 59, L"minute box");
    ExpectPreselectedNow(c, *d, d->boxes, kDateParts, L"date dialog");
    c.ExpectEq(TextOf(d->name), L"", L"the name box at the first opening");
    c.Expect(SendMessageW(d->name, EM_GETLIMITTEXT, 0, 0) == 32000,
             L"the name box does not stop at 32,000 characters");

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
    // The older entries in the list's order, then the new one.
    const std::wstring written =
        L"引越し, 2027, 3, 5, 10, 0\r\n健康診断, 2028, 6, 1, 9, 0\r\n"
        L"出張, 2029, 1, 10, 8, 0\r\n" +
        name + L", 2028, 3, 28, 9, 30\r\n" + L"ゴミ出し,MON, 7, 0\r\n定例,WED, 10, 0\r\n";
    if (!ExpectAdded(c, *run, *lw, *d, name + L"\n2028年03月28日 09時30分", written, L"date added"))
        return c.failures();
    const std::vector<std::wstring> dates = {
        L"引越し" + Spaces(12) + L"\t2027, 03/05, 10:00",
        name + Spaces(8) + L"\t2028, 03/28, 09:30",
        L"健康診断" + Spaces(10) + L"\t2028, 06/01, 09:00",
        L"出張" + Spaces(14) + L"\t2029, 01/10, 08:00",
    };
    ExpectLines(c, ListBoxLines(lw->dates), dates, L"date list after the addition");

    // Again: the name is offered as typed; the boxes show now again.
    d = OpenAddDialog(c, *run, *lw, lw->newDate, 5, L"date dialog, second opening");
    if (!d)
        return c.failures();
    yr = d->boxes[0], mt = d->boxes[1], dy = d->boxes[2], hr = d->boxes[3], mi = d->boxes[4];
    c.ExpectEq(TextOf(d->name), typed, L"the name box at the second opening");
    ExpectPreselectedNow(c, *d, d->boxes, kDateParts, L"date dialog, second opening");
    // The preselected minute has begun: past (unless the clock stands at its second 0).
    WaitUntil([] { return LocalNow().wSecond != 0; }, Ms(2000));
    ExpectRefused(c, *run, *d, L"警告", L"過去のスケジュールは追加できません。",
                  L"the current minute");
    PickEntry(c, yr, L"2028", L"year 2028");
    PickEntry(c, mt, L"3", L"month 3");
    PickEntry(c, dy, L"28", L"day 28");
    PickEntry(c, hr, L"9", L"hour 9");
    PickEntry(c, mi, L"30", L"minute 30");
    ExpectDuplicateRefused(c, *run, *d, written, L"the same date and time");
    // The close box cancels: the list window comes back, and the next opening is a fresh dialog
    // filled as usual.
    PostMessageW(d->window, WM_SYSCOMMAND, SC_CLOSE, 0);
    ExpectBackToList(c, *lw, *d, L"the close box");
    ExpectLines(c, ListBoxLines(lw->dates), dates, L"date list after the close box");
    ExpectFile(c, run->folder, written, L"Alarm_List.txt after the close box");
    d = OpenAddDialog(c, *run, *lw, lw->newDate, 5, L"date dialog after the close box");
    if (!d)
        return c.failures();
    ExpectNumbers(c, d->boxes[0], 2027, 2037, L"year box after the close box");
    ExpectNumbers(c, d->boxes[2], 1, 28, L"day box after the close box");
    ExpectPreselectedNow(c, *d, d->boxes, kDateParts, L"date dialog after the close box");
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
    auto run = StartOn(c, o, L"add-weekday", Cp932(older), LocalAt(2027, 2, 24, 10, 20, 5));
    if (!run)
        return c.failures() + 1;
    auto lw = OpenListWindow(c, *run);
    if (!lw)
        return c.failures();

    auto d = OpenAddDialog(c, *run, *lw, lw->newWeekday, 3, L"weekday dialog");
    if (!d)
        return c.failures();
    HWND day = d->boxes[0], hr = d->boxes[1], mi = d->boxes[2];
    c.ExpectEq(Joined(ComboEntries(day)), L"日|月|火|水|木|金|土|月～金|土日|毎日|月～土",
               L"weekday box: entries");
    c.ExpectEq(Selected(day), L"水", L"weekday box on a Wednesday");
    c.ExpectEq(TextOf(ComboEdit(day)), L"水", L"weekday box's text field on a Wednesday");
    ExpectNumbers(c, hr, 0, 23, L"hour box");
    ExpectNumbers(c, mi, 0, 59, L"minute box");
    ExpectPreselectedNow(c, *d, {hr, mi}, kTimeParts, L"weekday dialog");
    c.ExpectEq(TextOf(d->name), L"", L"the name box at the first opening");
    c.Expect(SendMessageW(d->name, EM_GETLIMITTEXT, 0, 0) == 32000,
             L"the name box does not stop at 32,000 characters");

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

    const std::wstring written =
        L"出張, 2029, 1, 10, 8, 0\r\nゴミ出し,MON, 7, 0\r\n"
        L"定例,WED, 18, 0\r\n夜の散歩,EVD, 21, 0\r\n" +
        name + L",WKD, 18, 0\r\n";
    if (!ExpectAdded(c, *run, *lw, *d, name + L"\n毎週月～金曜日 18時00分", written,
                     L"weekday entry added"))
        return c.failures();
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
    ExpectDuplicateRefused(c, *run, *d, written, L"the same code and time");
    PostMessageW(d->cancel, BM_CLICK, 0, 0);
    ExpectBackToList(c, *lw, *d, L"キャンセル");
    ExpectLines(c, ListBoxLines(lw->weekdays), weekdays, L"weekday list after キャンセル");
    return c.failures();
}

}  // namespace e2e
