#pragma once
// A form's top-level window: created from its layout, with its controls, its timers and its
// message handling.
#include <windows.h>

#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/ui.h"
#include "platform/win32/Controls.h"
#include "platform/win32/Handles.h"

namespace pelmora::win32 {

class Win32Platform;
class Win32Timer;
class Win32TrayIcon;

class Win32Window final : public ui::Window {
  public:
    Win32Window(Win32Platform& platform, const ui::WindowSpec& layout);
    ~Win32Window() override;  // torn down with the program: no unload handler
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    std::string Caption() const override { return spec_.caption; }
    void SetCaption(std::string_view caption) override;
    void Show() override;
    void Hide() override;
    bool Visible() const override;
    void PlaceTopmostAtOrigin() override;
    void Close() override;
    bool Closed() const override { return !window_; }
    ui::Timer& AddTimer(std::string_view name, int intervalMs, bool enabled) override;

    HWND hwnd() const { return window_.get(); }
    // The tray icon whose notifications this window receives (nullptr: none).
    void AttachTrayIcon(Win32TrayIcon* icon) { trayIcon_ = icon; }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  protected:
    ui::Control* FindControl(std::string_view name) override;

  private:
    LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // A message that runs the program's handlers; nothing: the system's default handling.
    std::optional<LRESULT> Respond(UINT msg, WPARAM wp, LPARAM lp);
    // The close box, Alt+F4, the system menu's Close and Esc where it closes: the layout says
    // whether they close the window.
    void CloseByUser();
    void CreateControls();
    void Layout(UINT dpi);
    // The keyboard: the control that had the focus gets it back, or the first tab stop; a
    // control being disabled hands it on; Esc and Enter as the dialog manager reports them.
    ControlBase* ControlOf(const ui::ControlSpec* c) const;
    ControlBase* ControlHolding(HWND h) const;
    const ui::ControlSpec* FocusTargetFrom(const ui::ControlSpec* losing) const;
    void GiveFocusBack();
    void FocusAwayFrom(const ui::ControlSpec& c);
    void Escape();
    void Enter();
    RECT FrameFor(UINT dpi) const;
    DWORD Style() const;
    DWORD ExStyle() const;
    // Stops the timers, lets the window procedure forget this object and destroys the window.
    void Destroy();

    Win32Platform& platform_;
    ui::WindowSpec spec_;
    WindowHandle window_;
    bool unloading_ = false;
    Win32TrayIcon* trayIcon_ = nullptr;
    HWND lastFocus_ = nullptr;  // the focus when the window was last deactivated
    static constexpr int kFirstControlId = 1000;
    std::map<std::string, std::unique_ptr<ControlBase>, std::less<>> controls_;
    std::map<UINT_PTR, std::unique_ptr<Win32Timer>> timers_;
    UINT_PTR nextTimerId_ = 1;
};

}  // namespace pelmora::win32
