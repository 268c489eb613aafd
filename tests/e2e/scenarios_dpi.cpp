// Scenarios of the layouts at a screen's DPI: every window is opened and every text measured
// inside the program (pelmora_measure.dll, see measure.h) against the room its control gives
// it; each window's client area must be its layout at that DPI, and each font its point size.
// run-e2e.sh runs dpi-N in a prefix whose screen has N DPI and says which in
// PELMORA_E2E_SCREEN_DPI.
#include <algorithm>
#include <map>
#include <set>

#include "scenarios.h"

namespace e2e {
namespace {

namespace m = measure;

// A window of the program and its layout's client size in twips.
struct Layout {
    const wchar_t* form;
    int width;
    int height;
};

const Layout kSplash{L"FrmOpening", 2445, 1020};
const Layout kAlarm{L"FrmAlart", 3015, 765};
const Layout kToday{L"FrmDaySch", 3615, 4965};
const Layout kList{L"FrmAllSch", 5385, 4665};
const Layout kAddDate{L"AddNewTime", 5025, 1770};
const Layout kAddWeekday{L"AddNewYobi", 4065, 1770};

// The splash's two title labels are 12 pt; every other text of the program is 9 pt.
int PointsOf(const m::Control& control) {
    const bool title = control.texts.size() == 1 &&
                       (control.texts[0].text == L"Pel" || control.texts[0].text == L"mora!");
    return title ? 12 : 9;
}

int PixelsOfPoints(int points, int dpi) {
    return MulDiv(points, dpi, 72);
}

std::wstring Describe(const m::Control& control) {
    return std::wstring(m::KindName(control.kind)) + L" at (" + N(control.left) + L", " +
           N(control.top) + L")";
}

// What the scenario found in one window.
struct WindowFigures {
    std::wstring form;
    m::Widest widest;
    std::wstring widestControl;
    int widestWidth = 0, roomWidth = 0;
    std::map<m::Kind, double> byKind;  // the widest ratio of each kind of control
};

class Measurements {
  public:
    explicit Measurements(int dpi) : dpi_(dpi) {}

    // Measures `window` and checks it: the program's DPI, the client size of `layout` at that
    // DPI (within 2 px), each font's size, and every text against its room. Returns the report.
    std::optional<m::Report> Check(Checks& c, HWND window, const Layout& layout) {
        const std::wstring what = L"dpi " + N(dpi_) + L", " + layout.form;
        std::wstring error;
        auto report = MeasureControls(window, error);
        if (!c.Expect(report.has_value(), what + L": not measured: " + error))
            return std::nullopt;
        c.Expect(report->dpi == dpi_,
                 what + L": the window has " + N(report->dpi) + L" DPI; expected " + N(dpi_));
        const int width = m::TwipsAt(layout.width, dpi_);
        const int height = m::TwipsAt(layout.height, dpi_);
        c.Expect(std::abs(report->clientWidth - width) <= 2 &&
                     std::abs(report->clientHeight - height) <= 2,
                 what + L": client area " + N(report->clientWidth) + L"x" +
                     N(report->clientHeight) + L"; the layout at this DPI is " + N(width) + L"x" +
                     N(height));
        c.Expect(!report->controls.empty(), what + L": no controls measured");
        std::set<std::wstring> fonts;
        for (const m::Control& control : report->controls) {
            const int pixels = PixelsOfPoints(PointsOf(control), dpi_);
            c.Expect(control.fontHeight == -pixels,
                     what + L": " + Describe(control) + L" has a font of height " +
                         N(control.fontHeight) + L"; expected -" + N(pixels) + L" (" +
                         N(PointsOf(control)) + L" pt)");
            fonts.insert(L"\"" + control.face + L"\" " + N(control.fontHeight) + L" (" +
                         N(control.lineHeight) + L" px high)");
            for (const m::Misfit& misfit : m::Misfits(control)) {
                const m::Room room = m::RoomOf(control);
                const std::wstring problem =
                    what + L": " + Describe(control) + L", font \"" + control.face + L"\" " +
                    N(control.fontHeight) + L": \"" + Visible(misfit.text) +
                    L"\" does not fit its " + N(room.width) + L"x" + N(room.height) + L" px: " +
                    N(misfit.widthOver) + L" px too wide, " + N(misfit.heightOver) +
                    L" px too high";
                c.Expect(false, problem);
            }
        }
        std::wstring fontList;
        for (const std::wstring& f : fonts)
            fontList += (fontList.empty() ? L"" : L", ") + f;
        Say(what + L": client " + N(report->clientWidth) + L"x" + N(report->clientHeight) + L", " +
            N(static_cast<int>(report->controls.size())) + L" controls, fonts " + fontList);
        Record(layout, *report);
        return report;
    }

