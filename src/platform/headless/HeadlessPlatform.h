#pragma once
// The platform in memory, for tests. Windows and controls are plain objects; a virtual clock
// fires the timers when a test advances it; message boxes and the popup menu are answered by
// scripts that a test sets and that may themselves advance the clock (the timers keep running
// while a box is open, as they do on Windows). Every visible effect is also written to `log`,
// so a test can check the order in which things happened.
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "platform/DeferredWork.h"
#include "platform/headless/HeadlessTray.h"
#include "platform/headless/HeadlessWindow.h"
#include "platform/ui.h"

namespace pelmora::headless {

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
    FileStamp Stamp(const Path& path) override { return disk_.Stamp(path); }  // not logged
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
    void Dispatch(const std::function<void()>& handle) {
        const ui::DeferredWork::EventScope event(deferred_);
        RunEvent(handle);
    }

    // The tray icon the program made (nullptr: none, or it is gone with its window).
    HeadlessTrayIcon* Tray() const { return tray_; }
    // The user does something with the mouse on the tray icon. Only an icon that is in the
    // tray, of a window that is still open, reaches the program.
    void MouseOnTray(ui::TrayMouse event);
    // Explorer restarted: the platform puts the icons that were in the tray back.
    void RestartTaskbar();
    // How many of the next attempts to put the icon into the tray the shell refuses.
    int trayRefusals = 0;
    // How many of the next timer starts and re-arms the window system refuses.
    int refusedTimerSets = 0;

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
    ui::DeferredWork deferred_{[this](const std::function<void()>& work) { RunEvent(work); }};
    HeadlessTrayIcon* tray_ = nullptr;
    unsigned long long timerSequence_ = 0;
    bool ended_ = false;
    int boxDepth_ = 0;
};

}  // namespace pelmora::headless
