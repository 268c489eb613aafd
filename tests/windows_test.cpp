// Today's window and the schedule list window on the headless platform: the name column, the
// lines and their order, the marks, the weekday codes of each day, the deletions with their
// questions, a failed rewrite, Exit while a question is open, and which window hides which.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "RunningApp.h"
#include "TestSupport.h"
#include "store/WeekdayCode.h"
#include "windows/ScheduleLines.h"

namespace pelmora {
namespace {

using headless::HeadlessPlatform;
using headless::HeadlessWindow;
using headless::RecordedBox;
using std::chrono::milliseconds;
using support::At;
using Lines = std::vector<std::string>;

const auto kStart = At(2027, 3, 10, 9, 0);  // a Wednesday
const std::string kQuestion = "以下のスケジュールを削除してもよろしいですか。\n\n";

// A name padded with `spaces` blanks: the expected name column.
std::string Col(const std::string& name, int spaces) {
    return name + std::string(static_cast<std::size_t>(spaces), ' ');
}

// A message box as text, title, buttons and icon.
support::Box Fields(const RecordedBox& b) {
    return {b.text, b.title, b.buttons, b.icon};
}

class WindowsTest : public testing::Test, public support::RunningApp {
  protected:
    WindowsTest() : RunningApp(kStart) {}

    void Start(const std::string& utf8) {
        RunningApp::Start(utf8);
        ASSERT_TRUE(platform.boxes.empty()) << platform.boxes[0].text;
        platform.Advance(milliseconds(3000));  // the splash is gone
    }

