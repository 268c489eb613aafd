// The resident shell on the headless platform: start-up, the tray icon and its menu, the splash,
// and Exit with its purge and rewrite.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "RunningApp.h"
#include "TestSupport.h"

namespace pelmora {
namespace {

using headless::HeadlessPlatform;
using headless::HeadlessWindow;
using std::chrono::milliseconds;
using support::At;
using support::Box;
using ui::TrayMouse;

const auto kStart = At(2027, 3, 10, 9, 0);  // a Wednesday

const std::string kReadErrorText =
    "Alarm_List.txtの読込み時にエラーが発生しました。"
    "アプリケーションと同じディレクトリに位置することを確認してください。";

class ShellTest : public testing::Test, public support::RunningApp {
  protected:
    ShellTest() : RunningApp(kStart) {}

    HeadlessWindow& Main() { return W("MainForm"); }
    void Exit() {
        platform.chooseMenuItem = [](const auto&) { return std::string("mnuExit"); };
        platform.MouseOnTray(TrayMouse::LeftDown);
    }
    bool IconInTray() const { return platform.Tray() && platform.Tray()->Present(); }
    // The names in the log's "close X" entries, in order.
    std::vector<std::string> Closed() const {
        std::vector<std::string> names;
        for (const std::string& e : platform.log) {
            if (e.starts_with("close ")) {
                names.push_back(e.substr(6));
            }
        }
        return names;
    }
};

using ShellStartUp = ShellTest;
using ShellTray = ShellTest;
using ShellExit = ShellTest;
using ShellSplash = ShellTest;

// Start-up ---------------------------------------------------------------------------------

TEST_F(ShellStartUp, RunsItsStepsInOrder) {
    module.AddTimeActive = true;
    Start("歯医者,2027,4,1,9,0\r\nゴミ出し,MON,7,30\r\n");

    const std::vector<std::string> expected = {
        "create MainForm",   "create FrmOpening", "show FrmOpening",    "create AddNewTime",
        "create AddNewYobi", "create FrmAlart",   "create FrmAllSch",   "create FrmDaySch",
        "hide MainForm",     "tray add",          "read Alarm_List.txt"};
    EXPECT_EQ(platform.log, expected);
    EXPECT_TRUE(platform.boxes.empty());

    EXPECT_FALSE(Main().Visible());
    EXPECT_EQ(platform.LiveWindows(), 7);
    EXPECT_FALSE(module.AddTimeActive);
    EXPECT_EQ(module.Tables.DateCount(), 1);
    EXPECT_EQ(module.Tables.Weekday(1).Name, "ゴミ出し");
    EXPECT_FALSE(platform.Ended());
}

TEST_F(ShellStartUp, AddsTheTrayIconOfMainFormWithItsTip) {
    Start("");

    ASSERT_TRUE(IconInTray());
    EXPECT_EQ(&platform.Tray()->Owner(), &Main());
    EXPECT_EQ(platform.Tray()->Tip(), "Pelmora!");
    EXPECT_EQ(module.TrayIconData.tip, "Pelmora!");
    EXPECT_EQ(Count("tray add"), 1);
}

TEST_F(ShellStartUp, SecondInstanceOnlySaysSoAndEnds) {
    platform.anotherInstance = true;
    platform.answerBox = [&](const headless::RecordedBox&) {
        platform.RestartTaskbar();  // no icon of this instance to bring back
        return ui::Answer::Ok;
    };
    Start("歯医者,2027,4,1,9,0\r\n");

    EXPECT_EQ(Boxes(), (std::vector<Box>{{"このアプリケーションは、即に起動しています。", "確認",
                                          ui::Buttons::Ok, ui::Icon::Information}}));

    EXPECT_TRUE(platform.Ended());
    EXPECT_EQ(platform.LiveWindows(), 0);
    EXPECT_FALSE(IconInTray());
    const std::vector<std::string> expected = {"create MainForm", "box 確認", "close MainForm",
                                               "end"};
    EXPECT_EQ(platform.log, expected);
    platform.Advance(milliseconds(5000));  // nothing left to fire
    EXPECT_EQ(platform.log, expected);
}

TEST_F(ShellStartUp, MissingFileEndsOnceTheSplashHasClosed) {
    bool iconInTray = false;
    platform.answerBox = [&](const headless::RecordedBox&) {
        iconInTray = IconInTray();
        return ui::Answer::Ok;
    };
    main.Form_Load();

    EXPECT_EQ(Boxes(), (std::vector<Box>{{kReadErrorText, "ディスク読込みエラー", ui::Buttons::Ok,
                                          ui::Icon::None}}));
    EXPECT_TRUE(iconInTray) << "the icon is in the tray while the box is open";

    EXPECT_EQ(Closed(), (std::vector<std::string>{"AddNewTime", "AddNewYobi", "FrmAlart",
                                                  "FrmAllSch", "FrmDaySch", "MainForm"}));
    EXPECT_FALSE(IconInTray());
    EXPECT_LT(Pos("tray delete"), Pos("close MainForm"));
    EXPECT_EQ(platform.disk().contents.count(FilePath()), 0u) << "no file is made up";

    EXPECT_TRUE(platform.Find("FrmOpening")->Visible());
    platform.Advance(milliseconds(2499));
    EXPECT_FALSE(platform.Ended());
    platform.Advance(milliseconds(1));
    EXPECT_TRUE(platform.Ended());
    EXPECT_EQ(platform.log.back(), "end");
}

TEST_F(ShellStartUp, BadLinesAreReportedInFileOrderOnceTheWholeFileIsRead) {
    std::vector<int> weekdaysWhileOpen;
    platform.answerBox = [&](const headless::RecordedBox&) {
        weekdaysWhileOpen.push_back(module.Tables.WeekdayCount());
        return ui::Answer::Ok;
    };
    Start(
        "歯医者,2027,4,1,9,0\r\n"
        "会議　室 , mon , x , 0\r\n"
        "通院,2027,四,1,9,0\r\n"
        "旅行,2027,13,1,9,0\r\n"
        "昔 の 話,2026,1,1,0,0\r\n"
        "コンマのない行\r\n"
        "朝会,wkd,25,0\r\n"
        "ゴミ出し,tue,7,30\r\n");

    std::vector<Box> expected;
    for (const char* text : {"スケジュールリストにエラーがあります。\n会議室,mon,x,0",
                             "スケジュールにエラーがあります。\n通院,2027,四,1,9,0",
                             "スケジュールの数値にミスがあります。\n旅行,2027,13,1,9,0",
                             "過去のスケジュールは登録できません。\n昔の話,2026,1,1,0,0",
                             "スケジュールの数値にミスがあります。\n朝会,wkd,25,0"}) {
        expected.emplace_back(text, "エラー", ui::Buttons::Ok, ui::Icon::None);
    }
    EXPECT_EQ(Boxes(), expected);
    EXPECT_EQ(weekdaysWhileOpen, std::vector<int>(5, 1));
    EXPECT_LT(Pos("tray add"), Pos("box エラー"));
    EXPECT_EQ(module.Tables.DateCount(), 1);
    EXPECT_EQ(module.Tables.WeekdayCount(), 1);
    EXPECT_EQ(module.Tables.Weekday(1).Code, "TUE");
    EXPECT_FALSE(platform.Ended());
}

// Tray -------------------------------------------------------------------------------------

TEST_F(ShellTray, OnlyAButtonPressOpensTheMenu) {
    Start("");
    std::vector<std::vector<ui::MenuItem>> menus;
    platform.chooseMenuItem = [&](const std::vector<ui::MenuItem>& items) {
        menus.push_back(items);
        return std::optional<std::string>{};
    };
    const struct {
        TrayMouse event;
        bool opens;
    } cases[] = {{TrayMouse::Move, false},
                 {TrayMouse::LeftDown, true},
                 {TrayMouse::LeftUp, false},
                 {TrayMouse::LeftDoubleClick, false},
                 {TrayMouse::RightDown, true},
                 {TrayMouse::RightUp, false},
                 {TrayMouse::RightDoubleClick, false},
                 {TrayMouse::MiddleDown, false},
                 {TrayMouse::MiddleUp, false},
                 {TrayMouse::MiddleDoubleClick, false},
                 {TrayMouse::Other, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.event));
        platform.log.clear();
        platform.MouseOnTray(c.event);
        const std::vector<std::string> opened = {"foreground MainForm", "menu"};
        EXPECT_EQ(platform.log, c.opens ? opened : std::vector<std::string>{});
    }

