// One simulated week of the one-second tick under a realistic window timer, for two designs
// side by side:
//   plain  a free-running 1000 ms timer whose every tick rings what is due at the current
//          second, with no memory;
//   ours   the timer re-armed after every tick to fall just after the next second
//          (DelayToNextSecond), ringing through one AlarmTick.
// Both see the same timer: every interval is late by a uniform 0 to 16 ms, the first tick comes
// at an arbitrary phase, and a few times an hour the thread stalls for 1 to 3 s. A tick due
// during a stall fires once when the stall ends (window timers coalesce) and the next interval
// is measured from there.
//
// The computer also sleeps five times in the week, for 10 minutes to 9 hours, at fixed times.
// While it sleeps no tick fires; the tick due during the sleep fires once on waking, like after a
// stall, and the clock reading has jumped by the length of the sleep. The plain design rings
// what is due at the waking second and nothing else; ours rings that too and reports what the
// sleep passed over (the tick's `missed`, shown in one box). An alarm counts as reported once,
// however many boxes list it.
//
// Time syncs step the clock 20 times, back or forward by 0.2 to 3 s: 18 at random, one 2 s back
// just after an alarm (its second is lived through twice), one 3 s forward just before one (its
// second is never read). Once the user sets the clock an hour back, and the alarms of that hour
// fall due again. A step moves the clock reading only; the timer keeps its schedule. The run
// ends when the clock reads the end of the week. A further ring of an alarm counts by the largest
// set-back since its previous ring: doubled after a time sync (60 s or less), doubled after a
// set-back by the user (more) or, with none, doubled. An alarm counts once as rung, reported or
// missed, however often its second is lived through.
//
// The clock is read to the millisecond. With --coarse-clock it is read as GetLocalTime reads it
// at the system's default timer resolution: in steps of 1/64 s (15.625 ms), at a fixed phase to
// the second, so a tick that fires just after a second may still read the one before.
//
// The program prints figures only; it judges nothing.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <random>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "BenchTables.h"
#include "alarm/AlarmTick.h"
#include "platform/clock.h"
#include "store/ScheduleTables.h"

