// Scenarios of the setup (installer/Pelmora.nsi), run silently in a prefix where Pelmora was
// never installed: what an installation puts where, what an update keeps, a running Pelmora
// ended through its Exit before its program is replaced or removed (or left running when it
// cannot end) and started again by the silent update, and what the uninstaller leaves.
//
// The setup of the build under test lies beside its program, in the folder "setup" beside
// PELMORA_EXE: Pelmora-<version>-setup.exe, made from the files in its folder "stage".
#include <algorithm>
#include <cstdlib>

#include "scenarios.h"

// After windows.h.
#include <knownfolders.h>
#include <shlobj.h>
#include <shobjidl.h>

namespace e2e {
namespace {

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Pelmora";
// A setup that has to wait for Pelmora gives it 10 s before it gives up.
constexpr Ms kSetupDeadline{40000};
// Appended to an installed Pelmora.exe (which still runs), so a replaced one is told apart.
const std::string kMarker = "\r\n-- an older Pelmora.exe --\r\n";

// A handle closed with its owner.
class Handle {
  public:
    explicit Handle(HANDLE h = nullptr) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() {
        if (h_)
            CloseHandle(h_);
    }
    HANDLE get() const { return h_; }

  private:
    HANDLE h_;
};

// COM for this thread, for as long as it lives.
class ComScope {
  public:
    ComScope() : ok_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    ~ComScope() {
        if (ok_)
            CoUninitialize();
    }

  private:
    bool ok_;
};

// A COM interface pointer released with its owner.
template <typename T>
class Com {
  public:
    Com() = default;
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    ~Com() {
        if (p_)
            p_->Release();
    }
    T* operator->() const { return p_; }
    T** out() { return &p_; }
    explicit operator bool() const { return p_ != nullptr; }

