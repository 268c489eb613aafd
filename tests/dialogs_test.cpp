// The two schedule dialogs on the headless platform, opened from the list window: filling, the
// day refill, the checks of "設定", the addition and the change, the rollback of a failed
// rewrite, leaving.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "RunningApp.h"
#include "TestSupport.h"

namespace pelmora {
namespace {

using headless::HeadlessPlatform;
using headless::HeadlessWindow;
using std::chrono::local_seconds;
using support::At;
using support::Hm;
using Strings = std::vector<std::string>;
using support::Box;

const auto kNow = At(2028, 2, 10, 9, 41);  // a Thursday in a leap year
const std::string kAdded = "スケジュールを追加しました。\n\n";
const std::string kAddedTitle = "新規追加完了";
const std::string kWarning = "警告";
const std::string kDuplicateText = "同じ時間に二重の予約はできません。";

Box Ok(const std::string& text, const std::string& title) {
    return {text, title, ui::Buttons::Ok, ui::Icon::None};
}

// A box as "first-last @selected" when its entries are the numbers first to last, else as its
// entries joined by "|"; "@-" when no entry is selected.
std::string Shown(const ui::ComboBox& box) {
    std::string all;
    bool numbers = box.Count() > 0;
    for (int i = 0; i < box.Count(); ++i) {
        all += (i > 0 ? "|" : "") + box.Item(i);
        numbers = numbers && box.Item(i) == std::to_string(std::atoi(box.Item(0).c_str()) + i);
    }
    const std::string list = numbers ? box.Item(0) + "-" + box.Item(box.Count() - 1) : all;
    return list + " @" + (box.ListIndex() < 0 ? "-" : box.Item(box.ListIndex()));
}

// Several boxes of a window, each as Shown, joined by ", ".
std::string Shown(HeadlessWindow& w, std::initializer_list<const char*> names) {
    std::string out;
    for (const char* name : names) {
        out += (out.empty() ? "" : ", ") + Shown(w.GetComboBox(name));
    }
    return out;
}

// The program started on a schedule file, with the list window opened from the tray menu.
struct App : support::RunningApp {
    explicit App(local_seconds now, const std::string& file = "") : RunningApp(now) {
        Start(file);
        Menu("mnuShowAllSch");
        platform.log.clear();
    }

    HeadlessWindow& OpenDate() {
        W("FrmAllSch").PressButton("CmdNewTime");
        return W("AddNewTime");
    }
    HeadlessWindow& OpenWeekday() {
        W("FrmAllSch").PressButton("CmdNewYobi");
        return W("AddNewYobi");
    }

    // Picks the entry that reads `text`, as the user would.
    void Pick(HeadlessWindow& w, std::string_view combo, const std::string& text) {
        const ui::ComboBox& box = w.GetComboBox(combo);
        for (int i = 0; i < box.Count(); ++i) {
            if (box.Item(i) == text) {
                return w.PickEntry(combo, i);
            }
        }
        throw std::logic_error("no entry " + text + " in " + std::string(combo));
    }
    void Pick(HeadlessWindow& w, std::string_view combo, int n) {
        Pick(w, combo, std::to_string(n));
    }

    // Opens a line for changing: a double-click on a date line, Enter on a weekday line.
    HeadlessWindow& Change(bool dateList, int row) {
        HeadlessWindow& list = W("FrmAllSch");
        list.SelectRow(dateList ? "ListSchTime" : "ListSchYobi", row);
        dateList ? list.DoubleClickRow("ListSchTime", row)
                 : list.PressKey(HeadlessWindow::Key::Enter);
        return W(dateList ? "AddNewTime" : "AddNewYobi");
    }

    // Types a name, picks the date and time and presses "設定" in the date dialog.
    HeadlessWindow& AddDate(const std::string& name, int y, int mo, int d, int h, int mi) {
        HeadlessWindow& w = OpenDate();
        w.Type("TxtTimeTag", name);
        Pick(w, "CmbYr", y);
        Pick(w, "CmbMt", mo);
        Pick(w, "CmbDy", d);
        Pick(w, "CmbHr", h);
        Pick(w, "CmbMin", mi);
        w.PressButton("Cb_set");
        return w;
    }
    // The same in the weekday dialog; `entry` is the weekday box's entry.
    HeadlessWindow& AddWeekday(const std::string& name, const std::string& entry, int h, int mi) {
        HeadlessWindow& w = OpenWeekday();
        w.Type("TxtYobiTag", name);
        Pick(w, "CmbYobi", entry);
        Pick(w, "CmbYbHr", h);
        Pick(w, "CmbYbMin", mi);
        w.PressButton("Cb_set");
        return w;
    }

