// Scenarios of the alarm window FrmAlart: when an entry rings, which entries ring, how the
// window looks, hides and comes back, and the sound. Each starts the program with its clock a
// few seconds before the minute an entry is due. The chime comes from PELMORA_E2E_SOUND; what
// the program played is found in PELMORA_E2E_CAPTURE (run-e2e.sh points ALSA's default device at
// that file).
#include <algorithm>

#include "scenarios.h"

namespace e2e {
namespace {

const wchar_t* const kAlarmSentence = L"の時間になりました。";
// The program starts with its clock this many seconds before the minute its entry is due.
const int kLeadSeconds = 5;

std::wstring EnvironmentPath(const wchar_t* name) {
    wchar_t value[1024];
    DWORD n = GetEnvironmentVariableW(name, value, 1024);
    return n == 0 || n >= 1024 ? std::wstring() : WindowsPath(value);
}

// A run folder ready, with the chime as SOUND.wav when `withSound`.
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

// Starts the program of `scenario` with `file` as its Alarm_List.txt and, when `withSound`, the
// chime as SOUND.wav.
std::optional<AlarmProgram> StartBefore(Checks& c, const Options& o, const wchar_t* scenario,
                                        const std::string& file, const SYSTEMTIME& due,
                                        bool withSound = true) {
    RunFolder folder(o.runsFolder, scenario, o.program, file);
    if (!PrepareAlarmFolder(c, folder, withSound))
        return std::nullopt;
    AlarmProgram run;
    run.due = LocalToUtc(due);
    if (!c.Expect(SetClockToUtc(run.due - kLeadSeconds * kSecond), L"the clock cannot be moved"))
        return std::nullopt;
    UseAlsaAudioDriver();
    run.process = StartProgram(folder);
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
    } else if (_wcsicmp(cls.c_str(), L"Button") == 0 && TextOf(child) == L"了解") {
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
        c.ExpectEq(TextOf(controls.labels[0].second), name, what + L": the name (Label1)");
        c.ExpectEq(TextOf(controls.labels[1].second), kAlarmSentence,
                   what + L": the sentence below the name (Label2)");
    }
    c.Expect(controls.okButton != nullptr, what + L": the alarm window has no button \"了解\"");
}

// What the program plays goes to the capture file; the chime's samples are what it should hold.
struct SoundCapture {
    std::wstring path;
    std::string samples;  // SOUND.wav's
    std::string Bytes() const { return ReadBytes(path).value_or(""); }
};

// The capture emptied, before the program plays anything.
std::optional<SoundCapture> StartSoundCapture(Checks& c) {
    SoundCapture capture{EnvironmentPath(L"PELMORA_E2E_CAPTURE"), {}};
    auto chime = ReadBytes(EnvironmentPath(L"PELMORA_E2E_SOUND"));
    if (!c.Expect(!capture.path.empty() && chime,
                  L"PELMORA_E2E_CAPTURE or PELMORA_E2E_SOUND is not set; run through run-e2e.sh"))
        return std::nullopt;
    auto samples = WaveSamples(*chime);
    if (!c.Expect(samples && !samples->empty(), L"the chime has no samples"))
        return std::nullopt;
    capture.samples = *samples;
    DeleteFileW(capture.path.c_str());
    return capture;
}

// The capture comes to hold SOUND.wav's samples byte for byte within 10 s of `since`, then stops
// growing, holding them once.
void ExpectPlayedOnce(Checks& c, const SoundCapture& capture, Clock::time_point since,
                      const std::wstring& what) {
    size_t at = std::string::npos;
    std::string captured;
    bool played = WaitUntil(
        [&] {
            captured = WaveSamples(capture.Bytes(), true).value_or("");
            at = captured.find(capture.samples);
            return at != std::string::npos;
        },
        Ms(10000), Ms(100));
    if (!c.Expect(played, what + L": the captured sound (" + N(static_cast<int>(captured.size())) +
                              L" bytes of samples) does not hold SOUND.wav's " +
                              N(static_cast<int>(capture.samples.size())) + L" bytes of samples"))
        return;
    Say(what + L": SOUND.wav's " + N(static_cast<int>(capture.samples.size())) +
        L" bytes of samples captured byte for byte, at offset " + N(static_cast<int>(at)) +
        L", complete " + Fixed(SecondsSince(since)) + L" s after it showed");
    size_t last = 0;
    auto stable = Clock::now();
    WaitUntil(
        [&] {
            size_t size = capture.Bytes().size();
            if (size != last) {
                last = size;
                stable = Clock::now();
            }
            return SecondsSince(stable) >= 1.5;
        },
        Ms(10000), Ms(100));
    captured = WaveSamples(capture.Bytes(), true).value_or("");
    c.Expect(captured.find(capture.samples, at + 1) == std::string::npos,
             what + L": SOUND.wav was played more than once (" +
                 N(static_cast<int>(captured.size())) + L" bytes captured)");
}

bool WaitAlarmHidden(HWND window, Ms timeout) {
    return WaitUntil([&] { return !IsVisible(window); }, timeout, Ms(10));
}

}  // namespace

