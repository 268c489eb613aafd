#pragma once
// Whole-file reads and atomic whole-file replacement.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "platform/path.h"

namespace pelmora {

// The steps of a replacement, in order. A failure at any of them leaves the target untouched.
enum class WriteStep { CreateTemp, Write, Flush, Replace };

struct WriteError {
    WriteStep step;
    int code;  // errno or GetLastError(); 0 for an injected failure
};

// Another program may hold the file for a moment without sharing it: a virus scanner, a backup or
// sync tool, the search indexer. A step that fails for that reason is tried again after a pause,
// the pauses starting at `firstPause` and doubling up to `longestPause`, until they add up to
// `budget`; then the failure counts. The program's windows take no input meanwhile, so the budget
// is short.
struct BusyRetry {
    std::chrono::milliseconds firstPause{10};
    std::chrono::milliseconds longestPause{100};
    std::chrono::milliseconds budget{1000};
};

// Waits the given time; tests give one that only records it.
using Pause = std::function<void(std::chrono::milliseconds)>;

// Runs `attempt`, which returns 0 on success or its error code, until it succeeds, fails with a
// code for which `busy` is false, or still fails busy when the pauses have used up the budget.
// Returns the last attempt's code.
int RetryWhileBusy(const std::function<int()>& attempt, const std::function<bool(int)>& busy,
                   const Pause& pause, const BusyRetry& rule = {});

// The whole content of an open file, for the backends' ReadAll: `readSome` fills up to `capacity`
// bytes of `buffer` and returns how many (0 at the end), or nothing on a read error. `sizeHint`,
// the file's size when known (else 0), reserves the memory up front. Nothing on a read error and
// when the file is too large to hold in memory.
std::optional<std::string> ReadWhole(
    std::uint64_t sizeHint,
    const std::function<std::optional<std::size_t>(char* buffer, std::size_t capacity)>& readSome);

// What tells one version of a file from another without reading it: its size and last-write
// time, or its absence. Two versions of the same size written at the same time look the same.
struct FileStamp {
    bool exists = false;
    std::uint64_t size = 0;
    std::int64_t written = 0;  // the last-write time, in the platform's own units
    bool operator==(const FileStamp&) const = default;
};

class Files {
  public:
    virtual ~Files() = default;
    // One query of the file's attributes, without opening it.
    virtual FileStamp Stamp(const Path& path) = 0;
    // The whole file as bytes, or nothing when it cannot be opened or read.
    virtual std::optional<std::string> ReadAll(const Path& path) = 0;
    // Replaces the file's content with `bytes` as one step: the old content stays until the new
    // one is complete on disk. Creates the file when it is missing.
    virtual std::optional<WriteError> Replace(const Path& path, std::string_view bytes) = 0;
};

// The real file system. A temporary file is written in the target's folder, flushed to disk and
// then renamed over the target. On Windows, opening and reading the file and the final rename
// are tried again while another program holds the file (BusyRetry).
class DiskFiles final : public Files {
  public:
    FileStamp Stamp(const Path& path) override;
    std::optional<std::string> ReadAll(const Path& path) override;
    std::optional<WriteError> Replace(const Path& path, std::string_view bytes) override;

    // Test seam: when set, it is asked before each step and a `true` answer makes that step fail.
    std::function<bool(WriteStep)> failAt;
    // Test seam: the pauses between the tries of a busy file (see BusyRetry); when empty, the
    // thread sleeps. Only Windows has busy files.
    Pause pause;
};

// Files kept in memory, for tests and the fuzzer. A file's stamp changes with every change of its
// bytes: its "time" is a hash of them.
class MemoryFiles final : public Files {
  public:
    FileStamp Stamp(const Path& path) override;
    std::optional<std::string> ReadAll(const Path& path) override;
    std::optional<WriteError> Replace(const Path& path, std::string_view bytes) override;

    std::map<Path, std::string> contents;
    std::function<bool(WriteStep)> failAt;
};

}  // namespace pelmora
