#include "driver.h"

#include <fcntl.h>
#include <io.h>
#include <algorithm>
#include <cstdio>
#include <thread>

namespace e2e {

// --- output -------------------------------------------------------------------------------

std::string Utf8(const std::wstring& text) {
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

void Say(const std::wstring& line) {
    static const bool binary = _setmode(_fileno(stdout), _O_BINARY) != -1;  // no CR before LF
    (void)binary;
    std::string bytes = Utf8(line);
    bytes += '\n';
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    fflush(stdout);
}

std::wstring Visible(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'\n')
            out += L"\\n";
        else if (c == L'\r')
            out += L"\\r";
        else if (c == L'\t')
            out += L"\\t";
        else if (c < 0x20) {
            wchar_t escape[8];
            swprintf(escape, 8, L"\\x%02X", static_cast<unsigned>(c));
            out += escape;
        } else
            out += c;
    }
    return out;
}

std::wstring Visible(const std::string& bytes) {
    static const wchar_t* hex = L"0123456789ABCDEF";
    std::wstring out;
    for (unsigned char c : bytes) {
        if (c == '\n')
            out += L"\\n";
        else if (c == '\r')
            out += L"\\r";
        else if (c >= 0x20 && c < 0x7F)
            out += static_cast<wchar_t>(c);
        else {
            out += L"\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::wstring Fixed(double value, int decimals) {
    wchar_t text[32];
    swprintf(text, 32, L"%.*f", decimals, value);
    return text;
}

bool Checks::Expect(bool ok, const std::wstring& what) {
    if (!ok) {
        ++failures_;
        Say(L"FAIL: " + what);
    }
    return ok;
}

bool Checks::ExpectEq(const std::wstring& actual, const std::wstring& expected,
                      const std::wstring& what) {
    if (actual == expected)
        return true;
    ++failures_;
    Say(L"FAIL: " + what + L"\n  expected: \"" + Visible(expected) + L"\"\n  actual:   \"" +
        Visible(actual) + L"\"");
    return false;
}

// --- time -----------------------------------------------------------------------------------

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

bool WaitUntil(const std::function<bool()>& condition, Ms timeout, Ms poll) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (condition())
            return true;
        if (Clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(poll);
    }
}

namespace {
long long FromFileTime(const FILETIME& ft) {
    return static_cast<long long>((static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) |
                                  ft.dwLowDateTime);
}

FILETIME ToFileTime(long long instant) {
    const auto bits = static_cast<ULONGLONG>(instant);
    return {static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
}

long currentOffset = 0;  // the offset last written
}  // namespace

double Seconds(long long interval) {
    return static_cast<double>(interval) / kSecond;
}

long long WallClockNow() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    return FromFileTime(ft);
}

long long LocalToUtc(const SYSTEMTIME& local) {
    SYSTEMTIME utc;
    FILETIME ft{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &ft))
        Say(L"FAIL: cannot convert a local time to UTC");
    return FromFileTime(ft);
}

SYSTEMTIME LocalNow() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return t;
}

SYSTEMTIME LocalAt(int year, int month, int day, int hour, int minute, int second) {
    SYSTEMTIME t{};
    t.wYear = static_cast<WORD>(year);
    t.wMonth = static_cast<WORD>(month);
    t.wDay = static_cast<WORD>(day);
    t.wHour = static_cast<WORD>(hour);
    t.wMinute = static_cast<WORD>(minute);
    t.wSecond = static_cast<WORD>(second);
    return t;
}

SYSTEMTIME AddMinutes(SYSTEMTIME local, long long minutes) {
    local.wSecond = 0;
    local.wMilliseconds = 0;
    FILETIME ft{};
    SystemTimeToFileTime(&local, &ft);  // local time as if it were UTC: no zone rules apply
    const FILETIME later = ToFileTime(FromFileTime(ft) + minutes * kMinute);
    SYSTEMTIME out;
    FileTimeToSystemTime(&later, &out);
    return out;
}

long ClockOffset() {
    return currentOffset;
}