    ASSERT_EQ(menus.size(), 2u);
    std::string shown;
    for (const ui::MenuItem& item : menus[0]) {
        shown += item.name + " " + item.caption + "|";
        EXPECT_EQ(item.kind == ui::MenuItemKind::Separator, item.name == "mnuLine") << item.name;
        EXPECT_EQ(item.Click != nullptr, item.name != "mnuLine") << item.name;
    }
    EXPECT_EQ(shown,
              "mnuShowAllSch アラームスケジュール一覧と追加・削除|mnuToday "
              "今日のアラームスケジュールを確認|mnuLine -|mnuExit 終了(&X)|");
    EXPECT_TRUE(platform.menuItemsRun.empty());
    EXPECT_FALSE(platform.Ended());
}

// While the load's boxes are open (a dropped line's, or the read error's) the tray menu stays
// shut: Exit from there would save a half-read table, or create a file that was missing.
TEST(ShellTrayDuringLoad, PressWhileALoadBoxIsOpenDoesNothing) {
    const struct {
        const char* name;
        std::optional<std::string> file;
        const char* title;
    } cases[] = {
        {"dropped line", "歯医者,2027,4,1,9,0\r\n旅行,2027,13,1,9,0\r\n", "エラー"},
        {"missing file", std::nullopt, "ディスク読込みエラー"},
        {"line too long",
         "歯医者,2027,4,1,9,0\r\n" + std::string(32768, 'x') + "\r\n旅行,2027,5,1,9,0\r\n",
         "ディスク読込みエラー"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        support::RunningApp app(kStart);
        HeadlessPlatform& platform = app.platform;
        if (c.file) {
            app.PutFile(*c.file);
        }
        const auto before = platform.disk().contents;
        platform.chooseMenuItem = [](const auto&) { return std::string("mnuExit"); };
        const auto menus = [&] { return app.Count("menu"); };
        long menusInBox = 0;
        platform.answerBox = [&](const headless::RecordedBox&) {
            for (TrayMouse press : {TrayMouse::LeftDown, TrayMouse::RightDown}) {
                platform.MouseOnTray(press);
            }
            menusInBox = menus();
            return ui::Answer::Ok;
        };
        app.main.Form_Load();

        ASSERT_EQ(platform.boxes.size(), 1u);
        EXPECT_EQ(platform.boxes[0].title, c.title);
        EXPECT_EQ(menusInBox, 0);
        EXPECT_TRUE(platform.disk().contents == before) << "Alarm_List.txt was rewritten";
        if (platform.Find("MainForm")) {
            platform.MouseOnTray(TrayMouse::LeftDown);  // the load is over: the menu opens again
            EXPECT_EQ(menus(), 1);
        }
    }
}

TEST_F(ShellTray, ARestartedTaskbarGetsTheIconBackUntilExit) {
    Start("");
    platform.RestartTaskbar();
    EXPECT_TRUE(IconInTray());
    EXPECT_EQ(Count("tray add"), 2);

    Exit();
    EXPECT_FALSE(IconInTray());
    platform.RestartTaskbar();
    EXPECT_FALSE(IconInTray());
    EXPECT_EQ(Count("tray add"), 2);
    EXPECT_EQ(platform.menuItemsRun, std::vector<std::string>{"mnuExit"});
}

// A task bar not ready at a busy logon: the icon is tried again every other tick, after the
// tick's alarms, and when a task bar is created, until the shell takes it.
TEST_F(ShellTray, AnIconTheShellRefusesIsTriedAgainUntilItIsThere) {
    platform.trayRefusals = 1000;
    Start("朝礼,EVD,9,1\r\n");
    platform.Advance(milliseconds(59'500));
    EXPECT_FALSE(IconInTray());
    EXPECT_EQ(Count("tray refused"), 1 + 29);
    const std::size_t mark = platform.log.size();
    platform.Advance(milliseconds(1000));  // 09:01:00
    EXPECT_EQ(std::vector(platform.log.begin() + long(mark), platform.log.end()),
              (std::vector<std::string>{"sound C:/Pelmora/SOUND.wav", "topmost FrmAlart",
                                        "show FrmAlart", "tray refused"}));
    platform.trayRefusals = 0;
    platform.Advance(milliseconds(2000));
    EXPECT_TRUE(IconInTray());

    platform.trayRefusals = 1;
    platform.RestartTaskbar();
    EXPECT_FALSE(IconInTray());
    platform.Advance(milliseconds(2000));
    EXPECT_TRUE(IconInTray());
    // Alt+F4 meant for another window, while the hidden main window is the active one.
    Main().PressCloseBox();
    EXPECT_FALSE(platform.Ended());
}

// Splash and timers ------------------------------------------------------------------------

TEST_F(ShellSplash, ClosesAfter2500MillisecondsAndNotBefore) {
    Start("");
    platform.Advance(milliseconds(2499));
    ASSERT_NE(platform.Find("FrmOpening"), nullptr);
    EXPECT_TRUE(platform.Find("FrmOpening")->Visible());

    platform.Advance(milliseconds(1));
    EXPECT_EQ(platform.Find("FrmOpening"), nullptr);
    EXPECT_EQ(Closed(), std::vector<std::string>{"FrmOpening"});

    platform.Advance(milliseconds(60000));
    EXPECT_EQ(Closed(), std::vector<std::string>{"FrmOpening"});
    EXPECT_FALSE(platform.Ended());
}

TEST_F(ShellSplash, TimersKeepFiringWhileABoxIsOpen) {
    int ticks = 0;
    main.Timer1.Tick = [&, inner = main.Timer1.Tick] {
        ++ticks;
        inner();
    };
    bool splashClosedInBox = false;
    platform.answerBox = [&](const headless::RecordedBox&) {
        // Ticks at 1 s, then just after each whole second: 2.005 s and 3.005 s.
        platform.Advance(milliseconds(3100));
        splashClosedInBox = platform.Find("FrmOpening") == nullptr;
        return ui::Answer::Ok;
    };
    Start("旅行,2027,13,1,9,0\r\n");

    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_TRUE(splashClosedInBox);
    EXPECT_EQ(ticks, 3);
    EXPECT_FALSE(platform.Ended());
}

// Exit -------------------------------------------------------------------------------------

TEST_F(ShellExit, PurgesDueDatesAndRewritesTheFile) {
    Start(
        "一分前,2027,3,10,10,0\r\n"
        "朝会,WKD,9,0\r\n"
        "ちょうど,2027,3,10,10,1\r\n"
        "一分後,2027,3,10,10,2\r\n"
        "ゴミ出し,mon,7,30\r\n");
    platform.Advance(milliseconds(3000));  // the splash is gone
    platform.SetNow(At(2027, 3, 10, 10, 1));
    // Windows that are open, or closed by the user, go with the rest.
    platform.Find("FrmAllSch")->Show();
    platform.Find("FrmAlart")->PlaceTopmostAtOrigin();
    platform.Find("FrmDaySch")->Show();
    platform.Find("FrmDaySch")->PressCloseBox();
    platform.log.clear();

    Exit();

    EXPECT_EQ(FileBytes(), Utf8ToCp932("一分後, 2027, 3, 10, 10, 2\r\n"
                                       "朝会,WKD, 9, 0\r\n"
                                       "ゴミ出し,MON, 7, 30\r\n"));
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_LT(Pos("write Alarm_List.txt"), Pos("tray delete"));
    EXPECT_LT(Pos("tray delete"), Pos("close MainForm"));
    EXPECT_EQ(Closed(), (std::vector<std::string>{"AddNewTime", "AddNewYobi", "FrmAlart",
                                                  "FrmAllSch", "MainForm"}));
    EXPECT_FALSE(IconInTray());
    EXPECT_EQ(Count("tray delete"), 1);
    EXPECT_TRUE(platform.Ended());
    EXPECT_EQ(platform.log.back(), "end");
}

TEST_F(ShellExit, PurgesAFullTable) {
    // Entry i is due (i * 37 % 100) + 1 minutes after noon, so the past ones are scattered.
    const auto noon = At(2027, 3, 10, 12, 0);
    auto minuteOf = [](int i) { return i * 37 % 100 + 1; };
    auto line = [&](int i) {
        const int m = 12 * 60 + minuteOf(i);
        return "S" + std::to_string(i) + ", 2027, 3, 10, " + std::to_string(m / 60) + ", " +
               std::to_string(m % 60) + "\r\n";
    };
    std::string file, kept;
    for (int i = 0; i < 100; ++i) {
        file += line(i);
        if (minuteOf(i) > 30) {
            kept += line(i);
        }
    }
    Start(file + "S100,2027,3,10,13,0\r\n");  // the 101st is passed over
    ASSERT_EQ(module.Tables.DateCount(), 100);
    ASSERT_TRUE(platform.boxes.empty());

    platform.SetNow(noon + std::chrono::minutes(30));
    Exit();

    EXPECT_EQ(FileBytes(), kept);
    ASSERT_EQ(module.Tables.DateCount(), 70);
    for (std::int16_t k = 71; k <= 100; ++k) {
        EXPECT_EQ(module.Tables.Date(k), DateSchedule{}) << "slot " << k;
    }
}

TEST_F(ShellExit, FailedRewriteIsReportedAndTheExitFinishes) {
    Start("一分前,2027,3,10,9,1\r\n");
    const std::string before = FileBytes();
    platform.disk().failAt = [](WriteStep s) { return s == WriteStep::Replace; };
    platform.Advance(milliseconds(1000));
    platform.SetNow(At(2027, 3, 10, 9, 2));

    Exit();

    EXPECT_EQ(Boxes(),
              (std::vector<Box>{{"Alarm_List.txtの書込み時にエラーが発生しました。",
                                 "ディスク書込みエラー", ui::Buttons::Ok, ui::Icon::None}}));
    EXPECT_EQ(FileBytes(), before);
    EXPECT_LT(Pos("write Alarm_List.txt"), Pos("box ディスク書込みエラー"));
    EXPECT_LT(Pos("box ディスク書込みエラー"), Pos("tray delete"));
    EXPECT_EQ(platform.Find("MainForm"), nullptr);

    EXPECT_FALSE(platform.Ended());  // the splash is still up
    platform.Advance(milliseconds(1500));
    EXPECT_TRUE(platform.Ended());
}

TEST_F(ShellExit, DuringTheSplashTheIconGoesAtOnceAndTheEndWaits) {
    Start("歯医者,2027,4,1,9,0\r\n");
    platform.Advance(milliseconds(1000));
    Exit();

    EXPECT_FALSE(IconInTray());
    EXPECT_EQ(platform.LiveWindows(), 1);  // only the splash
    EXPECT_TRUE(platform.Find("FrmOpening")->Visible());

    platform.Advance(milliseconds(1499));
    EXPECT_FALSE(platform.Ended());
    platform.Advance(milliseconds(1));
    EXPECT_TRUE(platform.Ended());
    const std::vector<std::string> tail(platform.log.end() - 2, platform.log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"close FrmOpening", "end"}));
}

}  // namespace
}  // namespace pelmora
