// The alarm: which entries the one-second tick finds due (late and doubled ticks, clock
// changes, weekday codes), the name shown in the alarm window, and the window itself on the
// headless platform: sound, placement, the 15 seconds, "了解" and the close box.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "RunningApp.h"
#include "TestSupport.h"
#include "alarm/AlarmTick.h"
#include "alarm/FrmAlart.h"

namespace pelmora {
namespace {

using headless::HeadlessPlatform;
using headless::HeadlessWindow;
using std::chrono::local_seconds;
using std::chrono::milliseconds;
using std::chrono::seconds;
using support::At;
using support::Hm;
using Names = std::vector<std::string>;
using Rings = std::vector<std::pair<local_seconds, std::string>>;  // (second, name)

std::string Repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        out += s;
    }
    return out;
}

// The pure tick ------------------------------------------------------------------------------

// Ticks once a second from `from` to `to` inclusive.
Rings TickEverySecond(AlarmTick& tick, const ScheduleTables& tables, local_seconds from,
                      local_seconds to) {
    Rings rings;
    for (auto t = from; t <= to; t += seconds{1}) {
        Ticked ticked = tick.Tick(tables, t);
        EXPECT_TRUE(ticked.missed.empty()) << "a tick every second misses nothing";
        for (std::string& name : ticked.due) {
            rings.emplace_back(t, std::move(name));
        }
    }
    return rings;
}

TEST(AlarmTick, DateEntryRingsOnceInItsSecondAndStaysInTheTable) {
    ScheduleTables tables;
    tables.AppendDate({"昼休み", At(2027, 5, 1, 12, 30)});
    const ScheduleTables before = tables;
    AlarmTick tick;

    const auto rings =
        TickEverySecond(tick, tables, At(2027, 5, 1, 12, 28, 30), At(2027, 5, 1, 12, 32));

    EXPECT_EQ(rings, (Rings{{At(2027, 5, 1, 12, 30), "昼休み"}}));
    EXPECT_EQ(tables, before);
}

TEST(AlarmTick, WeekdayCodesRingOnTheirDaysOnly) {
    // One entry per code, in this table order; two more on the edges of the day.
    const char* codes[] = {"SUN", "MON", "TUE", "WED", "THU", "FRI",
                           "SAT", "WKD", "WKE", "EVD", "MTS"};
    ScheduleTables tables;
    for (const char* code : codes) {
        tables.AppendWeekday({code, code, Hm(7, 0)});
    }
    tables.AppendWeekday({"日曜の始まり", "SUN", Hm(0, 0)});
    tables.AppendWeekday({"土曜の終わり", "SAT", Hm(23, 59)});

    // At 07:00 from Sunday 7 March 2027 to Saturday.
    const Names at0700[7] = {
        {"SUN", "WKE", "EVD"},        {"MON", "WKD", "EVD", "MTS"}, {"TUE", "WKD", "EVD", "MTS"},
        {"WED", "WKD", "EVD", "MTS"}, {"THU", "WKD", "EVD", "MTS"}, {"FRI", "WKD", "EVD", "MTS"},
        {"SAT", "WKE", "EVD", "MTS"},
    };

    // Every second of the week, with one tick object throughout.
    AlarmTick tick;
    const auto rings =
        TickEverySecond(tick, tables, At(2027, 3, 7, 0, 0), At(2027, 3, 13, 23, 59, 59));

    Rings expected;
    for (int d = 0; d < 7; ++d) {
        const local_seconds day = At(2027, 3, 7 + d, 0, 0);
        if (d == 0) {
            expected.emplace_back(day, "日曜の始まり");
        }
        for (const std::string& name : at0700[d]) {
            expected.emplace_back(day + Hm(7, 0), name);
        }
        if (d == 6) {
            expected.emplace_back(day + Hm(23, 59), "土曜の終わり");
        }
    }
    EXPECT_EQ(rings, expected);
}