    Lines Today() { return Items("FrmDaySch", "ListSch"); }
    // The first word of each line of today's list.
    Lines TodayNames() {
        Lines names;
        for (const std::string& line : Today()) {
            names.push_back(line.substr(0, line.find(' ')));
        }
        return names;
    }
    bool Enabled(const char* button) { return W("FrmAllSch").GetButton(button).Enabled(); }
    int Selected(const char* list) { return W("FrmAllSch").GetListBox(list).ListIndex(); }
    long Writes() const { return Count("write Alarm_List.txt"); }
    // Selects `row` and presses the list's delete button; the question is answered `answer`.
    void Delete(const char* list, const char* button, int row, ui::Answer answer) {
        platform.answerBox = [answer](const RecordedBox&) { return answer; };
        W("FrmAllSch").SelectRow(list, row);
        W("FrmAllSch").PressButton(button);
    }
};

// The name column --------------------------------------------------------------------------

TEST(FitSchName, PadsShortNamesAndCutsLongOnesByCodePage932Bytes) {
    const std::string abc15 = "ABCDEFGHIJKLMNO";
    const struct {
        std::string name;
        std::string column;
    } cases[] = {
        {"", Col("", 18)},
        {"歯医", Col("歯医", 14)},
        {abc15 + "P", abc15 + "P  "},
        {abc15 + "PQ", abc15 + "PQ "},
        {abc15 + "PQR", abc15 + "P..."},
        {"あいうえおかきくけ", "あいうえおかきく..."},
        {abc15 + "歯医", abc15 + "歯..."},
        {abc15 + "PQ歯", abc15 + "P..."},
        // Half-width katakana: one byte each in code page 932, three in UTF-8.
        {"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁ", "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁ "},
        {"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂ", "ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀ..."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FitSchName(c.name), c.column);
    }
}

// Today's window ---------------------------------------------------------------------------

using TodayWindow = WindowsTest;

TEST_F(TodayWindow, MarksAgainstTheCurrentMinuteAndListsPassedOnes) {
    Start(
        "夜,2027,3,10,23,59\r\n"
        "来る,2027,3,10,10,16\r\n"
        "今,2027,3,10,10,15\r\n"
        "朝,2027,3,10,9,5\r\n");
    platform.SetNow(At(2027, 3, 10, 10, 15, 40));
    Menu("mnuToday");

    EXPECT_EQ(Today(), (Lines{Col("朝", 16) + "\t09:05\t済", Col("今", 16) + "\t10:15\t済",
                              Col("来る", 14) + "\t10:16\t未", Col("夜", 16) + "\t23:59\t未"}));
}

TEST_F(TodayWindow, EachDayListsTheCodesThatCoverIt) {
    std::string file;
    int minute = 0;
    for (std::string_view code : WeekdayCodes) {
        file +=
            std::string(code) + "," + std::string(code) + ",6," + std::to_string(minute++) + "\r\n";
    }
    Start(file);
    const Lines days[] = {
        {"SUN", "WKE", "EVD"},        {"MON", "WKD", "EVD", "MTS"}, {"TUE", "WKD", "EVD", "MTS"},
        {"WED", "WKD", "EVD", "MTS"}, {"THU", "WKD", "EVD", "MTS"}, {"FRI", "WKD", "EVD", "MTS"},
        {"SAT", "WKE", "EVD", "MTS"},
    };
    for (unsigned d = 0; d < 7; ++d) {
        SCOPED_TRACE(d);
        platform.SetNow(At(2027, 3, 7 + d, 5, 0));  // the 7th is a Sunday
        Menu("mnuToday");
        EXPECT_EQ(TodayNames(), days[d]);
    }
}

// Date entries of today only, whatever their year's other days; at equal times the order of
// collection: date entries in table order, then weekday entries.
TEST_F(TodayWindow, ListsTodaysDatesOnlyAndKeepsCollectionOrderAtEqualTimes) {
    Start(
        "B,EVD,12,0\r\n"
        "A,WED,11,59\r\n"
        "来年,2028,3,10,12,0\r\n"
        "Z,2027,3,10,12,0\r\n"
        "来月,2027,4,10,12,0\r\n"
        "明日,2027,3,11,0,0\r\n"
        "Y,2027,3,10,12,0\r\n");
    module.Tables.AppendDate({"去年", At(2026, 3, 10, 12, 0)});
    Menu("mnuToday");
    EXPECT_EQ(TodayNames(), (Lines{"A", "Z", "Y", "B"}));
}

TEST_F(TodayWindow, ListsEveryScheduleOfAFullDayAndRefillsOnReopening) {
    std::string dates, weekdays;
    Lines expected;
    for (int i = 0; i < 100; ++i) {
        const std::string h = std::to_string(12 + i / 60), m = std::to_string(i % 60);
        dates += "D" + std::to_string(i) + ",2027,3,10," + h + "," + m + "\r\n";
        weekdays += "W" + std::to_string(i) + ",EVD," + h + "," + m + "\r\n";
        expected.push_back("D" + std::to_string(i));
        expected.push_back("W" + std::to_string(i));
    }
    Start(weekdays + dates);

    for (int opening = 0; opening < 2; ++opening) {
        SCOPED_TRACE(opening);
        Menu("mnuToday");
        EXPECT_EQ(TodayNames(), expected);
        EXPECT_EQ(module.Today.TodayCount(), 200);
    }
}

// The schedule list ------------------------------------------------------------------------

using ListWindow = WindowsTest;

TEST_F(ListWindow, SortsBothTablesStablyAndWritesThatOrderAfterADeletion) {
    const std::string longName = "とても長い名前の予定です";
    Start(
        "Gone,2100,12,31,23,59\r\n"
        "C,2031,1,1,8,0\r\n"
        "ABCDEFGHIJKL,2030,6,1,9,0\r\n" +
        longName + ",2030,6,1,8,0\r\n" +
        "m6,MTS,6,0\r\n"
        "s9,SUN,9,0\r\n"
        "k7,WKD,7,0\r\n"
        "s8,SUN,8,0\r\n"
        "ゴミ出し,MON,7,5\r\n");
    Menu("mnuShowAllSch");

    EXPECT_EQ(
        Items("FrmAllSch", "ListSchTime"),
        (Lines{"とても長い名前の...\t2030, 06/01, 08:00",
               Col("ABCDEFGHIJKL", 6) + "\t2030, 06/01, 09:00",
               Col("C", 17) + "\t2031, 01/01, 08:00", Col("Gone", 14) + "\t2100, 12/31, 23:59"}));
    EXPECT_EQ(Items("FrmAllSch", "ListSchYobi"),
              (Lines{Col("s9", 16) + "\t　日\t09:00", Col("s8", 16) + "\t　日\t08:00",
                     Col("ゴミ出し", 10) + "\t　月\t07:05", Col("k7", 16) + "\t月～金\t07:00",
                     Col("m6", 16) + "\t月～土\t06:00"}));
    EXPECT_FALSE(Enabled("CmdDelTime"));
    EXPECT_FALSE(Enabled("CmdDelYobi"));
    EXPECT_EQ(Writes(), 0) << "the reorder alone does not write";

    // The file has the tables' order: the order of the lists.
    Delete("ListSchTime", "CmdDelTime", 3, ui::Answer::Yes);
    EXPECT_EQ(FileBytes(), Utf8ToCp932(longName + ", 2030, 6, 1, 8, 0\r\n"
                                                  "ABCDEFGHIJKL, 2030, 6, 1, 9, 0\r\n"
                                                  "C, 2031, 1, 1, 8, 0\r\n"
                                                  "s9,SUN, 9, 0\r\n"
                                                  "s8,SUN, 8, 0\r\n"
                                                  "ゴミ出し,MON, 7, 5\r\n"
                                                  "k7,WKD, 7, 0\r\n"
                                                  "m6,MTS, 6, 0\r\n"));
}

TEST_F(ListWindow, QuestionsNameTheEntryAndNoChangesNothing) {
    Start(
        "歯医者,2027,5,1,9,30\r\n"
        "ゴミ出し,MON,7,5\r\n"
        "体操,WKD,6,0\r\n"
        "散歩,WKE,18,5\r\n"
        "起床,EVD,6,30\r\n");
    Menu("mnuShowAllSch");
    const ScheduleTables tables = module.Tables;
    const Lines lines = Items("FrmAllSch", "ListSchYobi");
    const struct {
        const char* list;
        const char* button;
        int row;
        std::string text;
    } cases[] = {
        {"ListSchYobi", "CmdDelYobi", 0, "ゴミ出し\n毎週月曜日 07時05分"},
        {"ListSchYobi", "CmdDelYobi", 1, "体操\n毎週月～金曜日 06時00分"},
        {"ListSchYobi", "CmdDelYobi", 2, "散歩\n毎週土日曜日 18時05分"},
        {"ListSchYobi", "CmdDelYobi", 3, "起床\n毎日 06時30分"},
        {"ListSchTime", "CmdDelTime", 0, "歯医者\n2027年05月01日 09時30分"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        platform.boxes.clear();
        Delete(c.list, c.button, c.row, ui::Answer::No);
        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_EQ(Fields(platform.boxes[0]), Fields({kQuestion + c.text, "スケジュールの削除",
                                                     ui::Buttons::YesNo, ui::Icon::None}));
    }
    EXPECT_TRUE(module.Tables == tables);
    EXPECT_EQ(Items("FrmAllSch", "ListSchYobi"), lines);
    EXPECT_EQ(Writes(), 0);
    EXPECT_EQ(Selected("ListSchYobi"), 3);
    EXPECT_TRUE(Enabled("CmdDelYobi"));
    EXPECT_TRUE(Enabled("CmdDelTime"));
}

TEST_F(ListWindow, DeletingTheOnlyEntryEmptiesItsListAndTheFileLine) {
    Start("A,2027,5,1,9,30\r\nゴミ出し,MON,7,5\r\n");
    Menu("mnuShowAllSch");

    Delete("ListSchYobi", "CmdDelYobi", 0, ui::Answer::Yes);
    EXPECT_EQ(module.Tables.WeekdayCount(), 0);
    EXPECT_EQ(module.Tables.Weekday(1), WeekdaySchedule{});
    EXPECT_TRUE(Items("FrmAllSch", "ListSchYobi").empty());
    EXPECT_EQ(FileBytes(), Utf8ToCp932("A, 2027, 5, 1, 9, 30\r\n"));

    Delete("ListSchTime", "CmdDelTime", 0, ui::Answer::Yes);
    EXPECT_EQ(module.Tables.DateCount(), 0);
    EXPECT_EQ(module.Tables.Date(1), DateSchedule{});
    EXPECT_TRUE(Items("FrmAllSch", "ListSchTime").empty());
    EXPECT_EQ(FileBytes(), "");
    EXPECT_FALSE(Enabled("CmdDelTime"));
    EXPECT_TRUE(W("FrmAllSch").Visible());
}

TEST_F(ListWindow, DeletingTheHundredthOfAFullTableLeavesItsSlotEmpty) {
    std::string file, kept;
    for (int i = 0; i < 100; ++i) {
        const std::string line = "S" + std::to_string(i) + ", 2027, 5, 1, " +
                                 std::to_string(i / 60) + ", " + std::to_string(i % 60) + "\r\n";
        file += line;
        if (i < 99) {
            kept += line;
        }
    }
    Start(file);
    Menu("mnuShowAllSch");

    Delete("ListSchTime", "CmdDelTime", 99, ui::Answer::Yes);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, kQuestion + "S99\n2027年05月01日 01時39分");
    EXPECT_EQ(module.Tables.DateCount(), 99);
    EXPECT_EQ(module.Tables.Date(100), DateSchedule{});
    EXPECT_EQ(Items("FrmAllSch", "ListSchTime").size(), 99u);
    EXPECT_EQ(FileBytes(), kept);
}

TEST_F(ListWindow, SelectingInOneListLeavesTheOtherAlone) {
    Start("A,2027,5,1,9,30\r\nB,2027,6,1,9,30\r\nゴミ出し,MON,7,5\r\n朝,TUE,7,5\r\n");
    Menu("mnuShowAllSch");

    W("FrmAllSch").SelectRow("ListSchTime", 1);
    EXPECT_TRUE(Enabled("CmdDelTime"));
    EXPECT_FALSE(Enabled("CmdDelYobi"));
    EXPECT_EQ(Selected("ListSchYobi"), -1);

    W("FrmAllSch").SelectRow("ListSchYobi", 1);
    EXPECT_TRUE(Enabled("CmdDelYobi"));
    EXPECT_TRUE(Enabled("CmdDelTime"));
    EXPECT_EQ(Selected("ListSchTime"), 1);

    W("FrmAllSch").SelectRow("ListSchTime", 0);
    EXPECT_TRUE(Enabled("CmdDelYobi"));
    EXPECT_EQ(Selected("ListSchYobi"), 1);
}

TEST_F(ListWindow, FailedRewriteKeepsTheDeletionAndTheOldFile) {
    Start("A,2027,5,1,9,30\r\nB,2027,6,1,9,30\r\n");
    Menu("mnuShowAllSch");
    const std::string before = FileBytes();
    platform.disk().failAt = [](WriteStep s) { return s == WriteStep::Replace; };

    Delete("ListSchTime", "CmdDelTime", 0, ui::Answer::Yes);
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(Fields(platform.boxes[1]),
              Fields({"Alarm_List.txtの書込み時にエラーが発生しました。", "ディスク書込みエラー",
                      ui::Buttons::Ok, ui::Icon::None}));
    EXPECT_EQ(Writes(), 1);
    EXPECT_EQ(module.Tables.DateCount(), 1);
    EXPECT_EQ(module.Tables.Date(1).Name, "B");
    EXPECT_EQ(Items("FrmAllSch", "ListSchTime"), Lines{Col("B", 17) + "\t2027, 06/01, 09:30"});
    EXPECT_EQ(FileBytes(), before);
}

// The question lets other events run: the tray still works. The answer deletes nothing when
// Exit has closed the list window meanwhile, or when the entry asked about is no longer at its
// place (an entry was added and the list refilled); nor does it write after Exit's rewrite.
TEST_F(ListWindow, AnswerActsOnTheEntryAskedAboutWhereverItStandsWhileTheWindowLasts) {
    Start("A,2027,5,1,9,30\r\nB,2027,6,1,9,30\r\n");
    Menu("mnuShowAllSch");
    W("FrmAllSch").SelectRow("ListSchTime", 0);
    platform.answerBox = [&](const RecordedBox&) {
        module.Tables.AppendDate({"0", At(2027, 4, 1, 0, 0)});
        Menu("mnuShowAllSch");  // A moves down a row
        return ui::Answer::Yes;
    };
    W("FrmAllSch").PressButton("CmdDelTime");
    EXPECT_EQ(module.Tables.DateCount(), 2);
    EXPECT_EQ(Writes(), 1);

    W("FrmAllSch").SelectRow("ListSchTime", 1);
    platform.answerBox = [&](const RecordedBox&) {
        Menu("mnuExit");
        return ui::Answer::Yes;
    };
    W("FrmAllSch").PressButton("CmdDelTime");
    EXPECT_EQ(module.Tables.DateCount(), 2);
    EXPECT_EQ(Writes(), 2);
    EXPECT_EQ(FileBytes(), Utf8ToCp932("0, 2027, 4, 1, 0, 0\r\nB, 2027, 6, 1, 9, 30\r\n"));
    EXPECT_EQ(platform.boxes.size(), 2u);
    EXPECT_TRUE(platform.Ended());
    EXPECT_EQ(platform.log.back(), "end");
}

// Which window hides which ----------------------------------------------------------------

using WindowVisibility = WindowsTest;

TEST_F(WindowVisibility, TodayAndTheListHideEachOtherAndTheDialogs) {
    Start("A,2027,3,10,12,0\r\nゴミ出し,WED,7,5\r\n");
    Menu("mnuShowAllSch");
    W("AddNewTime").Show();
    W("AddNewYobi").Show();

    Menu("mnuToday");
    EXPECT_TRUE(W("FrmDaySch").Visible());
    for (const char* name : {"FrmAllSch", "AddNewTime", "AddNewYobi"}) {
        EXPECT_FALSE(W(name).Visible()) << name;
    }
    EXPECT_EQ(Items("FrmAllSch", "ListSchTime").size(), 1u) << "hidden, not emptied";

    W("AddNewTime").Show();
    W("AddNewYobi").Show();
    Menu("mnuShowAllSch");
    EXPECT_TRUE(W("FrmAllSch").Visible());
    for (const char* name : {"FrmDaySch", "AddNewTime", "AddNewYobi"}) {
        EXPECT_FALSE(W(name).Visible()) << name;
    }
    EXPECT_EQ(Today().size(), 2u) << "hidden, not emptied";
    EXPECT_EQ(platform.LiveWindows(), 6);  // the splash has gone
}

TEST_F(WindowVisibility, ClosedListComesBackFilledAtTheNextFillOnly) {
    Start("A,2027,5,1,9,30\r\nゴミ出し,MON,7,5\r\n");
    for (bool closeBox : {false, true}) {  // "閉じる", then the close box
        SCOPED_TRACE(closeBox);
        Menu("mnuShowAllSch");
        W("FrmAllSch").SelectRow("ListSchTime", 0);
        if (closeBox) {
            W("FrmAllSch").PressCloseBox();
        } else {
            W("FrmAllSch").PressButton("CmdClose");
        }
        EXPECT_EQ(platform.Find("FrmAllSch"), nullptr);

        Menu("mnuToday");
        EXPECT_EQ(platform.Find("FrmAllSch"), nullptr) << "not created only to be hidden";

        platform.log.clear();
        Menu("mnuShowAllSch");
        EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "create FrmAllSch"), 1);
        EXPECT_TRUE(W("FrmAllSch").Visible());
        EXPECT_EQ(Items("FrmAllSch", "ListSchTime").size(), 1u);
        EXPECT_EQ(Selected("ListSchTime"), -1);
        EXPECT_FALSE(Enabled("CmdDelTime"));
    }
    EXPECT_EQ(Writes(), 0) << "closing changes no schedule";
}

TEST_F(WindowVisibility, ClosingTodayEmptiesTodaysListAndReopeningRebuildsIt) {
    Start("A,2027,3,10,12,0\r\nゴミ出し,WED,7,5\r\n");
    Menu("mnuToday");
    EXPECT_EQ(module.Today.TodayCount(), 2);

    W("FrmDaySch").PressCloseBox();
    EXPECT_EQ(module.Today.TodayCount(), 0);
    EXPECT_EQ(platform.Find("FrmDaySch"), nullptr);

    Menu("mnuShowAllSch");
    EXPECT_EQ(platform.Find("FrmDaySch"), nullptr) << "not created only to be hidden";

    platform.SetNow(At(2027, 3, 10, 12, 0));
    Menu("mnuToday");
    EXPECT_EQ(Today(), (Lines{Col("ゴミ出し", 10) + "\t07:05\t済", Col("A", 17) + "\t12:00\t済"}));
    EXPECT_TRUE(W("FrmDaySch").Visible());
}

}  // namespace
}  // namespace pelmora
