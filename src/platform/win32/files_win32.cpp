#include <windows.h>

#include <algorithm>
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

}  // namespace

std::optional<std::string> DiskFiles::ReadAll(const Path& path) {
    FileHandle file(CreateFileW(win32::Widen(path.Utf8()).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    const std::uint64_t sizeHint = GetFileSizeEx(file.get(), &size) && size.QuadPart > 0
                                       ? static_cast<std::uint64_t>(size.QuadPart)
                                       : 0;
    return ReadWhole(sizeHint, [&](char* buffer, std::size_t capacity) {
        DWORD n = 0;
        const DWORD ask = static_cast<DWORD>(std::min<std::size_t>(capacity, 1 << 20));
        if (!ReadFile(file.get(), buffer, ask, &n, nullptr)) {
            return std::optional<std::size_t>();
        }
        return std::optional<std::size_t>(n);
    });
}

std::optional<WriteError> DiskFiles::Replace(const Path& path, std::string_view bytes) {
    const auto injected = [&](WriteStep step) { return failAt && failAt(step); };

    if (injected(WriteStep::CreateTemp)) {
        return WriteError{WriteStep::CreateTemp, 0};
    }
    // A name of our own beside the target, so the final move stays within one volume.
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
    // From here on a failure closes and removes the temporary file.
    struct TempGuard {
        FileHandle& file;
        const std::wstring& name;
        bool keep = false;
        ~TempGuard() {
            file.Close();
            if (!keep) {
                DeleteFileW(name.c_str());
            }
        }
    } guard{file, tempName};

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
    if (!MoveFileExW(tempName.c_str(), target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return WriteError{WriteStep::Replace, LastError()};
    }
    guard.keep = true;
    return std::nullopt;
}

}  // namespace pelmora