    // The widest text of each window against its room, in the order the windows were measured.
    void PrintSummary() const {
        Say(L"widest text / room at " + N(dpi_) + L" DPI:");
        for (const WindowFigures& f : figures_) {
            std::wstring kinds;
            for (const auto& [kind, ratio] : f.byKind)
                kinds += std::wstring(kinds.empty() ? L"" : L", ") + m::KindName(kind) + L" " +
                         Fixed(ratio, 3);
            Say(L"  " + f.form + L": " + Fixed(f.widest.ratio, 3) + L"  " + f.widestControl +
                L" \"" + Visible(f.widest.text) + L"\" " + N(f.widestWidth) + L" of " +
                N(f.roomWidth) + L" px; by kind: " + kinds);
        }
    }

  private:
    void Record(const Layout& layout, const m::Report& report) {
        WindowFigures f;
        f.form = layout.form;
        f.widest = m::WidestText(report);
        if (const m::Control* control = f.widest.control) {
            f.widestControl = Describe(*control);
            f.roomWidth = m::RoomOf(*control).width;
            for (const m::Text& t : control->texts)
                if (t.text == f.widest.text)
                    f.widestWidth = t.width;
        }
        for (const m::Control& control : report.controls)
            if (control.kind != m::Kind::TextBox)
                f.byKind[control.kind] =
                    std::max(f.byKind[control.kind], m::WidestText(control).ratio);
        f.widest.control = nullptr;  // the report goes out of scope
        figures_.push_back(f);
    }

