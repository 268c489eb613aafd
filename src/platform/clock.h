#pragma once
// The local wall clock, read to the whole second. Everything that asks "what time is it" goes
// through a Clock so tests can set the time.
#include <chrono>

namespace pelmora {

class Clock {
  public:
    virtual ~Clock() = default;
    // Current local civil date and time, whole seconds.
    virtual std::chrono::local_seconds Now() const = 0;
};

// The machine's local time.
class SystemClock final : public Clock {
  public:
    std::chrono::local_seconds Now() const override;
};

// A clock that stands still until it is told otherwise.
class ManualClock final : public Clock {
  public:
    explicit ManualClock(std::chrono::local_seconds start = {}) : now_(start) {}
    std::chrono::local_seconds Now() const override { return now_; }
    void Set(std::chrono::local_seconds t) { now_ = t; }
    void Advance(std::chrono::seconds d) { now_ += d; }

  private:
    std::chrono::local_seconds now_;
};

// Builds a local date-time from its parts; a day beyond the month's end runs into the next
// month (day d is added to the first of the month).
std::chrono::local_seconds MakeLocalTime(int year, int month, int day, int hour, int minute,
                                         int second = 0);

}  // namespace pelmora
