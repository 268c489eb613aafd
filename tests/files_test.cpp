// Whole-file reads and writes on disk are byte exact (no text-mode translation on Windows).
// Failures of the replacement are covered by the writer tests, through UpdateFile.
#include <gtest/gtest.h>

#include <string>

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
