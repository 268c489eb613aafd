#include "platform/win32/Controls.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "platform/win32/Dpi.h"
#include "platform/win32/utf16.h"

namespace pelmora::win32 {
namespace {

std::string WindowText(HWND hwnd) {
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return Narrow(text);
}

template <typename Interface>
class Win32Control : public Interface, public ControlBase {
  public:
    using ControlBase::ControlBase;
    ui::Control& Interface() override { return *this; }
    bool Enabled() const override { return IsWindowEnabled(hwnd_) != 0; }
    void SetEnabled(bool enabled) override {
        if (!enabled && Disabling && IsWindowEnabled(hwnd_)) {
            Disabling();
        }
        EnableWindow(hwnd_, enabled ? TRUE : FALSE);
    }
    void SetFocus() override { ::SetFocus(hwnd_); }
};

// Labels, text boxes and the combo box's text field: the window text.
template <typename Interface>
class WithText : public Win32Control<Interface> {
  public:
    using Win32Control<Interface>::Win32Control;
    std::string Text() const override { return WindowText(this->hwnd_); }
    void SetText(std::string_view text) override {
        SetWindowTextW(this->hwnd_, Widen(text).c_str());
    }
};

using Win32Label = WithText<ui::Label>;
using Win32TextBox = WithText<ui::TextBox>;

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

// The messages of a list box and of a combo box's list, which otherwise work alike.
struct ListBoxMessages {
    static constexpr UINT Reset = LB_RESETCONTENT, Add = LB_ADDSTRING, Count = LB_GETCOUNT,
                          TextLength = LB_GETTEXTLEN, Text = LB_GETTEXT, GetSel = LB_GETCURSEL,
                          SetSel = LB_SETCURSEL;
    static constexpr WORD SelectionChanged = LBN_SELCHANGE;
};
struct ComboBoxMessages {
    static constexpr UINT Reset = CB_RESETCONTENT, Add = CB_ADDSTRING, Count = CB_GETCOUNT,
                          TextLength = CB_GETLBTEXTLEN, Text = CB_GETLBTEXT, GetSel = CB_GETCURSEL,
                          SetSel = CB_SETCURSEL;
    static constexpr WORD SelectionChanged = CBN_SELCHANGE;
};

// A list of items with one selection; Click on every change of it, also the program's own
// (the set-selection messages notify nothing).
template <typename Base, typename M>
class WithItems : public Base {
  public:
    using Base::Base;
    void Clear() override { Send(M::Reset, 0, 0); }
    void AddItem(std::string_view item) override {
        Send(M::Add, 0, reinterpret_cast<LPARAM>(Widen(item).c_str()));
    }
    int Count() const override { return static_cast<int>(Send(M::Count, 0, 0)); }
    std::string Item(int index) const override {
        // Both report an error as -1.
        const LRESULT n = Send(M::TextLength, static_cast<WPARAM>(index), 0);
        if (n < 0) {
            throw std::out_of_range("no such item");
        }
        std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
        Send(M::Text, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(n));
        return Narrow(text);
    }
    int ListIndex() const override { return static_cast<int>(Send(M::GetSel, 0, 0)); }
    void SetListIndex(int index) override {
        Send(M::SetSel, static_cast<WPARAM>(index), 0);
        if (this->Click) {
            this->Click();
        }
    }
    void Notify(WORD code) override {
        if (code == M::SelectionChanged && this->Click) {
            this->Click();
        }
    }

  private:
    LRESULT Send(UINT message, WPARAM wp, LPARAM lp) const {
        return SendMessageW(this->hwnd_, message, wp, lp);
    }
};

// A list box tells a double-click on a line from one below the last line, which the
// notification does not: it keeps whether the last double-click it took was on a line.
class Win32ListBox final : public WithItems<Win32Control<ui::ListBox>, ListBoxMessages> {
  public:
    Win32ListBox(HWND hwnd, const ui::ControlSpec& layout) : WithItems(hwnd, layout) {
        // Every list box has the same class procedure.
        listBoxProc_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
    }
    void Notify(WORD code) override {
        if (code == LBN_DBLCLK) {
            if (std::exchange(onLine_, false) && ListIndex() >= 0 && DblClick) {
                DblClick();
            }
            return;
        }
        WithItems::Notify(code);
    }

  private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_LBUTTONDBLCLK) {
            if (auto* self = static_cast<Win32ListBox*>(ControlBase::Of(hwnd))) {
                self->onLine_ = self->OnLine(POINT{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)});
            }
        }
        return CallWindowProcW(listBoxProc_, hwnd, msg, wp, lp);
    }
    // Whether a point of the client area lies on a line (the nearest line is not enough).
    bool OnLine(POINT at) const {
        const LRESULT found = SendMessageW(hwnd_, LB_ITEMFROMPOINT, 0, MAKELPARAM(at.x, at.y));
        RECT line{};
        return HIWORD(found) == 0 &&
               SendMessageW(hwnd_, LB_GETITEMRECT, LOWORD(found),
                            reinterpret_cast<LPARAM>(&line)) != LB_ERR &&
               PtInRect(&line, at);
    }

    static inline WNDPROC listBoxProc_ = nullptr;
    bool onLine_ = false;
};

