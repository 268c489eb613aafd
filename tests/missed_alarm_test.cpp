// Alarms that fall due while the computer sleeps or the clock is set forward: which ones the tick
// reports, the notice's text, and the notice in the running program (one box, one sound, no
// alarm window, the tick going on meanwhile).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "RunningApp.h"
#include "TestSupport.h"
#include "alarm/AlarmTick.h"
#include "alarm/MissedNotice.h"

namespace pelmora {
namespace {

using std::chrono::hours;
using std::chrono::local_seconds;
using std::chrono::milliseconds;
using std::chrono::minutes;
using std::chrono::seconds;
using support::At;
using support::Hm;
using Missed = std::vector<MissedAlarm>;
using Names = std::vector<std::string>;

// Wednesday 10 March 2027.
local_seconds Wed(int h, int mi, int s = 0) {
    return At(2027, 3, 10, h, mi, s);
}

// The pure tick ------------------------------------------------------------------------------

TEST(MissedAlarms, TwoHourJumpListsDateAndWeekdayEntriesOldestFirst) {
    ScheduleTables tables;
    tables.AppendDate({"歯医者", Wed(10, 30)});
    tables.AppendDate({"前の週", Wed(10, 30) - std::chrono::days{7}});
    tables.AppendDate({"同じ分の日付", Wed(9, 15)});
    tables.AppendWeekday({"朝会", "WED", Hm(9, 15)});
    tables.AppendWeekday({"木曜", "THU", Hm(9, 30)});
    tables.AppendWeekday({"平日", "WKD", Hm(9, 5)});
    tables.AppendWeekday({"跳んだ先", "EVD", Hm(11, 0)});
    AlarmTick tick;
    tick.Tick(tables, Wed(9, 0, 30));

    const Ticked ticked = tick.Tick(tables, Wed(11, 0, 30));

    // By time: the weekday entry at 09:05 first; at 09:15 the date entry before the weekday
    // entry.
    EXPECT_EQ(ticked.missed, (Missed{{Wed(9, 5), "平日"},
                                     {Wed(9, 15), "同じ分の日付"},
                                     {Wed(9, 15), "朝会"},
                                     {Wed(10, 30), "歯医者"},
                                     {Wed(11, 0), "跳んだ先"}}));
    EXPECT_TRUE(ticked.due.empty());
    EXPECT_EQ(tables.DateCount(), 3) << "date entries stay until Exit purges them";
}

TEST(MissedAlarms, AGapOfMoreThanSixtySecondsReportsWhatACatchUpWouldRing) {
    ScheduleTables tables;
    tables.AppendDate({"十時", Wed(10, 0)});
    const struct {
        int gap;  // seconds from 09:59:30 to the next tick
        Names rung;
        Names missed;
    } cases[] = {
        {30, {"十時"}, {}},
        {60, {"十時"}, {}},
        {61, {}, {"十時"}},
        {90, {}, {"十時"}},
        {29, {}, {}},
        {3600, {}, {"十時"}},
        // The span holds the last 24 hours only: 10:00 of the day before is in it up to 09:59:59.
        {86429, {}, {"十時"}},
        {86430, {}, {}},
    };
    for (const auto& c : cases) {
        AlarmTick tick;
        tick.Tick(tables, Wed(9, 59, 30));
        const Ticked ticked = tick.Tick(tables, Wed(9, 59, 30) + seconds{c.gap});
        Names missed;
        for (const MissedAlarm& m : ticked.missed) {
            missed.push_back(m.name);
        }
        EXPECT_EQ(ticked.due, c.rung) << c.gap << " s";
        EXPECT_EQ(missed, c.missed) << c.gap << " s";
    }
}

TEST(MissedAlarms, ThirtyHourSleepReportsTheLastTwentyFourHoursEachWeekdayEntryOnce) {
    ScheduleTables tables;
    tables.AppendDate({"月曜の予定", At(2027, 3, 8, 8, 0)});   // 28 hours before waking
    tables.AppendDate({"火曜の予定", At(2027, 3, 9, 8, 0)});   // 4 hours before
    tables.AppendWeekday({"毎朝", "EVD", Hm(7, 0)});           // due Mon and Tue 07:00
    tables.AppendWeekday({"昼", "EVD", Hm(12, 0)});            // waking second: rings
    tables.AppendWeekday({"月曜の昼過ぎ", "MON", Hm(13, 0)});  // 23 hours before
    tables.AppendWeekday({"土曜", "SAT", Hm(9, 0)});           // not in the span at all
    AlarmTick tick;
    tick.Tick(tables, At(2027, 3, 8, 6, 0));  // Monday 06:00

    const Ticked ticked = tick.Tick(tables, At(2027, 3, 9, 12, 0));  // Tuesday 12:00

    EXPECT_EQ(ticked.missed, (Missed{{At(2027, 3, 8, 13, 0), "月曜の昼過ぎ"},
                                     {At(2027, 3, 9, 7, 0), "毎朝"},
                                     {At(2027, 3, 9, 8, 0), "火曜の予定"}}));
    EXPECT_EQ(ticked.due, Names{"昼"}) << "the second the tick wakes in rings as always";
}

TEST(MissedAlarms, TicksThatReportNothing) {
    ScheduleTables tables;
    tables.AppendDate({"十時", Wed(10, 0)});
    tables.AppendWeekday({"九時半", "EVD", Hm(9, 30)});
    const struct {
        const char* what;
        std::vector<local_seconds> ticks;
    } cases[] = {
        {"the first tick, hours after both: no catch-up at start-up", {Wed(12, 0)}},
        {"the clock set back across both", {Wed(12, 0), Wed(9, 0)}},
        {"set back, then ticking on", {Wed(12, 0), Wed(11, 0), Wed(11, 0, 1)}},
        {"rung by a late tick, then a sleep", {Wed(9, 59, 50), Wed(10, 0, 20), Wed(13, 0)}},
        {"the same second twice after a sleep", {Wed(9, 0), Wed(11, 0), Wed(11, 0)}},
    };
    for (const auto& c : cases) {
        AlarmTick tick;
        for (std::size_t i = 0; i < c.ticks.size(); ++i) {
            const Ticked ticked = tick.Tick(tables, c.ticks[i]);
            if (i + 1 == c.ticks.size()) {
                EXPECT_TRUE(ticked.missed.empty()) << c.what;
                EXPECT_TRUE(ticked.due.empty()) << c.what;
            }
        }
    }
}

TEST(MissedAlarms, NothingIsBothRungAndReportedAcrossADay) {
    // Ticks every few seconds to a minute and more through one day: each alarm is rung once or
    // reported once, never both, never neither.
    ScheduleTables tables;
    for (int h = 0; h < 24; ++h) {
        tables.AppendWeekday({"時" + std::to_string(h), "EVD", Hm(h, 0)});
        tables.AppendDate({"日" + std::to_string(h), Wed(h, 30)});
    }
    AlarmTick tick;
    std::vector<local_seconds> seen;
    const auto note = [&](local_seconds t) {
        const Ticked ticked = tick.Tick(tables, t);
        for (std::size_t k = 0; k < ticked.due.size(); ++k) {
            seen.push_back(std::chrono::floor<minutes>(t));
        }
        for (const MissedAlarm& m : ticked.missed) {
            seen.push_back(m.due);
        }
    };
    const int steps[] = {1, 7, 59, 60, 61, 200, 3599, 1, 13};
    const local_seconds last = Wed(23, 59, 59);
    local_seconds t = Wed(0, 0) - seconds{1};
    note(t);
    for (std::size_t i = 0; t + seconds{steps[i % std::size(steps)]} < last; ++i) {
        t += seconds{steps[i % std::size(steps)]};
        note(t);
    }
    note(last);
    std::vector<local_seconds> expected;
    for (int h = 0; h < 24; ++h) {
        expected.push_back(Wed(h, 0));
        expected.push_back(Wed(h, 30));
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, expected);
}

// The notice's text --------------------------------------------------------------------------

std::string Heading() {
    return "次のアラームは、パソコンの停止中などに時刻を過ぎました。";
}

TEST(MissedNotice, OneLinePerAlarmAtMostTenThenTheRest) {
    const std::string longName(300, 'x');
    Missed twelve;
    for (int i = 0; i < 12; ++i) {
        twelve.push_back({Wed(9, i), "予定" + std::to_string(i + 1)});
    }
    const struct {
        Missed missed;
        std::string text;
    } cases[] = {
        {{{At(2027, 1, 2, 3, 4), "歯医者"}}, Heading() + "\r\n2027/01/02 03:04 歯医者"},
        // The full name, whatever its length; a lone LF from the file does not split the line.
        {{{Wed(23, 59), longName}, {Wed(23, 59), "一行\nに"}},
         Heading() + "\r\n2027/03/10 23:59 " + longName + "\r\n2027/03/10 23:59 一行に"},
        {Missed(twelve.begin(), twelve.begin() + 10),
         Heading() +
             "\r\n2027/03/10 09:00 予定1\r\n2027/03/10 09:01 予定2\r\n2027/03/10 09:02 予定3"
             "\r\n2027/03/10 09:03 予定4\r\n2027/03/10 09:04 予定5\r\n2027/03/10 09:05 予定6"
             "\r\n2027/03/10 09:06 予定7\r\n2027/03/10 09:07 予定8\r\n2027/03/10 09:08 予定9"
             "\r\n2027/03/10 09:09 予定10"},
        {twelve,
         Heading() +
             "\r\n2027/03/10 09:00 予定1\r\n2027/03/10 09:01 予定2\r\n2027/03/10 09:02 予定3"
             "\r\n2027/03/10 09:03 予定4\r\n2027/03/10 09:04 予定5\r\n2027/03/10 09:05 予定6"
             "\r\n2027/03/10 09:06 予定7\r\n2027/03/10 09:07 予定8\r\n2027/03/10 09:08 予定9"
             "\r\n2027/03/10 09:09 予定10\r\nほか 2 件"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(MissedNoticeText(c.missed), c.text);
    }
}

// The notice in the running program ----------------------------------------------------------

class MissedAlarmNotice : public testing::Test, public support::RunningApp {
  protected:
    MissedAlarmNotice() : RunningApp(Wed(8, 59, 50)) {}

    long Sounds() const { return Count("sound C:/Pelmora/SOUND.wav"); }
    // The computer sleeps from now until `wake`; the next tick finds the gap.
    void SleepUntil(local_seconds wake) {
        platform.SetNow(wake);
        platform.Advance(milliseconds{1100});
    }
};

TEST_F(MissedAlarmNotice, OneBoxAndOneSoundListTheAlarmsAndNoAlarmWindowShows) {
    Start("歯医者,2027,3,10,10,30\r\n朝会,WED,9,15\r\n");
    platform.Advance(milliseconds{3000});
    const std::size_t mark = platform.log.size();

    SleepUntil(Wed(11, 0, 20));

    EXPECT_EQ(Boxes(), (std::vector<support::Box>{
                           {Heading() + "\r\n2027/03/10 09:15 朝会\r\n2027/03/10 10:30 歯医者",
                            "Pelmora", ui::Buttons::Ok, ui::Icon::Information}}));
    EXPECT_EQ(Names(platform.log.begin() + static_cast<std::ptrdiff_t>(mark), platform.log.end()),
              (Names{"sound C:/Pelmora/SOUND.wav", "box Pelmora"}));
    EXPECT_FALSE(W("FrmAlart").Visible());

    // Reported once; the date entry stays in the table until Exit.
    platform.Advance(minutes{5});
    EXPECT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(Sounds(), 1);
    EXPECT_EQ(module.Tables.DateCount(), 1);
}

TEST_F(MissedAlarmNotice, TheTickGoesOnWhileTheBoxIsOpen) {
    bool rangDuringBox = false;
    platform.answerBox = [&](const headless::RecordedBox& box) {
        if (box.title == "Pelmora") {
            platform.Advance(seconds{35});  // across 10:01:00
            rangDuringBox =
                W("FrmAlart").Visible() && W("FrmAlart").GetLabel("Label1").Text() == "一分";
        }
        return ui::Answer::Ok;
    };
    Start("十時,2027,3,10,10,0\r\n一分,2027,3,10,10,1\r\n");
    platform.Advance(milliseconds{2000});

    SleepUntil(Wed(10, 0, 30));

    EXPECT_TRUE(rangDuringBox);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].text, Heading() + "\r\n2027/03/10 10:00 十時");
    EXPECT_EQ(Sounds(), 2);  // the notice's, then the alarm's
}

TEST_F(MissedAlarmNotice, NoneAtStartUpForTodaysEarlierWeekdayEntries) {
    Start("朝会,WED,8,0\r\n");
    platform.Advance(minutes{2});
    EXPECT_TRUE(platform.boxes.empty());
    EXPECT_EQ(Sounds(), 0);
}

}  // namespace
}  // namespace pelmora