// An "EVD" entry due two minutes ahead, with a long Japanese name, rings at the start of its
// minute: the window is shown and hides itself about 15 s later.
int EvdRings(const Options& o) {
    Checks c;
    SYSTEMTIME due = AddMinutes(LocalNow(), 2);
    auto run =
        StartBefore(c, o, L"evd-rings",
                    Cp932(WeekdayLine(L"月例ミーティングの資料を印刷する", L"EVD", due)), due);
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

// Two entries of one minute take turns: the date entry first, though listed after the weekday
// entry, then, after "了解", the weekday entry. The last "了解" hides the window at once; it
// does not come back within the minute (each entry rings once), and the next minute's alarm
// shows it again with the next name.
int OkHides(const Options& o) {
    Checks c;
    SYSTEMTIME due = AddMinutes(LocalNow(), 2);
    SYSTEMTIME next = AddMinutes(due, 1);
    // The next minute's name is 12 double-byte characters (24 bytes): shown whole.
    const std::wstring second = L"１２文字ちょうどの予定だ";
    auto run = StartBefore(c, o, L"ok-hides",
                           Cp932(WeekdayLine(L"Standup", L"EVD", due) + DateLine(L"歯医者", due) +
                                 WeekdayLine(second, L"EVD", next)),
                           due);
    if (!run)
        return c.failures() + 1;
    HWND alarm = WaitRing(c, *run, run->due, L"first alarm");
    if (!alarm)
        return c.failures();
    ExpectAlarmWindow(c, alarm, L"歯医者", L"first alarm");
    AlarmControls controls = ReadAlarmControls(alarm);
    HWND ok = controls.okButton;
    if (!ok || controls.labels.empty())
        return c.failures() + 1;

    PostMessageW(ok, BM_CLICK, 0, 0);
    bool turned = WaitUntil(
        [&] { return IsVisible(alarm) && TextOf(controls.labels[0].second) == L"Standup"; },
        Ms(3000));
    c.Expect(turned, L"after \"了解\" the window does not show the minute's second alarm");
    ExpectAlarmWindow(c, alarm, L"Standup", L"the minute's second alarm");

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
    auto run = StartBefore(c, o, L"wke-saturday", Cp932(text), due);
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
    auto run = StartBefore(
        c, o, L"date-midnight",
        Cp932(DateLine(L"新年のあいさつ", due) + DateLine(L"翌日の同時刻", dayAfter)), due);
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
    auto capture = StartSoundCapture(c);
    if (!capture)
        return c.failures();

    SYSTEMTIME due = AddMinutes(LocalNow(), 2);
    auto run = StartBefore(c, o, L"sound", Cp932(WeekdayLine(L"音の確認", L"EVD", due)), due);
    if (!run)
        return c.failures() + 1;
    HWND alarm = WaitRing(c, *run, run->due, L"sound");
    if (!alarm)
        return c.failures();
    auto seen = Clock::now();
    if (HWND ok = ReadAlarmControls(alarm).okButton)
        PostMessageW(ok, BM_CLICK, 0, 0);
    Say(L"capture holds " + N(static_cast<int>(capture->Bytes().size())) +
        L" bytes when \"了解\" is pressed");
    ExpectPlayedOnce(c, *capture, seen, L"the alarm window");
    return c.failures();
}

// Without SOUND.wav the alarm window still shows.
int NoSoundFile(const Options& o) {
    Checks c;
    SYSTEMTIME due = AddMinutes(LocalNow(), 2);
    auto run = StartBefore(c, o, L"no-sound-file",
                           Cp932(WeekdayLine(L"音なしでも表示", L"EVD", due)), due, false);
    if (!run)
        return c.failures() + 1;
    if (HWND alarm = WaitRing(c, *run, run->due, L"no SOUND.wav"))
        ExpectAlarmWindow(c, alarm, L"音なしでも表示", L"no SOUND.wav");
    c.Expect(!run->process.WaitExit(kQuietPeriod), L"the program ended after the alarm");
    return c.failures();
}

// The clock jumps two hours (as after a sleep) across a date entry and a weekday entry: one box
// lists both, oldest first, with one play of SOUND.wav and no alarm window; entries after the
// jump are not listed; one of them rings while the box is still open; the box does not come
// again.
int MissedAlarms(const Options& o) {
    Checks c;
    auto capture = StartSoundCapture(c);
    if (!capture)
        return c.failures();
    // Wednesday 10 March 2027, 5 s before 09:00; nothing is due at 09:00.
    const SYSTEMTIME start = LocalAt(2027, 3, 10, 9, 0);
    auto run = StartBefore(c, o, L"missed-alarms",
                           Cp932(WeekdayLine(L"朝の薬", L"WED", LocalAt(2027, 3, 10, 10, 15)) +
                                 DateLine(L"歯医者の予約", LocalAt(2027, 3, 10, 9, 30)) +
                                 DateLine(L"会議の準備", LocalAt(2027, 3, 10, 11, 5)) +
                                 DateLine(L"午後の会議", LocalAt(2027, 3, 10, 11, 30))),
                           start);
    // Once the splash has closed, the one-second tick has run: the jump is a gap it sees, not
    // the start-up, which reports nothing.
    if (!run || !ExpectSplashClosed(c, run->process.id()))
        return c.failures() + 1;

    if (!c.Expect(SetClockToUtc(WallClockNow() + 120 * kMinute), L"the clock cannot be moved"))
        return c.failures();
    auto moved = Clock::now();
    auto notice = ExpectMissedNotice(c, run->process.id(),
                                     {L"2027/03/10 09:30 歯医者の予約", L"2027/03/10 10:15 朝の薬"},
                                     L"two hours on");
    if (!notice)
        return c.failures();
    Say(L"the notice showed " + Fixed(SecondsSince(moved)) + L" s after the clock moved");
    ExpectPlayedOnce(c, *capture, moved, L"the notice");
    c.Expect(FindAlarm(run->process.id()) == nullptr,
             L"the alarm window showed for an alarm that was missed");
    Screenshot(L"missed-alarms", notice->window);

    // The tick goes on while the notice is open: an entry due meanwhile rings as always.
    if (!c.Expect(SetClockTo(LocalAt(2027, 3, 10, 11, 4, 57)), L"the clock cannot be moved"))
        return c.failures();
    HWND alarm = WaitTopWindow({kAlarmCaption, run->process.id(), true}, Ms(10000));
    if (c.Expect(alarm != nullptr, L"the 11:05 alarm did not ring while the notice was open"))
        ExpectAlarmWindow(c, alarm, L"会議の準備", L"while the notice is open");
    c.Expect(IsWindowVisible(notice->window) != FALSE, L"the notice closed when the alarm rang");

    c.Expect(AnswerMessageBox(*notice, IDOK), L"OK did not close the notice");
    c.Expect(!WaitMessageBox(run->process.id(), L"", kQuietPeriod).has_value(),
             L"another box came after the notice");
    c.Expect(run->process.Running(), L"the program ended after the notice");
    return c.failures();
}

}  // namespace e2e
