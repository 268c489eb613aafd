#include <windows.h>

#include "platform/clock.h"

namespace pelmora {

std::chrono::local_seconds SystemClock::Now() const {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return MakeLocalTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond);
}

}  // namespace pelmora
