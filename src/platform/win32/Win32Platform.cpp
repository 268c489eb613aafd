#include "platform/win32/Win32Platform.h"

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <stdexcept>

#include "platform/win32/utf16.h"

namespace pelmora::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"PelmoraForm";
constexpr wchar_t kDeferClass[] = L"PelmoraDefer";
constexpr wchar_t kInstanceMutex[] = L"Local\\Pelmora.SingleInstance";
constexpr UINT kDeferMessage = WM_APP + 1;
constexpr int kAppIconId = 1;
constexpr int kTwipsPerInch = 1440;
// The drop-down part of a combo box, below its text field, in pixels at 96 dpi.
constexpr int kComboListHeight = 200;

std::string WindowText(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(std::max(got, 0)));
    return Narrow(text);
}

// The window's DPI: per monitor where the system can tell (Windows 10 and later), else the
// system's.
UINT DpiOf(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (hwnd && getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hwnd)) {
            return dpi;
        }
    }
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

// Window and icon handles have 32 significant bits on 64-bit Windows too, which widens them by
// sign extension; the portable records carry the low 32 bits.
ui::Handle32 HandleTo32(const void* handle) {
    return static_cast<ui::Handle32>(reinterpret_cast<std::uintptr_t>(handle));
}
template <typename H>
H HandleFrom32(ui::Handle32 value) {
    return reinterpret_cast<H>(static_cast<std::intptr_t>(static_cast<std::int32_t>(value)));
}

int TwipsToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

class FontHandle {
  public:
    FontHandle() = default;
    explicit FontHandle(HFONT f) : font_(f) {}
    ~FontHandle() { Reset(nullptr); }
    FontHandle(const FontHandle&) = delete;
    FontHandle& operator=(const FontHandle&) = delete;
    void Reset(HFONT f) {
        if (font_) {
            DeleteObject(font_);
        }
        font_ = f;
    }
    HFONT get() const { return font_; }

  private:
    HFONT font_ = nullptr;
};

HFONT MakeFont(const std::optional<ui::Font>& font, UINT dpi) {
    LOGFONTW lf{};
    if (font) {
        lf.lfHeight = -MulDiv(font->points, static_cast<int>(dpi), 72);
        lf.lfWeight = font->bold ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = static_cast<BYTE>(font->charset);
        const std::wstring face = Widen(font->face);
        wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    } else {
        // The default GUI font (MS UI Gothic 9 pt on Japanese Windows), at this window's DPI:
        // the layouts were made for its narrow kana.
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(dpi), 96);
    }
    return CreateFontIndirectW(&lf);
}

// Item `index` of a list box, or of a combo box's list, read with the control's own length and
// text messages (both report an error as -1).
std::string ItemText(HWND hwnd, UINT lengthMessage, UINT textMessage, int index) {
    const LRESULT n = SendMessageW(hwnd, lengthMessage, static_cast<WPARAM>(index), 0);
    if (n < 0) {
        throw std::out_of_range("no such item");
    }
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    SendMessageW(hwnd, textMessage, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(n));
    return Narrow(text);
}

// Controls ----------------------------------------------------------------------------------

// What every control shares: its window, its layout, its font.
class ControlBase {
  public:
    ControlBase(HWND hwnd, const ui::ControlSpec& layout) : hwnd_(hwnd), spec_(layout) {}
    virtual ~ControlBase() = default;

    HWND hwnd() const { return hwnd_; }
    const ui::ControlSpec& layout() const { return spec_; }
    // WM_COMMAND notification from this control.
    virtual void Notify(WORD) {}
    void ApplyFont(UINT dpi) {
        font_.Reset(MakeFont(spec_.font, dpi));
        SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
    }

  protected:
    HWND hwnd_;
    ui::ControlSpec spec_;
    FontHandle font_;
};

template <typename Interface>
class Win32Control : public Interface, public ControlBase {
  public:
    using ControlBase::ControlBase;
    bool Enabled() const override { return IsWindowEnabled(hwnd_) != 0; }
    void SetEnabled(bool enabled) override { EnableWindow(hwnd_, enabled ? TRUE : FALSE); }
    void SetFocus() override { ::SetFocus(hwnd_); }
};

