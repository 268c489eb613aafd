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

std::optional<DWORD> Process::ExitCode() const {
    DWORD code = 0;
    if (!handle_ || Running() || !GetExitCodeProcess(handle_, &code))
        return std::nullopt;
    return code;
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

}  // namespace e2e