TEST(AlarmTick, DateEntriesRingBeforeWeekdayEntriesEachInTableOrder) {
    ScheduleTables tables;
    tables.AppendWeekday({"曜日1", "WED", Hm(10, 0)});
    tables.AppendWeekday({"明日", "THU", Hm(10, 0)});
    tables.AppendWeekday({"曜日2", "EVD", Hm(10, 0)});
    tables.AppendDate({"日付1", At(2027, 3, 10, 10, 0)});
    tables.AppendDate({"別の時刻", At(2027, 3, 10, 10, 1)});
    tables.AppendDate({"日付2", At(2027, 3, 10, 10, 0)});

    // Also when the ring comes from a late tick.
    for (const local_seconds previous : {At(2027, 3, 10, 9, 59, 59), At(2027, 3, 10, 9, 59, 50)}) {
        AlarmTick tick;
        EXPECT_EQ(tick.Tick(tables, previous).due, Names{});
        EXPECT_EQ(tick.Tick(tables, At(2027, 3, 10, 10, 0, 2)).due,
                  (Names{"日付1", "日付2", "曜日1", "曜日2"}));
    }
}

TEST(AlarmTick, EmptyTablesRingNothing) {
    ScheduleTables tables;
    tables.AppendDate({"十時", At(2027, 3, 10, 10, 0)});
    tables.AppendWeekday({"毎日", "EVD", Hm(0, 0)});
    tables.RemoveDate(1);
    tables.RemoveWeekday(1);
    AlarmTick tick;
    // The vacated slots hold the zero date-time and midnight; neither may ring.
    EXPECT_EQ(tick.Tick(tables, ZeroDateTime).due, Names{});
    EXPECT_TRUE(
        TickEverySecond(tick, tables, At(2027, 3, 10, 9, 59), At(2027, 3, 10, 10, 1)).empty());
}

// A tick at seconds after 10:00:00: the names it rings and the names it reports missed.
struct Step {
    int at;
    Names rung;
    Names missed = {};
};
// Ticks checked in order with one tick object.
struct Scenario {
    const char* what;
    std::vector<Step> ticks;
};

TEST(AlarmTick, LateEarlyAndMovedClockTicks) {
    const Names ring = {"十時"};
    const Names ring0959 = {"九時五十九分"};
    const Scenario scenarios[] = {
        {"60 s late: the second examined last is not examined again", {{-60, ring0959}, {0, ring}}},
        {"late tick makes up the skipped second", {{-2, {}}, {3, ring}, {4, {}}, {5, {}}}},
        {"tick skipping from just before to the end of the minute", {{-1, {}}, {59, ring}}},
        {"two ticks in the due second", {{-1, {}}, {0, ring}, {0, {}}, {1, {}}}},
        {"first tick after the due second", {{1, {}}, {2, {}}}},
        {"first tick in the due second", {{0, ring}, {1, {}}}},
        {"set forward 61 s across it", {{-1, {}}, {60, {}, ring}, {61, {}}}},
        {"set forward an hour across it", {{-1, {}}, {3600, {}, ring}}},
        {"set forward onto it: rung, not reported", {{-120, {}}, {0, ring, ring0959}}},
        {"set forward across both", {{-61, {}}, {1, {}, {"九時五十九分", "十時"}}}},
        {"set back one second: not rung twice", {{0, ring}, {-1, {}}, {0, {}}, {1, {}}}},
        {"set back 60 s", {{0, ring}, {1, {}}, {-59, {}}, {-58, {}}, {0, {}}, {2, {}}}},
        {"set back into the due second", {{0, ring}, {30, {}}, {0, {}}}},
        {"set back: seconds up to the latest count as examined", {{5, {}}, {-3, {}}, {2, {}}}},
        {"set back 61 s: examined again from there", {{30, {}}, {-31, {}}, {0, ring}}},
        {"set back a day, then forward again", {{0, ring}, {-86400, {}}, {0, ring, ring0959}}},
    };
    ScheduleTables tables;
    tables.AppendDate({"九時五十九分", At(2027, 3, 10, 9, 59)});
    tables.AppendDate({"十時", At(2027, 3, 10, 10, 0)});
    const local_seconds ten = At(2027, 3, 10, 10, 0);
    for (const Scenario& s : scenarios) {
        AlarmTick tick;
        for (const Step& step : s.ticks) {
            const Ticked ticked = tick.Tick(tables, ten + seconds{step.at});
            Names missed;
            for (const MissedAlarm& m : ticked.missed) {
                missed.push_back(m.name);
            }
            EXPECT_EQ(ticked.due, step.rung) << s.what << ", tick at " << step.at;
            EXPECT_EQ(missed, step.missed) << s.what << ", tick at " << step.at;
        }
    }
}

