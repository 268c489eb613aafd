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

#include "platform/ui.h"

namespace pelmora::headless {

class HeadlessPlatform;

class HeadlessWindow final : public ui::Window {
  public:
    HeadlessWindow(HeadlessPlatform& platform, const ui::WindowSpec& layout, ui::Handle32 handle);
    ~HeadlessWindow() override;

    // ui::Window
    std::string Caption() const override { return spec_.caption; }
    void Show() override;
    void Hide() override;
    bool Visible() const override { return visible_; }
    void PlaceTopmostAtOrigin() override;
    void Close() override;
    bool Closed() const override { return closed_; }
    ui::Label& GetLabel(std::string_view name) override;
    ui::Button& GetButton(std::string_view name) override;
    ui::TextBox& GetTextBox(std::string_view name) override;
    ui::ListBox& GetListBox(std::string_view name) override;
    ui::ComboBox& GetComboBox(std::string_view name) override;
    ui::Timer& AddTimer(std::string_view name, int intervalMs, bool enabled) override;
    ui::Handle32 WindowHandle() const override { return handle_; }
    ui::Handle32 IconHandle() const override { return spec_.hasIcon ? handle_ + 1 : 0; }

    // What the user does. Each runs the deferred work afterwards, as the message loop would.
    // While a message box is open they throw: the box is task-modal. (The tray icon's
    // notifications, SendMouseMove, still arrive.)
    void PressButton(std::string_view name);
    void SelectRow(std::string_view list, int row);
    void PickEntry(std::string_view combo, int entry);
    void Type(std::string_view control, std::string_view text);  // text box or combo text field
    void PressCloseBox();
    void SendMouseMove(int x);
    void SendTaskbarCreated();

    const ui::WindowSpec& Layout() const { return spec_; }
    bool Topmost() const { return topmost_; }
    int Left() const { return left_; }
    int Top() const { return top_; }
    const ui::ControlSpec* FindControlSpec(std::string_view name) const;

  private:
    template <typename T>
    T& Get(std::string_view name);
    void UserCanReach() const;

    HeadlessPlatform& platform_;
    ui::WindowSpec spec_;
    ui::Handle32 handle_;
    bool visible_ = false;
    bool closed_ = false;
    bool topmost_ = false;
    int left_ = -1;  // -1: centred
    int top_ = -1;
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
    void ShellNotifyIcon(std::uint32_t message, const ui::TrayIconData& data) override;
    void SetForegroundWindow(ui::Window& window) override;
    std::optional<std::string> PopupMenu(ui::Window& owner,
                                         const std::vector<ui::MenuItem>& items) override;
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
        struct Depth {
            HeadlessPlatform& p;
            explicit Depth(HeadlessPlatform& platform) : p(platform) { ++p.eventDepth_; }
            ~Depth() { --p.eventDepth_; }
        };
        {
            const Depth depth(*this);
            handle();
        }
        RunDeferred();
    }

    // Live windows, newest last; nullptr when there is none of that name.
    HeadlessWindow* Find(std::string_view name) const;
    int LiveWindows() const { return static_cast<int>(windows_.size()); }
    // True once the last window has closed: the program has ended.
    bool Ended() const { return ended_; }

    // Scripts and records. By default a box is answered OK (Yes for Yes/No) and a menu closed
    // without a choice.
    std::function<ui::Answer(const RecordedBox&)> answerBox;
    std::function<std::optional<std::string>(const std::vector<ui::MenuItem>&)> chooseMenuItem;
    std::vector<RecordedBox> boxes;
    std::vector<std::string> log;
    std::vector<std::pair<std::uint32_t, ui::TrayIconData>> trayCalls;
    bool anotherInstance = false;
    Path appFolder = "C:/Pelmora";
    MemoryFiles& disk() { return disk_; }

  private:
    friend class HeadlessWindow;
    friend class HeadlessTimer;

    void Register(HeadlessWindow* w);
    void Unregister(HeadlessWindow* w);

    std::chrono::local_time<std::chrono::milliseconds> now_;
    VirtualClock clock_{*this};
    MemoryFiles disk_;
    LoggingFiles files_{disk_, log};
    std::vector<HeadlessWindow*> windows_;
    std::vector<class HeadlessTimer*> timers_;
    std::vector<std::function<void()>> deferred_;
    ui::Handle32 nextHandle_ = 0x100;
    unsigned long long timerSequence_ = 0;
    bool ended_ = false;
    int eventDepth_ = 0;
    int boxDepth_ = 0;
};

}  // namespace pelmora::headless
