#pragma once
// Whole-file reads and atomic whole-file replacement.
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
