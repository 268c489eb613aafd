#include <windows.h>

#include "platform/clock.h"

namespace pelmora {

LocalMilliseconds SystemClock::NowPrecise() const {
    // GetLocalTime moves in steps of the system tick (usually 15.6 ms), which would make the
    // aligned one-second tick that much later; the precise clock exists from Windows 8 on.
    using PreciseFn = VOID(WINAPI*)(LPFILETIME);
    static const auto precise = reinterpret_cast<PreciseFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME utcFile{};
    if (precise) {
        precise(&utcFile);
    } else {
        GetSystemTimeAsFileTime(&utcFile);
    }
    SYSTEMTIME utc{};
    SYSTEMTIME st{};
    if (!FileTimeToSystemTime(&utcFile, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &st)) {
        GetLocalTime(&st);
    }
    return LocalMilliseconds(
               MakeLocalTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond)) +
           std::chrono::milliseconds(st.wMilliseconds);
}

}  // namespace pelmora
