// The round trip of the schedule file: whatever bytes the reader accepts, the writer writes in a
// form that reads back as the same tables (names as the file can hold them), needing no backup,
// and a second write gives the same bytes as the first.
//
// The clock decides which date lines are past. Two fixed clocks are tried: the start of 2001,
// before every date the reader takes, so that every well-formed date line is written back, and
// a day in the middle of the years it takes, so that past lines are dropped at the first read. A
// written line is never past at the same clock, since it was not past when it was read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/text.h"
#include "store/ScheduleReader.h"
#include "store/ScheduleWriter.h"

using namespace pelmora;

namespace {

// A name as it comes back from the file: line breaks left out, a comma full width, and each
// character that code page 932 cannot hold (U+FFFD among them) a question mark.
std::string AsWritten(std::string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        const std::string_view c = name.substr(i, Utf8CharLength(name, i));
        i += c.size();
        if (c == "\n" || c == "\r") {
            continue;
        }
        out += c == "," ? "，" : Utf8ToCp932(c) == "?" ? "?" : std::string(c);
    }
    return out;
}

ScheduleTables AsWritten(const ScheduleTables& t) {
    ScheduleTables out;
    for (std::int16_t k = 1; k <= t.DateCount(); ++k) {
        out.AppendDate({AsWritten(t.Date(k).Name), t.Date(k).DateTime});
    }
    for (std::int16_t k = 1; k <= t.WeekdayCount(); ++k) {
        const WeekdaySchedule& e = t.Weekday(k);
        out.AppendWeekday({AsWritten(e.Name), e.Code, e.TimeOfDay});
    }
    return out;
}

void RoundTrip(const std::string& bytes, const ManualClock& clock) {
    ScheduleTables first;
    if (!LoadScheduleBytes(first, bytes, clock, nullptr)) {
        return;
    }
    const std::string written = ScheduleFileBytes(first);
    ScheduleTables second;
    bool complained = false;
    ReadFile read;
    if (!LoadScheduleBytes(
            second, written, clock, [&](const LineResult&) { complained = true; }, &read) ||
        complained || read.needsBackup || !(second == AsWritten(first)) ||
        ScheduleFileBytes(second) != written) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    RoundTrip(bytes, ManualClock(MakeLocalTime(2001, 1, 1, 0, 0)));
    RoundTrip(bytes, ManualClock(MakeLocalTime(2051, 6, 15, 12, 0)));
    return 0;
}
