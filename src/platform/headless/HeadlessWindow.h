#pragma once
// A form's window in memory: its controls by name, its timers, its visibility and placement,
// the keyboard's focus, and what the user does with it.
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace pelmora::headless {

class HeadlessPlatform;

class HeadlessWindow final : public ui::Window {
  public:
    HeadlessWindow(HeadlessPlatform& platform, const ui::WindowSpec& layout);
    ~HeadlessWindow() override;

    // ui::Window
    std::string Caption() const override { return spec_.caption; }
    void SetCaption(std::string_view caption) override { spec_.caption = caption; }
    void Show() override;
    void Hide() override;
    bool Visible() const override { return visible_; }
    void PlaceTopmostAtOrigin() override;
    void Close() override;
    bool Closed() const override { return closed_; }
    ui::Timer& AddTimer(std::string_view name, int intervalMs, bool enabled) override;

    // What the user does. Each runs the deferred work afterwards, as the message loop would.
    // While a message box is open they throw: the box is task-modal. (The tray icon still
    // reports: HeadlessPlatform::MouseOnTray.)
    void PressButton(std::string_view name);
    void SelectRow(std::string_view list, int row);
    // A double-click on a row: it is selected, then DblClick; on a row below the last, nothing.
    void DoubleClickRow(std::string_view list, int row);
    void PickEntry(std::string_view combo, int entry);
    void Type(std::string_view control, std::string_view text);  // text box or combo text field
    void PressCloseBox();
    // A key pressed while the window has the keyboard: Tab and Shift+Tab move the focus through
    // the tab stops, Enter and Space press a focused button, Enter on a list with a selected row
    // is its DblClick, Esc does the window's escape.
    enum class Key { Tab, ShiftTab, Enter, Space, Escape };
    void PressKey(Key key);
    // What other programs and Windows send, each as an event. Not the user's input: they also
    // arrive while a message box or menu is open. A closed window ignores them.
    // The setup's request to end: ExitRequest.
    void RequestExit();
    // A request to close, as taskkill without /F sends it: CloseRequest, else as the close box.
    void RequestClose();
    // The session ends (shutdown, sign-out): EndSession.
    void SessionEnds();
    // The name of the control that has the focus in this window ("" none).
    std::string Focused() const;

    // From the controls: one was asked for the focus, or was disabled.
    void FocusOn(const ui::ControlSpec& c);
    void Disabled(const ui::ControlSpec& c);

    const ui::WindowSpec& Layout() const { return spec_; }
    bool Topmost() const { return topmost_; }
    int Left() const { return left_; }
    int Top() const { return top_; }

  protected:
    ui::Control* FindControl(std::string_view name) override;

  private:
    void UserCanReach() const;
    void Receive(const std::function<void()>& handler);
    void CloseByUser();
    // Presses a button without moving the focus, as a key does.
    void Click(std::string_view button);
    bool CanTakeFocus(const ui::ControlSpec& c);
    // Where the focus goes from `losing` (see ui::FocusTarget).
    const ui::ControlSpec* FocusTargetFrom(const ui::ControlSpec* losing);
    // Shown: the focus goes back to the control that had it, or to the first tab stop.
    void GiveFocusBack();

    HeadlessPlatform& platform_;
    ui::WindowSpec spec_;
    bool visible_ = false;
    bool closed_ = false;
    bool topmost_ = false;
    int left_ = -1;  // -1: centred
    int top_ = -1;
    const ui::ControlSpec* focused_ = nullptr;
    std::map<std::string, std::unique_ptr<ui::Control>, std::less<>> controls_;
    std::vector<std::unique_ptr<ui::Timer>> timers_;
};

// A window's timer on the platform's virtual clock.
class HeadlessTimer final : public ui::Timer {
  public:
    HeadlessTimer(HeadlessPlatform& platform, int interval, bool enabled);
    ~HeadlessTimer() override;

    int Interval() const override { return interval_; }
    bool SetInterval(int ms) override;
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override;

    bool Running() const { return enabled_ && interval_ > 0; }
    std::chrono::local_time<std::chrono::milliseconds> Due() const { return due_; }
    unsigned long long Sequence() const { return sequence_; }
    // Timers run on the machine's tick count, which a change of the wall clock does not move.
    void ShiftDue(std::chrono::milliseconds shift) { due_ += shift; }
    void Fire();

  private:
    // Starts the interval again from now; false when the platform refuses (refusedTimerSets).
    bool Arm(int ms);

    HeadlessPlatform& platform_;
    int interval_;
    bool enabled_ = false;
    std::chrono::local_time<std::chrono::milliseconds> due_{};
    unsigned long long sequence_;
};

}  // namespace pelmora::headless
