#pragma once
// The local wall clock. Everything that asks "what time is it" goes through a Clock so tests
// can set the time. Schedules compare whole seconds; the milliseconds serve only to time the
// one-second tick so that it falls just after each second begins.
#include <chrono>

namespace pelmora {

using LocalMilliseconds = std::chrono::local_time<std::chrono::milliseconds>;

class Clock {
  public:
    virtual ~Clock() = default;
    // Current local civil date and time, to the millisecond.
    virtual LocalMilliseconds NowPrecise() const = 0;
    // The same, whole seconds: the one reading schedules are compared with.
    std::chrono::local_seconds Now() const {
        return std::chrono::floor<std::chrono::seconds>(NowPrecise());
    }
};

// The machine's local time.
class SystemClock final : public Clock {
  public:
    LocalMilliseconds NowPrecise() const override;
};

// A clock that stands still until it is told otherwise.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(LocalMilliseconds start = {}) : now_(start) {}
    LocalMilliseconds NowPrecise() const override { return now_; }
    void Set(LocalMilliseconds t) { now_ = t; }
    void Advance(std::chrono::milliseconds d) { now_ += d; }

  private:
    LocalMilliseconds now_;
};

// Builds a local date-time from its parts; a day beyond the month's end runs into the next
// month (day d is added to the first of the month).
std::chrono::local_seconds MakeLocalTime(int year, int month, int day, int hour, int minute,
                                         int second = 0);

}  // namespace pelmora