class Win32Label final : public Win32Control<ui::Label> {
  public:
    using Win32Control::Win32Control;
    std::string Text() const override { return WindowText(hwnd_); }
    void SetText(std::string_view text) override { SetWindowTextW(hwnd_, Widen(text).c_str()); }
};

class Win32Button final : public Win32Control<ui::Button> {
  public:
    using Win32Control::Win32Control;
    std::string Caption() const override { return WindowText(hwnd_); }
    void Notify(WORD code) override {
        if (code == BN_CLICKED && Click) {
            Click();
        }
    }
};

class Win32TextBox final : public Win32Control<ui::TextBox> {
  public:
    using Win32Control::Win32Control;
    std::string Text() const override { return WindowText(hwnd_); }
    void SetText(std::string_view text) override { SetWindowTextW(hwnd_, Widen(text).c_str()); }
};

class Win32ListBox final : public Win32Control<ui::ListBox> {
  public:
    using Win32Control::Win32Control;
    void Clear() override { SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }
    void AddItem(std::string_view item) override {
        SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    }
    int Count() const override { return static_cast<int>(SendMessageW(hwnd_, LB_GETCOUNT, 0, 0)); }
    std::string Item(int index) const override {
        return ItemText(hwnd_, LB_GETTEXTLEN, LB_GETTEXT, index);
    }
    int ListIndex() const override {
        return static_cast<int>(SendMessageW(hwnd_, LB_GETCURSEL, 0, 0));
    }
    void SetListIndex(int index) override {
        SendMessageW(hwnd_, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        if (Click) {
            Click();  // LB_SETCURSEL sends no notification of its own
        }
    }
    void Notify(WORD code) override {
        if (code == LBN_SELCHANGE && Click) {
            Click();
        }
    }
};

class Win32ComboBox final : public Win32Control<ui::ComboBox> {
  public:
    using Win32Control::Win32Control;
    void Clear() override { SendMessageW(hwnd_, CB_RESETCONTENT, 0, 0); }
    void AddItem(std::string_view item) override {
        SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    }
    int Count() const override { return static_cast<int>(SendMessageW(hwnd_, CB_GETCOUNT, 0, 0)); }
    std::string Item(int index) const override {
        return ItemText(hwnd_, CB_GETLBTEXTLEN, CB_GETLBTEXT, index);
    }
    int ListIndex() const override {
        return static_cast<int>(SendMessageW(hwnd_, CB_GETCURSEL, 0, 0));
    }
    void SetListIndex(int index) override {
        SendMessageW(hwnd_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        if (Click) {
            Click();  // CB_SETCURSEL sends no CBN_SELCHANGE
        }
    }
    std::string Text() const override { return WindowText(hwnd_); }
    void SetText(std::string_view text) override { SetWindowTextW(hwnd_, Widen(text).c_str()); }
    void Notify(WORD code) override {
        if (code == CBN_SELCHANGE && Click) {
            Click();
        } else if (code == CBN_EDITCHANGE && Change) {
            Change();
        }
    }
};

class Win32Image final : public Win32Control<ui::Control> {
  public:
    using Win32Control::Win32Control;
};

class Win32Timer final : public ui::Timer {
  public:
    Win32Timer(HWND owner, UINT_PTR id, int interval, bool enabled)
        : owner_(owner), id_(id), interval_(interval) {
        SetEnabled(enabled);
    }
    ~Win32Timer() override { Stop(); }
    int Interval() const override { return interval_; }
    void SetInterval(int ms) override {
        interval_ = ms;
        if (enabled_) {
            Start();
        }
    }
    bool Enabled() const override { return enabled_; }
    void SetEnabled(bool enabled) override {
        enabled_ = enabled;
        if (enabled_) {
            Start();  // SetTimer on a running timer starts its interval again
        } else {
            Stop();
        }
    }
    void Fire() {
        if (enabled_ && Tick) {
            Tick();
        }
    }
    void Orphan() {
        Stop();
        owner_ = nullptr;
    }

