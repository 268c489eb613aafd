#include "platform/win32/Win32Window.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <vector>

#include "platform/win32/Dpi.h"
#include "platform/win32/TrayIcon.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/utf16.h"

namespace pelmora::win32 {

// The drop-down part of a combo box, below its text field, in pixels at 96 dpi.
constexpr int kComboListHeight = 200;

// A window timer (WM_TIMER to its window, by id).
class Win32Timer final : public ui::Timer {
  public:
    Win32Timer(HWND owner, UINT_PTR id, int interval, bool enabled)
        : owner_(owner), id_(id), interval_(interval) {
        SetEnabled(enabled);
    }
    ~Win32Timer() override { Stop(); }
    int Interval() const override { return interval_; }
    bool SetInterval(int ms) override {
        if (enabled_ && !Arm(ms)) {
            return false;
        }
        interval_ = ms;
        return true;
    }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override {
        if (!enabled) {
            Stop();
            enabled_ = false;
        } else if (Arm(interval_)) {
            enabled_ = true;
        }
    }
    void Fire() {
        if (enabled_ && Tick) {
            Tick();
        }
    }
    // The window is going: the timer stops for good.
    void Orphan() {
        Stop();
        owner_ = nullptr;
    }

  private:
    // SetTimer on a running timer replaces it in place and starts its interval again; when it
    // fails (the desktop heap exhausted) the running one goes on as it was.
    bool Arm(int ms) {
        return owner_ && ms > 0 && SetTimer(owner_, id_, static_cast<UINT>(ms), nullptr) != 0;
    }
    void Stop() {
        if (owner_) {
            KillTimer(owner_, id_);
        }
    }

