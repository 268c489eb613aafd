// Nothing the user wrote is lost without a copy: the backup of a file whose lines were skipped,
// names that always read back (no line breaks, a length the reader takes), files too large to
// hold, calendar dates only, and an entry added for the current minute that rings once.
#include <gtest/gtest.h>

#include <chrono>
#include <new>
#include <string>
#include <vector>

#include "RunningApp.h"
#include "TestSupport.h"
#include "platform/text.h"
#include "store/ScheduleReader.h"
#include "store/ScheduleWriter.h"

namespace pelmora {
namespace {

using headless::HeadlessWindow;
using std::chrono::milliseconds;
using support::At;
using support::Hm;

const auto kNow = At(2027, 3, 10, 9, 0);  // a Wednesday
const std::string kWriteError = "Alarm_List.txtの書込み時にエラーが発生しました。";

std::size_t CountChars(std::string_view utf8) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < utf8.size(); i += Utf8CharLength(utf8, i)) {
        ++n;
    }
    return n;
}

// --- which start-ups keep a copy ------------------------------------------------------------

TEST(ReadFile, LinesSkippedAreAllButBlankAndPastDateLines) {
    const std::string good = "歯医者,2027,3,11,10,0\r\n朝会,WKD,9,0\r\n";
    std::string full;
    for (int i = 0; i < 100; ++i) {
        full += "D" + std::to_string(i) + ",2030,1,1,0,0\r\n";
    }
    const struct {
        const char* what;
        std::string file;
        bool skipped;
    } cases[] = {
        {"only good lines", good, false},
        {"blank lines", "\r\n  \r\n\t\r\n　\r\n" + good + "\r\n", false},
        {"a past date line", good + "昨日,2027,3,9,9,0\r\n", false},
        {"a note", good + "メモ: 歯医者は予約済み\r\n", true},
        {"month 13", good + "旅行,2027,13,1,9,0\r\n", true},
        {"a non-numeric hour", good + "朝会,MON,x,0\r\n", true},
        {"a weekday line missing a comma", good + "朝会,MON,7 0\r\n", true},
        {"a date line beyond the 100th", full + "D100,2030,1,1,0,0\r\n", true},
        {"a past date line beyond the 100th", full + "昨日,2027,3,9,9,0\r\n", true},
        {"LF line ends", "A,MON,7,0\nB,MON,8,0\n", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MemoryFiles files;
        files.contents["Alarm_List.txt"] = Utf8ToCp932(c.file);
        ScheduleTables tables;
        ReadFile read;
        ASSERT_TRUE(
            LoadScheduleFile(tables, files, "Alarm_List.txt", ManualClock(kNow), nullptr, &read));
        EXPECT_EQ(read.needsBackup, c.skipped);
        EXPECT_EQ(read.bytes, files.contents["Alarm_List.txt"]);
    }
    // A name whose bytes are not Shift_JIS would be written back as "?": kept too.
    MemoryFiles files;
    files.contents["Alarm_List.txt"] = "\xE6\x9C\x9D\xE4\xBC\x9A,WKD,9,0\r\n";  // UTF-8
    ScheduleTables tables;
    ReadFile read;
    ASSERT_TRUE(
        LoadScheduleFile(tables, files, "Alarm_List.txt", ManualClock(kNow), nullptr, &read));
    EXPECT_EQ(tables.WeekdayCount(), 1);
    EXPECT_TRUE(read.needsBackup);
}

// A store whose reads fail as a file too large for memory does.
class TooLarge final : public Files {
  public:
    FileStamp Stamp(const Path&) override { return {}; }
    std::optional<std::string> ReadAll(const Path&) override { throw std::bad_alloc(); }
    std::optional<WriteError> Replace(const Path&, std::string_view) override {
        ADD_FAILURE() << "nothing may be written";
        return std::nullopt;
    }
};

TEST(ReadFile, AFileTooLargeToHoldIsAReadFailure) {
    TooLarge files;
    ScheduleTables tables;
    EXPECT_FALSE(LoadScheduleFile(tables, files, "Alarm_List.txt", ManualClock(kNow), nullptr));
}

// --- the backup at the first rewrite --------------------------------------------------------

TEST(Backup, SavedBeforeTheFirstRewriteOnlyAndNeverInItsPlace) {
    ScheduleTables tables;
    tables.AppendWeekday({"朝会", "WKD", Hm(9, 0)});
    const Path file = Path("C:/Pelmora") / "Alarm_List.txt";
    const Path bak = Path("C:/Pelmora") / "Alarm_List.bak";
    {
        MemoryFiles files;
        files.contents[bak] = "older";
        std::optional<std::string> backup = std::string("as read\r\nメモ\r\n");
        int replaces = 0;
        // The backup cannot be written: nothing is, and the copy waits for the next rewrite.
        files.failAt = [&](WriteStep s) { return s == WriteStep::Replace && ++replaces == 1; };
        EXPECT_TRUE(UpdateFile(tables, files, file, backup).has_value());
        EXPECT_EQ(files.contents.count(file), 0u);
        EXPECT_EQ(files.contents[bak], "older");
        EXPECT_TRUE(backup.has_value());

        EXPECT_FALSE(UpdateFile(tables, files, file, backup).has_value());
        EXPECT_EQ(files.contents[bak], "as read\r\nメモ\r\n");
        EXPECT_EQ(files.contents[file], "\x92\xA9\x89\xEF,WKD, 9, 0\r\n");
        EXPECT_FALSE(backup.has_value());

        tables.AppendWeekday({"夕会", "WKD", Hm(18, 0)});
        files.contents[bak] = "the user's own";
        EXPECT_FALSE(UpdateFile(tables, files, file, backup).has_value());
        EXPECT_EQ(files.contents[bak], "the user's own");
    }
}

class BackupInTheProgram : public testing::Test, public support::RunningApp {
  protected:
    BackupInTheProgram() : RunningApp(kNow) {}
    Path Bak() const { return platform.AppFolder() / "Alarm_List.bak"; }
    bool HasBak() { return platform.disk().contents.count(Bak()) > 0; }
    void Delete(const char* list, int row) {
        Menu("mnuShowAllSch");
        W("FrmAllSch").SelectRow(list, row);
        W("FrmAllSch")
            .PressButton(list == std::string("ListSchTime") ? "CmdDelTime" : "CmdDelYobi");
    }
};

TEST_F(BackupInTheProgram, TheFileAsReadIsKeptBeforeTheFirstSaveOnly) {
    const std::string file =
        "歯医者,2027,3,11,10,0\r\nメモ: 保険証\r\n旅行,2027,13,1,9,0\r\n"
        "朝会,WKD,9,0\r\n夕会,WKD,18,0\r\n";
    Start(file);
    ASSERT_EQ(platform.boxes.size(), 1u);  // the month 13
    platform.Advance(milliseconds(3000));
    const std::string asRead = FileBytes();
    EXPECT_FALSE(HasBak());  // reading writes nothing

    Delete("ListSchYobi", 0);
    EXPECT_EQ(platform.disk().contents[Bak()], asRead);
    EXPECT_LT(Pos("write Alarm_List.bak"), Pos("write Alarm_List.txt"));
    EXPECT_EQ(File(), "歯医者, 2027, 3, 11, 10, 0\r\n夕会,WKD, 18, 0\r\n");

    Delete("ListSchYobi", 0);
    Menu("mnuExit");
    EXPECT_EQ(Count("write Alarm_List.bak"), 1);
    EXPECT_EQ(platform.disk().contents[Bak()], asRead);
}

TEST_F(BackupInTheProgram, AFailedBackupLeavesTheFileAndSaysSo) {
    Start("朝会,WKD,9,0\r\nメモ\r\n");
    platform.Advance(milliseconds(3000));
    const std::string before = FileBytes();
    platform.disk().failAt = [](WriteStep s) { return s == WriteStep::Flush; };
    Delete("ListSchYobi", 0);
    ASSERT_EQ(platform.boxes.size(), 2u);  // the question, then the failure
    EXPECT_EQ(platform.boxes[1].text, kWriteError);
    EXPECT_EQ(platform.boxes[1].title, "ディスク書込みエラー");
    EXPECT_EQ(FileBytes(), before);
    EXPECT_FALSE(HasBak());
    EXPECT_EQ(Count("write Alarm_List.txt"), 0);
}

TEST_F(BackupInTheProgram, AStartThatSkippedNothingNeverWritesOne) {
    Start("昨日,2027,3,9,9,0\r\n\r\n朝会,WKD,9,0\r\n");  // a past line, a blank line
    platform.Advance(milliseconds(3000));
    Delete("ListSchYobi", 0);
    Menu("mnuExit");
    EXPECT_FALSE(HasBak());
    EXPECT_EQ(Count("write Alarm_List.txt"), 2);
}

// --- names ------------------------------------------------------------------------------------

TEST(Names, LineBreaksNeverReachTheFile) {
    EXPECT_EQ(SafeName("a\r\nb,c\rd\ne"), "ab，cde");
    EXPECT_EQ(WithoutLineBreaks("\r\n会議\r\n"), "会議");
    ScheduleTables tables;
    tables.AppendDate({"前\r半\n後半", At(2027, 3, 11, 10, 0)});
    tables.AppendWeekday({"朝\r\n会", "MON", Hm(9, 0)});
    EXPECT_EQ(FormatScheduleFile(tables), "前半後半, 2027, 3, 11, 10, 0\r\n朝会,MON, 9, 0\r\n");
}

struct Dialogs : testing::Test, support::RunningApp {
    Dialogs() : RunningApp(kNow) {
        Start("");
        platform.Advance(milliseconds(3000));
        Menu("mnuShowAllSch");
    }
    HeadlessWindow& Open(bool date) {
        W("FrmAllSch").PressButton(date ? "CmdNewTime" : "CmdNewYobi");
        return W(date ? "AddNewTime" : "AddNewYobi");
    }
};

TEST_F(Dialogs, NamesLoseTheirLineBreaksAndStopAt32000Characters) {
    for (const bool date : {true, false}) {
        SCOPED_TRACE(date ? "date" : "weekday");
        HeadlessWindow& w = Open(date);
        const char* box = date ? "TxtTimeTag" : "TxtYobiTag";
        // A blank name with a pasted line break is still blank.
        w.Type(box, " \r\n　");
        w.PressButton("Cb_set");
        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_EQ(platform.boxes[0].text, "スケジュール名を入力してください。");
        platform.boxes.clear();

        std::string longest;
        for (int i = 0; i < 32001; ++i) {
            longest += "長";
        }
        w.Type(box, "改\r\n行" + longest);
        EXPECT_EQ(CountChars(w.GetTextBox(box).Text()), 32000u);
        if (date) {
            w.PickEntry("CmbMt", 3);  // April
        } else {
            w.PickEntry("CmbYbHr", 10);
        }
        w.PressButton("Cb_set");
        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_EQ(platform.boxes[0].title, "新規追加完了");
        platform.boxes.clear();
    }
    // Both read back at the next start: 31,998 characters of name each.
    ScheduleTables again;
    ASSERT_TRUE(LoadScheduleFile(again, platform.disk(), FilePath(), ManualClock(kNow), nullptr));
    ASSERT_EQ(again.DateCount(), 1);
    ASSERT_EQ(again.WeekdayCount(), 1);
    EXPECT_EQ(CountChars(again.Date(1).Name), 31998u);
    EXPECT_TRUE(again.Date(1).Name.starts_with("改行長"));
    EXPECT_EQ(again.Weekday(1).Name, again.Date(1).Name);
}

// --- dates of the calendar ---------------------------------------------------------------------

TEST_F(Dialogs, SetRefusesADayTheMonthDoesNotHave) {
    HeadlessWindow& w = Open(true);
    w.Type("TxtTimeTag", "会議");
    // Picks while the dialog is not active do not refill the days: the 31st stays on offer.
    module.AddTimeActive = false;
    w.PickEntry("CmbMt", 1);  // February
    w.PickEntry("CmbDy", 30);
    module.AddTimeActive = true;
    w.PressButton("Cb_set");
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, "入力された数値が不正です。確認してください。");
    EXPECT_EQ(module.Tables.DateCount(), 0);
}