  private:
    void Start() {
        if (owner_ && interval_ > 0) {
            SetTimer(owner_, id_, static_cast<UINT>(interval_), nullptr);
        } else {
            Stop();
        }
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

// Windows -----------------------------------------------------------------------------------

class Win32Window final : public ui::Window {
  public:
    Win32Window(Win32Platform& platform, const ui::WindowSpec& layout);
    ~Win32Window() override;

    std::string Caption() const override { return spec_.caption; }
    void Show() override {
        if (hwnd_) {
            ShowWindow(hwnd_, SW_SHOW);
            SetForegroundWindow(hwnd_);
        }
    }
    void Hide() override {
        if (hwnd_) {
            ShowWindow(hwnd_, SW_HIDE);
        }
    }
    bool Visible() const override { return hwnd_ && IsWindowVisible(hwnd_); }
    void PlaceTopmostAtOrigin() override {
        if (hwnd_) {
            SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        }
    }
    void Close() override;
    bool Closed() const override { return hwnd_ == nullptr; }

    ui::Label& GetLabel(std::string_view name) override { return Get<ui::Label>(name); }
    ui::Button& GetButton(std::string_view name) override { return Get<ui::Button>(name); }
    ui::TextBox& GetTextBox(std::string_view name) override { return Get<ui::TextBox>(name); }
    ui::ListBox& GetListBox(std::string_view name) override { return Get<ui::ListBox>(name); }
    ui::ComboBox& GetComboBox(std::string_view name) override { return Get<ui::ComboBox>(name); }
    ui::Timer& AddTimer(std::string_view name, int intervalMs, bool enabled) override;

    ui::Handle32 WindowHandle() const override { return HandleTo32(hwnd_); }
    ui::Handle32 IconHandle() const override {
        return spec_.hasIcon ? HandleTo32(platform_.AppIcon()) : 0;
    }

    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

  private:
    template <typename T>
    T& Get(std::string_view name) {
        const auto it = controls_.find(name);
        T* control = it == controls_.end() ? nullptr : dynamic_cast<T*>(it->second.get());
        if (!control) {
            throw std::logic_error("no such control: " + spec_.name + "." + std::string(name));
        }
        return *control;
    }

    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
    void CreateControls();
    void Layout(UINT dpi);
    RECT FrameFor(UINT dpi) const;
    DWORD Style() const;
    DWORD ExStyle() const;

    Win32Platform& platform_;
    ui::WindowSpec spec_;
    HWND hwnd_ = nullptr;
    bool unloading_ = false;
    std::map<std::string, std::unique_ptr<ControlBase>, std::less<>> controls_;
    std::map<UINT_PTR, std::unique_ptr<Win32Timer>> timers_;
    UINT_PTR nextTimerId_ = 1;
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
    hwnd_ = CreateWindowExW(ExStyle(), kFormClass, Widen(spec_.caption).c_str(), Style(), x, y,
                            width, height, nullptr, nullptr, platform_.Instance(), this);
    if (!hwnd_) {
        throw std::runtime_error("CreateWindowExW failed for " + spec_.name);
    }
    platform_.FormCreated();
    if (spec_.hasIcon) {
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(platform_.AppIcon()));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(platform_.AppIcon()));
    }
    CreateControls();
    Layout(DpiOf(hwnd_));
}

Win32Window::~Win32Window() {
    for (auto& [id, timer] : timers_) {
        timer->Orphan();
    }
    if (hwnd_) {
        // Torn down with the program, not closed by the user: no unload handler.
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        HWND h = hwnd_;
        hwnd_ = nullptr;
        DestroyWindow(h);
        platform_.FormDestroyed();
    }
}

void Win32Window::CreateControls() {
    // Creation order is the focus order: tab stops by their index, then the rest.
    std::vector<const ui::ControlSpec*> order;
    for (const ui::ControlSpec& c : spec_.controls) {
        order.push_back(&c);
    }
    std::stable_sort(order.begin(), order.end(), [](const auto* a, const auto* b) {
        const int ka = a->tabIndex < 0 ? INT32_MAX : a->tabIndex;
        const int kb = b->tabIndex < 0 ? INT32_MAX : b->tabIndex;
        return ka < kb;
    });
    for (const ui::ControlSpec* c : order) {
        const wchar_t* cls = L"STATIC";
        DWORD style = WS_CHILD | WS_VISIBLE;
        DWORD ex = 0;
        switch (c->kind) {
            case ui::ControlKind::Label:
                style |= SS_NOPREFIX | (c->centred ? SS_CENTER : SS_LEFT);
                break;
            case ui::ControlKind::Image:
                style |= SS_ICON;
                break;
            case ui::ControlKind::Button:
                cls = L"BUTTON";
                style |= BS_PUSHBUTTON;
                break;
            case ui::ControlKind::TextBox:
                cls = L"EDIT";
                style |= ES_AUTOHSCROLL | ES_LEFT;
                ex |= WS_EX_CLIENTEDGE;
                break;
            case ui::ControlKind::ListBox:
                cls = L"LISTBOX";
                style |= LBS_NOTIFY | LBS_USETABSTOPS | WS_VSCROLL;
                ex |= WS_EX_CLIENTEDGE;
                break;
            case ui::ControlKind::ComboBox:
                cls = L"COMBOBOX";
                style |= CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL;
                break;
        }
        if (c->tabIndex >= 0) {
            style |= WS_TABSTOP;
        }
        HWND child = CreateWindowExW(ex, cls, Widen(c->caption).c_str(), style, 0, 0, 0, 0, hwnd_,
                                     nullptr, platform_.Instance(), nullptr);
        std::unique_ptr<ControlBase> control;
        switch (c->kind) {
            case ui::ControlKind::Label:
                control = std::make_unique<Win32Label>(child, *c);
                break;
            case ui::ControlKind::Button:
                control = std::make_unique<Win32Button>(child, *c);
                break;
            case ui::ControlKind::TextBox:
                control = std::make_unique<Win32TextBox>(child, *c);
                SendMessageW(child, EM_SETLIMITTEXT, 0, 0);  // no length limit
                break;
            case ui::ControlKind::ListBox:
                control = std::make_unique<Win32ListBox>(child, *c);
                break;
            case ui::ControlKind::ComboBox:
                control = std::make_unique<Win32ComboBox>(child, *c);
                break;
            case ui::ControlKind::Image:
                control = std::make_unique<Win32Image>(child, *c);
                SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(platform_.AppIcon()), 0);
                break;
        }
        SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control.get()));
        controls_.emplace(c->name, std::move(control));
    }
}