  private:
    T* p_ = nullptr;
};

// --- the setup under test -------------------------------------------------------------------

struct Setup {
    std::wstring exe;
    std::wstring stage;    // the files it installs
    std::wstring version;  // from its name
};

std::wstring FolderOf(const std::wstring& path) {
    const auto slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

std::optional<Setup> FindSetup(Checks& c, const Options& o) {
    const std::wstring folder = JoinPath(FolderOf(o.program), L"setup");
    WIN32_FIND_DATAW found{};
    Handle search(FindFirstFileW(JoinPath(folder, L"Pelmora-*-setup.exe").c_str(), &found));
    if (!c.Expect(search.get() != nullptr, L"no setup Pelmora-<version>-setup.exe in " + folder +
                                               L" (target pelmora_setup)"))
        return std::nullopt;
    const std::wstring name = found.cFileName;
    const std::wstring prefix = L"Pelmora-", suffix = L"-setup.exe";
    return Setup{JoinPath(folder, name), JoinPath(folder, L"stage"),
                 name.substr(prefix.size(), name.size() - prefix.size() - suffix.size())};
}

// Runs `commandLine` and waits until it and every process it started have ended (the uninstaller
// hands its work to a copy of itself in the temporary folder and returns at once): its exit
// code, or nothing when it could not be started or did not end within kSetupDeadline. `seconds`
// is how long it took. With `starts`, what it starts runs on unwaited (a setup's new Pelmora).
std::optional<DWORD> RunToEnd(Checks& c, std::wstring commandLine, double& seconds,
                              bool starts = false) {
    Handle job(CreateJobObjectW(nullptr, nullptr));
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    // Whatever is left of a failed run ends with this function.
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE | (starts ? JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK : 0);
    SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const auto start = Clock::now();
    if (!c.Expect(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE,
                                 CREATE_SUSPENDED, nullptr, L"C:\\", &si, &pi) != FALSE,
                  L"cannot start " + commandLine + L", error " + N(int(GetLastError()))))
        return std::nullopt;
    Handle process(pi.hProcess), thread(pi.hThread);
    c.Expect(AssignProcessToJobObject(job.get(), process.get()) != FALSE,
             L"cannot watch " + commandLine + L" in a job, error " + N(int(GetLastError())));
    ResumeThread(thread.get());
    const bool ended = WaitUntil(
        [&] {
            JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info{};
            return QueryInformationJobObject(job.get(), JobObjectBasicAccountingInformation, &info,
                                             sizeof info, nullptr) &&
                   info.ActiveProcesses == 0;
        },
        kSetupDeadline, Ms(50));
    seconds = SecondsSince(start);
    DWORD code = 0;
    if (!c.Expect(ended, commandLine + L" has not ended after " + Fixed(seconds, 1) + L" s") ||
        !GetExitCodeProcess(process.get(), &code))
        return std::nullopt;
    Say(commandLine + L": exit code " + N(int(code)) + L" after " + Fixed(seconds) + L" s");
    return code;
}

// Runs the setup silently; true when it succeeded.
bool RunSetup(Checks& c, const Setup& s, const std::wstring& what) {
    double seconds = 0;
    const auto code = RunToEnd(c, L"\"" + s.exe + L"\" /S", seconds, true);
    return code && c.Expect(*code == 0, what + L": the setup failed, exit code " + N(int(*code)));
}

// --- where things go --------------------------------------------------------------------------

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::wstring out;
    if (SUCCEEDED(SHGetKnownFolderPath(id, 0, nullptr, &path)))
        out = path;
    CoTaskMemFree(path);
    return out;
}

std::wstring InstallFolder() {
    return KnownFolder(FOLDERID_LocalAppData) + L"\\Programs\\Pelmora";
}
std::wstring StartMenuLink() {
    return JoinPath(KnownFolder(FOLDERID_Programs), L"Pelmora.lnk");
}
std::wstring StartupLink() {
    return JoinPath(KnownFolder(FOLDERID_Startup), L"Pelmora.lnk");
}
std::wstring Installed(const wchar_t* name) {
    return JoinPath(InstallFolder(), name);
}

// The names in a folder, sorted.
std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found{};
    Handle search(FindFirstFileW(JoinPath(folder, L"*").c_str(), &found));
    if (search.get()) {
        do {
            const std::wstring name = found.cFileName;
            if (name != L"." && name != L"..")
                names.push_back(name);
        } while (FindNextFileW(search.get(), &found));
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::wstring Joined(const std::vector<std::wstring>& names) {
    std::wstring out;
    for (const std::wstring& name : names)
        out += (out.empty() ? L"" : L", ") + name;
    return out;
}

struct Shortcut {
    std::wstring target;
    std::wstring workingDirectory;
};

std::optional<Shortcut> ReadShortcut(const std::wstring& link) {
    Com<IShellLinkW> shellLink;
    Com<IPersistFile> file;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(shellLink.out()))) ||
        FAILED(shellLink->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.out()))) ||
        FAILED(file->Load(link.c_str(), STGM_READ)))
        return std::nullopt;
    wchar_t target[MAX_PATH] = L"", folder[MAX_PATH] = L"";
    shellLink->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH);
    shellLink->GetWorkingDirectory(folder, MAX_PATH);
    return Shortcut{target, folder};
}

bool UninstallKeyExists() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

std::optional<std::wstring> UninstallString(const wchar_t* name) {
    wchar_t value[1024];
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(value);
}

