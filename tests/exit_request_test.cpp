// Another program's request to end (the setup's, before it replaces or removes the program):
// wherever the tray menu's Exit can be chosen it does exactly what Exit does, and elsewhere
// nothing at all.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "RunningApp.h"
#include "TestSupport.h"

namespace pelmora {
namespace {

using headless::HeadlessWindow;
using headless::RecordedBox;
using std::chrono::milliseconds;
using support::At;
using support::RunningApp;

const auto kStart = At(2027, 3, 10, 9, 0);  // a Wednesday

// The request, as the setup sends it to MainForm's window. The window object outlives its
// closing, so this works on a program that has ended too.
void RequestExit(RunningApp& app) {
    static_cast<HeadlessWindow&>(app.main.window()).RequestExit();
}
void MenuExit(RunningApp& app) {
    app.Menu("mnuExit");
}

// Everything the program leaves behind that a user could see.
struct Outcome {
    std::map<Path, std::string> files;
    std::vector<std::string> log;  // without the menu's own entries
    std::vector<support::Box> boxes;
    bool ended = false;
    bool iconInTray = false;

    bool operator==(const Outcome&) const = default;
};

Outcome OutcomeOf(RunningApp& app) {
    Outcome o;
    o.files = app.platform.disk().contents;
    for (const std::string& entry : app.platform.log) {
        if (entry != "menu" && entry != "foreground MainForm") {
            o.log.push_back(entry);
        }
    }
    o.boxes = app.Boxes();
    o.ended = app.platform.Ended();
    o.iconInTray = app.platform.Tray() && app.platform.Tray()->Present();
    return o;
}

void PrintTo(const Outcome& o, std::ostream* os) {
    *os << (o.ended ? "ended" : "running") << (o.iconInTray ? ", icon" : ", no icon") << "; log:";
    for (const std::string& e : o.log) {
        *os << " [" << e << "]";
    }
    *os << "; " << o.boxes.size() << " box(es); files:";
    for (const auto& [path, bytes] : o.files) {
        *os << " " << path.Generic() << "=" << Cp932ToUtf8(bytes);
    }
}

const std::string kFile = "歯医者,2027,3,10,9,1\r\n会議,2027,4,1,9,0\r\n朝会,wkd,8,30\r\n";

// A moment of the program's life at which `exit` (the menu's Exit or the request) is given.
struct Moment {
    const char* name;
    // Runs the program up to the moment, calls `exit` there and goes on to the end of the case.
    std::function<void(RunningApp&, const std::function<void()>& exit)> run;
    // The user can try the menu's Exit there (the tray icon reports while a box is open, though
    // the menu stays shut during the load and there is no icon before it): the request must do
    // exactly what that does. Otherwise it must do nothing at all.
    bool likeTheMenu;
    bool ends;  // the program has ended at the end of the case when the request was given
};

// After the load, with the program's clock past the first entry so Exit has one to purge.
void Running(RunningApp& app, const std::string& file = kFile) {
    app.Start(file);
    app.platform.Advance(milliseconds(3000));
    app.platform.SetNow(At(2027, 3, 10, 9, 2));
}

const Moment kMoments[] = {
    {"running, nothing open",
     [](RunningApp& app, const auto& exit) {
         Running(app);
         exit();
     },
     true, true},
    {"during the splash",
     [](RunningApp& app, const auto& exit) {
         app.Start(kFile);
         app.platform.Advance(milliseconds(1000));
         exit();
         app.platform.Advance(milliseconds(2000));  // the splash closes
     },
     true, true},
    {"while the alarm window rings",
     [](RunningApp& app, const auto& exit) {
         app.Start(kFile);
         app.platform.Advance(milliseconds(61000));  // 歯医者 at 09:01 rings
         exit();
     },
     true, true},
    {"while a deletion's question is open",
     [](RunningApp& app, const auto& exit) {
         Running(app);
         app.Menu("mnuShowAllSch");
         app.W("FrmAllSch").SelectRow("ListSchTime", 0);
         app.platform.answerBox = [&](const RecordedBox&) {
             exit();
             return ui::Answer::Yes;
         };
         app.W("FrmAllSch").PressButton("CmdDelTime");
     },
     true, true},
    {"while an addition's confirmation is open",
     [](RunningApp& app, const auto& exit) {
         Running(app);
         app.Menu("mnuShowAllSch");
         app.W("FrmAllSch").PressButton("CmdNewYobi");
         app.W("AddNewYobi").Type("TxtYobiTag", "夕会");
         app.platform.answerBox = [&](const RecordedBox&) {
             exit();
             return ui::Answer::Ok;
         };
         app.W("AddNewYobi").PressButton("Cb_set");
     },
     true, true},
    {"while the missed-alarm notice is open",
     [](RunningApp& app, const auto& exit) {
         app.Start(kFile);
         app.platform.Advance(milliseconds(3000));
         app.platform.answerBox = [&](const RecordedBox&) {
             exit();
             return ui::Answer::Ok;
         };
         app.platform.SetNow(At(2027, 3, 10, 9, 30));  // past 歯医者 at 09:01
         app.platform.Advance(milliseconds(1100));
     },
     true, true},
    {"while a dropped line's box is open during the load",
     [](RunningApp& app, const auto& exit) {
         app.platform.answerBox = [&](const RecordedBox&) {
             exit();
             return ui::Answer::Ok;
         };
         app.Start(kFile + "旅行,2027,13,1,9,0\r\n");
         app.platform.answerBox = nullptr;
         app.platform.Advance(milliseconds(3000));  // the load is over: not carried out later
     },
     true, false},
    {"while the read-error box is open",
     [](RunningApp& app, const auto& exit) {
         app.platform.answerBox = [&](const RecordedBox&) {
             exit();
             return ui::Answer::Ok;
         };
         app.main.Form_Load();  // no file
         app.platform.Advance(milliseconds(3000));
     },
     true, true},
    {"while a second start's box is open",
     [](RunningApp& app, const auto& exit) {
         app.platform.anotherInstance = true;
         app.platform.answerBox = [&](const RecordedBox&) {
             exit();
             return ui::Answer::Ok;
         };
         app.Start(kFile);
     },
     true, true},
    // No second menu can open over the first: here the request is compared with nothing.
    {"while the tray menu is open",
     [](RunningApp& app, const auto& exit) {
         Running(app);
         app.platform.chooseMenuItem = [&](const auto&) {
             exit();
             return std::optional<std::string>("mnuToday");
         };
         app.platform.MouseOnTray(ui::TrayMouse::RightDown);
     },
     false, false},
    // The menu's Exit chosen again here would save once more; the request does not.
    {"while Exit's write-error box is open",
     [](RunningApp& app, const auto& exit) {
         Running(app);
         app.platform.disk().failAt = [](WriteStep s) { return s == WriteStep::Replace; };
         app.platform.answerBox = [&](const RecordedBox&) {
             exit();
             return ui::Answer::Ok;
         };
         MenuExit(app);
     },
     false, true},
    {"after the program has ended",
     [](RunningApp& app, const auto& exit) {
         Running(app);
         MenuExit(app);
         exit();
     },
     false, true},
};

// The setup's request and a close request (taskkill without /F) alike; the end of the session
// too, but without waiting for the splash (the log differs there) and without a box.
TEST(ExitRequest, DoesWhatTheMenusExitDoesWhereTheUserCanChooseItAndNothingElsewhere) {
    const std::pair<const char*, void (HeadlessWindow::*)()> requests[] = {
        {"exit request", &HeadlessWindow::RequestExit},
        {"close request", &HeadlessWindow::RequestClose},
        {"session end", &HeadlessWindow::SessionEnds}};
    for (const auto& [what, request] : requests) {
        for (const Moment& m : kMoments) {
            SCOPED_TRACE(testing::Message() << what << ", " << m.name);
            RunningApp requested(kStart);
            m.run(requested,
                  [&] { (static_cast<HeadlessWindow&>(requested.main.window()).*request)(); });
            RunningApp reference(kStart);
            if (m.likeTheMenu) {
                m.run(reference, [&] { MenuExit(reference); });
            } else {
                m.run(reference, [] {});
            }
            Outcome outcome = OutcomeOf(requested);
            Outcome expected = OutcomeOf(reference);
            if (request == &HeadlessWindow::SessionEnds) {
                outcome.log.clear();
                expected.log.clear();
            }
            EXPECT_EQ(outcome, expected);
            EXPECT_EQ(outcome.ended, m.ends);
        }
    }
}

TEST(ExitRequest, AtTheSessionsEndAFailedSaveIsSilentAndTheSplashIsNotWaitedFor) {
    RunningApp app(kStart);
    app.Start(kFile);
    app.platform.Advance(milliseconds(1000));
    app.platform.disk().failAt = [](WriteStep s) { return s == WriteStep::Replace; };
    static_cast<HeadlessWindow&>(app.main.window()).SessionEnds();
    EXPECT_TRUE(app.platform.Ended());
    EXPECT_TRUE(app.platform.boxes.empty());
    EXPECT_EQ(app.FileBytes(), Utf8ToCp932(kFile));

    // A file another program changed, not read yet, is left as it is.
    RunningApp edited(kStart);
    edited.Start(kFile);
    edited.platform.Advance(milliseconds(3000));
    edited.PutFile(kFile + "メモ\r\n");
    static_cast<HeadlessWindow&>(edited.main.window()).SessionEnds();
    EXPECT_TRUE(edited.platform.Ended());
    EXPECT_EQ(edited.File(), kFile + "メモ\r\n");
}

// The request at the moments the table above only compares: the effects Exit is known by.
TEST(ExitRequest, WhileRunningPurgesRewritesAndEnds) {
    RunningApp app(kStart);
    Running(app);
    RequestExit(app);
    EXPECT_EQ(app.File(), "会議, 2027, 4, 1, 9, 0\r\n朝会,WKD, 8, 30\r\n");
    EXPECT_LT(app.Pos("write Alarm_List.txt"), app.Pos("tray delete"));
    EXPECT_LT(app.Pos("tray delete"), app.Pos("close MainForm"));
    EXPECT_TRUE(app.platform.Ended());
}

TEST(ExitRequest, DuringTheLoadNeitherSavesNorEndsAndTheNextOneDoes) {
    RunningApp app(kStart);
    const std::string file = kFile + "メモ\r\n旅行,2027,13,1,9,0\r\n";
    app.platform.answerBox = [&](const RecordedBox&) {
        RequestExit(app);
        return ui::Answer::Ok;
    };
    app.Start(file);
    EXPECT_EQ(app.Count("write Alarm_List.txt"), 0);
    EXPECT_EQ(app.FileBytes(), Utf8ToCp932(file));
    EXPECT_FALSE(app.platform.Ended());
    EXPECT_TRUE(app.platform.Tray()->Present());

    app.platform.Advance(milliseconds(3000));
    RequestExit(app);  // the sender asks again
    EXPECT_EQ(app.platform.disk().contents.at(app.platform.AppFolder() / "Alarm_List.bak"),
              Utf8ToCp932(file));
    EXPECT_EQ(app.File(),
              "歯医者, 2027, 3, 10, 9, 1\r\n会議, 2027, 4, 1, 9, 0\r\n朝会,WKD, 8, 30\r\n");
    EXPECT_TRUE(app.platform.Ended());
}

TEST(ExitRequest, ASecondStartsWindowNeverWritesTheFile) {
    RunningApp app(kStart);
    app.platform.anotherInstance = true;
    app.platform.answerBox = [&](const RecordedBox&) {
        RequestExit(app);
        return ui::Answer::Ok;
    };
    app.Start(kFile);
    EXPECT_EQ(app.FileBytes(), Utf8ToCp932(kFile));
    EXPECT_EQ(app.Count("write Alarm_List.txt"), 0);
}

}  // namespace
}  // namespace pelmora
