// Whole-file reads and writes on disk are byte exact (no text-mode translation on Windows); a
// file held for a moment by another program is waited for; a file too large for memory is a
// read failure. Injected failures of the replacement are covered by the writer tests, through
// UpdateFile.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <numeric>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/files.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/Handles.h"
#endif

namespace pelmora {
namespace {

using std::chrono::milliseconds;
using support::ReadBytes;
using support::TempDir;
using support::WriteBytes;

// The pauses a retry asks for, recorded instead of slept; `then` runs after each.
struct PauseLog {
    std::vector<milliseconds> asked;
    std::function<void(std::size_t count)> then;

    Pause Recorder() {
        return [this](milliseconds wait) {
            asked.push_back(wait);
            if (then) {
                then(asked.size());
            }
        };
    }
    milliseconds Total() const {
        return std::accumulate(asked.begin(), asked.end(), milliseconds{0});
    }
};

std::vector<milliseconds> Ms(std::initializer_list<int> values) {
    std::vector<milliseconds> result;
    for (int v : values) {
        result.emplace_back(v);
    }
    return result;
}

// The pauses of the whole default budget: 10 ms doubling up to 100 ms, the last one cut so they
// add up to one second.
const std::vector<milliseconds> kWholeBudget =
    Ms({10, 20, 40, 80, 100, 100, 100, 100, 100, 100, 100, 100, 50});

// Bytes a text-mode stream would alter on Windows: CR LF, a lone LF, NUL, 0x1A, high bytes.
const std::string kAwkward = std::string("a\r\nb\nc\rd") + '\0' + "\x1A\x95\x5C\xFF\r\n";

TEST(DiskFiles, ReadAllReturnsExactBytesOrNothing) {
    TempDir dir;
    DiskFiles files;
    EXPECT_FALSE(files.ReadAll(dir.Path() / "Alarm_List.txt").has_value());
    WriteBytes(dir.Path() / "Alarm_List.txt", kAwkward);
    EXPECT_EQ(files.ReadAll(dir.Path() / "Alarm_List.txt"), kAwkward);
    WriteBytes(dir.Path() / "empty.txt", "");
    EXPECT_EQ(files.ReadAll(dir.Path() / "empty.txt"), "");
}

TEST(DiskFiles, ReplaceCreatesAndOverwritesWithExactBytes) {
    TempDir dir;
    DiskFiles files;
    const auto target = dir.Path() / "Alarm_List.txt";
    const std::string contents[] = {kAwkward, "short", ""};
    for (const auto& bytes : contents) {
        EXPECT_FALSE(files.Replace(target, bytes).has_value());
        EXPECT_EQ(ReadBytes(target), bytes);
    }
    EXPECT_EQ(dir.Listing(), std::vector<std::string>{"Alarm_List.txt"});
}

TEST(RetryWhileBusy, TriesAgainWhileBusyWithGrowingPausesForAboutOneSecond) {
    constexpr int kBusy = 32;  // the rule knows no codes: `busy` tells
    constexpr int kOther = 5;
    std::vector<int> busyThenFree(13, kBusy);  // free at the fourteenth try
    busyThenFree.push_back(0);
    struct Case {
        const char* what;
        std::vector<int> codes;  // what the tries return in turn; the last one repeats
        int result;
        std::vector<milliseconds> pauses;
        BusyRetry rule = {};
    } cases[] = {
        {"free at once", {0}, 0, {}},
        {"busy twice, then free", {kBusy, kBusy, 0}, 0, Ms({10, 20})},
        {"busy about 300 ms, then free",
         {kBusy, kBusy, kBusy, kBusy, kBusy, kBusy, 0},
         0,
         Ms({10, 20, 40, 80, 100, 100})},
        {"free at the last try", busyThenFree, 0, kWholeBudget},
        {"busy for longer", {kBusy}, kBusy, kWholeBudget},
        {"another error", {kOther}, kOther, {}},
        {"busy, then another error", {kBusy, kBusy, kOther}, kOther, Ms({10, 20})},
        {"even pauses",
         {kBusy},
         kBusy,
         Ms({50, 50, 50, 50}),
         {milliseconds{50}, milliseconds{50}, milliseconds{200}}},
        {"no budget", {kBusy}, kBusy, {}, {milliseconds{10}, milliseconds{100}, milliseconds{0}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t tries = 0;
        PauseLog log;
        const int result =
            RetryWhileBusy([&] { return c.codes[std::min(tries++, c.codes.size() - 1)]; },
                           [&](int code) { return code == kBusy; }, log.Recorder(), c.rule);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(log.asked, c.pauses);
        EXPECT_EQ(tries, c.pauses.size() + 1);  // a pause only between two tries
        EXPECT_LE(log.Total(), c.rule.budget);
    }
    EXPECT_EQ(std::accumulate(kWholeBudget.begin(), kWholeBudget.end(), milliseconds{0}),
              milliseconds{1000});
}

TEST(ReadWhole, ReadsEveryChunkWhateverTheSizeSaidAndFailsWithoutThrowing) {
    const std::string big = [] {
        std::string s;
        for (int i = 0; s.size() < 200000; ++i) {
            s += std::to_string(i) + "\r\n";
        }
        return s;
    }();
    const std::uint64_t unholdable = UINT64_MAX;
    struct Case {
        const char* what;
        std::uint64_t sizeHint;
        std::string content;
        std::size_t perRead;  // at most this much a read
        bool failAtEnd;       // the read after the content fails
        std::optional<std::string> result;
    } cases[] = {
        {"the size as said", 6, "abcdef", 4, false, "abcdef"},
        {"no size known", 0, "abcdef", 4, false, "abcdef"},
        {"grown since", 2, "abcdef", 4, false, "abcdef"},
        {"shrunk since", 100, "abcdef", 4, false, "abcdef"},
        {"empty", 0, "", 4, false, ""},
        {"many reads", big.size(), big, 65536, false, big},
        {"a read error", 6, "abcdef", 4, true, std::nullopt},
        {"larger than a string holds", unholdable, "", 4, false, std::nullopt},
#if !defined(__SANITIZE_ADDRESS__)  // AddressSanitizer ends the process instead of throwing
        {"larger than memory", std::string().max_size(), "", 4, false, std::nullopt},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t done = 0;
        int reads = 0;
        const auto result = ReadWhole(
            c.sizeHint, [&](char* buffer, std::size_t capacity) -> std::optional<std::size_t> {
                ++reads;
                const std::size_t n = std::min({capacity, c.perRead, c.content.size() - done});
                if (n == 0 && c.failAtEnd) {
                    return std::nullopt;
                }
                c.content.copy(buffer, n, done);
                done += n;
                return n;
            });
        EXPECT_EQ(result, c.result);
        if (c.sizeHint > std::string().max_size() / 2) {
            EXPECT_EQ(reads, 0);  // refused before reading
        }
    }
}

// Failures that no waiting can mend count at once.
TEST(DiskFiles, OtherFailuresCountWithoutPauses) {
    TempDir dir;
    DiskFiles files;
    PauseLog log;
    files.pause = log.Recorder();
    EXPECT_FALSE(files.ReadAll(dir.Path() / "Alarm_List.txt").has_value());  // missing
    EXPECT_FALSE(files.ReadAll(dir.Path()).has_value());                     // a folder
    const auto error = files.Replace(dir.Path() / "gone" / "Alarm_List.txt", "x");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->step, WriteStep::CreateTemp);
    EXPECT_TRUE(log.asked.empty());
}

#ifdef _WIN32
// Another program's handle on the file: read access with the given sharing.
win32::FileHandle Hold(const Path& path, DWORD share) {
    return win32::FileHandle(CreateFileW(support::Native(path).c_str(), GENERIC_READ, share,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// A file held by another program for a moment, here until the n-th pause, is read or replaced
// once it is free; one held for longer fails after the whole budget, the old file intact and no
// temporary file left.
TEST(DiskFiles, WaitsAboutOneSecondForAFileHeldByAnotherProgram) {
    const std::string oldBytes = "Old,MON, 7, 0\r\n";
    const std::string newBytes = "New,SAT, 9, 0\r\n";
    constexpr int kNever = 0;
    struct Case {
        const char* what;
        bool replace;           // else read
        DWORD share;            // the holder's
        std::size_t releaseAt;  // the pause after which the holder lets go
        std::vector<milliseconds> pauses;
        bool ok;
    } cases[] = {
        {"read, held unshared", false, 0, 3, Ms({10, 20, 40}), true},
        {"read, held unshared for longer", false, 0, kNever, kWholeBudget, false},
        {"read, held for reading by others too", false, FILE_SHARE_READ, kNever, {}, true},
        {"replace, held unshared", true, 0, 2, Ms({10, 20}), true},
        {"replace, held without delete sharing", true, FILE_SHARE_READ, 4, Ms({10, 20, 40, 80}),
         true},
        {"replace, held for longer", true, FILE_SHARE_READ, kNever, kWholeBudget, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const auto target = dir.Path() / "Alarm_List.txt";
        WriteBytes(target, oldBytes);
        win32::FileHandle holder = Hold(target, c.share);
        ASSERT_TRUE(holder.valid());

        DiskFiles files;
        PauseLog log;
        log.then = [&](std::size_t count) {
            if (count == c.releaseAt) {
                holder.Close();
            }
        };
        files.pause = log.Recorder();
        if (c.replace) {
            const auto error = files.Replace(target, newBytes);
            holder.Close();
            EXPECT_EQ(error.has_value(), !c.ok);
            if (error) {
                EXPECT_EQ(error->step, WriteStep::Replace);
                EXPECT_TRUE(error->code == ERROR_SHARING_VIOLATION ||
                            error->code == ERROR_ACCESS_DENIED)
                    << error->code;
            }
            EXPECT_EQ(ReadBytes(target), c.ok ? newBytes : oldBytes);
            EXPECT_EQ(dir.Listing(), std::vector<std::string>{"Alarm_List.txt"});
        } else {
            const auto bytes = files.ReadAll(target);
            EXPECT_EQ(bytes, c.ok ? std::optional<std::string>(oldBytes) : std::nullopt);
        }
        EXPECT_EQ(log.asked, c.pauses);
    }
}

// A failed replacement removes its temporary file also when another program has just opened it.
TEST(DiskFiles, RemovesItsTemporaryFileOnceAnotherProgramLetsGo) {
    TempDir dir;
    const auto target = dir.Path() / "Alarm_List.txt";
    WriteBytes(target, "Old\r\n");
    win32::FileHandle holder;
    DiskFiles files;
    files.failAt = [&](WriteStep step) {
        if (step != WriteStep::Replace) {
            return false;
        }
        for (const std::string& name : dir.Listing()) {  // the temporary file, written and closed
            if (name != "Alarm_List.txt") {
                holder = Hold(dir.Path() / name, 0);
            }
        }
        return holder.valid();  // then the rename fails
    };
    PauseLog log;
    log.then = [&](std::size_t count) {
        if (count == 2) {
            holder.Close();
        }
    };
    files.pause = log.Recorder();
    const auto error = files.Replace(target, "New\r\n");
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->step, WriteStep::Replace);
    EXPECT_EQ(log.asked, Ms({10, 20}));
    EXPECT_EQ(dir.Listing(), std::vector<std::string>{"Alarm_List.txt"});
    EXPECT_EQ(ReadBytes(target), "Old\r\n");
}
#endif

// The program's folder joined with its file names, and the name part of a path, as the backends
// and the logs take them apart; on Windows both separators count.
TEST(Path, JoinsAndSplitsOnTheSeparators) {
    constexpr char sep = Path::Separator;
    const std::string s(1, sep);
    struct Case {
        Path folder;
        std::string joined;  // folder / "Alarm_List.txt"
    } cases[] = {
        {Path(""), "Alarm_List.txt"},
        {Path("C:/Pelmora"), "C:/Pelmora" + s + "Alarm_List.txt"},
        {Path("C:/Pelmora/"), "C:/Pelmora/Alarm_List.txt"},
        {Path("/home/ユーザー" + s), "/home/ユーザー" + s + "Alarm_List.txt"},
    };
    for (const Case& c : cases) {
        const Path joined = c.folder / "Alarm_List.txt";
        EXPECT_EQ(joined.Utf8(), c.joined);
        EXPECT_EQ(joined.FileName(), "Alarm_List.txt");
        EXPECT_EQ(joined.Generic().find('\\'), std::string::npos);
    }
    EXPECT_EQ((Path("C:") / "Pelmora" / "SOUND.wav").Folder(), Path("C:") / "Pelmora");
    EXPECT_EQ(Path("SOUND.wav").Folder(), Path());
#ifdef _WIN32
    EXPECT_EQ(Path("C:\\Program Files\\Pelmora\\Pelmora.exe").Folder().Generic(),
              "C:/Program Files/Pelmora");
#endif
}

}  // namespace
}  // namespace pelmora