bool SetClockOffset(long seconds) {
    wchar_t path[1024];
    DWORD n = GetEnvironmentVariableW(L"PELMORA_TIME_OFFSET_FILE", path, 1024);
    if (n == 0 || n >= 1024) {
        Say(L"FAIL: PELMORA_TIME_OFFSET_FILE is not set; run the scenario through run-e2e.sh");
        return false;
    }
    const long long before = WallClockNow();
    if (!WriteBytes(WindowsPath(path), std::to_string(seconds) + "\n")) {
        Say(L"FAIL: cannot write the clock offset file " + std::wstring(path));
        return false;
    }
    // Expect the jump within a second of tolerance either way.
    const long long jump = static_cast<long long>(seconds - currentOffset) * kSecond;
    bool moved = jump == 0 || WaitUntil(
                                  [&] {
                                      long long d = WallClockNow() - before - jump;
                                      return d > -kSecond && d < kSecond;
                                  },
                                  Ms(3000));
    if (!moved) {
        Say(L"FAIL: the clock did not move; is the time-shift library preloaded?");
        return false;
    }
    currentOffset = seconds;
    return true;
}

bool SetClockToUtc(long long utc) {
    const long long real = WallClockNow() - ClockOffset() * kSecond;
    return SetClockOffset(static_cast<long>((utc - real) / kSecond));
}

bool SetClockTo(const SYSTEMTIME& local) {
    return SetClockToUtc(LocalToUtc(local));
}

// --- files and folders ----------------------------------------------------------------------

std::wstring WindowsPath(const std::wstring& path) {
    if (path.empty() || path[0] != L'/')
        return path;
    std::wstring out = L"Z:" + path;
    for (auto& c : out)
        if (c == L'/')
            c = L'\\';
    return out;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/'))
        return folder + name;
    return folder + L"\\" + name;
}

std::optional<std::string> ReadBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::string bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    return CloseHandle(file) && ok;
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<std::string> WaveSamples(const std::string& file, bool toEnd) {
    auto u32 = [&](size_t at) {
        return static_cast<size_t>(static_cast<unsigned char>(file[at])) |
               static_cast<size_t>(static_cast<unsigned char>(file[at + 1])) << 8 |
               static_cast<size_t>(static_cast<unsigned char>(file[at + 2])) << 16 |
               static_cast<size_t>(static_cast<unsigned char>(file[at + 3])) << 24;
    };
    if (file.size() < 12 || file.compare(0, 4, "RIFF") != 0 || file.compare(8, 4, "WAVE") != 0)
        return std::nullopt;
    for (size_t at = 12; at + 8 <= file.size();) {
        size_t size = u32(at + 4);
        if (file.compare(at, 4, "data") == 0)
            return file.substr(at + 8, toEnd ? std::string::npos : size);
        at += 8 + size + (size & 1);  // chunks are padded to even sizes
    }
    return std::nullopt;
}

std::string Cp932(const std::wstring& text) {
    if (text.empty())
        return {};
    int n = WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

RunFolder::RunFolder(const std::wstring& parent, const std::wstring& scenario,
                     const std::wstring& programPath,
                     const std::optional<std::string>& scheduleFile) {
    CreateDirectoryW(parent.c_str(), nullptr);
    for (int n = 1; n < 1000 && path_.empty(); ++n) {
        std::wstring candidate = JoinPath(parent, scenario + L"-" + std::to_wstring(n));
        if (CreateDirectoryW(candidate.c_str(), nullptr))
            path_ = candidate;
    }
    if (path_.empty()) {
        Say(L"FAIL: cannot create a run folder under " + parent);
        return;
    }
    if (!CopyFileW(programPath.c_str(), program().c_str(), TRUE)) {
        Say(L"FAIL: cannot copy " + programPath + L" to " + program());
        return;
    }
    if (scheduleFile && !WriteBytes(this->scheduleFile(), *scheduleFile)) {
        Say(L"FAIL: cannot write " + this->scheduleFile());
        return;
    }
    ok_ = true;
}

// --- processes ------------------------------------------------------------------------------

Process::Process(Process&& other) noexcept : handle_(other.handle_), id_(other.id_) {
    other.handle_ = nullptr;
    other.id_ = 0;
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        Terminate();
        if (handle_)
            CloseHandle(handle_);
        handle_ = other.handle_;
        id_ = other.id_;
        other.handle_ = nullptr;
        other.id_ = 0;
    }
    return *this;
}

