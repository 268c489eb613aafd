#include <time.h>

#include "platform/clock.h"

namespace pelmora {

LocalMilliseconds SystemClock::NowPrecise() const {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    tm local{};
    localtime_r(&ts.tv_sec, &local);
    return LocalMilliseconds(MakeLocalTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                                           local.tm_hour, local.tm_min, local.tm_sec)) +
           std::chrono::milliseconds(ts.tv_nsec / 1000000);
}

}  // namespace pelmora