std::optional<DWORD> UninstallNumber(const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &value,
                     &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// Pelmora is nowhere yet: no folder, no shortcut, no key.
bool ExpectNothingInstalled(Checks& c, const std::wstring& what) {
    const int before = c.failures();
    for (const std::wstring& path : {InstallFolder(), StartMenuLink(), StartupLink()})
        c.Expect(GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES,
                 what + L": " + path + L" exists");
    c.Expect(!UninstallKeyExists(), what + L": the key HKCU\\" + kUninstallKey + L" exists");
    return c.failures() == before;
}

void ExpectSameBytes(Checks& c, const std::wstring& actual, const std::wstring& expected,
                     const std::wstring& what) {
    const auto a = ReadBytes(actual);
    c.Expect(a.has_value(), what + L": " + actual + L" cannot be read");
    c.Expect(a && a == ReadBytes(expected), what + L": " + actual + L" differs from " + expected);
}

// A shortcut that starts the installed Pelmora.exe in its own folder.
void ExpectShortcut(Checks& c, const std::wstring& link, const std::wstring& what) {
    const auto shortcut = ReadShortcut(link);
    if (!c.Expect(shortcut.has_value(), what + L": no shortcut " + link))
        return;
    c.ExpectEq(shortcut->target, Installed(L"Pelmora.exe"), what + L": the target of " + link);
    c.ExpectEq(shortcut->workingDirectory, InstallFolder(), what + L": the folder of " + link);
}

// The uninstall key under HKCU with every value "Apps" shows and uses.
void ExpectUninstallKey(Checks& c, const Setup& s, const std::wstring& what) {
    const std::wstring folder = InstallFolder();
    const std::wstring uninstaller = L"\"" + JoinPath(folder, L"Uninstall.exe") + L"\"";
    const std::pair<const wchar_t*, std::wstring> strings[] = {
        {L"DisplayName", L"Pelmora"},
        {L"DisplayVersion", s.version},
        {L"Publisher", L"Pelmora"},
        {L"DisplayIcon", JoinPath(folder, L"Pelmora.exe") + L",0"},
        {L"InstallLocation", folder},
        {L"UninstallString", uninstaller},
        {L"QuietUninstallString", uninstaller + L" /S"},
    };
    for (const auto& [name, expected] : strings)
        c.ExpectEq(UninstallString(name).value_or(L"(missing)"), expected, what + L": " + name);
    for (const wchar_t* flag : {L"NoModify", L"NoRepair"})
        c.Expect(UninstallNumber(flag) == 1u, what + L": " + flag + L" is not 1");
    // EstimatedSize is in KB: the folder's files, give or take the rounding.
    unsigned long long bytes = 0;
    for (const std::wstring& name : FolderEntries(folder))
        bytes += ReadBytes(JoinPath(folder, name)).value_or("").size();
    const long long size = UninstallNumber(L"EstimatedSize").value_or(0);
    c.Expect(std::llabs(size - static_cast<long long>(bytes / 1024)) <= 2,
             what + L": EstimatedSize is " + N(int(size)) + L" KB, the folder holds " +
                 N(int(bytes / 1024)) + L" KB");
}

// A complete installation: the folder holds exactly the program's files, the uninstaller and
// the schedules; both shortcuts (the Startup one when `startup`) and the key are there.
void ExpectInstallation(Checks& c, const Setup& s, bool startup, const std::wstring& what) {
    const std::vector<std::wstring> files = {L"Alarm_List.txt", L"Pelmora.exe", L"README.txt",
                                             L"SOUND.wav", L"Uninstall.exe"};
    c.ExpectEq(Joined(FolderEntries(InstallFolder())), Joined(files),
               what + L": the files in " + InstallFolder());
    ExpectSameBytes(c, Installed(L"Pelmora.exe"), JoinPath(s.stage, L"Pelmora.exe"), what);
    ExpectSameBytes(c, Installed(L"README.txt"), JoinPath(s.stage, L"README.txt"), what);
    ExpectShortcut(c, StartMenuLink(), what);
    if (startup)
        ExpectShortcut(c, StartupLink(), what);
    else
        c.Expect(!FileExists(StartupLink()), what + L": " + StartupLink() + L" exists");
    ExpectUninstallKey(c, s, what);
}

// Appends kMarker to the installed Pelmora.exe (it still runs).
bool MarkInstalledProgram(Checks& c) {
    const auto exe = ReadBytes(Installed(L"Pelmora.exe"));
    return c.Expect(exe && WriteBytes(Installed(L"Pelmora.exe"), *exe + kMarker),
                    L"cannot mark the installed Pelmora.exe");
}
bool InstalledProgramMarked() {
    const std::string exe = ReadBytes(Installed(L"Pelmora.exe")).value_or("");
    return exe.size() > kMarker.size() && exe.ends_with(kMarker);
}

// Starts the installed Pelmora.exe (from C:\) on `file` and waits until it is resident: its
// splash gone, its icon in the tray, no message box.
Process StartInstalled(Checks& c, const std::string& file, const wchar_t* what) {
    c.Expect(WriteBytes(Installed(L"Alarm_List.txt"), file), L"cannot write Alarm_List.txt");
    Process p = Process::Start(Installed(L"Pelmora.exe"), L"C:\\");
    if (p.started() && ExpectQuietStart(c, p, what)) {
        ExpectSplashClosed(c, p.id());
        ExpectTrayShown(c);
    }
    return p;
}

// A program that has ended through its Exit: exit code 0 (a killed one has another), its icon
// gone from the tray (unless `restarted`: the setup's new Pelmora may show one already).
void ExpectEndedByExit(Checks& c, const Process& p, const std::wstring& what,
                       bool restarted = false) {
    c.Expect(p.WaitExit(Ms(5000)), what + L": Pelmora still runs");
    c.Expect(p.ExitCode() == DWORD(0), what + L": Pelmora ended with exit code " +
                                           N(int(p.ExitCode().value_or(-1))) + L", not 0");
    if (!restarted)
        ExpectTrayHidden(c);
}

// The installed Pelmora that the setup started after it had ended process `old`: ended here
// through its tray menu's Exit, leaving no icon.
void ExpectRestarted(Checks& c, DWORD old, const std::wstring& what) {
    const HWND main = WaitTopWindowIf(
        [&](HWND w) {
            return ClassName(w) == L"PelmoraForm" && WindowText(w) == kMainCaption &&
                   WindowProcess(w) != old;
        },
        kStartDeadline);
    if (!c.Expect(main != nullptr, what + L": the setup started no Pelmora"))
        return;
    const DWORD id = WindowProcess(main);
    Handle process(OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE,
                               FALSE, id));
    wchar_t image[MAX_PATH] = L"";
    DWORD size = MAX_PATH, code = 1;
    QueryFullProcessImageNameW(process.get(), 0, image, &size);
    c.ExpectEq(image, Installed(L"Pelmora.exe"), what + L": the program started");
    if (HWND menu = ExpectSplashClosed(c, id) ? OpenTrayMenu(c, main, id, WM_RBUTTONDOWN) : nullptr)
        ChooseMenuItemByKeys(menu, kMenuExit);
    const bool ended = WaitForSingleObject(process.get(), 5000) == WAIT_OBJECT_0;
    c.Expect(ended && GetExitCodeProcess(process.get(), &code) && code == 0,
             what + L": the new Pelmora did not end through its Exit");
    if (!ended)
        TerminateProcess(process.get(), 1);  // else it would hold the driver's output open
    ExpectTrayHidden(c);
}

