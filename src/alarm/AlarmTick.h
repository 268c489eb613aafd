#pragma once
// Which schedules ring, and when the next tick should come. Pure functions of the tables and
// the clock readings, so they can be tested and simulated without windows.
#include <algorithm>
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

// An alarm that fell due while no tick could ring it.
struct MissedAlarm {
    std::chrono::local_seconds due;
    std::string name;
    bool operator==(const MissedAlarm&) const = default;
};

// The alarms due after `after` and before `before` (both excluded), oldest first; those due at
// one second (one minute) as DueAt lists them: the date entries, then the weekday entries, each
// in table order. A weekday entry is listed on every day of the span its code falls on.
std::vector<MissedAlarm> DueBetween(const ScheduleTables& tables, std::chrono::local_seconds after,
                                    std::chrono::local_seconds before);

// What one tick found: the names to ring now, and the alarms a gap passed over.
struct Ticked {
    std::vector<std::string> due;
    std::vector<MissedAlarm> missed;
};

// The one-second tick with a memory of the latest second it examined, so that a late tick does
// not miss a second and an early one does not ring twice. A tick 1 to 60 seconds after the
// last one examines every second in between; the same second again examines nothing; the first
// tick examines the current second only. A clock set back by 60 seconds or less (a time sync)
// examines nothing until it passes the latest second examined again, so nothing rings twice; a
// clock set back further (the user, a time zone) examines from the new time on. A tick more
// than 60 seconds after the last (sleep, hibernation, the clock set forward) rings what is due
// at the current second and reports as missed what fell due in between, at most the last 24
// hours of it: so a weekday entry is reported at most once, however long the computer slept.
class AlarmTick {
  public:
    Ticked Tick(const ScheduleTables& tables, std::chrono::local_seconds now);
    // True when an entry added at `now` for `second` would not ring: the tick has examined that
    // second already. It is the latest second examined, or, while the clock stands a little
    // behind that one after a set-back, any second from now up to it.
    bool PassedOver(std::chrono::local_seconds second, std::chrono::local_seconds now) const {
        return last_ && second <= *last_ && second >= std::min(now, *last_);
    }

  private:
    std::optional<std::chrono::local_seconds> last_;  // the latest second examined
};

// How long to wait for the next tick so that it falls just after the next whole second.
std::chrono::milliseconds DelayToNextSecond(LocalMilliseconds now);

}  // namespace pelmora
