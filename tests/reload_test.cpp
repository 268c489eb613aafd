// Alarm_List.txt changed by another program while Pelmora runs: each kind of change, met at each
// moment the program looks at the file (a tick, an addition, a deletion, a change, Exit), is read
// with the start-up's rules, never erased by the next rewrite, and kept as Alarm_List.bak where
// the rewrite would lose something of it.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "RunningApp.h"
#include "TestSupport.h"
#include "store/ScheduleWriter.h"

namespace pelmora {
namespace {

using std::chrono::milliseconds;
using support::At;
using support::RunningApp;
using Strings = std::vector<std::string>;

const auto kStart = At(2027, 3, 10, 9, 0);  // a Wednesday
const std::string kFile = "歯医者,2027,3,11,10,0\r\n朝会,WKD,9,30\r\n";

struct Change {
    const char* what;
    std::optional<std::string> file;  // the file as the other program leaves it; none: deleted
    Strings titles;                   // the boxes its reading shows
    std::string held, gone;  // names the tables, and then the rewritten file, hold and lose
    bool backup;             // Alarm_List.bak holds the changed file after the rewrite
};

// clang-format off
const Change kChanges[] = {
    {"a line added", kFile + "散歩,EVD,18,0\r\n", {}, "散歩,EVD, 18, 0", "", false},
    {"a line removed", "朝会,WKD,9,30\r\n", {}, "朝会", "歯医者", false},
    {"a note", kFile + "メモ\r\n", {}, "朝会", "", true},
    {"a bad line", kFile + "旅行,2027,13,1,9,0\r\n", {"エラー"}, "朝会", "旅行", true},
    {"an unreadable file", kFile + "x,1,2,3,4,5,6,7,8,9,10\r\n", {"ディスク読込みエラー"}, "朝会", "x,", true},
    {"the file deleted", std::nullopt, {"ディスク読込みエラー"}, "朝会", "", false},
    {"the same bytes written again", kFile, {}, "朝会", "", false},
};
// clang-format on

// Whether the text holds `held` and not `gone`.
bool HoldsAndLoses(const std::string& text, const Change& c) {
    return text.find(c.held) != std::string::npos &&
           (c.gone.empty() || text.find(c.gone) == std::string::npos);
}

struct Moment {
    const char* what;
    std::function<void(RunningApp&)> before;  // what the user has under way
    std::function<void(RunningApp&)> act;     // the moment the program looks again
    Strings ownBefore, ownAfter;              // its own boxes, before and after the reading's
};

const Moment kMoments[] = {
    {"a tick", [](RunningApp&) {},
     [](RunningApp& app) { app.platform.Advance(milliseconds(3000)); }},
    {"an addition",
     [](RunningApp& app) {
         app.Menu("mnuShowAllSch");
         app.W("FrmAllSch").PressButton("CmdNewYobi");
         app.W("AddNewYobi").Type("TxtYobiTag", "夕会");
     },
     [](RunningApp& app) { app.W("AddNewYobi").PressButton("Cb_set"); },
     {},
     {"新規追加完了"}},
    {"a deletion",
     [](RunningApp& app) {
         app.Menu("mnuShowAllSch");
         app.W("FrmAllSch").SelectRow("ListSchTime", 0);
     },
     [](RunningApp& app) { app.W("FrmAllSch").PressButton("CmdDelTime"); },
     {"スケジュールの削除"},
     {}},
    {"a change",
     [](RunningApp& app) {
         app.Menu("mnuShowAllSch");
         app.W("FrmAllSch").DoubleClickRow("ListSchTime", 0);
         app.W("AddNewTime").Type("TxtTimeTag", "歯科");
     },
     [](RunningApp& app) { app.W("AddNewTime").PressButton("Cb_set"); },
     {},
     {"変更完了"}},
    {"Exit", [](RunningApp&) {}, [](RunningApp& app) { app.Menu("mnuExit"); }},
};

TEST(Reload, EveryOutsideChangeAtEveryMomentIsReadAndNeverErased) {
    for (const Change& change : kChanges) {
        for (const Moment& moment : kMoments) {
            SCOPED_TRACE(testing::Message() << change.what << ", " << moment.what);
            RunningApp app(kStart);
            app.Start(kFile);
            app.platform.Advance(milliseconds(3000));  // the splash has closed
            moment.before(app);
            if (change.file) {
                app.PutFile(*change.file);
            } else {
                app.platform.disk().contents.erase(app.FilePath());
            }
            const std::string changed = change.file ? Utf8ToCp932(*change.file) : "";
            moment.act(app);
            if (std::string(moment.what) != "Exit") {
                EXPECT_TRUE(HoldsAndLoses(FormatScheduleFile(app.module.Tables), change));
                app.Menu("mnuExit");
            }
            Strings titles = moment.ownBefore;
            titles.insert(titles.end(), change.titles.begin(), change.titles.end());
            // The entry asked about, or being changed, is gone.
            const bool gone = change.what == kChanges[1].what &&
                              (moment.what == kMoments[2].what || moment.what == kMoments[3].what);
            const Strings after = gone ? Strings{"警告"} : moment.ownAfter;
            titles.insert(titles.end(), after.begin(), after.end());
            Strings seen;
            for (const auto& box : app.platform.boxes) {
                seen.push_back(box.title);
            }
            EXPECT_EQ(seen, titles);
            EXPECT_TRUE(app.platform.Ended());
            EXPECT_TRUE(HoldsAndLoses(app.File(), change)) << app.File();
            const auto& disk = app.platform.disk().contents;
            const auto bak = disk.find(app.platform.AppFolder() / "Alarm_List.bak");
            EXPECT_EQ(bak != disk.end() ? std::optional(bak->second) : std::nullopt,
                      change.backup ? std::optional(changed) : std::nullopt);
        }
    }
}

// An alarm written in by another program rings at its minute, once; a one-off entry that has rung
// is read again without a word and without a second ring.
TEST(Reload, AlarmsAcrossAReadingRingOnce) {
    RunningApp app(kStart);
    app.Start("会議,2027,3,10,9,1\r\n");
    app.platform.Advance(milliseconds(61'500));  // 会議 rings at 09:01
    app.PutFile("会議,2027,3,10,9,1\r\n夕会,EVD,9,2\r\n");
    app.platform.Advance(milliseconds(56'800));  // 09:01:58.3
    app.PutFile("会議,2027,3,10,9,1\r\n夕会,EVD,9,2\r\n朝会,EVD,9,2\r\n");
    app.platform.Advance(milliseconds(120'000));
    EXPECT_EQ(app.Count("sound C:/Pelmora/SOUND.wav"), 3);
    EXPECT_TRUE(app.platform.boxes.empty()) << app.platform.boxes[0].text;
    EXPECT_EQ(app.Count("read Alarm_List.txt"), 3);
}

}  // namespace
}  // namespace pelmora