void ExpectScheduleFile(Checks& c, const std::string& expected, const std::wstring& what) {
    c.ExpectEq(Visible(ReadBytes(Installed(L"Alarm_List.txt")).value_or("(missing)")),
               Visible(expected), what + L": Alarm_List.txt");
}

// A schedule file as a user may have written it: blanks, a lower-case code, a date entry of the
// next year, and an entry that falls due soon after the start (past, once the clock has been
// moved 150 s on). Nothing in it is skipped, so Exit keeps no Alarm_List.bak.
struct UserFile {
    std::string bytes;
    std::string afterExit;  // what Exit writes back, 150 s later
};
UserFile MakeUserFile() {
    const SYSTEMTIME soon = AddMinutes(LocalNow(), 2);  // 60 to 120 s ahead
    const SYSTEMTIME nextYear = LocalAt(LocalNow().wYear + 1, 1, 5, 14, 0);
    return {
        Cp932(L"朝会 , wkd , 9 , 0\r\n" + DateLine(L"歯医者", nextYear) + DateLine(L"Soon", soon)),
        Cp932(WrittenDateLine(L"歯医者", nextYear) + L"朝会,WKD, 9, 0\r\n")};
}

// Moves the clock 150 s on, past the entry "Soon", and waits until the program has seen the new
// time: its notice of the entry passed over shows (the exit request ends it with the box open).
bool MovePastSoon(Checks& c, const Process& p) {
    return c.Expect(SetClockOffset(150), L"the clock cannot be moved") &&
           c.Expect(WaitMessageBox(p.id(), L"Pelmora", kBoxDeadline).has_value(),
                    L"no notice of the entry \"Soon\" passed over");
}

}  // namespace

