#include "platform/clock.h"

namespace pelmora {

std::chrono::local_seconds MakeLocalTime(int year, int month, int day, int hour, int minute,
                                         int second) {
    using namespace std::chrono;
    const local_days first{std::chrono::year{year} /
                           std::chrono::month{static_cast<unsigned>(month)} / 1};
    return first + days{day - 1} + hours{hour} + minutes{minute} + seconds{second};
}

}  // namespace pelmora
