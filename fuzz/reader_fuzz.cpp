// Feeds arbitrary bytes to the schedule file reader as the content of Alarm_List.txt, then
// writes the tables back and reads the result again. Whatever the bytes, nothing may crash, the
// tables must stay within their capacity, and what the writer produces must read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/clock.h"
#include "platform/files.h"
#include "store/ScheduleReader.h"
#include "store/ScheduleWriter.h"

using namespace pelmora;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    MemoryFiles files;
    const Path path = "Alarm_List.txt";
    files.contents[path] = std::string(reinterpret_cast<const char*>(data), size);
    const ManualClock clock(MakeLocalTime(2026, 12, 7, 12, 0));

    ScheduleTables tables;
    int messages = 0;
    LoadScheduleFile(tables, files, path, clock, [&](const LineResult&) { ++messages; });
    if (tables.DateCount() < 0 || tables.DateCount() > ScheduleCapacity ||
        tables.WeekdayCount() < 0 || tables.WeekdayCount() > ScheduleCapacity) {
        std::abort();
    }

    // Whatever was loaded is written in the file's own format and must load again, completely
    // and without a message (the clock has not moved, so nothing became past).
    if (UpdateFile(tables, files, path)) {
        std::abort();
    }
    ScheduleTables again;
    bool complained = false;
    if (!LoadScheduleFile(again, files, path, clock,
                          [&](const LineResult&) { complained = true; }) ||
        complained || again.DateCount() != tables.DateCount() ||
        again.WeekdayCount() != tables.WeekdayCount()) {
        std::abort();
    }
    return 0;
}