// A silent installation into a fresh prefix: the files (the program and the uninstaller, the
// chime, the README and the sample schedules), both shortcuts, the uninstall key; the Start
// menu's shortcut starts the program, which loads the sample without a box and writes it back
// unchanged at Exit.
int SetupInstall(const Options& o) {
    Checks c;
    ComScope com;
    const auto s = FindSetup(c, o);
    if (!s || !ExpectNothingInstalled(c, L"before") || !RunSetup(c, *s, L"install"))
        return c.failures() + 1;
    Say(L"installed into " + InstallFolder() + L"; shortcuts " + StartMenuLink() + L" and " +
        StartupLink());
    ExpectInstallation(c, *s, true, L"install");
    ExpectSameBytes(c, Installed(L"Pelmora.exe"), o.program, L"install");
    for (const wchar_t* name : {L"Alarm_List.txt", L"SOUND.wav"})
        ExpectSameBytes(c, Installed(name), JoinPath(s->stage, name), L"install");
    const std::string sample = ReadBytes(Installed(L"Alarm_List.txt")).value_or("");
    c.ExpectEq(Visible(sample),
               Visible(Cp932(L"ゴミ出し,MON, 7, 0\r\n朝礼,WKD, 8, 30\r\n散歩,EVD, 18, 0\r\n")),
               L"the sample schedules");

    // Started as the Start menu starts it: the shortcut's target in the shortcut's folder.
    const auto shortcut = ReadShortcut(StartMenuLink());
    if (!shortcut)
        return c.failures();
    Process p = Process::Start(shortcut->target, shortcut->workingDirectory);
    if (!ExpectQuietStart(c, p, L"started from the Start menu") || !ExpectSplashClosed(c, p.id()))
        return c.failures();
    HWND menu = OpenTrayMenu(c, FindMain(p.id()), p.id(), WM_RBUTTONDOWN);
    if (!menu)
        return c.failures();
    ChooseMenuItemByKeys(menu, kMenuExit);
    ExpectEndedByExit(c, p, L"Exit from the tray menu");
    ExpectScheduleFile(c, sample, L"after Exit");
    return c.failures();
}

