#include "store/Calendar.h"

namespace pelmora {

using namespace std::chrono;

bool IsLeapYear(int y) {
    return year{y}.is_leap();
}

int MonthLength(int y, int m) {
    const year_month_day_last last{year{y}, month_day_last{month{static_cast<unsigned>(m)}}};
    return static_cast<int>(static_cast<unsigned>(last.day()));
}

int WeekdayNumberOf(local_seconds t) {
    return static_cast<int>(weekday{floor<days>(t)}.c_encoding()) + 1;
}

seconds TimeOfDayOf(local_seconds t) {
    return t - floor<days>(t);
}

DateTimeParts SplitDateTime(local_seconds t) {
    const local_days day = floor<days>(t);
    const year_month_day ymd{day};
    const hh_mm_ss time{t - day};
    return {static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
            static_cast<unsigned>(ymd.day()), static_cast<long>(time.hours().count()),
            static_cast<long>(time.minutes().count())};
}

}  // namespace pelmora