Process::~Process() {
    Terminate();
    if (handle_)
        CloseHandle(handle_);
}

Process Process::Start(const std::wstring& program, const std::wstring& workingDirectory) {
    Process p;
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDirectory.c_str(), &si, &pi)) {
        Say(L"FAIL: cannot start " + program + L", error " + std::to_wstring(GetLastError()));
        return p;
    }
    CloseHandle(pi.hThread);
    p.handle_ = pi.hProcess;
    p.id_ = pi.dwProcessId;
    return p;
}

bool Process::Running() const {
    return handle_ && WaitForSingleObject(handle_, 0) == WAIT_TIMEOUT;
}

bool Process::WaitExit(Ms timeout) const {
    if (!handle_)
        return true;
    return WaitUntil([&] { return !Running(); }, timeout, Ms(20));
}

void Process::Terminate() {
    if (Running()) {
        TerminateProcess(handle_, 99);
        WaitForSingleObject(handle_, 5000);
    }
}

// --- windows --------------------------------------------------------------------------------

std::wstring WindowText(HWND window) {
    wchar_t buffer[1024];
    int n = GetWindowTextW(window, buffer, 1024);
    return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

std::wstring ClassName(HWND window) {
    wchar_t buffer[256];
    int n = GetClassNameW(window, buffer, 256);
    return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

DWORD WindowProcess(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

namespace {
struct FindState {
    const std::function<bool(HWND)>* accept;
    HWND found;
};

BOOL CALLBACK FindProc(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<FindState*>(param);
    if (!(*state->accept)(window))
        return TRUE;
    state->found = window;
    return FALSE;
}
}  // namespace

HWND FindTopWindowIf(const std::function<bool(HWND)>& accept) {
    FindState state{&accept, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

namespace {
bool Matches(HWND window, const WindowQuery& query) {
    return (!query.processId || WindowProcess(window) == *query.processId) &&
           (!query.visibleOnly || IsWindowVisible(window)) && WindowText(window) == query.caption;
}
}  // namespace

HWND FindTopWindow(const WindowQuery& query) {
    return FindTopWindowIf([&](HWND window) { return Matches(window, query); });
}

HWND WaitTopWindowIf(const std::function<bool(HWND)>& accept, Ms timeout) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindowIf(accept)) != nullptr; }, timeout);
    return found;
}

namespace {
BOOL CALLBACK ChildTextProc(HWND child, LPARAM param) {
    if (IsWindowVisible(child))
        reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(WindowText(child));
    return TRUE;
}

BOOL CALLBACK UnpaintedChildProc(HWND child, LPARAM param) {
    if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(param) = true;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

std::vector<std::wstring> ChildTexts(HWND window) {
    std::vector<std::wstring> texts;
    EnumChildWindows(window, ChildTextProc, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool WaitPainted(HWND window, Ms timeout) {
    return WaitUntil(
        [&] {
            if (!IsWindow(window))
                return true;
            if (GetUpdateRect(window, nullptr, FALSE))
                return false;
            bool unpainted = false;
            EnumChildWindows(window, UnpaintedChildProc, reinterpret_cast<LPARAM>(&unpainted));
            return !unpainted;
        },
        timeout);
}

HWND WaitTopWindow(const WindowQuery& query, Ms timeout) {
    return WaitTopWindowIf([&](HWND window) { return Matches(window, query); }, timeout);
}

namespace {
struct BoxChildren {
    std::vector<std::pair<int, int>> buttons;  // (left edge, id)
    bool hasIcon = false;
};

BOOL CALLBACK BoxChildProc(HWND child, LPARAM param) {
    auto* c = reinterpret_cast<BoxChildren*>(param);
    if (!IsWindowVisible(child))
        return TRUE;
    std::wstring cls = ClassName(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Button") == 0) {
        RECT r{};
        GetWindowRect(child, &r);
        c->buttons.emplace_back(r.left, GetDlgCtrlID(child));
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        if (SendMessageW(child, STM_GETICON, 0, 0) != 0)
            c->hasIcon = true;
    }
    return TRUE;
}
}  // namespace

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.window = box;
    view.title = WindowText(box);
    wchar_t buffer[4096];
    UINT n = GetDlgItemTextW(box, 0xFFFF, buffer, 4096);
    view.text.assign(buffer, n);
    BoxChildren children;
    EnumChildWindows(box, BoxChildProc, reinterpret_cast<LPARAM>(&children));
    std::sort(children.buttons.begin(), children.buttons.end());
    for (auto& b : children.buttons)
        view.buttons.push_back(b.second);
    view.hasIcon = children.hasIcon;
    return view;
}

std::optional<MessageBoxView> WaitMessageBox(DWORD processId, const std::wstring& title,
                                             Ms timeout) {
    HWND box = nullptr;
    bool found = WaitUntil(
        [&] {
            box = FindTopWindowIf([&](HWND window) {
                return WindowProcess(window) == processId && IsWindowVisible(window) &&
                       ClassName(window) == L"#32770" &&
                       (title.empty() || WindowText(window) == title);
            });
            // The text static is filled during WM_INITDIALOG; wait for it as well.
            return box && GetDlgItem(box, 0xFFFF) != nullptr;
        },
        timeout);
    if (!found)
        return std::nullopt;
    return ReadMessageBox(box);
}

bool AnswerMessageBox(const MessageBoxView& box, int buttonId, Ms timeout) {
    HWND button = GetDlgItem(box.window, buttonId);
    if (!button)
        return false;
    PostMessageW(button, BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); },
                     timeout);
}

std::wstring ButtonNames(const std::vector<int>& ids) {
    std::wstring out;
    for (int id : ids) {
        if (!out.empty())
            out += L",";
        switch (id) {
            case IDOK:
                out += L"OK";
                break;
            case IDCANCEL:
                out += L"Cancel";
                break;
            case IDYES:
                out += L"Yes";
                break;
            case IDNO:
                out += L"No";
                break;
            default:
                out += std::to_wstring(id);
        }
    }
    return out.empty() ? L"(none)" : out;
}

// --- controls of the program's windows ------------------------------------------------------

std::wstring TextOf(HWND control) {
    wchar_t buffer[1024];
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 3000, &n))
        return L"(no answer)";
    return std::wstring(buffer, std::min<size_t>(n, 1023));
}