// An update over an installation the user has lived with: the changed Alarm_List.txt (a note,
// bytes that are not Shift_JIS) stays byte for byte, as do Alarm_List.bak and a chime the user
// replaced; a Startup shortcut the user removed stays removed; the program and the README are
// replaced.
int SetupUpgrade(const Options& o) {
    Checks c;
    ComScope com;
    const auto s = FindSetup(c, o);
    if (!s || !RunSetup(c, *s, L"install"))
        return c.failures() + 1;

    const std::string schedules =
        Cp932(L"メモ: 朝は早め\r\nゴミ出し,mon,7,0\r\n\r\n散歩,EVD, 18, 0\r\n") +
        "\x81\xff\xfe\r\n";
    std::string chime = ReadBytes(Installed(L"SOUND.wav")).value_or("");
    chime += std::string(64, '\x7f');  // another sound, as far as the setup can tell
    const std::string backup = "the file as read once\r\n";
    const bool changed = c.Expect(WriteBytes(Installed(L"Alarm_List.txt"), schedules) &&
                                      WriteBytes(Installed(L"Alarm_List.bak"), backup) &&
                                      WriteBytes(Installed(L"SOUND.wav"), chime) &&
                                      WriteBytes(Installed(L"README.txt"), "old") &&
                                      DeleteFileW(StartupLink().c_str()),
                                  L"cannot change the installation");
    if (!changed || !MarkInstalledProgram(c) || !RunSetup(c, *s, L"update"))
        return c.failures() + 1;

    ExpectScheduleFile(c, schedules, L"after the update");
    c.Expect(ReadBytes(Installed(L"Alarm_List.bak")) == backup,
             L"after the update: Alarm_List.bak changed");
    c.Expect(ReadBytes(Installed(L"SOUND.wav")) == chime,
             L"after the update: the user's SOUND.wav was replaced");
    c.Expect(!InstalledProgramMarked(), L"after the update: Pelmora.exe was not replaced");
    DeleteFileW(Installed(L"Alarm_List.bak").c_str());  // the listing below is of the setup's
    ExpectInstallation(c, *s, false, L"after the update");
    return c.failures();
}

// An installation over a running Pelmora: the setup asks it to end, and it ends through its
// Exit (the entry that fell due meanwhile purged, the file rewritten in its format, exit code 0);
// then its program is replaced and the new one started, which the scenario ends through Exit.
int SetupWhileRunning(const Options& o) {
    Checks c;
    ComScope com;
    const auto s = FindSetup(c, o);
    if (!c.Expect(SetClockOffset(0), L"the clock cannot be moved") || !s ||
        !RunSetup(c, *s, L"install") || !MarkInstalledProgram(c))
        return c.failures() + 1;
    const UserFile file = MakeUserFile();
    Process p = StartInstalled(c, file.bytes, L"the installed Pelmora");
    if (!p.Running() || !MovePastSoon(c, p))
        return c.failures() + 1;

    const bool installed = RunSetup(c, *s, L"install over the running Pelmora");
    ExpectEndedByExit(c, p, L"the setup", true);
    ExpectScheduleFile(c, file.afterExit, L"after the setup");
    c.Expect(installed && !InstalledProgramMarked(), L"Pelmora.exe was not replaced");
    ExpectInstallation(c, *s, true, L"after the setup");
    ExpectRestarted(c, p.id(), L"after the setup");
    ExpectScheduleFile(c, file.afterExit, L"after the restarted Pelmora's Exit");
    SetClockOffset(0);
    return c.failures();
}

