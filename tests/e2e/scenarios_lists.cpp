// Scenarios of today's window and the list window: the lines they show, and deletion from the
// list with its question and a rewrite that fails.
#include <algorithm>

#include "scenarios.h"

namespace e2e {
namespace {

const wchar_t* const kDeleteTitle = L"スケジュールの削除";
const wchar_t* const kDeleteQuestion = L"以下のスケジュールを削除してもよろしいですか。\n\n";

// Waits until Alarm_List.txt differs from `before`; false after 5 s.
bool WaitFileChanged(const RunFolder& folder, const std::string& before) {
    return WaitUntil([&] { return ReadBytes(folder.scheduleFile()) != before; }, Ms(5000));
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

}  // namespace

// Today's window and the list window from the tray menu, on Wednesday 24 February 2027 at
// 12:00:03: the lines read back exactly, each window hides the other, and showing the lists
// (which orders the tables) does not write the file. The clock's jump there from 07:50 is
// reported first.
int TodayWindow(const Options& o) {
    Checks c;
    const std::string file = Cp932(PreparedSchedules());
    // Started before the day's first entry, so the reader keeps every entry of the day.
    auto run = StartOn(c, o, L"today-window", file, LocalAt(2027, 2, 24, 7, 50));
    if (!run)
        return c.failures() + 1;
    if (!c.Expect(SetClockTo(LocalAt(2027, 2, 24, 12, 0, 3)), L"the clock cannot be moved"))
        return c.failures();
    // The jump passed over three alarms: the program says so once it has read the new time.
    auto notice = ExpectMissedNotice(c, run->pid(),
                                     {L"2027/02/24 08:00 ｼｮｸｼﾞｶｲﾉﾖﾔｸｶｸﾆﾝｽ",
                                      L"2027/02/24 12:00 会議", L"2027/02/24 12:00 平日の昼"},
                                     L"the jump from 07:50 to 12:00");
    if (!notice || !c.Expect(AnswerMessageBox(*notice, IDOK), L"the notice did not close"))
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

    auto lw = OpenListWindow(c, *run);
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
    c.Expect(ReadBytes(run->folder.scheduleFile()) == file,
             L"Alarm_List.txt changed although no schedule was added or deleted");
    return c.failures();
}

// Deleting from the list window: a row picked with the mouse enables its own "削除" only; No
// changes nothing; Yes removes the line and rewrites the file in list order; a rewrite that
// fails is reported, the entry stays deleted and the next rewrite (Exit) saves the tables.
int ListDelete(const Options& o) {
    Checks c;
    const std::string file = Cp932(PreparedSchedules());
    auto run = StartOn(c, o, L"list-delete", file, LocalAt(2027, 2, 24, 7, 50));
    if (!run)
        return c.failures() + 1;
    const RunFolder& folder = run->folder;
    auto lw = OpenListWindow(c, *run);
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
    HANDLE held = HoldScheduleFile(folder);
    if (!c.Expect(held != INVALID_HANDLE_VALUE, L"cannot open Alarm_List.txt to hold it"))
        return c.failures();
    SelectRow(c, lw->dates, 4, lw->deleteDate, lw->deleteWeekday, L"date row 4");
    box = AskDelete(c, *run, *lw, lw->deleteDate, L"同時刻A\n2027年03月01日 09時30分",
                    L"delete while the file is held");
    if (box && c.Expect(AnswerMessageBox(*box, IDYES), L"the question did not close on Yes")) {
        auto error = ExpectWriteErrorBox(c, run->pid(), L"failed rewrite after a deletion");
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
    ChooseMenuItemByKeys(menu, kMenuExit);
    c.Expect(run->process.WaitExit(Ms(8000)), L"Exit did not end the program within 8 s");
    ExpectFile(c, folder, sortedDates + nextYear + sortedWeekdays + mts,
               L"Alarm_List.txt after Exit");
    return c.failures();
}

// Another program rewrites Alarm_List.txt while the list window is open, adding a weekday line
// for the next minute and a note. The program reads it again within seconds (the selected row
// stays selected), the added entry rings at its minute, and the next deletion first keeps the
// edited file as Alarm_List.bak, then writes the added line in the program's format.
int FileEdited(const Options& o) {
    Checks c;
    const SYSTEMTIME due = LocalAt(2027, 3, 10, 9, 0);  // a Wednesday
    const std::wstring original = L"歯医者の予約,2027,3,11,9,30\r\nゴミ出し,MON,7,30\r\n";
    auto run = StartOn(c, o, L"file-edited", Cp932(original), LocalAt(2027, 3, 10, 8, 59, 30));
    if (!run)
        return c.failures() + 1;
    const RunFolder& folder = run->folder;
    auto lw = OpenListWindow(c, *run);
    if (!lw)
        return c.failures();
    SelectRow(c, lw->dates, 0, lw->deleteDate, lw->deleteWeekday, L"the date row");

    // The edit comes 8 s before the minute its new line is due.
    const long long dueUtc = LocalToUtc(due);
    const std::string edited =
        Cp932(original + L"手で足した予定,EVD,9,0\r\nメモ: 手で足した行\r\n");
    if (!c.Expect(SetClockToUtc(dueUtc - 8 * kSecond), L"the clock cannot be moved") ||
        !c.Expect(WriteBytes(folder.scheduleFile(), edited), L"cannot rewrite Alarm_List.txt"))
        return c.failures();
    const auto written = Clock::now();
    const std::vector<std::wstring> weekdays = {L"ゴミ出し" + Spaces(10) + L"\t　月\t07:30",
                                                L"手で足した予定" + Spaces(4) + L"\t 毎日\t09:00"};
    bool read = WaitUntil([&] { return ListBoxLines(lw->weekdays) == weekdays; }, Ms(5000), Ms(5));
    const double took = SecondsSince(written);
    if (c.Expect(read, L"the list window does not show the added line 5 s after the edit")) {
        Say(L"reload seen after " + N(static_cast<int>(took * 1000)) + L" ms");
        c.Expect(took <= 3.5, L"the edit was read " + Fixed(took) + L" s after it; expected 3.5 s");
    }
    ExpectLines(c, ListBoxLines(lw->weekdays), weekdays, L"weekday list after the edit");
    c.Expect(ListBoxSelection(lw->dates) == 0 && IsWindowEnabled(lw->deleteDate),
             L"the date row lost its selection when the file was read again");

    HWND alarm = nullptr;
    long long seenAt = 0;
    WaitUntil(
        [&] {
            alarm = FindTopWindow({kAlarmCaption, run->pid(), true});
            seenAt = WallClockNow();
            return alarm != nullptr || seenAt > dueUtc + 3 * kSecond;
        },
        Ms(15000), Ms(5));
    if (!c.Expect(alarm != nullptr, L"the added entry did not ring within 3 s of its minute"))
        return c.failures();
    const double late = Seconds(seenAt - dueUtc);
    Say(L"alarm window visible " + Fixed(late) + L" s after the minute began");
    c.Expect(late >= 0 && late < 1.0, L"the alarm did not show in the first second of its minute");
    ExpectNoBox(c, run->pid(), Ms(0), L"the edit read again");  // a note is no mistake
    auto texts = ChildTexts(alarm);
    c.Expect(std::find(texts.begin(), texts.end(), L"手で足した予定") != texts.end(),
             L"the alarm window does not show the name \"手で足した予定\"");
    auto ok = ButtonsCaptioned(alarm, L"了解");
    if (c.Expect(ok.size() == 1, L"the alarm window has no \"了解\""))
        PostMessageW(ok[0], BM_CLICK, 0, 0);
    c.Expect(WaitUntil([&] { return !IsVisible(alarm); }, Ms(3000)), L"\"了解\" did not hide it");

    const std::wstring bak = JoinPath(folder.path(), L"Alarm_List.bak");
    c.Expect(!FileExists(bak), L"Alarm_List.bak was written before any rewrite");
    SelectRow(c, lw->dates, 0, lw->deleteDate, lw->deleteWeekday, L"the date row, again");
    auto box = AskDelete(c, *run, *lw, lw->deleteDate, L"歯医者の予約\n2027年03月11日 09時30分",
                         L"delete after the edit");
    if (!box || !c.Expect(AnswerMessageBox(*box, IDYES), L"the question did not close on Yes"))
        return c.failures();
    c.Expect(WaitFileChanged(folder, edited), L"Alarm_List.txt was not rewritten after Yes");
    const std::wstring saved = L"ゴミ出し,MON, 7, 30\r\n手で足した予定,EVD, 9, 0\r\n";
    ExpectFile(c, folder, saved, L"Alarm_List.txt after the deletion");
    auto expectBak = [&](const std::wstring& what) {
        c.ExpectEq(Visible(ReadBytes(bak).value_or("(missing)")), Visible(edited), what);
    };
    expectBak(L"Alarm_List.bak after the deletion");
    c.Expect(ListBoxLines(lw->dates).empty(), L"the deleted entry is still listed");

    HWND menu = OpenTrayMenu(c, run->main, run->pid(), WM_RBUTTONDOWN);
    if (!menu)
        return c.failures();
    ChooseMenuItemByKeys(menu, kMenuExit);
    c.Expect(run->process.WaitExit(Ms(8000)) && run->process.ExitCode() == DWORD{0},
             L"Exit did not end the program with exit code 0 within 8 s");
    ExpectFile(c, folder, saved, L"Alarm_List.txt after Exit");
    expectBak(L"Alarm_List.bak after Exit");
    return c.failures();
}

}  // namespace e2e
