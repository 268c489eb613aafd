// The calendar rules of the store: leap years and month lengths.
#include <gtest/gtest.h>

#include "store/Calendar.h"

namespace pelmora {
namespace {

TEST(Calendar, LeapYearsAndMonthLengths) {
    const struct {
        int year;
        bool leap;
    } years[] = {
        {2027, false}, {2028, true}, {2100, false}, {2000, true}, {1900, false}, {2400, true},
    };
    for (const auto& y : years) {
        SCOPED_TRACE(y.year);
        EXPECT_EQ(IsLeapYear(y.year), y.leap);
        EXPECT_EQ(MonthLength(y.year, 2), y.leap ? 29 : 28);
    }
    const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    for (int month = 1; month <= 12; ++month) {
        EXPECT_EQ(MonthLength(2027, month), days[month - 1]) << month;
    }
}

}  // namespace
}  // namespace pelmora
