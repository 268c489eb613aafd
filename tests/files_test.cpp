// Whole-file reads and writes on disk are byte exact (no text-mode translation on Windows); a
// file too large for memory is a read failure. Injected failures of the replacement are covered by
// the writer tests, through UpdateFile.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "platform/files.h"

namespace pelmora {
namespace {

using support::ReadBytes;
using support::TempDir;
using support::WriteBytes;

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