class Win32ComboBox final : public WithItems<WithText<ui::ComboBox>, ComboBoxMessages> {
  public:
    using WithItems::WithItems;
    // Once the user has typed, no entry counts as selected until one is picked again, whatever
    // the list's own selection (the control moves it to an entry the typed text begins).
    int ListIndex() const override { return typed_ ? -1 : WithItems::ListIndex(); }
    void SetListIndex(int index) override {
        typed_ = false;
        WithItems::SetListIndex(index);
    }
    void Clear() override {
        typed_ = false;
        WithItems::Clear();
    }
    void Notify(WORD code) override {
        if (code == CBN_SETFOCUS) {
            // All of it, so that typing replaces the value.
            SendMessageW(hwnd_, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
            return;
        }
        if (code == CBN_EDITCHANGE) {
            typed_ = true;
            if (Change) {
                Change();
            }
            return;
        }
        if (code == CBN_SELCHANGE) {
            typed_ = false;
            if (ListIndex() >= 0) {
                // The text field shows a picked entry only after this notification; the
                // handlers read the box as the user will see it.
                SetText(Item(ListIndex()));
            }
        }
        WithItems::Notify(code);
    }

  private:
    bool typed_ = false;
};

using Win32Image = Win32Control<ui::Control>;

struct ClassAndStyle {
    const wchar_t* cls;
    DWORD style;
    DWORD exStyle;
};

ClassAndStyle WindowClassOf(const ui::ControlSpec& c) {
    switch (c.kind) {
        case ui::ControlKind::Label:
            return {L"STATIC", static_cast<DWORD>(SS_NOPREFIX | (c.centred ? SS_CENTER : SS_LEFT)),
                    0};
        case ui::ControlKind::Image:
            return {L"STATIC", SS_ICON, 0};
        case ui::ControlKind::Button:
            return {L"BUTTON", BS_PUSHBUTTON, 0};
        case ui::ControlKind::TextBox:
            return {L"EDIT", ES_AUTOHSCROLL | ES_LEFT, WS_EX_CLIENTEDGE};
        case ui::ControlKind::ListBox:
            return {L"LISTBOX", LBS_NOTIFY | LBS_USETABSTOPS | WS_VSCROLL, WS_EX_CLIENTEDGE};
        case ui::ControlKind::ComboBox:
            return {L"COMBOBOX", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL, 0};
    }
    throw std::logic_error("unknown control kind");
}

}  // namespace

void ControlBase::ApplyFont(UINT dpi) {
    font_ = MakeFont(spec_.font, dpi);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), TRUE);
}

bool ControlBase::CanTakeFocus() const {
    return IsWindowEnabled(hwnd_) && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_VISIBLE) != 0;
}

ControlBase* ControlBase::Of(HWND child) {
    return child ? reinterpret_cast<ControlBase*>(GetWindowLongPtrW(child, GWLP_USERDATA))
                 : nullptr;
}

std::unique_ptr<ControlBase> CreateControl(HWND parent, HINSTANCE instance,
                                           const ui::ControlSpec& c, int id, HICON appIcon) {
    const ClassAndStyle kind = WindowClassOf(c);
    DWORD style = WS_CHILD | WS_VISIBLE | kind.style;
    if (c.tabIndex >= 0) {
        style |= WS_TABSTOP;
    }
    HWND child =
        CreateWindowExW(kind.exStyle, kind.cls, Widen(c.caption).c_str(), style, 0, 0, 0, 0, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
    std::unique_ptr<ControlBase> control;
    switch (c.kind) {
        case ui::ControlKind::Label:
            control = std::make_unique<Win32Label>(child, c);
            break;
        case ui::ControlKind::Button:
            control = std::make_unique<Win32Button>(child, c);
            break;
        case ui::ControlKind::TextBox:
            control = std::make_unique<Win32TextBox>(child, c);
            // 0: no limit of our own
            SendMessageW(child, EM_SETLIMITTEXT, static_cast<WPARAM>(std::max(c.maxLength, 0)), 0);
            break;
        case ui::ControlKind::ListBox:
            control = std::make_unique<Win32ListBox>(child, c);
            break;
        case ui::ControlKind::ComboBox:
            control = std::make_unique<Win32ComboBox>(child, c);
            break;
        case ui::ControlKind::Image:
            control = std::make_unique<Win32Image>(child, c);
            SendMessageW(child, STM_SETICON, reinterpret_cast<WPARAM>(appIcon), 0);
            break;
    }
    SetWindowLongPtrW(child, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control.get()));
    return control;
}

}  // namespace pelmora::win32
