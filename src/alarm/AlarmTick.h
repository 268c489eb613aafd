#pragma once
// Which schedules ring, and when the next tick should come. Pure functions of the tables and
// the clock readings, so they can be tested and simulated without windows.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "store/ScheduleTables.h"

namespace pelmora {

// The names of the entries due at exactly this second: the date entries first, then the
// weekday entries, each in table order. Stored values have zero seconds, so only the first
// second of a minute can have any.
std::vector<std::string> DueAt(const ScheduleTables& tables, std::chrono::local_seconds second);

// The one-second tick with a memory of the last second it examined, so that a late tick does
// not miss a second and an early one does not ring twice. A tick 1 to 60 seconds after the
// last one examines every second in between; the same second again examines nothing; the first
// tick, a clock set back, or a gap of more than 60 seconds (sleep, a large clock change)
// examine the current second only: there is no catch-up after sleep.
class AlarmTick {
  public:
    std::vector<std::string> Tick(const ScheduleTables& tables, std::chrono::local_seconds now);
    // True when `second` is the last second examined: an entry added for it now would not ring.
    bool JustExamined(std::chrono::local_seconds second) const { return last_ == second; }

  private:
    std::optional<std::chrono::local_seconds> last_;
};

// How long to wait for the next tick so that it falls just after the next whole second.
std::chrono::milliseconds DelayToNextSecond(LocalMilliseconds now);

}  // namespace pelmora