TEST(AlarmTick, NextTickFallsJustAfterTheNextSecond) {
    const LocalMilliseconds base{At(2027, 3, 10, 9, 59, 59).time_since_epoch()};
    const milliseconds landing = DelayToNextSecond(base) + base - (base + seconds{1});
    EXPECT_GT(landing, milliseconds{0});
    EXPECT_LE(landing, milliseconds{20});
    // The same landing whatever the phase of the reading.
    for (int ms = 0; ms < 1000; ++ms) {
        const LocalMilliseconds now = base + milliseconds{ms};
        EXPECT_EQ(now + DelayToNextSecond(now), base + seconds{1} + landing) << ms;
    }
}

// The name in the alarm window ---------------------------------------------------------------

TEST(AlarmName, BytesDecideTheCutCharactersMakeIt) {
    const std::string kana12 = "あいうえおかきくけこさし";
    const std::string kana11 = "あいうえおかきくけこさ";
    const std::string ascii = "abcdefghijklmnopqrstuvwxyz";
    const struct {
        std::string name;
        std::string shown;
    } cases[] = {
        {"", ""},
        {kana12, kana12},                            // 24 bytes: whole
        {kana12 + "す", kana11 + "..."},             // 26 bytes
        {kana12 + "a", kana11 + "..."},              // 25 bytes, 13 characters
        {ascii.substr(0, 20), ascii.substr(0, 12)},  // under 25 bytes: 12 characters
        {ascii.substr(0, 24), ascii.substr(0, 12)},  // no "..." at 24 bytes
        {ascii.substr(0, 25), ascii.substr(0, 11) + "..."},
        {Repeat("ｱ", 20), Repeat("ｱ", 12)},  // half-width kana: one byte each
        {Repeat("ｱ", 25), Repeat("ｱ", 11) + "..."},
        {Repeat("한", 13), Repeat("한", 12)},  // not in CP932: one "?" byte each
        {Repeat("한", 25), Repeat("한", 11) + "..."},
        {Repeat("😀", 13), Repeat("😀", 12)},  // never cut inside a character
        {"é" + Repeat("①", 12), "é" + Repeat("①", 10) + "..."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ShortAlarmName(c.name), c.shown) << c.name;
    }
}

// The alarm window in the running program ----------------------------------------------------

const auto kStart = At(2027, 3, 10, 9, 0);  // a Wednesday

// An instant of the test day.
LocalMilliseconds Today(int h, int mi, int s, int ms = 0) {
    return LocalMilliseconds{At(2027, 3, 10, h, mi, s).time_since_epoch()} + milliseconds{ms};
}

class AlarmWindow : public testing::Test, public support::RunningApp {
  protected:
    AlarmWindow() : RunningApp(kStart) {}

    int Sounds() const { return static_cast<int>(Count("sound C:/Pelmora/SOUND.wav")); }
    // Advances the clock to `t` (nothing may ring before it), then a millisecond at a time until
    // the next sound; the time of that sound.
    std::optional<LocalMilliseconds> NextRingFrom(LocalMilliseconds t) {
        const int before = Sounds();
        platform.Advance(t - platform.Now());
        EXPECT_EQ(Sounds(), before) << "rang too early";
        for (int i = 0; i < 2000 && Sounds() == before; ++i) {
            platform.Advance(milliseconds{1});
        }
        return Sounds() > before ? std::optional(platform.Now()) : std::nullopt;
    }
    HeadlessWindow& Alarm() { return W("FrmAlart"); }
    std::string Shown() { return Alarm().GetLabel("Label1").Text(); }
    Names LogFrom(std::size_t i) const { return {platform.log.begin() + i, platform.log.end()}; }
};