namespace pelmora::bench {
namespace {

using std::chrono::days;
using std::chrono::floor;
using std::chrono::local_seconds;
using std::chrono::milliseconds;
using std::chrono::seconds;

constexpr std::uint32_t kTimerSeed = 1;  // phase and jitter
constexpr std::uint32_t kStallSeed = 2;  // when the thread stalls, and for how long
constexpr std::uint32_t kSyncSeed = 3;   // when the clock is stepped, which way and how far
constexpr double kStallsPerHour = 3.0;   // Poisson rate
constexpr int kStallMinMs = 1000;
constexpr int kStallMaxMs = 3000;
constexpr int kJitterMaxMs = 16;  // each interval is late by 0 to this
constexpr int kPlainIntervalMs = 1000;
// The coarse clock's step, in microseconds, and where its steps fall within the second.
constexpr std::int64_t kCoarseStepUs = 15625;
constexpr std::int64_t kCoarsePhaseUs = 7000;
constexpr int kRandomSyncs = 18;  // besides the two placed ones
constexpr int kSyncMinMs = 200;
constexpr int kSyncMaxMs = 3000;
// The largest set-back the tick takes for a time sync.
constexpr std::int64_t kSyncBackMaxMs = 60'000;
// Ticks go on a little past the week, so that a tick held up at its very end still counts.
constexpr milliseconds kRunOn{5000};

// Simulated time: milliseconds since the start of the week.
using SimMs = std::int64_t;

// A span of simulated time in which no tick fires: a stall of the thread or a sleep.
struct Stall {
    SimMs begin;
    SimMs end;
};

// The sleeps: when each begins (day of the week from Monday, and time of day) and how long it
// lasts. Chosen against the fixed tables so that one wakes two seconds after an alarm (the
// waking tick must report it), one wakes within an alarm's second (the waking tick rings it),
// one begins ten milliseconds before an alarm, and two run over midnight.
struct SleepTime {
    int day;
    int hour, minute, second, millisecond;
    std::chrono::minutes length;
};
constexpr SleepTime kSleeps[] = {
    {0, 12, 44, 2, 400, std::chrono::minutes{10}},
    {1, 18, 29, 0, 300, std::chrono::minutes{45}},
    {2, 12, 53, 59, 990, std::chrono::hours{2}},
    {3, 23, 10, 41, 250, std::chrono::hours{5} + std::chrono::minutes{30}},
    {5, 22, 40, 17, 800, std::chrono::hours{9}},
};

// A step of the clock: at simulated time `at` its reading moves by `by` ms.
struct Step {
    SimMs at;
    SimMs by;
};

// Days from Monday and a time of day, as milliseconds of the week.
constexpr SimMs OnClock(int day, int hour, int minute, int second, int millisecond) {
    return (((day * 24LL + hour) * 60 + minute) * 60 + second) * 1000 + millisecond;
}
// Steps placed against the fixed tables, `at` as the clock reads it (so are the sleeps): 2 s
// back 1.5 s after the alarm of Tue 10:45:00, 3 s forward 0.6 s before that of Thu 09:15:00, and
// the user's change, whose re-lived hour holds five alarm seconds.
constexpr Step kPlacedSyncs[] = {{OnClock(1, 10, 45, 1, 500), -2000},
                                 {OnClock(3, 9, 14, 59, 400), 3000}};
constexpr Step kUserChange = {OnClock(6, 16, 30, 12, 500), -3'600'000};

// How far the clock reads ahead of simulated time t.
SimMs OffsetAt(const std::vector<Step>& steps, SimMs t) {
    SimMs offset = 0;
    for (const Step& s : steps) {
        offset += s.at <= t ? s.by : 0;
    }
    return offset;
}

// The simulated time at which the clock reads `clock` (the first such, before any later set-back).
SimMs MomentOf(const std::vector<Step>& steps, SimMs clock) {
    return clock - OffsetAt(steps, clock - OffsetAt(steps, clock));
}

std::vector<Step> MakeSteps() {
    std::mt19937 rng(kSyncSeed);
    std::uniform_int_distribution<SimMs> atMs(0, days{7} / milliseconds{1} - 1);
    std::uniform_int_distribution<int> sizeMs(kSyncMinMs, kSyncMaxMs);
    std::bernoulli_distribution back(0.5);
    std::vector<Step> steps;
    for (int i = 0; i < kRandomSyncs; ++i) {
        const SimMs at = atMs(rng);
        const SimMs by = sizeMs(rng);
        steps.push_back({at, back(rng) ? -by : by});
    }
    for (const Step& p : {kPlacedSyncs[0], kPlacedSyncs[1], kUserChange}) {
        steps.push_back({MomentOf(steps, p.at), p.by});
    }
    std::sort(steps.begin(), steps.end(), [](const Step& a, const Step& b) { return a.at < b.at; });
    return steps;
}

// The sleeps in simulated time; they begin when the clock reads the table's time.
std::vector<Stall> MakeSleeps(const std::vector<Step>& steps) {
    std::vector<Stall> sleeps;
    for (const SleepTime& z : kSleeps) {
        const SimMs begin =
            MomentOf(steps, OnClock(z.day, z.hour, z.minute, z.second, z.millisecond));
        sleeps.push_back({begin, begin + milliseconds{z.length}.count()});
    }
    return sleeps;
}

// The spans as the clock reads them.
std::vector<Stall> OnClock(std::vector<Stall> spans, const std::vector<Step>& steps) {
    for (Stall& s : spans) {
        s = {s.begin + OffsetAt(steps, s.begin), s.end + OffsetAt(steps, s.end)};
    }
    return spans;
}

// Whether simulated time t falls within one of the spans.
bool Within(const std::vector<Stall>& spans, SimMs t) {
    return std::any_of(spans.begin(), spans.end(),
                       [t](const Stall& s) { return s.begin <= t && t < s.end; });
}

// How many of the seconds `from` to `to` (both included, counted from the start of the week)
// begin within one of the spans.
std::int64_t SecondsBeginningWithin(const std::vector<Stall>& spans, std::int64_t from,
                                    std::int64_t to) {
    std::int64_t n = 0;
    for (const Stall& s : spans) {
        const std::int64_t first = std::max(from, (s.begin + 999) / 1000);
        const std::int64_t last = std::min(to, (s.end + 999) / 1000 - 1);
        n += std::max<std::int64_t>(0, last - first + 1);
    }
    return n;
}

std::vector<Stall> MakeStalls(SimMs until) {
    std::mt19937 rng(kStallSeed);
    std::exponential_distribution<double> gapMs(kStallsPerHour / 3'600'000.0);
    std::uniform_int_distribution<int> lengthMs(kStallMinMs, kStallMaxMs);
    std::vector<Stall> stalls;
    double at = gapMs(rng);
    while (at < static_cast<double>(until)) {
        const SimMs begin = static_cast<SimMs>(at);
        stalls.push_back({begin, begin + lengthMs(rng)});
        at += gapMs(rng);
    }
    return stalls;
}

// Which days of the week (bit 0 Sunday ... bit 6 Saturday) a code rings on, written out here
// independently of the tick's own tests.
unsigned DayMask(std::string_view code) {
    constexpr unsigned kSun = 1u << 0, kSat = 1u << 6;
    constexpr unsigned kMonToFri = 0b0111110;
    static const std::map<std::string_view, unsigned> masks = {
        {"SUN", kSun},      {"MON", 1u << 1},          {"TUE", 1u << 2},
        {"WED", 1u << 3},   {"THU", 1u << 4},          {"FRI", 1u << 5},
        {"SAT", kSat},      {"WKD", kMonToFri},        {"WKE", kSun | kSat},
        {"EVD", 0b1111111}, {"MTS", kMonToFri | kSat},
    };
    const auto it = masks.find(code);
    return it == masks.end() ? 0 : it->second;
}

unsigned DayBit(local_seconds t) {
    return 1u << std::chrono::weekday{floor<days>(t)}.c_encoding();
}

// An alarm: an entry (date entries 0 to 99, weekday entries 100 to 199) and its due second.
using Alarm = std::pair<int, local_seconds>;

struct Week {
    ScheduleTables tables;
    local_seconds start;
    local_seconds end;
    std::unordered_map<std::string, int> entryOf;  // name -> entry number
    std::set<Alarm> expected;
};

// Milliseconds from the start of the week to the start of the alarm's due second.
SimMs DueMs(const Week& w, const Alarm& a) {
    return std::chrono::duration_cast<milliseconds>(a.second - w.start).count();
}

Week MakeWeek() {
    Week w{MakeFullTables(), WeekStart(), WeekStart() + kWeek, {}, {}};
    for (std::int16_t i = 1; i <= w.tables.DateCount(); ++i) {
        const DateSchedule& e = w.tables.Date(i);
        w.entryOf[e.Name] = i - 1;
        if (e.DateTime >= w.start && e.DateTime < w.end) {
            w.expected.insert({i - 1, e.DateTime});
        }
    }
    for (std::int16_t j = 1; j <= w.tables.WeekdayCount(); ++j) {
        const WeekdaySchedule& e = w.tables.Weekday(j);
        const int entry = ScheduleCapacity + j - 1;
        w.entryOf[e.Name] = entry;
        for (local_seconds day = w.start; day < w.end; day += days{1}) {
            if (DayMask(e.Code) & DayBit(day)) {
                w.expected.insert({entry, day + e.TimeOfDay});
            }
        }
    }
    return w;
}

// The alarms DueAt finds when asked at every minute start of the week; the enumeration above
// should agree with it exactly.
std::size_t DisagreementsWithDueAt(const Week& w) {
    std::set<Alarm> found;
    for (local_seconds s = w.start; s < w.end; s += std::chrono::minutes{1}) {
        for (const std::string& name : DueAt(w.tables, s)) {
            found.insert({w.entryOf.at(name), s});
        }
    }
    std::vector<Alarm> diff;
    std::set_symmetric_difference(found.begin(), found.end(), w.expected.begin(), w.expected.end(),
                                  std::back_inserter(diff));
    return diff.size();
}

// The same for DueBetween, asked once for the whole week: the list a sleep's report is drawn
// from.
std::size_t DisagreementsWithDueBetween(const Week& w) {
    std::set<Alarm> found;
    for (const MissedAlarm& a : DueBetween(w.tables, w.start - seconds{1}, w.end)) {
        found.insert({w.entryOf.at(a.name), a.due});
    }
    std::vector<Alarm> diff;
    std::set_symmetric_difference(found.begin(), found.end(), w.expected.begin(), w.expected.end(),
                                  std::back_inserter(diff));
    return diff.size();
}

// The latest second, not after `now`, at which the entry was due; or nothing when it cannot
// have been due within the last minute (a ring at a wrong time).
std::optional<local_seconds> DueSecondOf(const Week& w, int entry, local_seconds now) {
    local_seconds due;
    if (entry < ScheduleCapacity) {
        due = w.tables.Date(static_cast<std::int16_t>(entry + 1)).DateTime;
    } else {
        const WeekdaySchedule& e =
            w.tables.Weekday(static_cast<std::int16_t>(entry - ScheduleCapacity + 1));
        due = floor<days>(now) + e.TimeOfDay;
        if (due > now) {
            due -= days{1};
        }
        if (!(DayMask(e.Code) & DayBit(due))) {
            return std::nullopt;
        }
    }
    if (due > now || now - due > seconds{60}) {
        return std::nullopt;
    }
    return due;
}

struct Result {
    std::int64_t ticks = 0;
    std::int64_t ticksHeldByStall = 0;
    std::int64_t ticksHeldBySleep = 0;    // one per sleep: the tick that fires on waking
    std::int64_t secondsWithoutTick = 0;  // whole seconds of the week, awake, no tick fell in
    std::int64_t secondsWithTwoTicks = 0;
    std::int64_t rings = 0;           // calls of RingAlarm for alarms of the week
    std::int64_t wrongTime = 0;       // rings that match no due second
    std::int64_t wrongReports = 0;    // reported alarms that were not expected at that time
    std::size_t rung = 0;             // expected alarms rung at least once
    std::size_t reported = 0;         // expected alarms reported at least once
    std::size_t missed = 0;           // neither rung nor reported
    std::size_t doubled = 0;          // expected alarms rung again with no set-back between
    std::int64_t doubledBySync = 0;   // rings again after a set-back of 60 s or less
    std::int64_t doubledByUser = 0;   // rings again after a larger one
    std::size_t rungAndReported = 0;  // both
    std::size_t reportedTwice = 0;
    std::size_t sleptRung = 0;           // of the alarms due during a sleep, those rung
    std::size_t sleptReported = 0;       // and those reported
    std::vector<std::int64_t> delaysMs;  // due second's start to the first ring, per alarm
};

enum class Design { Plain, Ours };

// The clock reading at simulated time t (ms).
SimMs ReadClock(SimMs t, bool coarse) {
    if (!coarse) {
        return t;
    }
    const std::int64_t us = t * 1000 + kCoarsePhaseUs;
    return (us / kCoarseStepUs * kCoarseStepUs - kCoarsePhaseUs) / 1000;
}

// When a span holds up the tick due at t, moves t to the end of the span (and of any span it
// runs into) and returns true. The spans before `next` are past.
bool HoldUp(const std::vector<Stall>& spans, std::size_t& next, SimMs& t) {
    while (next < spans.size() && spans[next].end <= t) {
        ++next;
    }
    if (next == spans.size() || spans[next].begin > t) {
        return false;
    }
    while (next < spans.size() && spans[next].begin <= t) {
        t = std::max(t, spans[next].end);  // overlapping spans chain
        ++next;
    }
    return true;
}

// The sleeps are given both in simulated time and as the clock reads them.
Result Simulate(const Week& w, const std::vector<Stall>& stalls, const std::vector<Stall>& sleeps,
                const std::vector<Stall>& sleepsRead, const std::vector<Step>& steps, Design design,
                bool coarse) {
    std::mt19937 rng(kTimerSeed);
    std::uniform_int_distribution<int> phaseMs(0, 999);
    std::uniform_int_distribution<int> jitterMs(0, kJitterMaxMs);
    const SimMs stop = std::chrono::duration_cast<milliseconds>(w.end - w.start + kRunOn).count();
    const LocalMilliseconds origin{w.start.time_since_epoch()};

    Result r;
    AlarmTick tick;
    // Per alarm: rings with no set-back before, the first ring's delay, the steps passed at its
    // latest ring.
    struct Rang {
        int rings = 0;
        std::int64_t delayMs = 0;
        std::size_t steps = 0;
    };
    std::map<Alarm, Rang> rang;
    std::map<Alarm, int> reports;  // alarm -> times reported
    std::size_t nextStall = 0;
    std::size_t nextSleep = 0;
    std::size_t nextStep = 0;
    SimMs offset = 0;  // how far the clock reads ahead
    std::int64_t lastSecond = -1;
    SimMs t = phaseMs(rng);
    while (t + OffsetAt(steps, t) < stop) {
        // A tick due during a stall or a sleep fires once, when it ends; a stall may run into a
        // sleep and the other way round.
        bool stalled = false;
        bool slept = false;
        for (;;) {
            const bool byStall = HoldUp(stalls, nextStall, t);
            const bool bySleep = HoldUp(sleeps, nextSleep, t);
            if (!byStall && !bySleep) {
                break;
            }
            stalled = stalled || byStall;
            slept = slept || bySleep;
        }
        r.ticksHeldByStall += stalled ? 1 : 0;
        r.ticksHeldBySleep += slept ? 1 : 0;
        for (; nextStep < steps.size() && steps[nextStep].at <= t; ++nextStep) {
            offset += steps[nextStep].by;
        }
        const LocalMilliseconds now = origin + milliseconds{t + offset};  // the exact reading
        const SimMs read = ReadClock(t + offset, coarse);
        const LocalMilliseconds reading = origin + milliseconds{read};
        const local_seconds second = floor<seconds>(reading);
        ++r.ticks;
        // Seconds as the tick sees them.
        const std::int64_t secondIndex = read / 1000;
        if (secondIndex < 7 * 86400) {
            if (secondIndex == lastSecond) {
                ++r.secondsWithTwoTicks;
            } else if (secondIndex > lastSecond + 1) {
                r.secondsWithoutTick +=
                    secondIndex - lastSecond - 1 -
                    SecondsBeginningWithin(sleepsRead, lastSecond + 1, secondIndex - 1);
            }
        }
        lastSecond = secondIndex;

        Ticked ticked;
        if (design == Design::Plain) {
            ticked.due = DueAt(w.tables, second);
        } else {
            ticked = tick.Tick(w.tables, second);
        }
        for (const MissedAlarm& m : ticked.missed) {
            if (m.due >= w.end) {
                continue;  // the next week's alarm, outside the measurement
            }
            const Alarm a{w.entryOf.at(m.name), m.due};
            if (!w.expected.contains(a)) {
                ++r.wrongReports;
                continue;
            }
            ++reports[a];
        }
        for (const std::string& name : ticked.due) {
            const int entry = w.entryOf.at(name);
            const std::optional<local_seconds> due = DueSecondOf(w, entry, second);
            if (due && *due >= w.end) {
                continue;  // the next week's alarm, outside the measurement
            }
            ++r.rings;
            if (!due || !w.expected.contains({entry, *due})) {
                ++r.wrongTime;
                continue;
            }
            auto [it, first] = rang.try_emplace({entry, *due});
            Rang& g = it->second;
            if (first) {
                g.delayMs = (now - LocalMilliseconds{due->time_since_epoch()}).count();
                g.steps = nextStep;
            }
            SimMs back = 0;  // the largest set-back since its previous ring
            for (; g.steps < nextStep; ++g.steps) {
                back = std::min(back, steps[g.steps].by);
            }
            r.doubledByUser += back < -kSyncBackMaxMs ? 1 : 0;
            r.doubledBySync += back < 0 && back >= -kSyncBackMaxMs ? 1 : 0;
            g.rings += back < 0 ? 0 : 1;
        }

        const milliseconds interval =
            design == Design::Plain ? milliseconds{kPlainIntervalMs} : DelayToNextSecond(reading);
        t += interval.count() + jitterMs(rng);
    }
    if (lastSecond < 7 * 86400 - 1) {
        r.secondsWithoutTick += 7 * 86400 - 1 - lastSecond -
                                SecondsBeginningWithin(sleepsRead, lastSecond + 1, 7 * 86400 - 1);
    }

    for (const Alarm& a : w.expected) {
        const auto it = rang.find(a);
        const auto told = reports.find(a);
        const bool wasRung = it != rang.end();
        const bool wasReported = told != reports.end();
        if (Within(sleepsRead, DueMs(w, a))) {
            r.sleptRung += wasRung ? 1 : 0;
            r.sleptReported += wasReported ? 1 : 0;
        }
        if (wasReported) {
            ++r.reported;
            if (told->second > 1) {
                ++r.reportedTwice;
            }
        }
        if (!wasRung) {
            if (!wasReported) {
                ++r.missed;
            }
            continue;
        }
        ++r.rung;
        if (wasReported) {
            ++r.rungAndReported;
        }
        if (it->second.rings > 1) {
            ++r.doubled;
        }
        r.delaysMs.push_back(it->second.delayMs);
    }
    std::sort(r.delaysMs.begin(), r.delaysMs.end());
    return r;
}

// Nearest rank: the smallest value with at least p of the values at or below it.
std::int64_t Percentile(const std::vector<std::int64_t>& sorted, double p) {
    if (sorted.empty()) {
        return -1;
    }
    const auto rank = static_cast<std::size_t>(std::ceil(p * static_cast<double>(sorted.size())));
    return sorted[std::max<std::size_t>(rank, 1) - 1];
}

void Row(const char* label, long long plain, long long ours) {
    std::printf("  %-38s %10lld %10lld\n", label, plain, ours);
}

// "Tue 18:29:00.300", simulated time as a day of the week and a time of day.
std::string WeekTime(SimMs t) {
    static const char* const kDays[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun", "Mon"};
    char text[32];
    std::snprintf(text, sizeof text, "%s %02d:%02d:%02d.%03d", kDays[t / 86'400'000 % 8],
                  static_cast<int>(t / 3'600'000 % 24), static_cast<int>(t / 60'000 % 60),
                  static_cast<int>(t / 1000 % 60), static_cast<int>(t % 1000));
    return text;
}

// "5 h 30 min"
std::string Length(SimMs ms) {
    const long long minutes = ms / 60'000;
    char text[32];
    if (minutes < 60) {
        std::snprintf(text, sizeof text, "%lld min", minutes);
    } else if (minutes % 60 == 0) {
        std::snprintf(text, sizeof text, "%lld h", minutes / 60);
    } else {
        std::snprintf(text, sizeof text, "%lld h %lld min", minutes / 60, minutes % 60);
    }
    return text;
}

}  // namespace
}  // namespace pelmora::bench

int main(int argc, char** argv) {
    using namespace pelmora::bench;
    const bool coarse = argc == 2 && std::string_view(argv[1]) == "--coarse-clock";
    if (argc > 2 || (argc == 2 && !coarse)) {
        std::fprintf(stderr, "usage: %s [--coarse-clock]\n", argv[0]);
        return 2;
    }
    const auto wallStart = std::chrono::steady_clock::now();

    const Week week = MakeWeek();
    const SimMs stop =
        std::chrono::duration_cast<milliseconds>(week.end - week.start + kRunOn).count();
    const std::vector<Step> steps = MakeSteps();
    const std::vector<Stall> stalls = MakeStalls(MomentOf(steps, stop));
    SimMs stalledMs = 0;
    for (const Stall& s : stalls) {
        stalledMs += s.end - s.begin;
    }
    const std::vector<Stall> sleeps = MakeSleeps(steps);
    const std::vector<Stall> sleepsRead = OnClock(sleeps, steps);
    const std::size_t disagreements = DisagreementsWithDueAt(week);
    const std::size_t disagreementsBetween = DisagreementsWithDueBetween(week);
    // The alarms due during each sleep, and in all.
    std::vector<long long> dueAsleep(sleeps.size(), 0);
    long long allDueAsleep = 0;
    long long relived = 0;  // due in the hour the user's change re-lives
    for (const Alarm& a : week.expected) {
        for (std::size_t i = 0; i < sleeps.size(); ++i) {
            if (sleepsRead[i].begin <= DueMs(week, a) && DueMs(week, a) < sleepsRead[i].end) {
                ++dueAsleep[i];
                ++allDueAsleep;
            }
        }
        relived +=
            DueMs(week, a) >= kUserChange.at + kUserChange.by && DueMs(week, a) < kUserChange.at;
    }

    const Result plain = Simulate(week, stalls, sleeps, sleepsRead, steps, Design::Plain, coarse);
    const Result ours = Simulate(week, stalls, sleeps, sleepsRead, steps, Design::Ours, coarse);
    const double wallSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();

    std::printf("Alarm tick, one simulated week\n");
    std::printf("  week      Mon 2027-03-01 00:00 to Mon 2027-03-08 00:00 (local time)\n");
    std::printf(
        "  tables    %d date entries over the week, %d weekday entries (all 11 codes),\n"
        "            whole minutes, seed %u\n",
        week.tables.DateCount(), week.tables.WeekdayCount(), kTablesSeed);
    std::printf(
        "  timer     plain: %d ms, ours: DelayToNextSecond; each interval + uniform "
        "0..%d ms,\n            first tick at an arbitrary phase, seed %u\n",
        kPlainIntervalMs, kJitterMaxMs, kTimerSeed);
    if (coarse) {
        std::printf("  clock     read in steps of %.3f ms, %.3f ms before each whole second\n",
                    static_cast<double>(kCoarseStepUs) / 1000.0,
                    static_cast<double>(kCoarsePhaseUs) / 1000.0);
    } else {
        std::printf("  clock     read to the millisecond\n");
    }
    std::printf(
        "  stalls    %zu (Poisson, %.0f per hour, %d..%d ms each, %.1f s in all), seed "
        "%u\n",
        stalls.size(), kStallsPerHour, kStallMinMs, kStallMaxMs,
        static_cast<double>(stalledMs) / 1000.0, kStallSeed);
    std::printf(
        "  sleeps    %zu, at fixed times; no tick while asleep, the tick due during a sleep\n"
        "            fires once on waking and the clock has moved on:\n",
        sleeps.size());
    for (std::size_t i = 0; i < sleeps.size(); ++i) {
        std::printf("            %s to %s  %-11s %3lld alarm%s due\n",
                    WeekTime(sleepsRead[i].begin).c_str(), WeekTime(sleepsRead[i].end).c_str(),
                    Length(sleeps[i].end - sleeps[i].begin).c_str(), dueAsleep[i],
                    dueAsleep[i] == 1 ? "" : "s");
    }
    std::printf(
        "  syncs     %d steps of the clock, back or forward by %.1f..%.0f s; the timer keeps its\n"
        "            schedule; %d at random, seed %u, and two placed, as the clock reads:\n",
        kRandomSyncs + 2, kSyncMinMs / 1000.0, kSyncMaxMs / 1000.0, kRandomSyncs, kSyncSeed);
    for (const Step& p : kPlacedSyncs) {
        std::printf("            %s %s %.0f s\n", WeekTime(p.at).c_str(),
                    p.by < 0 ? "back" : "forward", std::abs(p.by) / 1000.0);
    }
    std::printf(
        "  user      sets the clock 1 h back at %s; %lld alarm%s due in the re-lived hour\n",
        WeekTime(kUserChange.at).c_str(), relived, relived == 1 ? "" : "s");
    const auto agreement = [](std::size_t n) {
        return n == 0 ? std::string("agrees") : "DISAGREES on " + std::to_string(n);
    };
    std::printf(
        "  expected  %zu alarms, own enumeration; a DueAt scan of every minute start %s,\n"
        "            DueBetween over the whole week %s\n",
        week.expected.size(), agreement(disagreements).c_str(),
        agreement(disagreementsBetween).c_str());
    std::printf("\n  %-38s %10s %10s\n", "", "plain", "ours");
    Row("ticks simulated", plain.ticks, ours.ticks);
    Row("ticks held up by a stall", plain.ticksHeldByStall, ours.ticksHeldByStall);
    Row("sleeps", plain.ticksHeldBySleep, ours.ticksHeldBySleep);
    Row("seconds with no tick (awake)", plain.secondsWithoutTick, ours.secondsWithoutTick);
    Row("seconds with two ticks", plain.secondsWithTwoTicks, ours.secondsWithTwoTicks);
    const auto ll = [](std::size_t n) { return static_cast<long long>(n); };
    Row("alarms expected", ll(week.expected.size()), ll(week.expected.size()));
    Row("alarms due during a sleep", allDueAsleep, allDueAsleep);
    Row("  of them rung", ll(plain.sleptRung), ll(ours.sleptRung));
    Row("  of them reported", ll(plain.sleptReported), ll(ours.sleptReported));
    Row("alarms rung", ll(plain.rung), ll(ours.rung));
    Row("reported by the notice", ll(plain.reported), ll(ours.reported));
    Row("missed (lost without a word)", ll(plain.missed), ll(ours.missed));
    Row("doubled", ll(plain.doubled), ll(ours.doubled));
    Row("doubled after a time sync", plain.doubledBySync, ours.doubledBySync);
    Row("doubled after a set-back by the user", plain.doubledByUser, ours.doubledByUser);
    Row("rung and reported", ll(plain.rungAndReported), ll(ours.rungAndReported));
    Row("reported twice", ll(plain.reportedTwice), ll(ours.reportedTwice));
    Row("rings at a wrong time", plain.wrongTime, ours.wrongTime);
    Row("reports of unexpected alarms", plain.wrongReports, ours.wrongReports);
    Row("ring delay median (ms)", Percentile(plain.delaysMs, 0.50),
        Percentile(ours.delaysMs, 0.50));
    Row("ring delay 99th percentile (ms)", Percentile(plain.delaysMs, 0.99),
        Percentile(ours.delaysMs, 0.99));
    Row("ring delay maximum (ms)", plain.delaysMs.empty() ? -1 : plain.delaysMs.back(),
        ours.delaysMs.empty() ? -1 : ours.delaysMs.back());
    std::printf(
        "\n  (ring delay: from the start of the due second to the tick that first rang "
        "the alarm;\n"
        "   reported: listed in the notice a tick shows after a gap of over a minute; plain has\n"
        "   none; seconds with no tick: those that began while asleep are left out; seconds and\n"
        "   delays go by the clock; doubled: rung again with no set-back since the last ring)\n");
    std::printf("  simulated in %.2f s\n", wallSeconds);
    return 0;
}
