#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace pelmora {
namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return fd_; }
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return fd < 0 || ::close(fd) == 0;
    }

  private:
    int fd_;
};

}  // namespace

FileStamp DiskFiles::Stamp(const Path& path) {
    struct stat info {};
    if (::stat(path.Utf8().c_str(), &info) != 0) {
        return {};
    }
    return {true, static_cast<std::uint64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

std::optional<std::string> DiskFiles::ReadAll(const Path& path) {
    FileDescriptor fd(::open(path.Utf8().c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return std::nullopt;
    }
    struct stat info {};
    const std::uint64_t size = ::fstat(fd.get(), &info) == 0 && S_ISREG(info.st_mode)
                                   ? static_cast<std::uint64_t>(info.st_size)
                                   : 0;
    return ReadWhole(size, [&](char* buffer, std::size_t capacity) -> std::optional<std::size_t> {
        for (;;) {
            const ssize_t n = ::read(fd.get(), buffer, capacity);
            if (n >= 0) {
                return static_cast<std::size_t>(n);
            }
            if (errno != EINTR) {
                return std::nullopt;  // a directory, or an I/O error
            }
        }
    });
}

std::optional<WriteError> DiskFiles::Replace(const Path& path, std::string_view bytes) {
    const auto injected = [&](WriteStep step) { return failAt && failAt(step); };

    std::string tempName =
        (path.Folder() / ("." + std::string(path.FileName()) + ".XXXXXX")).Utf8();
    if (injected(WriteStep::CreateTemp)) {
        return WriteError{WriteStep::CreateTemp, 0};
    }
    FileDescriptor fd(::mkstemp(tempName.data()));
    if (fd.get() < 0) {
        return WriteError{WriteStep::CreateTemp, errno};
    }
    // From here on a failure removes the temporary file again.
    struct TempGuard {
        std::string name;
        bool keep = false;
        ~TempGuard() {
            if (!keep) {
                ::unlink(name.c_str());
            }
        }
    } guard{tempName};

    if (injected(WriteStep::Write)) {
        return WriteError{WriteStep::Write, 0};
    }
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return WriteError{WriteStep::Write, errno};
        }
        done += static_cast<std::size_t>(n);
    }
    if (injected(WriteStep::Flush)) {
        return WriteError{WriteStep::Flush, 0};
    }
    // mkstemp creates the file readable by the owner only; a schedule file is an ordinary file.
    if (::fchmod(fd.get(), 0644) != 0 || ::fsync(fd.get()) != 0 || !fd.Close()) {
        return WriteError{WriteStep::Flush, errno};
    }
    if (injected(WriteStep::Replace)) {
        return WriteError{WriteStep::Replace, 0};
    }
    if (::rename(tempName.c_str(), path.Utf8().c_str()) != 0) {
        return WriteError{WriteStep::Replace, errno};
    }
    guard.keep = true;
    return std::nullopt;
}

}  // namespace pelmora