TEST_F(AlarmWindow, RingsAtTheStartOfItsMinuteTopmostAtTheOrigin) {
    Start("プロジェクト定例ミーティング開始,EVD,9,1\r\n");
    // A clock change puts the timer off the second's phase; the tick must bring it back.
    platform.Advance(milliseconds{10300});
    platform.SetNow(At(2027, 3, 10, 9, 0, 30));
    platform.Advance(Today(9, 0, 59, 999) - platform.Now());
    ASSERT_FALSE(Alarm().Visible());
    const std::size_t mark = platform.log.size();

    const auto ring = NextRingFrom(platform.Now());
    ASSERT_TRUE(ring);
    EXPECT_LE(*ring - Today(9, 1, 0), milliseconds{30});

    EXPECT_EQ(LogFrom(mark),
              (Names{"sound C:/Pelmora/SOUND.wav", "topmost FrmAlart", "show FrmAlart"}));
    EXPECT_TRUE(Alarm().Visible());
    EXPECT_TRUE(Alarm().Topmost());
    EXPECT_EQ(Alarm().Left(), 0);
    EXPECT_EQ(Alarm().Top(), 0);
    EXPECT_EQ(Shown(), "プロジェクト定例ミーテ...");

    // Once only in the minute, and the entry is still there.
    platform.Advance(milliseconds{90000});
    EXPECT_EQ(Sounds(), 1);
    EXPECT_EQ(module.Tables.WeekdayCount(), 1);
}

TEST_F(AlarmWindow, HidesFifteenSecondsAfterTheAlarmAndNotBefore) {
    Start("会議,2027,3,10,9,1\r\n");
    const auto ring = NextRingFrom(Today(9, 0, 59));
    ASSERT_TRUE(ring);

    platform.Advance(milliseconds{14999});
    EXPECT_TRUE(Alarm().Visible());
    platform.Advance(milliseconds{1});
    EXPECT_FALSE(Alarm().Visible());
    EXPECT_EQ(platform.log.back(), "hide FrmAlart");
    EXPECT_EQ(Shown(), "会議");  // hidden, not cleared

    platform.Advance(milliseconds{60000});
    EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "hide FrmAlart"), 1);
}

TEST_F(AlarmWindow, UnderstoodHidesAtOnceAndTheNextAlarmShowsItAgain) {
    Start("一回目,WED,9,1\r\n二回目,WED,9,2\r\n");
    ASSERT_TRUE(NextRingFrom(Today(9, 0, 59)));
    platform.Advance(milliseconds{3000});

    Alarm().PressButton("Command1");
    EXPECT_FALSE(Alarm().Visible());
    platform.Advance(milliseconds{30000});  // the 15 s timer is off: no second hide
    EXPECT_EQ(std::count(platform.log.begin(), platform.log.end(), "hide FrmAlart"), 1);

    ASSERT_TRUE(NextRingFrom(Today(9, 1, 59)));
    EXPECT_TRUE(Alarm().Visible());
    EXPECT_EQ(Shown(), "二回目");
}

TEST_F(AlarmWindow, AnAlarmDueWhileAnotherIsShownWaitsForItsFifteenSeconds) {
    Start("最初,EVD,9,1\r\n次,EVD,9,2\r\n");
    ASSERT_TRUE(NextRingFrom(Today(9, 0, 59)));
    // Nine seconds on, the clock is set to just before the next entry: due a second later, it
    // waits without a sound until the first one's 15 seconds are over, at 09:02:05.
    platform.Advance(milliseconds{9000});
    platform.SetNow(At(2027, 3, 10, 9, 1, 59));
    const auto second = NextRingFrom(Today(9, 2, 4));
    EXPECT_EQ(second, Today(9, 2, 5));
    EXPECT_EQ(Shown(), "次");

    platform.Advance(milliseconds{14999});
    EXPECT_TRUE(Alarm().Visible());
    platform.Advance(milliseconds{1});
    EXPECT_FALSE(Alarm().Visible());
}