// --- the current minute
// ---------------------------------------------------------------------------

// An entry for 09:01 added (or an entry changed to it) just before it, in its first second after
// the tick examined that second, or after a time sync stepped the clock back from 09:01:03 to
// 09:00:58, rings exactly once.
TEST_F(Dialogs, AnEntryForTheCurrentMinuteRingsOnce) {
    for (const int kind : {0, 1, 2, 3}) {  // a date or a weekday entry, added or changed
        const bool date = kind % 2 == 0;
        const char* file = kind < 2 ? "" : "後で,2027,3,10,12,0\r\n後で,EVD,12,0\r\n";
        for (const int ms : {-300, 400, -2000}) {
            SCOPED_TRACE(testing::Message() << kind << " " << ms << " ms");
            support::RunningApp app(kNow);
            app.Start(file);
            app.platform.Advance(milliseconds(50'000));
            app.Menu("mnuShowAllSch");
            if (*file) {
                app.W("FrmAllSch").DoubleClickRow(date ? "ListSchTime" : "ListSchYobi", 0);
            } else {
                app.W("FrmAllSch").PressButton(date ? "CmdNewTime" : "CmdNewYobi");
            }
            HeadlessWindow& w = app.W(date ? "AddNewTime" : "AddNewYobi");
            w.Type(date ? "TxtTimeTag" : "TxtYobiTag", "今すぐ");
            w.PickEntry(date ? "CmbMin" : "CmbYbMin", 1);
            w.PickEntry(date ? "CmbHr" : "CmbYbHr", 9);
            const LocalMilliseconds at{At(2027, 3, 10, 9, 1).time_since_epoch() + milliseconds(ms)};
            if (ms == -2000) {
                app.platform.Advance(at + milliseconds(5000) - app.platform.Now());
                app.platform.SetNow(At(2027, 3, 10, 9, 0, 58));
            }
            app.platform.Advance(at - app.platform.Now());
            w.PressButton("Cb_set");
            ASSERT_EQ(app.platform.boxes.size(), 1u);
            EXPECT_EQ(app.platform.boxes[0].title, *file ? "変更完了" : "新規追加完了");
            if (ms == 400) {  // set again within its minute: it has rung, and does not again
                app.W("FrmAllSch").DoubleClickRow(date ? "ListSchTime" : "ListSchYobi", 0);
                app.W(date ? "AddNewTime" : "AddNewYobi").PressButton("Cb_set");
            }
            app.platform.Advance(milliseconds(120'000));
            EXPECT_EQ(app.Count("sound C:/Pelmora/SOUND.wav"), 1);
            EXPECT_EQ(app.W("FrmAlart").GetLabel("Label1").Text(), "今すぐ");
        }
    }
}

// --- an exception in a handler ------------------------------------------------------------------

// What the event that threw had done is taken back, on disk too; one box says so, also when a
// second event throws while it is open; the program runs on.
TEST_F(Dialogs, AnExceptionTakesItsEventBackAndTheProgramRunsOn) {
    HeadlessWindow& w = Open(false);
    w.Type("TxtYobiTag", "朝会");
    const std::string before = FileBytes();
    platform.answerBox = [&](const headless::RecordedBox& box) {
        if (box.title == "新規追加完了") {
            throw std::runtime_error("CreateWindowExW failed");  // after the save
        }
        Menu("mnuNone");  // throws as well
        return ui::Answer::Ok;
    };
    w.PressButton("Cb_set");
    EXPECT_EQ(module.Tables.WeekdayCount(), 0);
    EXPECT_EQ(FileBytes(), before);
    EXPECT_EQ(Count("write Alarm_List.txt"), 2);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(Boxes()[1], (support::Box{"予期しないエラーが発生したため、操作を取り消しました。",
                                        "Pelmora", ui::Buttons::Ok, ui::Icon::Error}));

    platform.answerBox = nullptr;
    w.PressButton("Cb_set");
    EXPECT_EQ(module.Tables.WeekdayCount(), 1);
    static_cast<HeadlessWindow&>(main.window()).RequestExit();  // the menu's flag was reset
    EXPECT_TRUE(platform.Ended());
}

}  // namespace
}  // namespace pelmora