// Places every control from its twips at the given DPI and gives it its font.
void Win32Window::Layout(UINT dpi) {
    for (auto& [name, control] : controls_) {
        const ui::Rect& r = control->layout().rect;
        int height = TwipsToPixels(r.height, dpi);
        if (control->layout().kind == ui::ControlKind::ComboBox) {
            height += MulDiv(kComboListHeight, static_cast<int>(dpi), 96);
        }
        SetWindowPos(control->hwnd(), nullptr, TwipsToPixels(r.left, dpi),
                     TwipsToPixels(r.top, dpi), TwipsToPixels(r.width, dpi), height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        control->ApplyFont(dpi);
    }
}

ui::Timer& Win32Window::AddTimer(std::string_view, int intervalMs, bool enabled) {
    const UINT_PTR id = nextTimerId_++;
    auto timer = std::make_unique<Win32Timer>(hwnd_, id, intervalMs, enabled);
    Win32Timer& ref = *timer;
    timers_.emplace(id, std::move(timer));
    return ref;
}

void Win32Window::Close() {
    if (!hwnd_ || unloading_) {
        return;
    }
    unloading_ = true;
    if (Unload) {
        Unload();
    }
    for (auto& [id, timer] : timers_) {
        timer->Orphan();
    }
    HWND h = hwnd_;
    hwnd_ = nullptr;
    SetWindowLongPtrW(h, GWLP_USERDATA, 0);
    DestroyWindow(h);
    platform_.FormDestroyed();
}

LRESULT CALLBACK Win32Window::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && self->hwnd_ == nullptr) {
        self->hwnd_ = hwnd;  // messages that arrive during CreateWindowExW
    }
    return self ? self->Handle(msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT Win32Window::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    HWND hwnd = hwnd_;
    // Work deferred by a handler runs when the outermost event is over, not when a message box
    // or menu inside that handler dispatches further events.
    const Win32Platform::EventScope scope(platform_);
    if (msg == platform_.TaskbarCreatedMessage() && msg != 0) {
        if (TaskbarCreated) {
            TaskbarCreated();
        }
        return 0;
    }
    switch (msg) {
        case WM_COMMAND: {
            HWND child = reinterpret_cast<HWND>(lp);
            if (child) {
                if (auto* control =
                        reinterpret_cast<ControlBase*>(GetWindowLongPtrW(child, GWLP_USERDATA))) {
                    control->Notify(HIWORD(wp));
                }
            }
            return 0;
        }
        case WM_TIMER: {
            const auto it = timers_.find(wp);
            if (it != timers_.end()) {
                it->second->Fire();
            }
            return 0;
        }
        case WM_MOUSEMOVE:
            if (MouseMove) {
                MouseMove(GET_X_LPARAM(lp));
            }
            return 0;
        case WM_CLOSE:
            if (CloseBox) {
                CloseBox();
            }
            Close();
            return 0;
        case WM_CTLCOLORLISTBOX: {
            auto* control = reinterpret_cast<ControlBase*>(
                GetWindowLongPtrW(reinterpret_cast<HWND>(lp), GWLP_USERDATA));
            if (control && control->layout().buttonFaceBackground) {
                SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_BTNFACE));
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            break;
        }
        case WM_DPICHANGED: {
            const auto* suggested = reinterpret_cast<const RECT*>(lp);
            SetWindowPos(hwnd, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            Layout(HIWORD(wp));
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK DeferProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kDeferMessage) {
        if (auto* platform =
                reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
            platform->RunDeferred();
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

class MenuHandle {
  public:
    MenuHandle() : menu_(CreatePopupMenu()) {}
    ~MenuHandle() { DestroyMenu(menu_); }
    MenuHandle(const MenuHandle&) = delete;
    MenuHandle& operator=(const MenuHandle&) = delete;
    HMENU get() const { return menu_; }

  private:
    HMENU menu_;
};

HWND HwndOf(const ui::Window& window) {
    return HandleFrom32<HWND>(window.WindowHandle());
}

}  // namespace

// Win32Platform ----------------------------------------------------------------------------

Win32Platform::Win32Platform(HINSTANCE instance)
    : instance_(instance),
      icon_(LoadIconW(instance, MAKEINTRESOURCEW(kAppIconId))),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    if (!icon_) {
        icon_ = LoadIconW(nullptr, IDI_APPLICATION);
    }

    WNDCLASSEXW form{};
    form.cbSize = sizeof form;
    form.lpfnWndProc = Win32Window::Proc;
    form.hInstance = instance_;
    form.hIcon = icon_;
    form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = kFormClass;
    RegisterClassExW(&form);

    WNDCLASSEXW defer{};
    defer.cbSize = sizeof defer;
    defer.lpfnWndProc = DeferProc;
    defer.hInstance = instance_;
    defer.lpszClassName = kDeferClass;
    RegisterClassExW(&defer);
    deferWindow_ = CreateWindowExW(0, kDeferClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   instance_, nullptr);
    SetWindowLongPtrW(deferWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Platform::~Win32Platform() {
    if (deferWindow_) {
        DestroyWindow(deferWindow_);
    }
    if (instanceMutex_) {
        CloseHandle(instanceMutex_);
    }
}

std::unique_ptr<ui::Window> Win32Platform::CreateForm(const ui::WindowSpec& layout) {
    return std::make_unique<Win32Window>(*this, layout);
}

ui::Answer Win32Platform::MsgBox(std::string_view text, std::string_view title, ui::Buttons buttons,
                                 ui::Icon icon) {
    // A tray program has no active window: without MB_SETFOREGROUND the box may open behind
    // other programs' windows and look like a hang.
    // Task-modal: the program's other windows take no input while a question is open, so no
    // second deletion can start under the first one. Timers and the tray icon's notifications
    // still arrive.
    UINT type = MB_SETFOREGROUND | MB_TASKMODAL | MB_DEFBUTTON1;
    type |= buttons == ui::Buttons::YesNo ? MB_YESNO : MB_OK;
    if (icon == ui::Icon::Information) {
        type |= MB_ICONINFORMATION;
    }
    const std::wstring wideTitle = Widen(title.empty() ? ui::ApplicationTitle : title);
    const int answer = ::MessageBoxW(nullptr, Widen(text).c_str(), wideTitle.c_str(), type);
    switch (answer) {
        case IDYES:
            return ui::Answer::Yes;
        case IDNO:
            return ui::Answer::No;
        default:
            return ui::Answer::Ok;
    }
}

void Win32Platform::ShellNotifyIcon(std::uint32_t message, const ui::TrayIconData& data) {
    // The record as the first shell versions define it. The portable record has their 32-bit
    // layout (88 bytes); this process's own ABI may lay it out differently (104 bytes on
    // 64-bit Windows), so its size becomes this ABI's size of the same version.
    NOTIFYICONDATAA nid{};
    nid.cbSize = data.cbSize == sizeof(ui::TrayIconData) ? NOTIFYICONDATAA_V1_SIZE : data.cbSize;
    nid.hWnd = HandleFrom32<HWND>(data.hWnd);
    nid.uID = data.uID;
    nid.uFlags = data.uFlags;
    nid.uCallbackMessage = data.uCallbackMessage;
    nid.hIcon = HandleFrom32<HICON>(data.hIcon);
    std::memcpy(nid.szTip, data.szTip.data(), data.szTip.size());
    Shell_NotifyIconA(message, &nid);
}

void Win32Platform::SetForegroundWindow(ui::Window& window) {
    ::SetForegroundWindow(HwndOf(window));
}

std::optional<std::string> Win32Platform::PopupMenu(ui::Window& owner,
                                                    const std::vector<ui::MenuItem>& items) {
    MenuHandle menu;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].caption == "-") {
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu.get(), MF_STRING, i + 1, Widen(items[i].caption).c_str());
        }
    }
    POINT at{};
    GetCursorPos(&at);
    HWND hwnd = HwndOf(owner);
    const int chosen = static_cast<int>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, hwnd, nullptr));
    // Without this message the menu of a tray program does not close on the next click
    // elsewhere.
    PostMessageW(hwnd, WM_NULL, 0, 0);
    if (chosen <= 0 || static_cast<std::size_t>(chosen) > items.size()) {
        return std::nullopt;
    }
    return items[static_cast<std::size_t>(chosen) - 1].name;
}

