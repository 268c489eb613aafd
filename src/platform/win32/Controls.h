#pragma once
// The classic controls of a form, each a standard Win32 control (so that screen readers and UI
// automation see them) behind the portable interface.
#include <windows.h>

#include <functional>
#include <memory>

#include "platform/ui.h"
#include "platform/win32/Handles.h"

namespace pelmora::win32 {

// What every control of ours has: its child window, its layout, its font.
class ControlBase {
  public:
    ControlBase(HWND hwnd, const ui::ControlSpec& layout) : hwnd_(hwnd), spec_(layout) {}
    virtual ~ControlBase() = default;  // the child window goes with its parent
    ControlBase(const ControlBase&) = delete;
    ControlBase& operator=(const ControlBase&) = delete;

    HWND hwnd() const { return hwnd_; }
    const ui::ControlSpec& layout() const { return spec_; }
    // The control as the forms see it.
    virtual ui::Control& Interface() = 0;
    // A WM_COMMAND notification from the control.
    virtual void Notify(WORD) {}
    // Gives the control its font for this DPI.
    void ApplyFont(UINT dpi);
    // Whether the control can take the keyboard's focus now: enabled, and not hidden itself.
    bool CanTakeFocus() const;

    // Runs when the program is about to disable the control, so that the focus can move on.
    std::function<void()> Disabling;

    // The control behind a child window of a form, or nullptr for any other window.
    static ControlBase* Of(HWND child);

  protected:
    HWND hwnd_;
    ui::ControlSpec spec_;
    FontHandle font_;
};

// Creates the child window of `parent` that the layout describes, with this id, and its control.
std::unique_ptr<ControlBase> CreateControl(HWND parent, HINSTANCE instance,
                                           const ui::ControlSpec& layout, int id, HICON appIcon);

}  // namespace pelmora::win32