    int dpi_;
    std::vector<WindowFigures> figures_;
};

// Schedules of every width around Wednesday 24 February 2027, 12:00: an "EVD" entry due at 12:00
// (its long name cut for the alarm window), and names of full-width, half-width and mixed
// characters, cut for the lists' 18-byte column.
std::wstring LayoutSchedules() {
    return L"会議,2027,2,24,13,0\r\n"
           L"ＷＷＷＷＷＷＷＷＷＷ,2027,2,24,18,30\r\n"
           L"ABCDEFGHIJKLMNOPQR,2027,2,24,23,59\r\n"
           L"ｼｮｸｼﾞｶｲﾉﾖﾔｸｶｸﾆﾝｽ,2027,3,1,9,30\r\n"
           L"九文字の名前です。,2027,12,31,23,59\r\n"
           L"月例ミーティングの資料を印刷する,EVD,12,0\r\n"
           L"平日の昼,WKD,12,30\r\n"
           L"週末,WKE,10,0\r\n"
           L"水曜の定例ミーティング資料,WED,18,0\r\n"
           L"ＭＭＭＭＭＭＭＭＭＭ,MTS,6,0\r\n";
}

std::wstring ShotName(int dpi, const wchar_t* what) {
    return L"dpi" + N(dpi) + L"-" + what;
}

// The widest names the alarm window can be given: twelve double-byte characters are shown
// whole, longer names are cut to eleven and "...". Its name label is set to each cross-process
// and measured.
void CheckWidestAlarmNames(Checks& c, HWND alarm, int dpi) {
    HWND label = nullptr;
    for (const ChildControl& child : ChildControls(alarm))
        if (_wcsicmp(child.className.c_str(), L"Static") == 0 &&
            child.text != L"の時間になりました。")
            label = child.hwnd;
    if (!label)
        return;
    for (const std::wstring name : {L"定例会議資料作成締切確認", L"定例会議資料作成締切確..."}) {
        DWORD_PTR result = 0;
        SendMessageTimeoutW(label, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()),
                            SMTO_ABORTIFHUNG, 3000, &result);
        std::wstring error;
        auto report = MeasureControls(alarm, error);
        if (!report)
            return;
        for (const m::Control& control : report->controls)
            for (const m::Text& t : control.texts)
                if (t.text == name) {
                    const int room = m::RoomOf(control).width;
                    Say(L"at " + N(dpi) + L" DPI \"" + name + L"\" takes " + N(t.width) +
                        L" px of the name label's " + N(room));
                    c.Expect(t.width <= room, L"the alarm window's name label is too narrow");
                }
    }
}

// Opens an add dialog with "新規追加", measures it, and closes it with "キャンセル".
void CheckAddDialog(Checks& c, Measurements& measured, const Running& run, const ListWindow& lw,
                    HWND button, size_t combos, const Layout& layout, const std::wstring& shot) {
    PostMessageW(button, BM_CLICK, 0, 0);
    HWND dialog = WaitAddDialog(run.pid(), combos);
    if (!c.Expect(dialog != nullptr, std::wstring(layout.form) + L": the dialog did not open"))
        return;
    measured.Check(c, dialog, layout);
    Screenshot(shot, dialog);
    auto cancels = ButtonsCaptioned(dialog, L"キャンセル");
    if (c.Expect(cancels.size() == 1, std::wstring(layout.form) + L": no \"キャンセル\"")) {
        PostMessageW(cancels[0], BM_CLICK, 0, 0);
        c.Expect(WaitUntil([&] { return IsVisible(lw.window) && !IsVisible(dialog); }, Ms(5000)),
                 std::wstring(layout.form) + L": \"キャンセル\" did not return to the list");
    }
}

int ScreenDpiOfRun() {
    wchar_t value[16];
    const DWORD n = GetEnvironmentVariableW(L"PELMORA_E2E_SCREEN_DPI", value, 16);
    return n > 0 && n < 16 ? _wtoi(value) : 0;
}

// Every window at the run's DPI: the splash at start, the alarm window when an entry rings,
// today's window, the list window and both add dialogs.
int LayoutsAtScreenDpi(const Options& o, const wchar_t* scenario) {
    Checks c;
    const int dpi = ScreenDpiOfRun();
    if (!c.Expect(dpi > 0,
                  L"PELMORA_E2E_SCREEN_DPI is not set; run the scenario through "
                  L"run-e2e.sh"))
        return c.failures();
    Say(L"screen DPI of this run: " + N(dpi));
    Measurements measured(dpi);

    Running run{RunFolder(o.runsFolder, scenario, o.program, Cp932(LayoutSchedules())), Process(),
                nullptr};
    // Started 10 s before the "EVD" entry's minute: the splash is measured meanwhile.
    const SYSTEMTIME due = LocalAt(2027, 2, 24, 12, 0);
    if (!run.folder.ok() ||
        !c.Expect(SetClockToUtc(LocalToUtc(due) - 10 * kSecond), L"the clock cannot be moved"))
        return c.failures() + 1;
    run.process = StartProgram(run.folder);
    if (!run.process.started())
        return c.failures() + 1;
    HWND splash = WaitSplash(run.pid());
    if (c.Expect(splash != nullptr, L"the splash did not show")) {
        measured.Check(c, splash, kSplash);
        Screenshot(ShotName(dpi, L"splash"), splash);
    }
    if (!ExpectQuietStart(c, run.process, scenario))
        return c.failures();
    run.main = FindMain(run.pid());
    ExpectSplashClosed(c, run.pid());

    HWND alarm = WaitTopWindow({kAlarmCaption, run.pid(), true}, Ms(20000));
    if (c.Expect(alarm != nullptr, L"the alarm window did not show at 12:00")) {
        measured.Check(c, alarm, kAlarm);
        Screenshot(ShotName(dpi, L"alarm"), alarm);
        CheckWidestAlarmNames(c, alarm, dpi);
        auto ok = ButtonsCaptioned(alarm, L"了解");
        if (c.Expect(ok.size() == 1, L"the alarm window has no \"了解\"")) {
            PostMessageW(ok[0], BM_CLICK, 0, 0);
            c.Expect(WaitUntil([&] { return !IsVisible(alarm); }, Ms(3000)),
                     L"\"了解\" did not hide the alarm window");
        }
    }

    if (HWND today = ChooseFromTray(c, run, kMenuToday, kTodayCaption)) {
        measured.Check(c, today, kToday);
        Screenshot(ShotName(dpi, L"today-window"), today);
    }
    if (auto lw = OpenListWindow(c, run)) {
        measured.Check(c, lw->window, kList);
        Screenshot(ShotName(dpi, L"list-window"), lw->window);
        CheckAddDialog(c, measured, run, *lw, lw->newDate, 5, kAddDate, ShotName(dpi, L"add-date"));
        CheckAddDialog(c, measured, run, *lw, lw->newWeekday, 3, kAddWeekday,
                       ShotName(dpi, L"add-weekday"));
    }
    measured.PrintSummary();
    c.Expect(run.process.Running(), L"the program ended");
    return c.failures();
}

}  // namespace

int DpiAt96(const Options& o) {
    return LayoutsAtScreenDpi(o, L"dpi-96");
}

int DpiAt144(const Options& o) {
    return LayoutsAtScreenDpi(o, L"dpi-144");
}

}  // namespace e2e
