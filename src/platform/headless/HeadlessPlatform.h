#pragma once
// The platform in memory, for tests. Windows and controls are plain objects; a virtual clock
// fires the timers when a test advances it; message boxes and the popup menu are answered by
// scripts that a test sets and that may themselves advance the clock (the timers keep running
// while a box is open, as they do on Windows). Every visible effect is also written to `log`,
// so a test can check the order in which things happened.
#include <chrono>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeferredWork.h"
#include "platform/ui.h"

namespace pelmora::headless {

class HeadlessPlatform;

class HeadlessWindow final : public ui::Window {
  public:
    HeadlessWindow(HeadlessPlatform& platform, const ui::WindowSpec& layout);
    ~HeadlessWindow() override;

    // ui::Window
    std::string Caption() const override { return spec_.caption; }
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
    void PickEntry(std::string_view combo, int entry);
    void Type(std::string_view control, std::string_view text);  // text box or combo text field
    void PressCloseBox();
    // A key pressed while the window has the keyboard: Tab and Shift+Tab move the focus through
    // the tab stops, Enter and Space press a focused button, Esc does the window's escape.
    enum class Key { Tab, ShiftTab, Enter, Space, Escape };
    void PressKey(Key key);
    // Another program asks the program to end (the setup's request): runs ExitRequest as an
    // event. Not the user's input: it also arrives while a message box or menu is open. A closed
    // window ignores it.
    void RequestExit();
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

// Reads the platform's virtual time.
class VirtualClock final : public Clock {
  public:
    explicit VirtualClock(const HeadlessPlatform& platform) : platform_(platform) {}
    LocalMilliseconds NowPrecise() const override;

  private:
    const HeadlessPlatform& platform_;
};

// Files in memory that log each read and write.
class LoggingFiles final : public Files {
  public:
    LoggingFiles(MemoryFiles& disk, std::vector<std::string>& log) : disk_(disk), log_(log) {}
    std::optional<std::string> ReadAll(const Path& path) override;
    std::optional<WriteError> Replace(const Path& path, std::string_view bytes) override;

  private:
    MemoryFiles& disk_;
    std::vector<std::string>& log_;
};

// The tray icon as the user sees it: there or not, and its tip.
class HeadlessTrayIcon final : public ui::TrayIcon {
  public:
    HeadlessTrayIcon(HeadlessPlatform& platform, HeadlessWindow& owner);
    ~HeadlessTrayIcon() override;
    void Add(const ui::TrayIconData& data) override;
    void Delete() override;
    bool Present() const override { return present_; }

    const std::string& Tip() const { return tip_; }
    HeadlessWindow& Owner() const { return owner_; }

  private:
    HeadlessPlatform& platform_;
    HeadlessWindow& owner_;
    bool present_ = false;
    std::string tip_;
};

struct RecordedBox {
    std::string text;
    std::string title;
    ui::Buttons buttons;
    ui::Icon icon;
};

class HeadlessPlatform final : public ui::Platform {
  public:
    explicit HeadlessPlatform(std::chrono::local_seconds start);
    ~HeadlessPlatform() override;

    // ui::Platform
    std::unique_ptr<ui::Window> CreateForm(const ui::WindowSpec& layout) override;
    ui::Answer MsgBox(std::string_view text, std::string_view title, ui::Buttons buttons,
                      ui::Icon icon) override;
    std::unique_ptr<ui::TrayIcon> CreateTrayIcon(ui::Window& owner) override;
    void SetForegroundWindow(ui::Window& window) override;
    void PopupMenu(ui::Window& owner, const std::vector<ui::MenuItem>& items) override;
    bool AnotherInstanceRunning() override { return anotherInstance; }
    Path AppFolder() const override { return appFolder; }
    const Clock& clock() const override { return clock_; }
    Files& files() override { return files_; }
    void PlayWave(const Path& wave) override;
    void Defer(std::function<void()> work) override;

    // The virtual clock: moves time forward, firing every timer that falls due on the way, in
    // the order of their due times (creation order on a tie), each with the clock at its time.
    void Advance(std::chrono::milliseconds d);
    std::chrono::local_time<std::chrono::milliseconds> Now() const { return now_; }
    void SetNow(std::chrono::local_seconds t);  // moves the wall clock only (a clock change)

    // Runs the work deferred by the events handled so far, unless one is still under way.
    void RunDeferred();

    // Handles one event: what it defers runs when the outermost event is over, as a message
    // loop would run it, never inside a message box that the handler opened.
    template <typename F>
    void Dispatch(F&& handle) {
        const ui::DeferredWork::EventScope event(deferred_);
        handle();
    }

    // The tray icon the program made (nullptr: none, or it is gone with its window).
    HeadlessTrayIcon* Tray() const { return tray_; }
    // The user does something with the mouse on the tray icon. Only an icon that is in the
    // tray, of a window that is still open, reaches the program.
    void MouseOnTray(ui::TrayMouse event);
    // Explorer restarted: the platform puts the icons that were in the tray back.
    void RestartTaskbar();

    // Live windows, newest last; nullptr when there is none of that name.
    HeadlessWindow* Find(std::string_view name) const;
    int LiveWindows() const { return static_cast<int>(windows_.size()); }
    // True once the last window has closed: the program has ended.
    bool Ended() const { return ended_; }

    // Scripts and records. By default a box is answered OK (Yes for Yes/No) and a menu closed
    // without a choice.
    std::function<ui::Answer(const RecordedBox&)> answerBox;
    // Returns the name of the item to choose.
    std::function<std::optional<std::string>(const std::vector<ui::MenuItem>&)> chooseMenuItem;
    std::vector<RecordedBox> boxes;
    std::vector<std::string> log;
    std::vector<std::string> menuItemsRun;  // the names of the menu items chosen, in order
    bool anotherInstance = false;
    Path appFolder = "C:/Pelmora";
    MemoryFiles& disk() { return disk_; }

  private:
    friend class HeadlessWindow;
    friend class HeadlessTimer;
    friend class HeadlessTrayIcon;

    void Register(HeadlessWindow* w);
    void Unregister(HeadlessWindow* w);

    std::chrono::local_time<std::chrono::milliseconds> now_;
    VirtualClock clock_{*this};
    MemoryFiles disk_;
    LoggingFiles files_{disk_, log};
    std::vector<HeadlessWindow*> windows_;
    std::vector<class HeadlessTimer*> timers_;
    ui::DeferredWork deferred_;
    HeadlessTrayIcon* tray_ = nullptr;
    unsigned long long timerSequence_ = 0;
    bool ended_ = false;
    int boxDepth_ = 0;
};

}  // namespace pelmora::headless