std::vector<ChildControl> ChildControls(HWND window) {
    std::vector<ChildControl> controls;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ChildControl c;
        c.hwnd = child;
        c.className = ClassName(child);
        c.text = TextOf(child);
        GetWindowRect(child, &c.rect);
        controls.push_back(c);
    }
    return controls;
}

std::vector<HWND> ControlsOfClass(HWND window, const std::wstring& className) {
    std::vector<ChildControl> found;
    for (const ChildControl& c : ChildControls(window))
        if (_wcsicmp(c.className.c_str(), className.c_str()) == 0)
            found.push_back(c);
    std::stable_sort(found.begin(), found.end(), [](const ChildControl& a, const ChildControl& b) {
        return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
    });
    std::vector<HWND> out;
    for (const ChildControl& c : found)
        out.push_back(c.hwnd);
    return out;
}

std::vector<HWND> ButtonsCaptioned(HWND window, const std::wstring& caption) {
    std::vector<HWND> out;
    for (HWND button : ControlsOfClass(window, L"Button"))
        if (TextOf(button) == caption)
            out.push_back(button);
    return out;
}

// The items of a list box, or of a combo box's list, read with the control's own messages
// (both report an error as -1).
static std::vector<std::wstring> ItemTexts(HWND control, UINT countMessage, UINT lengthMessage,
                                           UINT textMessage) {
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(control, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT n = SendMessageW(control, lengthMessage, static_cast<WPARAM>(i), 0);
        if (n < 0) {
            items.push_back(L"(unreadable)");
            continue;
        }
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        const LRESULT got = SendMessageW(control, textMessage, static_cast<WPARAM>(i),
                                         reinterpret_cast<LPARAM>(text.data()));
        text.resize(got < 0 ? 0 : static_cast<size_t>(got));
        items.push_back(text);
    }
    return items;
}

