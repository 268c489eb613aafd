// The steps that the scenarios of several windows share (see scenarios.h).
#include "scenarios.h"

#include <algorithm>

namespace e2e {
namespace {
const wchar_t* const kListCaption = L"  アラームスケジュールの一覧";
}  // namespace

std::wstring N(int value) {
    return std::to_wstring(value);
}

std::wstring Spaces(int n) {
    return std::wstring(static_cast<size_t>(n), L' ');
}

std::wstring DateLine(const std::wstring& name, const SYSTEMTIME& t) {
    return name + L"," + N(t.wYear) + L"," + N(t.wMonth) + L"," + N(t.wDay) + L"," + N(t.wHour) +
           L"," + N(t.wMinute) + L"\r\n";
}

std::wstring WrittenDateLine(const std::wstring& name, const SYSTEMTIME& t) {
    return name + L", " + N(t.wYear) + L", " + N(t.wMonth) + L", " + N(t.wDay) + L", " +
           N(t.wHour) + L", " + N(t.wMinute) + L"\r\n";
}

std::wstring WeekdayLine(const std::wstring& name, const wchar_t* code, const SYSTEMTIME& t) {
    return name + L"," + code + L"," + N(t.wHour) + L"," + N(t.wMinute) + L"\r\n";
}

bool IsVisible(HWND window) {
    return window && IsWindow(window) && IsWindowVisible(window);
}

HWND FindSplash(DWORD pid) {
    return FindTopWindow({kSplashCaption, pid, true});
}

HWND FindMain(DWORD pid) {
    return FindTopWindow({kMainCaption, pid});
}

HWND WaitSplash(DWORD pid) {
    return WaitTopWindow({kSplashCaption, pid, true}, kStartDeadline);
}

bool ExpectSplashClosed(Checks& c, DWORD pid) {
    return c.Expect(WaitUntil([&] { return FindSplash(pid) == nullptr; }, Ms(8000)),
                    L"the splash did not close");
}

Process StartProgram(const RunFolder& folder) {
    return Process::Start(folder.program(), L"C:\\");
}

bool ExpectQuietStart(Checks& c, const Process& p, const wchar_t* label) {
    HWND main = WaitTopWindow({kMainCaption, p.id()}, kStartDeadline);
    if (!c.Expect(main != nullptr, std::wstring(label) + L": no window \"  Pelmora!\" appeared"))
        return false;
    c.Expect(!IsWindowVisible(main),
             std::wstring(label) + L": MainForm \"  Pelmora!\" is visible; it must stay hidden");
    ExpectNoBox(c, p.id(), Ms(300), label);
    return true;
}

std::optional<bool> TrayShown() {
    HWND tray = FindWindowW(nullptr, L"Wine System Tray");
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

HWND OpenTrayMenu(Checks& c, HWND main, DWORD pid, UINT mouseEvent) {
    PostTrayEvent(main, mouseEvent);
    HWND menu = WaitPopupMenu(pid, Ms(5000));
    c.Expect(menu != nullptr,
             L"tray event " + N(static_cast<int>(mouseEvent)) + L" did not open the popup menu");
    return menu;
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

std::optional<MessageBoxView> ExpectWriteErrorBox(Checks& c, DWORD pid, const std::wstring& what) {
    const std::wstring title = L"ディスク書込みエラー";
    auto box = WaitMessageBox(pid, title, kBoxDeadline);
    ExpectBox(c, box, title, L"Alarm_List.txtの書込み時にエラーが発生しました。", false, what);
    return box;
}

std::optional<MessageBoxView> ExpectMissedNotice(Checks& c, DWORD pid,
                                                 const std::vector<std::wstring>& lines,
                                                 const std::wstring& what) {
    const std::wstring title = L"Pelmora";
    std::wstring text = L"次のアラームは、パソコンの停止中などに時刻を過ぎました。";
    for (const std::wstring& line : lines)
        text += L"\r\n" + line;
    auto box = WaitMessageBox(pid, title, kBoxDeadline);
    ExpectBox(c, box, title, text, true, what);
    if (box)
        Say(what + L": the box reads \"" + box->text + L"\"");
    return box;
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

HANDLE HoldScheduleFile(const RunFolder& folder, DWORD share) {
    return CreateFileW(folder.scheduleFile().c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

void ExpectNoBox(Checks& c, DWORD pid, Ms watch, const std::wstring& what) {
    if (auto box = WaitMessageBox(pid, L"", watch))
        c.Expect(false, what + L": unexpected message box \"" + box->title + L"\": \"" +
                            Visible(box->text) + L"\"");
}

std::optional<Running> StartOn(Checks& c, const Options& o, const wchar_t* scenario,
                               const std::string& file, const SYSTEMTIME& when) {
    Running run{RunFolder(o.runsFolder, scenario, o.program, file), Process(), nullptr};
    if (!run.folder.ok() || !c.Expect(SetClockTo(when), L"the clock cannot be moved"))
        return std::nullopt;
    run.process = StartProgram(run.folder);
    if (!run.process.started() || !ExpectQuietStart(c, run.process, scenario))
        return std::nullopt;
    run.main = FindMain(run.pid());
    // The file is read before the splash's timer can run; a reader box would still be open.
    if (!ExpectSplashClosed(c, run.pid()) ||
        !c.Expect(!WaitMessageBox(run.pid(), L"", Ms(0)).has_value(),
                  L"a message box is open after start-up: the prepared file was not read whole"))
        return std::nullopt;
    return run;
}

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

HWND WaitAddDialog(DWORD pid, size_t combos, Ms timeout) {
    return WaitTopWindowIf(
        [&](HWND window) {
            return WindowProcess(window) == pid && IsWindowVisible(window) &&
                   WindowText(window) == kAddCaption &&
                   ControlsOfClass(window, L"ComboBox").size() == combos;
        },
        timeout);
}

std::optional<ListWindow> OpenListWindow(Checks& c, const Running& run) {
    HWND window = ChooseFromTray(c, run, kMenuList, kListCaption);
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

}  // namespace e2e