    HWND owner_;
    UINT_PTR id_;
    int interval_;
    bool enabled_ = false;
};

DWORD Win32Window::Style() const {
    return WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
}

DWORD Win32Window::ExStyle() const {
    DWORD ex = WS_EX_CONTROLPARENT;
    if (spec_.border == ui::Border::FixedDialog) {
        ex |= WS_EX_DLGMODALFRAME;
    }
    if (!spec_.inTaskbar) {
        ex |= WS_EX_TOOLWINDOW;
    }
    return ex;
}

RECT Win32Window::FrameFor(UINT dpi) const {
    RECT r{0, 0, TwipsToPixels(spec_.clientWidth, dpi), TwipsToPixels(spec_.clientHeight, dpi)};
    AdjustWindowRectEx(&r, Style(), FALSE, ExStyle());
    return r;
}

Win32Window::Win32Window(Win32Platform& platform, const ui::WindowSpec& layout)
    : platform_(platform), spec_(layout) {
    const UINT dpi = DpiOf(nullptr);
    const RECT frame = FrameFor(dpi);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    int x = CW_USEDEFAULT;
    int y = CW_USEDEFAULT;
    if (spec_.centred) {
        RECT work{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
        x = work.left + (work.right - work.left - width) / 2;
        y = work.top + (work.bottom - work.top - height) / 2;
    }
    // The window procedure takes the handle over from WM_NCCREATE on.
    if (!CreateWindowExW(ExStyle(), Win32Platform::kFormClass, Widen(spec_.caption).c_str(),
                         Style(), x, y, width, height, nullptr, nullptr, platform_.Instance(),
                         this)) {
        window_.Release();  // the system has destroyed whatever it had made
        throw std::runtime_error("CreateWindowExW failed for " + spec_.name);
    }
    platform_.FormCreated();
    if (spec_.hasIcon) {
        const auto icon = reinterpret_cast<LPARAM>(platform_.AppIcon());
        SendMessageW(hwnd(), WM_SETICON, ICON_BIG, icon);
        SendMessageW(hwnd(), WM_SETICON, ICON_SMALL, icon);
    }
    CreateControls();
    Layout(DpiOf(hwnd()));
}

Win32Window::~Win32Window() {
    if (trayIcon_) {
        trayIcon_->OwnerGone();
    }
    Destroy();
}

void Win32Window::Destroy() {
    for (auto& [id, timer] : timers_) {
        timer->Orphan();
    }
    if (window_) {
        SetWindowLongPtrW(hwnd(), GWLP_USERDATA, 0);
        window_.Reset();
        platform_.FormDestroyed();
    }
}

void Win32Window::Close() {
    if (!window_ || unloading_) {
        return;
    }
    unloading_ = true;
    if (Unload) {
        Unload();
    }
    Destroy();
}

void Win32Window::SetCaption(std::string_view caption) {
    spec_.caption = caption;
    if (window_) {
        SetWindowTextW(hwnd(), Widen(caption).c_str());
    }
}

void Win32Window::Show() {
    if (window_) {
        ShowWindow(hwnd(), SW_SHOW);
        SetForegroundWindow(hwnd());
    }
}

void Win32Window::Hide() {
    if (window_) {
        ShowWindow(hwnd(), SW_HIDE);
    }
}

bool Win32Window::Visible() const {
    return window_ && IsWindowVisible(hwnd());
}

void Win32Window::PlaceTopmostAtOrigin() {
    if (window_) {
        SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    }
}

ui::Control* Win32Window::FindControl(std::string_view name) {
    const auto it = controls_.find(name);
    return it == controls_.end() ? nullptr : &it->second->Interface();
}

void Win32Window::CreateControls() {
    // Creation order is the order Tab goes in. The ids stay clear of IDOK and IDCANCEL, which
    // the dialog manager sends for Enter and Esc.
    int id = kFirstControlId;
    for (const ui::ControlSpec* c : ui::InFocusOrder(spec_)) {
        auto control = CreateControl(hwnd(), platform_.Instance(), *c, id++, platform_.AppIcon());
        control->Disabling = [this, c] { FocusAwayFrom(*c); };
        controls_.emplace(c->name, std::move(control));
    }
}

ControlBase* Win32Window::ControlOf(const ui::ControlSpec* c) const {
    const auto it = c ? controls_.find(c->name) : controls_.end();
    return it == controls_.end() ? nullptr : it->second.get();
}

ControlBase* Win32Window::ControlHolding(HWND h) const {
    // The focus may be in a part of a control, such as a combo box's text field.
    for (; h && h != hwnd(); h = GetParent(h)) {
        for (const auto& [name, control] : controls_) {
            if (control->hwnd() == h) {
                return control.get();
            }
        }
    }
    return nullptr;
}

const ui::ControlSpec* Win32Window::FocusTargetFrom(const ui::ControlSpec* losing) const {
    return ui::FocusTarget(spec_, losing, [this](const ui::ControlSpec& c) {
        const ControlBase* control = ControlOf(&c);
        return control && control->CanTakeFocus();
    });
}

void Win32Window::GiveFocusBack() {
    const ControlBase* last = ControlHolding(lastFocus_);
    if (!last || !last->CanTakeFocus()) {
        last = ControlOf(
            FocusTargetFrom(last ? ui::FindControlSpec(spec_, last->layout().name) : nullptr));
    }
    if (last) {
        SetFocus(last->hwnd());
    }
}

void Win32Window::FocusAwayFrom(const ui::ControlSpec& c) {
    const ControlBase* control = ControlOf(&c);
    const ControlBase* next = ControlOf(FocusTargetFrom(&c));
    if (ControlHolding(GetFocus()) == control) {
        // Disabling the control with the focus would leave the focus nowhere.
        if (next) {
            SetFocus(next->hwnd());
        }
    } else if (ControlHolding(lastFocus_) == control) {
        lastFocus_ = next ? next->hwnd() : nullptr;  // given back when the window is active
    }
}

void Win32Window::Escape() {
    if (!spec_.escapeButton.empty()) {
        ControlBase* button = ControlOf(ui::FindControlSpec(spec_, spec_.escapeButton));
        if (button && IsWindowEnabled(button->hwnd())) {
            button->Notify(BN_CLICKED);
        }
    } else if (spec_.escapeCloses) {
        CloseByUser();
    }
}

void Win32Window::CloseByUser() {
    if (!spec_.userCanClose) {
        return;
    }
    if (CloseBox) {
        CloseBox();
    }
    Close();
}

void Win32Window::Enter() {
    ControlBase* focused = ControlHolding(GetFocus());
    if (!focused || !IsWindowEnabled(focused->hwnd())) {
        return;
    }
    if (focused->layout().kind == ui::ControlKind::Button) {
        focused->Notify(BN_CLICKED);
    } else if (focused->layout().kind == ui::ControlKind::ListBox) {
        auto& list = static_cast<ui::ListBox&>(focused->Interface());
        if (list.ListIndex() >= 0 && list.DblClick) {
            list.DblClick();
        }
    }
}

// Places every control from its twips at the given DPI and gives it its font.
void Win32Window::Layout(UINT dpi) {
    for (auto& [name, control] : controls_) {
        const ui::Rect& r = control->layout().rect;
        int height = TwipsToPixels(r.height, dpi);
        if (control->layout().kind == ui::ControlKind::ComboBox) {
            height += ScaleFrom96(kComboListHeight, dpi);
        }
        SetWindowPos(control->hwnd(), nullptr, TwipsToPixels(r.left, dpi),
                     TwipsToPixels(r.top, dpi), TwipsToPixels(r.width, dpi), height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        control->ApplyFont(dpi);
    }
}

ui::Timer& Win32Window::AddTimer(std::string_view, int intervalMs, bool enabled) {
    const UINT_PTR id = nextTimerId_++;
    auto timer = std::make_unique<Win32Timer>(hwnd(), id, intervalMs, enabled);
    Win32Timer& ref = *timer;
    timers_.emplace(id, std::move(timer));
    return ref;
}

LRESULT CALLBACK Win32Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self =
            static_cast<Win32Window*>(reinterpret_cast<const CREATESTRUCTW*>(lp)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        self->window_.Reset(hwnd);
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return self ? self->Handle(hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT Win32Window::Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    // Work deferred by a handler runs when the outermost event is over, not when a message box
    // or menu inside that handler dispatches further events.
    const ui::DeferredWork::EventScope event(platform_.Deferred());
    switch (msg) {
        case WM_QUERYENDSESSION:
            return TRUE;  // EndSession keeps what must be kept
        case WM_CTLCOLORLISTBOX: {
            const ControlBase* control = ControlBase::Of(reinterpret_cast<HWND>(lp));
            if (control && control->layout().buttonFaceBackground) {
                SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            return DefWindowProcW(hwnd, msg, wp, lp);
        }
        case WM_MOUSEMOVE:
            if (!trayIcon_) {
                return 0;  // the pointer over a form, not the tray icon's notification
            }
            break;
        case WM_COMMAND:
        case WM_ACTIVATE:
        case WM_SETFOCUS:
        case WM_TIMER:
        case WM_CLOSE:
        case WM_SYSCOMMAND:
        case WM_ENDSESSION:
        case WM_DPICHANGED:
            break;
        default:
            if (msg == 0 || (msg != platform_.TaskbarCreatedMessage() &&
                             msg != platform_.ExitRequestMessage())) {
                return DefWindowProcW(hwnd, msg, wp, lp);
            }
    }
    // The messages that run the program's handlers, each one event: an exception stops here.
    std::optional<LRESULT> result = 0;
    platform_.RunEvent([&] { result = Respond(msg, wp, lp); });
    return result ? *result : DefWindowProcW(hwnd, msg, wp, lp);
}

std::optional<LRESULT> Win32Window::Respond(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == platform_.TaskbarCreatedMessage()) {
        if (trayIcon_) {
            trayIcon_->TaskbarCreated();
        }
        return 0;
    }
    if (msg == platform_.ExitRequestMessage()) {
        if (ExitRequest) {
            ExitRequest();
        }
        return 0;
    }
    switch (msg) {
        case WM_COMMAND:
            if (ControlBase* control = ControlHolding(reinterpret_cast<HWND>(lp))) {
                control->Notify(HIWORD(wp));
            } else if (LOWORD(wp) == IDCANCEL) {
                Escape();  // the dialog manager's Esc
            } else if (LOWORD(wp) == IDOK) {
                Enter();  // its Enter, with no default button
            }
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                if (ControlHolding(GetFocus())) {
                    lastFocus_ = GetFocus();
                }
            } else {
                GiveFocusBack();
            }
            return 0;
        case WM_SETFOCUS:
            GiveFocusBack();
            return 0;
        case WM_TIMER: {
            const auto it = timers_.find(wp);
            if (it != timers_.end()) {
                it->second->Fire();
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            // The tray icon's notifications: the mouse event stands where x would.
            trayIcon_->Notified(GET_X_LPARAM(lp));
            return 0;
        case WM_SYSCOMMAND:
            // The close box, Alt+F4 and the system menu's Close.
            if ((wp & 0xFFF0) != SC_CLOSE) {
                return std::nullopt;
            }
            CloseByUser();
            return 0;
        case WM_CLOSE:
            // Another program's request (taskkill without /F posts one).
            if (CloseRequest) {
                CloseRequest();
            } else {
                CloseByUser();
            }
            return 0;
        case WM_ENDSESSION:
            if (wp && EndSession) {
                EndSession();
            }
            return 0;
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lp);
            SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(HIWORD(wp));
            return 0;
        }
        default:
            return std::nullopt;
    }
}

}  // namespace pelmora::win32
