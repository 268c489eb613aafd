// The keyboard in the program's windows on the headless platform: where the focus is when a
// window is shown, the tab order, Enter and Space on a button, Esc, and where the focus goes
// when its button is disabled.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "RunningApp.h"
#include "TestSupport.h"

namespace pelmora {
namespace {

using headless::HeadlessWindow;
using Key = headless::HeadlessWindow::Key;
using std::chrono::milliseconds;
using support::At;
using Names = std::vector<std::string>;

const auto kStart = At(2027, 3, 10, 9, 0);  // a Wednesday

class Keyboard : public testing::Test, public support::RunningApp {
  protected:
    Keyboard() : RunningApp(kStart) {
        Start("歯医者,2027,3,11,9,0\r\n会議,2027,3,12,9,0\r\n散歩,EVD,9,1\r\n");
        platform.Advance(milliseconds(3000));  // the splash is gone
    }
    HeadlessWindow& List() {
        Menu("mnuShowAllSch");
        return W("FrmAllSch");
    }
    // The focus after each of `keys`, pressed in turn.
    static Names FocusAfter(HeadlessWindow& w, const std::vector<Key>& keys) {
        Names out;
        for (const Key k : keys) {
            w.PressKey(k);
            out.push_back(w.Focused());
        }
        return out;
    }
};

TEST_F(Keyboard, EachWindowGivesTheFocusToItsFirstTabStop) {
    Menu("mnuToday");
    EXPECT_EQ(W("FrmDaySch").Focused(), "ListSch");
    EXPECT_EQ(List().Focused(), "ListSchTime");
    W("FrmAllSch").PressButton("CmdNewTime");
    EXPECT_EQ(W("AddNewTime").Focused(), "CmbMt");
    W("AddNewTime").PressKey(Key::Escape);
    W("FrmAllSch").PressButton("CmdNewYobi");
    EXPECT_EQ(W("AddNewYobi").Focused(), "Cb_cancel");
    platform.Advance(At(2027, 3, 10, 9, 1) - platform.Now() + milliseconds(500));
    ASSERT_TRUE(W("FrmAlart").Visible());
    EXPECT_EQ(W("FrmAlart").Focused(), "Command1");
}

TEST_F(Keyboard, TabGoesThroughTheTabStopsInOrderAndSkipsDisabledOnes) {
    HeadlessWindow& list = List();
    // Nothing is selected, so both delete buttons are disabled.
    EXPECT_EQ(FocusAfter(list, {Key::Tab, Key::Tab, Key::Tab, Key::Tab, Key::Tab}),
              (Names{"CmdNewTime", "CmdNewYobi", "CmdClose", "ListSchYobi", "ListSchTime"}));
    list.SelectRow("ListSchTime", 0);
    EXPECT_EQ(FocusAfter(list, {Key::Tab, Key::Tab, Key::ShiftTab, Key::ShiftTab, Key::ShiftTab}),
              (Names{"CmdNewTime", "CmdDelTime", "CmdNewTime", "ListSchTime", "ListSchYobi"}));

    list.PressButton("CmdNewTime");
    HeadlessWindow& date = W("AddNewTime");
    EXPECT_EQ(
        FocusAfter(date, std::vector<Key>(8, Key::Tab)),
        (Names{"CmbDy", "CmbHr", "CmbMin", "TxtTimeTag", "CmbYr", "Cb_cancel", "Cb_set", "CmbMt"}));
    date.PressKey(Key::Escape);
    list.PressButton("CmdNewYobi");
    EXPECT_EQ(FocusAfter(W("AddNewYobi"), std::vector<Key>(6, Key::ShiftTab)),
              (Names{"CmbYobi", "CmbYbMin", "CmbYbHr", "TxtYobiTag", "Cb_set", "Cb_cancel"}));
}

TEST_F(Keyboard, EscapeIsCancelCloseOrUnderstood) {
    HeadlessWindow& list = List();
    list.PressButton("CmdNewTime");
    W("AddNewTime").Type("TxtTimeTag", "会議");
    W("AddNewTime").PressKey(Key::Escape);
    EXPECT_FALSE(W("AddNewTime").Visible());
    EXPECT_FALSE(module.AddTimeActive);
    EXPECT_TRUE(list.Visible());
    list.PressButton("CmdNewYobi");
    W("AddNewYobi").PressKey(Key::Escape);
    EXPECT_FALSE(W("AddNewYobi").Visible());
    EXPECT_TRUE(list.Visible());
    list.PressKey(Key::Escape);  // "閉じる": the window goes
    EXPECT_EQ(platform.Find("FrmAllSch"), nullptr);

    Menu("mnuToday");
    W("FrmDaySch").PressKey(Key::Escape);  // the close box: the window goes
    EXPECT_EQ(platform.Find("FrmDaySch"), nullptr);

    platform.Advance(At(2027, 3, 10, 9, 1) - platform.Now() + milliseconds(500));
    W("FrmAlart").PressKey(Key::Escape);
    EXPECT_FALSE(W("FrmAlart").Visible());
    EXPECT_TRUE(platform.boxes.empty());
}

TEST_F(Keyboard, EnterAndSpacePressOnlyAFocusedButton) {
    platform.Advance(At(2027, 3, 10, 9, 1) - platform.Now() + milliseconds(500));
    W("FrmAlart").PressKey(Key::Enter);
    EXPECT_FALSE(W("FrmAlart").Visible());

    HeadlessWindow& list = List();
    list.PressKey(Key::Enter);  // the focus is on the list, no line selected: nothing happens
    list.PressKey(Key::Space);
    EXPECT_TRUE(list.Visible());
    list.SelectRow("ListSchTime", 1);
    list.PressKey(Key::Enter);  // a line selected: it opens for changing
    EXPECT_EQ(W("AddNewTime").GetTextBox("TxtTimeTag").Text(), "会議");
    W("AddNewTime").PressKey(Key::Escape);
    list.DoubleClickRow("ListSchTime", 2);  // below the last line: nothing
    EXPECT_TRUE(list.Visible());
    list.PressKey(Key::Tab);
    list.PressKey(Key::Space);  // "新規追加"
    EXPECT_TRUE(W("AddNewTime").Visible());
    EXPECT_FALSE(list.Visible());
}

TEST_F(Keyboard, DeletingWithTheKeyboardLeavesTheFocusOnTheList) {
    HeadlessWindow& list = List();
    list.SelectRow("ListSchTime", 1);
    list.PressKey(Key::Tab);
    list.PressKey(Key::Tab);
    ASSERT_EQ(list.Focused(), "CmdDelTime");
    list.PressKey(Key::Enter);  // the question is answered Yes
    EXPECT_EQ(module.Tables.DateCount(), 1);
    EXPECT_FALSE(list.GetButton("CmdDelTime").Enabled());
    EXPECT_EQ(list.Focused(), "ListSchTime");

    list.SelectRow("ListSchYobi", 0);
    list.PressButton("CmdDelYobi");
    EXPECT_EQ(list.Focused(), "ListSchYobi");
}

TEST_F(Keyboard, AWindowShownAgainGivesTheFocusBack) {
    HeadlessWindow& list = List();
    list.PressButton("CmdNewTime");
    HeadlessWindow& date = W("AddNewTime");
    date.PressKey(Key::Tab);
    date.PressKey(Key::Tab);
    date.PressButton("Cb_cancel");
    EXPECT_EQ(list.Focused(), "CmdNewTime");
    list.PressButton("CmdNewTime");
    EXPECT_EQ(date.Focused(), "Cb_cancel");  // where the click left it
    date.PressKey(Key::ShiftTab);
    date.PressKey(Key::Escape);
    list.PressKey(Key::Enter);
    EXPECT_EQ(date.Focused(), "CmbYr");
}

}  // namespace
}  // namespace pelmora
