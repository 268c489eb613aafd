#pragma once
// The real window system: forms as standard Win32 windows and controls, window timers,
// MessageBoxW, popup menus, the tray icon, sndPlaySoundW and a named mutex for the single
// instance test.
#include <windows.h>

#include <functional>
#include <memory>

#include "platform/DeferredWork.h"
#include "platform/ui.h"
#include "platform/win32/Handles.h"

namespace pelmora::win32 {

class Win32Platform final : public ui::Platform {
  public:
    static constexpr wchar_t kFormClass[] = L"PelmoraForm";
    // The registered window message by which another program (the setup) asks the program to
    // end as Exit does: posted to MainForm's window (this class, caption "  Pelmora!"), it runs
    // that window's ExitRequest. Its parameters are not used.
    static constexpr wchar_t kExitRequestMessage[] = L"Pelmora.ExitRequest";

    explicit Win32Platform(HINSTANCE instance);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    std::unique_ptr<ui::Window> CreateForm(const ui::WindowSpec& layout) override;
    ui::Answer MsgBox(std::string_view text, std::string_view title, ui::Buttons buttons,
                      ui::Icon icon) override;
    std::unique_ptr<ui::TrayIcon> CreateTrayIcon(ui::Window& owner) override;
    void SetForegroundWindow(ui::Window& window) override;
    void PopupMenu(ui::Window& owner, const std::vector<ui::MenuItem>& items) override;
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
    UINT ExitRequestMessage() const { return exitRequest_; }
    ui::DeferredWork& Deferred() { return deferred_; }
    void FormCreated() { ++liveForms_; }
    void FormDestroyed();

  private:
    static LRESULT CALLBACK DeferProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void RunDeferred();

    HINSTANCE instance_;
    HICON icon_;
    UINT taskbarCreated_ = 0;
    UINT exitRequest_ = 0;
    WindowHandle deferWindow_;
    KernelHandle instanceMutex_;
    int liveForms_ = 0;
    ui::DeferredWork deferred_{[this](const std::function<void()>& work) { RunEvent(work); }};
    bool deferPosted_ = false;
    SystemClock clock_;
    DiskFiles files_;
};

}  // namespace pelmora::win32
