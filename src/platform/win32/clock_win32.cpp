#include <windows.h>

#include "platform/clock.h"

namespace pelmora {

LocalMilliseconds SystemClock::NowPrecise() const {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalMilliseconds(
               MakeLocalTime(st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond)) +
           std::chrono::milliseconds(st.wMilliseconds);
}

}  // namespace pelmora