    // The names in a list of the list window: each line's name column without its padding.
    Strings Listed(std::string_view list) {
        Strings names;
        ui::ListBox& box = W("FrmAllSch").GetListBox(list);
        for (int i = 0; i < box.Count(); ++i) {
            const std::string column = box.Item(i).substr(0, box.Item(i).find('\t'));
            names.push_back(column.substr(0, column.find_last_not_of(' ') + 1));
        }
        return names;
    }
};

// Filling and preselection ------------------------------------------------------------------

const std::initializer_list<const char*> kDateBoxes = {"CmbYr", "CmbMt", "CmbDy", "CmbHr",
                                                       "CmbMin"};

TEST(DateDialogFill, SelectsNowInTheFiveBoxes) {
    const std::pair<local_seconds, const char*> cases[] = {
        {At(2028, 2, 10, 9, 41, 59), "2028-2038 @2028, 1-12 @2, 1-29 @10, 0-23 @9, 0-59 @41"},
        {At(2028, 2, 29, 0, 0), "2028-2038 @2028, 1-12 @2, 1-29 @29, 0-23 @0, 0-59 @0"},
        {At(2027, 2, 28, 23, 59), "2027-2037 @2027, 1-12 @2, 1-28 @28, 0-23 @23, 0-59 @59"},
        {At(2100, 2, 1, 12, 0), "2100-2100 @2100, 1-12 @2, 1-28 @1, 0-23 @12, 0-59 @0"},
        {At(2095, 12, 31, 18, 7), "2095-2100 @2095, 1-12 @12, 1-31 @31, 0-23 @18, 0-59 @7"},
        {At(2030, 4, 30, 6, 5), "2030-2040 @2030, 1-12 @4, 1-30 @30, 0-23 @6, 0-59 @5"},
        {At(2000, 2, 29, 8, 30), "2002-2010 @2002, 1-12 @2, 1-28 @28, 0-23 @8, 0-59 @30"},
        {At(1985, 7, 4, 0, 1), "2002-2002 @2002, 1-12 @7, 1-31 @4, 0-23 @0, 0-59 @1"},
        {At(2104, 2, 29, 7, 0), "2100-2100 @2100, 1-12 @2, 1-28 @28, 0-23 @7, 0-59 @0"},
    };
    for (const auto& [now, shown] : cases) {
        App app(now);
        EXPECT_EQ(Shown(app.OpenDate(), kDateBoxes), shown);
        EXPECT_TRUE(app.module.AddTimeActive);
        EXPECT_TRUE(app.W("AddNewTime").Visible());
        EXPECT_FALSE(app.W("FrmAllSch").Visible());
    }
}

TEST(WeekdayDialogFill, SelectsTodayAndTheTime) {
    const std::string entries = "日|月|火|水|木|金|土|月～金|土日|毎日|月～土 @";
    const std::pair<local_seconds, std::string> cases[] = {
        {kNow, "木, 0-23 @9, 0-59 @41"},
        {At(2028, 2, 13, 0, 0), "日, 0-23 @0, 0-59 @0"},
        {At(2028, 2, 19, 23, 59, 59), "土, 0-23 @23, 0-59 @59"},
        {At(2027, 3, 10, 18, 7), "水, 0-23 @18, 0-59 @7"},
    };
    for (const auto& [now, shown] : cases) {
        App app(now);
        EXPECT_EQ(Shown(app.OpenWeekday(), {"CmbYobi", "CmbYbHr", "CmbYbMin"}), entries + shown);
        EXPECT_TRUE(app.platform.boxes.empty());
        EXPECT_FALSE(app.W("FrmAllSch").Visible());
    }
}

// The day refill ----------------------------------------------------------------------------

TEST(DateDialogRefill, MonthAndYearPicksRefillTheDays) {
    const std::tuple<const char*, int, const char*> steps[] = {
        {"CmbMt", 1, "1-31 @10"},    {"CmbDy", 31, "1-31 @31"},   {"CmbMt", 4, "1-30 @30"},
        {"CmbMt", 2, "1-29 @29"},    {"CmbYr", 2032, "1-29 @29"}, {"CmbYr", 2029, "1-28 @28"},
        {"CmbYr", 2032, "1-29 @28"}, {"CmbDy", 29, "1-29 @29"},   {"CmbYr", 2036, "1-29 @29"},
        {"CmbYr", 2030, "1-28 @28"}, {"CmbMt", 3, "1-31 @28"},    {"CmbDy", 31, "1-31 @31"},
        {"CmbYr", 2029, "1-31 @31"}, {"CmbMt", 12, "1-31 @31"},   {"CmbMt", 11, "1-30 @30"},
    };
    App app(kNow);
    HeadlessWindow& w = app.OpenDate();
    for (const auto& [box, pick, days] : steps) {
        app.Pick(w, box, pick);
        EXPECT_EQ(Shown(w.GetComboBox("CmbDy")), days) << box << " " << pick;
    }
}

TEST(DateDialogRefill, TheCenturyYearIsCommon) {
    App app(At(2096, 2, 29, 9, 0));
    HeadlessWindow& w = app.OpenDate();
    app.Pick(w, "CmbYr", 2100);
    EXPECT_EQ(Shown(w.GetComboBox("CmbDy")), "1-28 @28");
    app.Pick(w, "CmbYr", 2096);
    EXPECT_EQ(Shown(w.GetComboBox("CmbDy")), "1-29 @28");
}

TEST(DateDialogRefill, TypedEntriesCountAndOtherTextGivesDayOneAndACommonYear) {
    App app(kNow);
    HeadlessWindow& w = app.OpenDate();
    // A typed day that is one of the entries is kept like a picked one.
    w.Type("CmbDy", " 15 ");
    app.Pick(w, "CmbMt", 4);
    EXPECT_EQ(Shown(w.GetComboBox("CmbDy")), "1-30 @15");
    w.Type("CmbDy", "15日");
    app.Pick(w, "CmbMt", 5);
    EXPECT_EQ(Shown(w.GetComboBox("CmbDy")), "1-31 @1");
    // A typed leap year counts; a year that is none of the entries gives a common year.
    w.Type("CmbYr", "2028");
    app.Pick(w, "CmbMt", 2);
    EXPECT_EQ(Shown(w.GetComboBox("CmbDy")), "1-29 @1");
    w.Type("CmbYr", "２０２８");
    app.Pick(w, "CmbMt", 2);
    EXPECT_EQ(Shown(w.GetComboBox("CmbDy")), "1-28 @1");
}

TEST(DateDialogRefill, PicksDoNothingWhileTheDialogIsNotActive) {
    App app(kNow);
    HeadlessWindow& w = app.OpenDate();
    app.module.AddTimeActive = false;
    app.Pick(w, "CmbMt", 4);
    app.Pick(w, "CmbMt", 2);
    app.Pick(w, "CmbYr", 2029);
    EXPECT_EQ(Shown(w.GetComboBox("CmbDy")), "1-29 @10");
}

// The checks of "設定" -----------------------------------------------------------------------

using Prepare = std::function<void(App&, HeadlessWindow&)>;

// On a fresh program, opens a dialog, types `name`, lets `prepare` spoil something and presses
// "設定": `box` is the one box shown, and nothing else changes.
void ExpectRefused(bool dateDialog, const std::string& name, const Prepare& prepare,
                   const Box& box) {
    SCOPED_TRACE(testing::Message() << (dateDialog ? "date" : "weekday") << " [" << name << "]");
    App app(kNow, "歯医者,2028,3,1,9,0\r\n朝会,WKD,9,0\r\n");
    HeadlessWindow& w = dateDialog ? app.OpenDate() : app.OpenWeekday();
    w.Type(dateDialog ? "TxtTimeTag" : "TxtYobiTag", name);
    prepare(app, w);
    const ScheduleTables before = app.module.Tables;
    w.PressButton("Cb_set");
    EXPECT_EQ(app.Boxes(), std::vector<Box>{box});
    EXPECT_EQ(app.module.Tables, before);
    EXPECT_EQ(app.Pos("write Alarm_List.txt"), -1);
    EXPECT_TRUE(w.Visible());
    EXPECT_EQ(app.module.AddTimeActive, dateDialog);
}

TEST(AddChecks, EitherTableFullRefusesBothDialogs) {
    for (const auto& fill : {std::pair{100, 0}, std::pair{0, 100}, std::pair{100, 100}}) {
        const Prepare full = [fill](App& app, HeadlessWindow&) {
            for (int i = 0; i < 100; ++i) {
                if (i < fill.first) {
                    app.module.Tables.AppendDate({"D", At(2029, 1, 1, 0, 0) + Hm(0, i)});
                }
                if (i < fill.second) {
                    app.module.Tables.AppendWeekday({"W", "MON", Hm(0, i)});
                }
            }
        };
        for (const bool dateDialog : {true, false}) {
            // A blank name as well: the capacity is checked first.
            ExpectRefused(dateDialog, fill.first == 100 ? "会議😀" : " ", full,
                          Ok("スケジュールは100件までです。", "Pelmora"));
        }
    }
}

TEST(AddChecks, BlankOrUnholdableNamesAndTypedOverBoxesAreRefused) {
    const Prepare nothing = [](App&, HeadlessWindow&) {};
    for (const bool dateDialog : {true, false}) {
        for (const char* blank : {"", "  ", "　", " 　 　"}) {
            ExpectRefused(dateDialog, blank, nothing,
                          Ok("スケジュール名を入力してください。", kWarning));
        }
        // Written as "?", or read back as another character ("〜" as "～", "−" as "－").
        for (const char* lost : {"会議😀", "Noël", "회의", "〜", "−5分", "\uFFFD"}) {
            ExpectRefused(dateDialog, lost, nothing,
                          Ok("スケジュール名に使用できない文字が含まれています。", kWarning));
        }
    }
    // Typed text that is none of the box's entries.
    for (const char* box : {"CmbYr", "CmbMt", "CmbDy", "CmbHr", "CmbMin", "CmbYbHr", "CmbYbMin"}) {
        for (const char* typed : {"", "012", "１２", "1 2", "12時", "-0"}) {
            const bool dateDialog = !std::string_view(box).starts_with("CmbYb");
            const Prepare typeOver = [box, typed](App&, HeadlessWindow& w) { w.Type(box, typed); };
            ExpectRefused(dateDialog, "会議", typeOver,
                          Ok("入力された数値が不正です。確認してください。", kWarning));
        }
    }
}

TEST(AddChecks, TypedEntriesCountAsPicked) {
    {
        App app(kNow);
        HeadlessWindow& w = app.OpenDate();
        w.Type("TxtTimeTag", "会議");
        // Picked in order: the typed year and month refill the days and keep the typed 29th.
        for (const auto& [box, typed] :
             {std::pair{"CmbYr", "2028"}, std::pair{"CmbMt", "2"}, std::pair{"CmbDy", "29"},
              std::pair{"CmbHr", " 20　"}, std::pair{"CmbMin", "5"}}) {
            w.Type(box, typed);
        }
        w.PressButton("Cb_set");
        EXPECT_EQ(app.Boxes(),
                  std::vector<Box>{Ok(kAdded + "会議\n2028年02月29日 20時05分", kAddedTitle)});
    }
    {
        // A typed 2029 refills February as a pick would: the 29th becomes the 28th.
        App app(kNow);
        HeadlessWindow& w = app.OpenDate();
        w.Type("TxtTimeTag", "会議");
        app.Pick(w, "CmbMt", 2);
        app.Pick(w, "CmbDy", 29);
        w.Type("CmbYr", "2029");
        w.PressButton("Cb_set");
        EXPECT_EQ(app.module.Tables.Date(1).DateTime, At(2029, 2, 28, 9, 41));
    }
    {
        App app(kNow);
        HeadlessWindow& w = app.OpenWeekday();
        w.Type("TxtYobiTag", "散歩");
        w.Type("CmbYbHr", "20");
        w.Type("CmbYbMin", "0");
        w.PressButton("Cb_set");
        EXPECT_EQ(app.Boxes(),
                  std::vector<Box>{Ok(kAdded + "散歩\n毎週木曜日 20時00分", kAddedTitle)});
    }
}

TEST(AddChecks, PastMinutesAreRefused) {
    const Box past = Ok("過去のスケジュールは追加できません。", kWarning);
    // The dialog offers the current minute, 09:41, which is past from 09:41:01 on.
    ExpectRefused(
        true, "会議",
        [](App& app, HeadlessWindow&) { app.platform.SetNow(kNow + std::chrono::seconds(1)); },
        past);
    ExpectRefused(
        true, "会議", [](App& app, HeadlessWindow& w) { app.Pick(w, "CmbMin", 40); }, past);
    ExpectRefused(
        true, "会議",
        [](App& app, HeadlessWindow& w) {
            app.Pick(w, "CmbDy", 9);
            app.Pick(w, "CmbHr", 23);
        },
        past);
    // At second 0 the current minute is not past yet; at second 59 the next one is not either.
    for (const int second : {0, 59}) {
        App app(kNow + std::chrono::seconds(second));
        app.AddDate("会議", 2028, 2, 10, 9, second == 0 ? 41 : 42);
        EXPECT_EQ(std::get<1>(app.Boxes().at(0)), kAddedTitle) << second;
    }
}

TEST(AddChecks, SameDateTimeIsADuplicateWhateverTheName) {
    App app(kNow, "歯医者,2028,2,11,10,0\r\n");
    app.AddDate("別の予定", 2028, 2, 11, 10, 0);
    EXPECT_EQ(app.Boxes(), std::vector<Box>{Ok(kDuplicateText, "Pelmora")});
    app.W("AddNewTime").PressButton("Cb_cancel");
    app.AddDate("歯医者", 2028, 2, 12, 10, 0);  // the same time on another day
    app.AddDate("歯医者", 2028, 2, 11, 10, 1);
    EXPECT_EQ(app.module.Tables.DateCount(), 3);
    EXPECT_EQ(app.platform.boxes.size(), 3u);
}

TEST(AddChecks, OnlyTheSameCodeAtTheSameTimeIsADuplicate) {
    App app(kNow, "ゴミ出し,MON,7,0\r\n");
    app.AddWeekday("別の予定", "月", 7, 0);
    EXPECT_EQ(app.Boxes(), std::vector<Box>{Ok(kDuplicateText, "Pelmora")});
    app.W("AddNewYobi").PressButton("Cb_cancel");
    app.AddWeekday("朝会", "月～金", 7, 0);
    app.AddWeekday("ゴミ出し", "月", 7, 1);
    EXPECT_EQ(app.module.Tables.WeekdayCount(), 3);
    EXPECT_EQ(app.platform.boxes.size(), 3u);
    app.AddWeekday("二度目", "月～金", 7, 0);
    EXPECT_EQ(app.Boxes().back(), Ok(kDuplicateText, "Pelmora"));
    EXPECT_EQ(app.module.Tables.WeekdayCount(), 3);
}

TEST(AddChecks, NamesOfCodePage932AreKeptAsTyped) {
    for (const std::string name : {"会議?", "～", "ｶｲｷﾞ", "①髙", "\\"}) {  // "～": U+FF5E
        App app(kNow);
        app.AddWeekday(name, "月", 7, 0);
        EXPECT_EQ(app.File(), name + ",MON, 7, 0\r\n");
    }
}

// The weekday box --------------------------------------------------------------------------

TEST(WeekdayBox, TypingWarnsAndSelectsTodayPickingDoesNot) {
    App app(kNow);
    HeadlessWindow& w = app.OpenWeekday();
    app.Pick(w, "CmbYobi", "月～金");  // no warning: only the one below
    std::string shownWhileOpen;
    app.platform.answerBox = [&](const headless::RecordedBox&) {
        shownWhileOpen = w.GetComboBox("CmbYobi").Text();
        return ui::Answer::Ok;
    };
    w.Type("CmbYobi", "月");
    EXPECT_EQ(app.Boxes(), std::vector<Box>{Ok("曜日はリストから選んでください。", kWarning)});
    EXPECT_EQ(shownWhileOpen, "月");  // reset only once the box is closed
    EXPECT_EQ(w.GetComboBox("CmbYobi").ListIndex(), 4);
    EXPECT_EQ(w.GetComboBox("CmbYobi").Text(), "木");
    w.Type("CmbYobi", "月曜");  // every edit warns
    EXPECT_EQ(app.platform.boxes.size(), 2u);
    // While changing, the entry's own weekday comes back.
    App change(kNow, "ゴミ出し,MON,7,30\r\n");
    change.Change(false, 0).Type("CmbYobi", "火");
    EXPECT_EQ(change.W("AddNewYobi").GetComboBox("CmbYobi").Text(), "月");
}

TEST(WeekdayBox, NoSelectionAtTheAdditionTakesTodaySilently) {
    App app(kNow);
    HeadlessWindow& w = app.OpenWeekday();
    w.Type("TxtYobiTag", "会議");
    app.main.addNewYobi.Get().CmbYobi.SetListIndex(-1);
    w.PressButton("Cb_set");
    EXPECT_EQ(app.Boxes(), std::vector<Box>{Ok(kAdded + "会議\n毎週木曜日 09時41分", kAddedTitle)});
    EXPECT_EQ(app.module.Tables.Weekday(1), (WeekdaySchedule{"会議", "THU", Hm(9, 41)}));
}

// Additions -------------------------------------------------------------------------------

TEST(Addition, DateEntryIsConfirmedSavedAndListedInOrder) {
    App app(kNow, "三月,2028,3,1,9,0\r\n二月末,2028,2,28,9,0\r\n朝会,WKD,9,0\r\n");
    HeadlessWindow& w = app.AddDate("  会議,準備  ", 2028, 2, 10, 9, 45);

    // Without the blanks around it, and with the comma the file can keep.
    EXPECT_EQ(app.Boxes(),
              std::vector<Box>{Ok(kAdded + "会議，準備\n2028年02月10日 09時45分", kAddedTitle)});
    // Written before the reorder: the new entry is last, though it sorts first.
    EXPECT_EQ(app.File(),
              "二月末, 2028, 2, 28, 9, 0\r\n三月, 2028, 3, 1, 9, 0\r\n"
              "会議，準備, 2028, 2, 10, 9, 45\r\n朝会,WKD, 9, 0\r\n");
    EXPECT_EQ(app.module.Tables.Date(1), (DateSchedule{"会議，準備", At(2028, 2, 10, 9, 45)}));
    EXPECT_EQ(app.Listed("ListSchTime"), (Strings{"会議，準備", "二月末", "三月"}));
    EXPECT_LT(app.Pos("write Alarm_List.txt"), app.Pos("box " + kAddedTitle));
    EXPECT_LT(app.Pos("box " + kAddedTitle), app.Pos("show FrmAllSch"));
    EXPECT_TRUE(app.W("FrmAllSch").Visible());
    EXPECT_FALSE(w.Visible());
    EXPECT_FALSE(app.module.AddTimeActive);
    // The next opening offers the name as it was typed.
    EXPECT_EQ(app.OpenDate().GetTextBox("TxtTimeTag").Text(), "  会議,準備  ");
}

TEST(Addition, WeekdayEntryKeepsItsBlanksAndIsListedInOrder) {
    App app(kNow, "朝会,WKD,9,0\r\n歯医者,2028,3,1,9,0\r\nゴミ出し,MON,7,30\r\n");
    HeadlessWindow& w = app.AddWeekday("  散歩,体操　", "日", 6, 5);

    EXPECT_EQ(app.Boxes(),
              std::vector<Box>{Ok(kAdded + "  散歩，体操　\n毎週日曜日 06時05分", kAddedTitle)});
    EXPECT_EQ(app.File(),
              "歯医者, 2028, 3, 1, 9, 0\r\nゴミ出し,MON, 7, 30\r\n朝会,WKD, 9, 0\r\n"
              "  散歩，体操　,SUN, 6, 5\r\n");
    EXPECT_EQ(app.module.Tables.Weekday(1), (WeekdaySchedule{"  散歩，体操　", "SUN", Hm(6, 5)}));
    EXPECT_EQ(app.Listed("ListSchYobi"), (Strings{"  散歩，体操　", "ゴミ出し", "朝会"}));
    EXPECT_LT(app.Pos("write Alarm_List.txt"), app.Pos("box " + kAddedTitle));
    EXPECT_LT(app.Pos("box " + kAddedTitle), app.Pos("show FrmAllSch"));
    EXPECT_TRUE(app.W("FrmAllSch").Visible());
    EXPECT_FALSE(w.Visible());
    EXPECT_EQ(app.OpenWeekday().GetTextBox("TxtYobiTag").Text(), "  散歩,体操　");
}

TEST(Addition, EveryWeekdayEntryHasItsCodeAndDayPhrase) {
    const std::tuple<std::string, std::string, std::string> cases[] = {
        {"日", "SUN", "毎週日曜日"},         {"月", "MON", "毎週月曜日"},
        {"火", "TUE", "毎週火曜日"},         {"水", "WED", "毎週水曜日"},
        {"木", "THU", "毎週木曜日"},         {"金", "FRI", "毎週金曜日"},
        {"土", "SAT", "毎週土曜日"},         {"月～金", "WKD", "毎週月～金曜日"},
        {"土日", "WKE", "毎週土日曜日"},     {"毎日", "EVD", "毎日"},
        {"月～土", "MTS", "毎週月～土曜日"},
    };
    App app(kNow);
    for (const auto& [entry, code, phrase] : cases) {
        SCOPED_TRACE(code);
        app.platform.boxes.clear();
        app.AddWeekday(code, entry, 6, 30);
        EXPECT_EQ(app.Boxes(),
                  std::vector<Box>{Ok(kAdded + code + "\n" + phrase + " 06時30分", kAddedTitle)});
        EXPECT_NE(app.File().find(code + "," + code + ", 6, 30\r\n"), std::string::npos);
    }
}

TEST(Addition, FailedRewriteTakesTheEntryBackAndKeepsTheDialog) {
    for (const bool dateDialog : {true, false}) {
        SCOPED_TRACE(dateDialog);
        App app(kNow, "歯医者,2028,3,1,9,0\r\nゴミ出し,MON,7,30\r\n");
        const ScheduleTables before = app.module.Tables;
        app.platform.disk().failAt = [](WriteStep s) { return s == WriteStep::Flush; };
        HeadlessWindow& w = dateDialog ? app.AddDate("会議", 2028, 2, 20, 9, 0)
                                       : app.AddWeekday("会議", "火", 9, 0);

        EXPECT_EQ(app.Boxes(),
                  std::vector<Box>{Ok("Alarm_List.txtの書込み時にエラーが発生しました。",
                                      "ディスク書込みエラー")});
        EXPECT_EQ(app.module.Tables, before);
        EXPECT_TRUE(w.Visible());
        EXPECT_FALSE(app.W("FrmAllSch").Visible());
        EXPECT_EQ(w.GetTextBox(dateDialog ? "TxtTimeTag" : "TxtYobiTag").Text(), "会議");
        EXPECT_EQ(app.module.AddTimeActive, dateDialog);

        // The disk recovers: the same contents are added at the next press.
        app.platform.disk().failAt = nullptr;
        w.PressButton("Cb_set");
        EXPECT_EQ(std::get<1>(app.Boxes().back()), kAddedTitle);
        EXPECT_NE(app.File().find(dateDialog ? "会議, 2028, 2, 20, 9, 0" : "会議,TUE, 9, 0"),
                  std::string::npos);
        EXPECT_FALSE(w.Visible());
        EXPECT_FALSE(app.module.AddTimeActive);
    }
}

TEST(Addition, ExitWhileTheConfirmationIsOpenKeepsTheEntryAndOpensNothing) {
    App app(kNow);
    app.platform.answerBox = [&](const headless::RecordedBox&) {
        app.platform.chooseMenuItem = [](const auto&) { return std::string("mnuExit"); };
        app.platform.MouseOnTray(ui::TrayMouse::RightDown);
        return ui::Answer::Ok;
    };
    app.AddDate("会議", 2028, 3, 1, 9, 0);
    EXPECT_EQ(app.File(), "会議, 2028, 3, 1, 9, 0\r\n");
    for (const char* window : {"MainForm", "AddNewTime", "FrmAllSch"}) {
        EXPECT_EQ(app.platform.Find(window), nullptr) << window;
    }
}

// Changes ---------------------------------------------------------------------------------

// A change is checked as an addition is, leaving out the entry itself and the room (the date
// table is full in the last three rows). It replaces the entry where it stands in the tables,
// so in the file (written before the list's reorder), and its line is selected; refused, or
// when the save fails, nothing changes.
TEST(Change, IsCheckedAsAnAdditionAndReplacesItsEntryInPlace) {
    const std::string file =
        "三月,2028,3,1,9,0\r\n二月末,2028,2,28,9,0\r\n遠い,2045,1,1,0,0\r\n"
        "朝会,WKD,9,0\r\nゴミ出し,MON,7,30\r\n";
    const struct {
        int row;  // of the date list, or -1 for the weekday list's first
        std::vector<std::pair<const char*, const char*>> edits;  // typed into a name, or picked
        std::string shown, written;  // the box's text; the file ("": unchanged)
        int selected;
    } rows[] = {
        // clang-format off
        {0, {{"TxtTimeTag", "　"}}, "スケジュール名を入力してください。", "", 0},
        {0, {{"CmbDy", "9"}}, "過去の日時には変更できません。", "", 0},
        {0, {{"CmbMt", "3"}, {"CmbDy", "1"}}, kDuplicateText, "", 0},
        {-1, {{"CmbYobi", "月～金"}, {"CmbYbHr", "9"}, {"CmbYbMin", "0"}}, kDuplicateText, "", 0},
        {0, {{"CmbMin", "1"}}, "Alarm_List.txtの書込み時にエラーが発生しました。", "", 0},
        {0, {{"TxtTimeTag", " 四月 "}, {"CmbMt", "4"}, {"CmbDy", "1"}}, "四月\n2028年04月01日 09時00分",
         "四月, 2028, 4, 1, 9, 0\r\n三月, 2028, 3, 1, 9, 0\r\n遠い, 2045, 1, 1, 0, 0\r\n", 1},
        {2, {{"TxtTimeTag", "遠い約束"}}, "遠い約束\n2045年01月01日 00時00分",
         "三月, 2028, 3, 1, 9, 0\r\n遠い約束, 2045, 1, 1, 0, 0\r\n", 99},  // after 97 "D"s
        {-1, {{"CmbYobi", "土日"}}, "ゴミ出し\n毎週土日曜日 07時30分",
         "ゴミ出し,WKE, 7, 30\r\n朝会,WKD, 9, 0\r\n", 98},  // after 97 "W"s and 朝会
        // clang-format on
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.shown);
        App app(kNow, file);
        HeadlessWindow& w = app.Change(r.row >= 0, std::max(r.row, 0));
        EXPECT_EQ(w.Caption(), "   アラームスケジュールの変更");
        for (const auto& [box, text] : r.edits) {
            box[0] == 'T' ? w.Type(box, text) : app.Pick(w, box, text);
        }
        app.platform.disk().failAt = [&](WriteStep) { return r.shown.starts_with("Alarm"); };
        while (&r >= &rows[5] && app.module.Tables.AppendDate({"D", At(2029, 1, 1, 0, 0)}) &&
               app.module.Tables.AppendWeekday({"W", "SUN", Hm(0, 0)})) {
        }
        const std::string before = app.File();
        w.PressButton("Cb_set");
        ASSERT_EQ(app.platform.boxes.size(), 1u);
        EXPECT_NE(app.platform.boxes[0].text.find(r.shown), std::string::npos);
        EXPECT_EQ(w.Visible(), r.written.empty());
        EXPECT_NE(app.File().find(r.written.empty() ? before : r.written), std::string::npos);
        EXPECT_EQ(
            app.W("FrmAllSch").GetListBox(r.row >= 0 ? "ListSchTime" : "ListSchYobi").ListIndex(),
            r.selected);
    }
    // Filled with the entry, the year box offering its year in order; "新規追加" adds again,
    // offering the name the box held for adding.
    App app(kNow, file);
    app.OpenDate().Type("TxtTimeTag", "会議");
    app.W("AddNewTime").PressButton("Cb_cancel");
    HeadlessWindow& w = app.Change(true, 2);
    EXPECT_EQ(
        Shown(w, kDateBoxes) + " " + w.GetTextBox("TxtTimeTag").Text(),
        "2028|2029|2030|2031|2032|2033|2034|2035|2036|2037|2038|2045 @2045, 1-12 @1, 1-31 @1, "
        "0-23 @0, 0-59 @0 遠い");
    w.PressKey(HeadlessWindow::Key::Escape);
    EXPECT_EQ(app.OpenDate().Caption(), "   アラームスケジュールの追加");
    EXPECT_EQ(w.GetTextBox("TxtTimeTag").Text(), "会議");
}

// Leaving and reopening --------------------------------------------------------------------

TEST(LeavingTheDialogs, CancelAndTheCloseBoxShowTheListAgain) {
    for (const bool closeBox : {false, true}) {
        for (const bool dateDialog : {true, false}) {
            SCOPED_TRACE(testing::Message() << closeBox << " " << dateDialog);
            App app(kNow, "歯医者,2028,3,1,9,0\r\n");
            const char* dialog = dateDialog ? "AddNewTime" : "AddNewYobi";
            const char* name = dateDialog ? "TxtTimeTag" : "TxtYobiTag";
            HeadlessWindow& w = dateDialog ? app.OpenDate() : app.OpenWeekday();
            w.Type(name, "会議");
            if (closeBox) {
                w.PressCloseBox();
                EXPECT_EQ(app.platform.Find(dialog), nullptr);
            } else {
                w.PressButton("Cb_cancel");
                EXPECT_FALSE(w.Visible());
            }
            EXPECT_TRUE(app.W("FrmAllSch").Visible());
            EXPECT_FALSE(app.module.AddTimeActive);
            EXPECT_EQ(app.Pos("write Alarm_List.txt"), -1);

            // The next opening works; after the close box it is a fresh, empty dialog.
            HeadlessWindow& again = dateDialog ? app.OpenDate() : app.OpenWeekday();
            EXPECT_EQ(again.GetTextBox(name).Text(), closeBox ? "" : "会議");
            EXPECT_EQ(Shown(again.GetComboBox(dateDialog ? "CmbMin" : "CmbYbMin")), "0-59 @41");
            again.Type(name, "再開");
            again.PressButton("Cb_set");  // at 09:41:00, the minute is not past yet
            EXPECT_EQ(std::get<1>(app.Boxes().at(0)), kAddedTitle);
            EXPECT_EQ(app.module.Tables.DateCount() + app.module.Tables.WeekdayCount(), 2);
        }
    }
}

}  // namespace
}  // namespace pelmora
