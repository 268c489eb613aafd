// Whole-file reads and writes on disk are byte exact (no text-mode translation on Windows).
// Failures of the replacement are covered by the writer tests, through UpdateFile.
#include <gtest/gtest.h>

#include <filesystem>
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

}  // namespace
}  // namespace pelmora