TEST_F(AlarmWindow, ClosedByItsCloseBoxItComesBackAtTheNextAlarm) {
    Start("一回目,EVD,9,1\r\n二回目,EVD,9,2\r\n");
    ASSERT_TRUE(NextRingFrom(Today(9, 0, 59)));
    Alarm().PressCloseBox();
    EXPECT_EQ(platform.Find("FrmAlart"), nullptr);
    EXPECT_FALSE(platform.Ended());

    ASSERT_TRUE(NextRingFrom(Today(9, 1, 59)));
    ASSERT_NE(platform.Find("FrmAlart"), nullptr);
    EXPECT_TRUE(Alarm().Visible());
    EXPECT_TRUE(Alarm().Topmost());
    EXPECT_EQ(Alarm().Left(), 0);
    EXPECT_EQ(Alarm().Top(), 0);
    EXPECT_EQ(Shown(), "二回目");
    platform.Advance(milliseconds{15000});
    EXPECT_FALSE(Alarm().Visible());
}

TEST_F(AlarmWindow, TicksRingFromTheWholeFileWhileItsBoxesAreOpen) {
    bool shownDuringBox = false;
    bool hiddenDuringBox = false;
    platform.answerBox = [&](const headless::RecordedBox&) {
        platform.Advance(milliseconds{61500});  // across 09:01:00
        shownDuringBox = Alarm().Visible() && Shown() == "朝礼";
        platform.Advance(milliseconds{15000});
        hiddenDuringBox = !Alarm().Visible();
        return ui::Answer::Ok;
    };
    // The whole file is read before the box opens: the entry after the dropped line rings.
    Start("過去の予定,2020,1,1,9,0\r\n朝礼,EVD,9,1\r\n");

    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(Sounds(), 1);
    EXPECT_TRUE(shownDuringBox);
    EXPECT_TRUE(hiddenDuringBox);
}

// A file that fails to read rings nothing under its boxes: its tables are not the file's.
TEST_F(AlarmWindow, NothingRingsUnderTheBoxesOfAFailedRead) {
    platform.answerBox = [&](const headless::RecordedBox&) {
        platform.Advance(milliseconds{61500});
        return ui::Answer::Ok;
    };
    Start("過去の予定,2020,1,1,9,0\r\n朝礼,EVD,9,1\r\n十一,1,2,3,4,5,6,7,8,9,10\r\n");
    ASSERT_EQ(platform.boxes.size(), 2u);
    EXPECT_EQ(platform.boxes[1].title, "ディスク読込みエラー");
    EXPECT_EQ(Sounds(), 0);
}

// A refused re-arm (the desktop heap exhausted) leaves the running timer as it was.
TEST_F(AlarmWindow, RefusedReArmsKeepTheTickGoing) {
    Start("朝礼,EVD,9,1\r\n");
    platform.Advance(milliseconds{30'000});
    platform.refusedTimerSets = 20;
    const auto ring = NextRingFrom(Today(9, 0, 59));
    ASSERT_TRUE(ring);
    EXPECT_LT(*ring - Today(9, 1, 0), milliseconds{1000});
    EXPECT_EQ(platform.refusedTimerSets, 0);  // each tick tried again
}

// The alarms of one tick take turns, in its order (date entries, then weekday entries): each
// of "了解", Esc, the close box and the 15 seconds shows the next one with its sound.
TEST_F(AlarmWindow, AlarmsOfOneTickTakeTurnsInTheTicksOrder) {
    Start("曜日1,WED,9,1\r\n日付1,2027,3,10,9,1\r\n曜日2,EVD,9,1\r\n日付2,2027,3,10,9,1\r\n");
    ASSERT_TRUE(NextRingFrom(Today(9, 0, 59)));
    const std::function<void()> done[] = {
        [&] { Alarm().PressButton("Command1"); },
        [&] { Alarm().PressKey(HeadlessWindow::Key::Escape); },
        [&] { Alarm().PressCloseBox(); },
        [&] { platform.Advance(milliseconds{10'000}); },
    };
    const Names names = {"日付1", "日付2", "曜日1", "曜日2"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Shown(), names[i]);
        EXPECT_EQ(Sounds(), i + 1);
        EXPECT_TRUE(Alarm().Visible() && Alarm().Topmost());
        platform.Advance(milliseconds{5000});
        done[i]();
    }
    EXPECT_FALSE(Alarm().Visible());
    EXPECT_EQ(Sounds(), 4);
}

}  // namespace
}  // namespace pelmora
