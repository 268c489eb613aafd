#pragma once
// Whole-file reads and atomic whole-file replacement.
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

// The whole content of an open file, for the backends' ReadAll: `readSome` fills up to `capacity`
// bytes of `buffer` and returns how many (0 at the end), or nothing on a read error. `sizeHint`,
// the file's size when known (else 0), reserves the memory up front. Nothing on a read error and
// when the file is too large to hold in memory.
std::optional<std::string> ReadWhole(
    std::uint64_t sizeHint,
    const std::function<std::optional<std::size_t>(char* buffer, std::size_t capacity)>& readSome);

class Files {
  public:
    virtual ~Files() = default;
    // The whole file as bytes, or nothing when it cannot be opened or read.
    virtual std::optional<std::string> ReadAll(const Path& path) = 0;
    // Replaces the file's content with `bytes` as one step: the old content stays until the new
    // one is complete on disk. Creates the file when it is missing.
    virtual std::optional<WriteError> Replace(const Path& path, std::string_view bytes) = 0;
};

// The real file system. A temporary file is written in the target's folder, flushed to disk and
// then renamed over the target.
class DiskFiles final : public Files {
  public:
    std::optional<std::string> ReadAll(const Path& path) override;
    std::optional<WriteError> Replace(const Path& path, std::string_view bytes) override;

    // Test seam: when set, it is asked before each step and a `true` answer makes that step fail.
    std::function<bool(WriteStep)> failAt;
};

// Files kept in memory, for tests and the fuzzer.
class MemoryFiles final : public Files {
  public:
    std::optional<std::string> ReadAll(const Path& path) override;
    std::optional<WriteError> Replace(const Path& path, std::string_view bytes) override;

    std::map<Path, std::string> contents;
    std::function<bool(WriteStep)> failAt;
};

}  // namespace pelmora