// A Pelmora that cannot end (a box of its start-up's load open, where Exit cannot be chosen):
// the setup gives up after 10 s (silently: exit code 2) and changes nothing; the program, never
// killed, runs on, also once the box is closed. The next setup ends it through Exit.
int SetupBusy(const Options& o) {
    Checks c;
    ComScope com;
    const auto s = FindSetup(c, o);
    if (!s || !RunSetup(c, *s, L"install") || !MarkInstalledProgram(c))
        return c.failures() + 1;
    const std::string file = Cp932(L"旅行,2030,13,1,9,0\r\n朝会,wkd,9,0\r\n");
    c.Expect(WriteBytes(Installed(L"Alarm_List.txt"), file), L"cannot write Alarm_List.txt");
    Process p = Process::Start(Installed(L"Pelmora.exe"), L"C:\\");
    const auto box = WaitMessageBox(p.id(), L"エラー", kBoxDeadline);
    if (!c.Expect(box.has_value(), L"the load's box for the month 13 did not come"))
        return c.failures();

    double seconds = 0;
    const auto code = RunToEnd(c, L"\"" + s->exe + L"\" /S", seconds);
    c.Expect(code == DWORD(2), L"the setup that could not end Pelmora: exit code " +
                                   N(int(code.value_or(-1))) + L", not 2");
    c.Expect(seconds >= 9.5, L"the setup gave up after " + Fixed(seconds, 1) + L" s, before 10 s");
    c.Expect(p.Running(), L"Pelmora was ended while its box was open");
    c.Expect(IsWindow(box->window) && IsWindowVisible(box->window), L"the load's box has gone");
    c.Expect(InstalledProgramMarked(), L"Pelmora.exe was replaced although Pelmora runs");
    ExpectScheduleFile(c, file, L"while the box is open");

    // The request was refused, not kept: the program runs on once the load is over.
    c.Expect(AnswerMessageBox(*box, IDOK), L"the load's box did not close");
    c.Expect(!p.WaitExit(kQuietPeriod), L"Pelmora ended after its box was closed");
    ExpectScheduleFile(c, file, L"after the box");
    c.Expect(!FileExists(Installed(L"Alarm_List.bak")), L"Alarm_List.bak was written");

    if (!RunSetup(c, *s, L"the setup again"))
        return c.failures();
    ExpectEndedByExit(c, p, L"the setup again", true);
    ExpectScheduleFile(c, Cp932(L"朝会,WKD, 9, 0\r\n"), L"after the setup again");
    c.Expect(ReadBytes(Installed(L"Alarm_List.bak")) == file,
             L"Exit did not keep the file as read as Alarm_List.bak");
    c.Expect(!InstalledProgramMarked(), L"Pelmora.exe was not replaced");
    ExpectRestarted(c, p.id(), L"the setup again");
    return c.failures();
}

// The uninstaller, run as "Apps" runs it silently (QuietUninstallString) while Pelmora runs: it
// ends Pelmora through Exit, then removes the program, the uninstaller, both shortcuts, the key
// and nothing else: Alarm_List.txt (as Exit wrote it) and Alarm_List.bak stay.
int SetupUninstall(const Options& o) {
    Checks c;
    ComScope com;
    const auto s = FindSetup(c, o);
    if (!c.Expect(SetClockOffset(0), L"the clock cannot be moved") || !s ||
        !RunSetup(c, *s, L"install"))
        return c.failures() + 1;
    const std::string backup = Cp932(L"朝会,WKD, 9, 0\r\nメモ\r\n");
    c.Expect(WriteBytes(Installed(L"Alarm_List.bak"), backup), L"cannot write Alarm_List.bak");
    const UserFile file = MakeUserFile();
    Process p = StartInstalled(c, file.bytes, L"the installed Pelmora");
    if (!p.Running() || !MovePastSoon(c, p))
        return c.failures() + 1;

    const auto command = UninstallString(L"QuietUninstallString");
    if (!c.Expect(command.has_value(), L"no QuietUninstallString"))
        return c.failures();
    double seconds = 0;
    const auto code = RunToEnd(c, *command, seconds);
    c.Expect(code == DWORD(0), L"the uninstaller: exit code " + N(int(code.value_or(-1))));
    ExpectEndedByExit(c, p, L"the uninstaller");
    c.ExpectEq(Joined(FolderEntries(InstallFolder())), L"Alarm_List.bak, Alarm_List.txt",
               L"left in " + InstallFolder());
    ExpectScheduleFile(c, file.afterExit, L"after the uninstaller");
    c.Expect(ReadBytes(Installed(L"Alarm_List.bak")) == backup, L"Alarm_List.bak changed");
    for (const std::wstring& link : {StartMenuLink(), StartupLink()})
        c.Expect(!FileExists(link), link + L" is left");
    c.Expect(!UninstallKeyExists(), std::wstring(L"the key HKCU\\") + kUninstallKey + L" is left");
    SetClockOffset(0);
    return c.failures();
}

}  // namespace e2e
