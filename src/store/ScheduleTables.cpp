#include "store/ScheduleTables.h"

#include <algorithm>
#include <cassert>
#include <utility>

#include "store/WeekdayCode.h"

namespace pelmora {
namespace {

template <typename Entry, std::size_t N>
bool Append(std::array<Entry, N>& slots, std::int16_t& count, Entry entry) {
    if (count >= static_cast<std::int16_t>(N)) {
        return false;
    }
    slots[static_cast<std::size_t>(count)] = std::move(entry);
    ++count;
    return true;
}

template <typename Entry, std::size_t N>
bool Remove(std::array<Entry, N>& slots, std::int16_t& count, std::int16_t k) {
    if (k < 1 || k > count) {
        return false;
    }
    for (std::int16_t i = k; i < count; ++i) {
        slots[static_cast<std::size_t>(i - 1)] = std::move(slots[static_cast<std::size_t>(i)]);
    }
    // The vacated last slot becomes empty: scans that stop at the first empty slot rely on it.
    slots[static_cast<std::size_t>(count - 1)] = Entry{};
    --count;
    return true;
}

template <typename Entry, std::size_t N>
bool Replace(std::array<Entry, N>& slots, std::int16_t count, std::int16_t k, Entry entry) {
    if (k < 1 || k > count) {
        return false;
    }
    slots[static_cast<std::size_t>(k - 1)] = std::move(entry);
    return true;
}

template <typename Entry, std::size_t N>
std::optional<std::int16_t> FindIn(const std::array<Entry, N>& slots, std::int16_t count,
                                   const Entry& entry) {
    const auto end = slots.begin() + count;
    const auto at = std::find(slots.begin(), end, entry);
    if (at == end) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(at - slots.begin() + 1);
}

template <typename Entry, std::size_t N>
const Entry& Slot(const std::array<Entry, N>& slots, std::int16_t k) {
    assert(k >= 1 && k <= static_cast<std::int16_t>(N));
    return slots[static_cast<std::size_t>(k - 1)];
}

}  // namespace

const DateSchedule& ScheduleTables::Date(std::int16_t k) const {
    return Slot(dates_, k);
}

const WeekdaySchedule& ScheduleTables::Weekday(std::int16_t k) const {
    return Slot(weekdays_, k);
}

bool ScheduleTables::AppendDate(DateSchedule entry) {
    return Append(dates_, dateCount_, std::move(entry));
}

bool ScheduleTables::AppendWeekday(WeekdaySchedule entry) {
    return Append(weekdays_, weekdayCount_, std::move(entry));
}

bool ScheduleTables::RemoveDate(std::int16_t k) {
    return Remove(dates_, dateCount_, k);
}

bool ScheduleTables::RemoveWeekday(std::int16_t k) {
    return Remove(weekdays_, weekdayCount_, k);
}

bool ScheduleTables::ReplaceDate(std::int16_t k, DateSchedule entry) {
    return Replace(dates_, dateCount_, k, std::move(entry));
}

bool ScheduleTables::ReplaceWeekday(std::int16_t k, WeekdaySchedule entry) {
    return Replace(weekdays_, weekdayCount_, k, std::move(entry));
}

std::optional<std::int16_t> ScheduleTables::Find(const DateSchedule& entry) const {
    return FindIn(dates_, dateCount_, entry);
}

std::optional<std::int16_t> ScheduleTables::Find(const WeekdaySchedule& entry) const {
    return FindIn(weekdays_, weekdayCount_, entry);
}

std::int16_t ScheduleTables::PurgePastDates(const Clock& clock) {
    std::int16_t k = 1;
    while (k <= dateCount_ && Date(k).DateTime != ZeroDateTime) {
        if (Date(k).DateTime > clock.Now()) {
            ++k;  // kept
        } else {
            RemoveDate(k);  // the next entry moves into place k and is examined in turn
        }
    }
    return dateCount_;
}

void ScheduleTables::SortDatesByDateTime() {
    std::stable_sort(
        dates_.begin(), dates_.begin() + dateCount_,
        [](const DateSchedule& a, const DateSchedule& b) { return a.DateTime < b.DateTime; });
}

void ScheduleTables::SortWeekdaysByCode() {
    std::stable_sort(weekdays_.begin(), weekdays_.begin() + weekdayCount_,
                     [](const WeekdaySchedule& a, const WeekdaySchedule& b) {
                         return WeekDayString(a.Code) < WeekDayString(b.Code);
                     });
}

}  // namespace pelmora
