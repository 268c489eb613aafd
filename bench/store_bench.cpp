// The cost of the tick and of the schedule file over full tables (100 date and 100 weekday
// entries): one AlarmTick::Tick, one DueAt, loading a 200-line file and rewriting it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

#include "BenchTables.h"
#include "alarm/AlarmTick.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/text.h"
#include "store/ScheduleReader.h"
#include "store/ScheduleTables.h"
#include "store/ScheduleWriter.h"

namespace pelmora::bench {
namespace {

using std::chrono::local_seconds;
using std::chrono::minutes;
using std::chrono::seconds;

const ScheduleTables& FullTables() {
    static const ScheduleTables tables = MakeFullTables();
    return tables;
}

// A minute start at which the tables have entries due, and one at which they have none.
local_seconds MinuteWithAlarms() {
    return FullTables().Date(1).DateTime;
}

local_seconds MinuteWithoutAlarms() {
    for (local_seconds s = WeekStart();; s += minutes{1}) {
        if (DueAt(FullTables(), s).empty()) {
            return s;
        }
    }
}

// The usual tick: the next second after the last one, which is not a minute start (59 in 60).
void BM_Tick_OrdinarySecond(benchmark::State& state) {
    AlarmTick tick;
    const local_seconds base = MinuteWithoutAlarms();
    benchmark::DoNotOptimize(tick.Tick(FullTables(), base));
    std::int64_t n = 0;
    for (auto _ : state) {
        // Seconds 1 to 59 of consecutive minutes.
        const local_seconds now = base + seconds{n / 59 * 60 + n % 59 + 1};
        benchmark::DoNotOptimize(tick.Tick(FullTables(), now));
        ++n;
    }
}
BENCHMARK(BM_Tick_OrdinarySecond);

// A tick at a minute start: one full pass over both tables. A fresh tick examines just the
// current second, the same work as the next second after the last one.
void BM_Tick_MinuteStart(benchmark::State& state) {
    const local_seconds minute = state.range(0) ? MinuteWithAlarms() : MinuteWithoutAlarms();
    for (auto _ : state) {
        AlarmTick tick;
        benchmark::DoNotOptimize(tick.Tick(FullTables(), minute));
    }
}
BENCHMARK(BM_Tick_MinuteStart)->ArgName("due")->Arg(0)->Arg(1);

// A tick 60 s after the last one: the longest catch-up, one minute start among 60 seconds.
void BM_Tick_CatchUp60s(benchmark::State& state) {
    AlarmTick tick;
    local_seconds now = MinuteWithoutAlarms() - seconds{30};
    benchmark::DoNotOptimize(tick.Tick(FullTables(), now));
    for (auto _ : state) {
        now += seconds{60};
        benchmark::DoNotOptimize(tick.Tick(FullTables(), now));
    }
}
BENCHMARK(BM_Tick_CatchUp60s);

void BM_DueAt(benchmark::State& state) {
    const local_seconds minute = state.range(0) ? MinuteWithAlarms() : MinuteWithoutAlarms();
    for (auto _ : state) {
        benchmark::DoNotOptimize(DueAt(FullTables(), minute));
    }
}
BENCHMARK(BM_DueAt)->ArgName("due")->Arg(0)->Arg(1);

// The file as a user would keep it: CP932, CR LF, one line per entry, written by hand here
// rather than by the writer.
std::string ScheduleFileBytes() {
    using namespace std::chrono;
    const ScheduleTables& t = FullTables();
    std::string text;
    for (std::int16_t i = 1; i <= t.DateCount(); ++i) {
        const DateSchedule& e = t.Date(i);
        const local_days day = floor<days>(e.DateTime);
        const year_month_day ymd{day};
        const hh_mm_ss time{e.DateTime - day};
        text += e.Name + "," + std::to_string(static_cast<int>(ymd.year())) + "," +
                std::to_string(static_cast<unsigned>(ymd.month())) + "," +
                std::to_string(static_cast<unsigned>(ymd.day())) + "," +
                std::to_string(time.hours().count()) + "," +
                std::to_string(time.minutes().count()) + "\r\n";
    }
    for (std::int16_t j = 1; j <= t.WeekdayCount(); ++j) {
        const WeekdaySchedule& e = t.Weekday(j);
        const hh_mm_ss time{e.TimeOfDay};
        text += e.Name + "," + e.Code + "," + std::to_string(time.hours().count()) + "," +
                std::to_string(time.minutes().count()) + "\r\n";
    }
    return Utf8ToCp932(text);
}

void BM_LoadScheduleFile(benchmark::State& state) {
    MemoryFiles files;
    const Path path = ScheduleFileName;
    files.contents[path] = ScheduleFileBytes();
    const ManualClock clock{LocalMilliseconds{(WeekStart() - minutes{1}).time_since_epoch()}};
    int messages = 0;
    const LineMessageSink onMessage = [&](const LineResult&) { ++messages; };
    {
        ScheduleTables check;
        if (!LoadScheduleFile(check, files, path, clock, onMessage) || messages != 0 ||
            check.DateCount() != ScheduleCapacity || check.WeekdayCount() != ScheduleCapacity) {
            state.SkipWithError("the generated file does not load whole");
            return;
        }
    }
    for (auto _ : state) {
        ScheduleTables tables;
        benchmark::DoNotOptimize(LoadScheduleFile(tables, files, path, clock, onMessage));
        benchmark::DoNotOptimize(tables);
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(files.contents[path].size()));
}
BENCHMARK(BM_LoadScheduleFile);

void BM_UpdateFile(benchmark::State& state) {
    MemoryFiles files;
    const Path path = ScheduleFileName;
    for (auto _ : state) {
        benchmark::DoNotOptimize(UpdateFile(FullTables(), files, path));
    }
    state.SetBytesProcessed(state.iterations() *
                            static_cast<std::int64_t>(files.contents[path].size()));
}
BENCHMARK(BM_UpdateFile);

}  // namespace
}  // namespace pelmora::bench

BENCHMARK_MAIN();