bool Win32Platform::AnotherInstanceRunning() {
    if (!instanceMutex_) {
        instanceMutex_ = CreateMutexW(nullptr, FALSE, kInstanceMutex);
        if (instanceMutex_ && GetLastError() == ERROR_ALREADY_EXISTS) {
            return true;
        }
    }
    return false;
}

Path Win32Platform::AppFolder() const {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n < buffer.size()) {
            buffer.resize(n);
            break;
        }
        buffer.resize(buffer.size() * 2);
    }
    return Path(Narrow(buffer)).Folder();
}

void Win32Platform::PlayWave(const Path& wave) {
    // The wide form: the ANSI one cannot name a folder outside code page 932, and the user
    // would hear the default sound instead of theirs. No SND_NODEFAULT: a missing file still
    // gives a sound.
    sndPlaySoundW(Widen(wave.Utf8()).c_str(), SND_ASYNC);
}

void Win32Platform::Defer(std::function<void()> work) {
    deferred_.push_back(std::move(work));
    if (!deferPosted_) {
        deferPosted_ = PostMessageW(deferWindow_, kDeferMessage, 0, 0) != 0;
    }
}

void Win32Platform::RunDeferred() {
    if (eventDepth_ > 0) {
        return;  // the event under way runs it when it ends
    }
    deferPosted_ = false;
    while (!deferred_.empty()) {
        auto work = std::move(deferred_.front());
        deferred_.pop_front();
        work();
    }
}

void Win32Platform::FormDestroyed() {
    if (--liveForms_ == 0) {
        PostQuitMessage(0);
    }
}

int Win32Platform::Run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        // Tab and the arrow keys move between the controls of a form.
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && root != deferWindow_ && IsDialogMessageW(root, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    RunDeferred();
    return static_cast<int>(msg.wParam);
}

}  // namespace pelmora::win32
