#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string>

#include "platform/files.h"
#include "platform/win32/Handles.h"
#include "platform/win32/utf16.h"

namespace pelmora {
namespace {

using win32::FileHandle;

int LastError() {
    return static_cast<int>(GetLastError());
}

// The code of a call that reported failure; never 0, which would count as success.
int FailureCode() {
    const int code = LastError();
    return code != 0 ? code : static_cast<int>(ERROR_GEN_FAILURE);
}

// Another program has the file open without sharing what we ask, or has locked a part of it.
bool Busy(int code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

// Renaming over a file that another program has open without FILE_SHARE_DELETE reports access
// denied. (So does a read-only target; that failure then counts once the budget is used up.)
bool BusyForRename(int code) {
    return Busy(code) || code == ERROR_ACCESS_DENIED;
}

Pause PauseOrSleep(const Pause& seam) {
    if (seam) {
        return seam;
    }
    return [](std::chrono::milliseconds wait) { Sleep(static_cast<DWORD>(wait.count())); };
}

}  // namespace

FileStamp DiskFiles::Stamp(const Path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(win32::Widen(path.Utf8()).c_str(), GetFileExInfoStandard, &data)) {
        return {};
    }
    return {true, (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow,
            static_cast<std::int64_t>((std::uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) |
                                      data.ftLastWriteTime.dwLowDateTime)};
}

std::optional<std::string> DiskFiles::ReadAll(const Path& path) {
    const std::wstring name = win32::Widen(path.Utf8());
    std::optional<std::string> bytes;
    const auto attempt = [&]() -> int {
        FileHandle file(CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            return FailureCode();
        }
        LARGE_INTEGER size{};
        const std::uint64_t sizeHint = GetFileSizeEx(file.get(), &size) && size.QuadPart > 0
                                           ? static_cast<std::uint64_t>(size.QuadPart)
                                           : 0;
        int readError = 0;
        bytes = ReadWhole(sizeHint, [&](char* buffer, std::size_t capacity) {
            DWORD n = 0;
            const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(capacity, 1 << 20));
            if (!ReadFile(file.get(), buffer, ask, &n, nullptr)) {
                readError = FailureCode();  // busy when another program locked a range
                return std::optional<std::size_t>();
            }
            return std::optional<std::size_t>(n);
        });
        if (bytes) {
            return 0;
        }
        return readError != 0 ? readError : static_cast<int>(ERROR_NOT_ENOUGH_MEMORY);
    };
    if (RetryWhileBusy(attempt, Busy, PauseOrSleep(pause)) != 0) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<WriteError> DiskFiles::Replace(const Path& path, std::string_view bytes) {
    const auto injected = [&](WriteStep step) { return failAt && failAt(step); };

    if (injected(WriteStep::CreateTemp)) {
        return WriteError{WriteStep::CreateTemp, 0};
    }
    const Pause wait = PauseOrSleep(pause);
    // A name of our own beside the target, so the final move stays within one volume. It is new
    // and opened without sharing, so no other program can hold it while it is created and
    // written; one that opens it after it is closed holds up the rename, which is tried again.
    const std::wstring target = win32::Widen(path.Utf8());
    std::wstring tempName;
    FileHandle file;
    for (unsigned attempt = 0; attempt < 100 && !file.valid(); ++attempt) {
        tempName = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"-" +
                   std::to_wstring(attempt) + L".tmp";
        file.Reset(CreateFileW(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid() && GetLastError() != ERROR_FILE_EXISTS) {
            break;
        }
    }
    if (!file.valid()) {
        return WriteError{WriteStep::CreateTemp, LastError()};
    }
    // From here on a failure closes and removes the temporary file (waiting a moment for a
    // program that has just opened it).
    struct TempGuard {
        FileHandle& file;
        const std::wstring& name;
        const Pause& wait;
        bool keep = false;
        ~TempGuard() {
            file.Close();
            if (!keep) {
                RetryWhileBusy([&] { return DeleteFileW(name.c_str()) ? 0 : FailureCode(); }, Busy,
                               wait);
            }
        }
    } guard{file, tempName, wait};

    if (injected(WriteStep::Write)) {
        return WriteError{WriteStep::Write, 0};
    }
    for (std::size_t done = 0; done < bytes.size();) {
        DWORD n = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &n, nullptr)) {
            return WriteError{WriteStep::Write, LastError()};
        }
        done += n;
    }
    if (injected(WriteStep::Flush)) {
        return WriteError{WriteStep::Flush, 0};
    }
    if (!FlushFileBuffers(file.get())) {
        return WriteError{WriteStep::Flush, LastError()};
    }
    if (!file.Close()) {
        return WriteError{WriteStep::Flush, LastError()};
    }
    if (injected(WriteStep::Replace)) {
        return WriteError{WriteStep::Replace, 0};
    }
    const int replaced = RetryWhileBusy(
        [&] {
            return MoveFileExW(tempName.c_str(), target.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
                       ? 0
                       : FailureCode();
        },
        BusyForRename, wait);
    if (replaced != 0) {
        return WriteError{WriteStep::Replace, replaced};
    }
    guard.keep = true;
    return std::nullopt;
}

}  // namespace pelmora
