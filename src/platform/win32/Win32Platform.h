#pragma once
// The real window system: standard Win32 controls (so that screen readers and UI automation
// see them), window timers, MessageBoxW, the ANSI tray call and a named mutex for the single
// instance test.
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>

#include "platform/ui.h"

namespace pelmora::win32 {

class Win32Platform final : public ui::Platform {
  public:
    explicit Win32Platform(HINSTANCE instance);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    std::unique_ptr<ui::Window> CreateForm(const ui::WindowSpec& layout) override;
    ui::Answer MsgBox(std::string_view text, std::string_view title, ui::Buttons buttons,
                      ui::Icon icon) override;
    void ShellNotifyIcon(std::uint32_t message, const ui::TrayIconData& data) override;
    void SetForegroundWindow(ui::Window& window) override;
    std::optional<std::string> PopupMenu(ui::Window& owner,
                                         const std::vector<ui::MenuItem>& items) override;
    bool AnotherInstanceRunning() override;
    Path AppFolder() const override;
    const Clock& clock() const override { return clock_; }
    Files& files() override { return files_; }
    void PlayWave(const Path& wave) override;
    void Defer(std::function<void()> work) override;

    // The message loop; returns when the last form window has closed.
    int Run();

    HINSTANCE Instance() const { return instance_; }
    HICON AppIcon() const { return icon_; }
    UINT TaskbarCreatedMessage() const { return taskbarCreated_; }
    void FormCreated() { ++liveForms_; }
    void FormDestroyed();
    // Runs the deferred work unless an event is still being handled.
    void RunDeferred();

    // Marks the handling of one event; the deferred work runs when the outermost one ends.
    class EventScope {
      public:
        explicit EventScope(Win32Platform& p) : p_(p) { ++p_.eventDepth_; }
        ~EventScope() {
            if (--p_.eventDepth_ == 0) {
                p_.RunDeferred();
            }
        }
        EventScope(const EventScope&) = delete;
        EventScope& operator=(const EventScope&) = delete;

      private:
        Win32Platform& p_;
    };

  private:
    HINSTANCE instance_;
    HICON icon_;
    HWND deferWindow_ = nullptr;
    HANDLE instanceMutex_ = nullptr;
    UINT taskbarCreated_ = 0;
    int liveForms_ = 0;
    int eventDepth_ = 0;
    std::deque<std::function<void()>> deferred_;
    bool deferPosted_ = false;
    SystemClock clock_;
    DiskFiles files_;
};

}  // namespace pelmora::win32
