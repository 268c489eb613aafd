#include "platform/files.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace pelmora {

int RetryWhileBusy(const std::function<int()>& attempt, const std::function<bool(int)>& busy,
                   const Pause& pause, const BusyRetry& rule) {
    using std::chrono::milliseconds;
    milliseconds paused{0};
    milliseconds next = std::max(rule.firstPause, milliseconds{1});
    for (;;) {
        const int code = attempt();
        if (code == 0 || !busy(code) || paused >= rule.budget) {
            return code;
        }
        const milliseconds wait = std::min(next, rule.budget - paused);
        pause(wait);
        paused += wait;
        next = std::min(next * 2, std::max(rule.longestPause, milliseconds{1}));
    }
}

std::optional<std::string> ReadWhole(
    std::uint64_t sizeHint,
    const std::function<std::optional<std::size_t>(char* buffer, std::size_t capacity)>& readSome) {
    try {
        std::string bytes;
        if (sizeHint > bytes.max_size()) {
            return std::nullopt;
        }
        bytes.reserve(static_cast<std::size_t>(sizeHint));
        char buffer[65536];
        for (;;) {
            const std::optional<std::size_t> n = readSome(buffer, sizeof buffer);
            if (!n) {
                return std::nullopt;
            }
            if (*n == 0) {
                return bytes;
            }
            bytes.append(buffer, *n);
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;  // more than the memory left
    } catch (const std::length_error&) {
        return std::nullopt;  // more than a string can hold
    }
}

FileStamp MemoryFiles::Stamp(const Path& path) {
    const auto it = contents.find(path);
    if (it == contents.end()) {
        return {};
    }
    return {true, it->second.size(),
            static_cast<std::int64_t>(std::hash<std::string>{}(it->second))};
}

std::optional<std::string> MemoryFiles::ReadAll(const Path& path) {
    const auto it = contents.find(path);
    if (it == contents.end()) {
        return std::nullopt;
    }
    return it->second;
}

std::optional<WriteError> MemoryFiles::Replace(const Path& path, std::string_view bytes) {
    for (WriteStep step :
         {WriteStep::CreateTemp, WriteStep::Write, WriteStep::Flush, WriteStep::Replace}) {
        if (failAt && failAt(step)) {
            return WriteError{step, 0};
        }
    }
    contents[path] = std::string(bytes);
    return std::nullopt;
}

}  // namespace pelmora