std::vector<std::wstring> ListBoxLines(HWND list) {
    return ItemTexts(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

int ListBoxSelection(HWND list) {
    return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
}

bool ClickListRow(HWND list, int row) {
    RECT r{};
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&r)) == LB_ERR)
        return false;
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(list, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_ABORTIFHUNG, 3000,
                               &result) &&
           SendMessageTimeoutW(list, WM_LBUTTONUP, 0, at, SMTO_ABORTIFHUNG, 3000, &result);
}

std::vector<std::wstring> ComboEntries(HWND combo) {
    return ItemTexts(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int ComboSelection(HWND combo) {
    return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

HWND ComboEdit(HWND combo) {
    return FindWindowExW(combo, nullptr, L"Edit", nullptr);
}

bool PressComboKey(HWND combo, UINT virtualKey) {
    HWND edit = ComboEdit(combo);
    DWORD_PTR result = 0;
    return edit && SendMessageTimeoutW(edit, WM_KEYDOWN, virtualKey, 1, SMTO_ABORTIFHUNG, 3000,
                                       &result) != 0;
}

bool TypeChars(HWND edit, const std::wstring& text) {
    for (wchar_t ch : text) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(edit, WM_CHAR, ch, 1, SMTO_ABORTIFHUNG, 3000, &result))
            return false;
    }
    return true;
}

int DefaultButtonId(HWND dialog) {
    for (HWND button : ControlsOfClass(dialog, L"Button"))
        if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return GetDlgCtrlID(button);
    return 0;
}

// --- the tray icon and its menu -------------------------------------------------------------

void PostTrayEvent(HWND owner, UINT mouseEvent, UINT callbackMessage) {
    PostMessageW(owner, callbackMessage, 0, static_cast<LPARAM>(mouseEvent));
}

namespace {
bool IsPopupMenuOf(HWND window, DWORD processId) {
    return WindowProcess(window) == processId && IsWindowVisible(window) &&
           ClassName(window) == L"#32768";
}
}  // namespace

bool PopupMenuOpen(DWORD processId) {
    return FindTopWindowIf([&](HWND window) { return IsPopupMenuOf(window, processId); });
}

HWND WaitPopupMenu(DWORD processId, Ms timeout) {
    return WaitTopWindowIf([&](HWND window) { return IsPopupMenuOf(window, processId); }, timeout);
}

void ChooseMenuItemByKeys(HWND menu, int selectableIndex) {
    for (int i = 0; i <= selectableIndex; ++i)
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

void ChooseMenuItemByMnemonic(HWND menu, wchar_t key) {
    PostMessageW(menu, WM_CHAR, key, 0);
}

// --- screenshots ----------------------------------------------------------------------------

bool Screenshot(const std::wstring& name, HWND subject) {
    wchar_t folder[1024];
    DWORD n = GetEnvironmentVariableW(L"PELMORA_E2E_SHOTS", folder, 1024);
    if (n == 0 || n >= 1024)
        return false;
    // run-e2e.sh takes the shot when it reads this line, then creates <name>.png (or
    // <name>.failed); the driver waits for either.
    if (subject)
        WaitPainted(subject);
    std::wstring base = JoinPath(WindowsPath(folder), name);
    Say(L"SCREENSHOT " + name);
    bool done = WaitUntil(
        [&] { return FileExists(base + L".png") || FileExists(base + L".failed"); }, Ms(15000));
    return done && FileExists(base + L".png");
}

}  // namespace e2e
