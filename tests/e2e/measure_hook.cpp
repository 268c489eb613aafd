// pelmora_measure.dll: measures the texts of a window's controls from inside the program.
//
// The driver installs MeasureCallWndProc as a WH_CALLWNDPROC hook on the program's GUI thread
// and sends that thread's window the registered message kMessageName with its own receiving
// window in wParam. The hook, now running in the program, reads every child control of the
// window: its font (WM_GETFONT and the font's LOGFONT), the extent of each of its texts in that
// font, and the room it has for them, and sends the report back with WM_COPYDATA.
#include <windows.h>

#include <string>

#include "measure.h"

namespace {

using namespace e2e::measure;

UINT MeasureMessage() {
    static const UINT message = RegisterWindowMessageW(kMessageName);
    return message;
}

// A window's device context with a font selected, released and restored on scope exit.
class FontDc {
  public:
    FontDc(HWND window, HFONT font)
        : window_(window),
          dc_(GetDC(window)),
          old_(SelectObject(dc_, font ? static_cast<HGDIOBJ>(font) : GetStockObject(SYSTEM_FONT))) {
    }
    FontDc(const FontDc&) = delete;
    FontDc& operator=(const FontDc&) = delete;
    ~FontDc() {
        SelectObject(dc_, old_);
        ReleaseDC(window_, dc_);
    }
    HDC dc() const { return dc_; }

  private:
    HWND window_;
    HDC dc_;
    HGDIOBJ old_;
};

std::wstring TextOf(HWND window) {
    const int n = GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), n + 1);
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[64];
    const int n = GetClassNameW(window, name, 64);
    return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

// The items of a list box or of a combo box's list.
std::vector<std::wstring> Items(HWND control, UINT count, UINT length, UINT get) {
    std::vector<std::wstring> items;
    const LRESULT n = SendMessageW(control, count, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
        const LRESULT len = SendMessageW(control, length, static_cast<WPARAM>(i), 0);
        if (len < 0)
            continue;
        std::wstring text(static_cast<size_t>(len) + 1, L'\0');
        const LRESULT got = SendMessageW(control, get, static_cast<WPARAM>(i),
                                         reinterpret_cast<LPARAM>(text.data()));
        text.resize(got > 0 ? static_cast<size_t>(got) : 0);
        items.push_back(text);
    }
    return items;
}

Text Extent(HDC dc, const std::wstring& text) {
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    return {text, size.cx, size.cy};
}

// A list line as the list box draws it: tabs to the default stops (LBS_USETABSTOPS without
// LB_SETTABSTOPS).
Text TabbedExtent(HDC dc, const std::wstring& text) {
    const DWORD size =
        GetTabbedTextExtentW(dc, text.c_str(), static_cast<int>(text.size()), 0, nullptr);
    return {text, LOWORD(size), HIWORD(size)};
}

std::optional<Kind> KindOf(HWND control) {
    const std::wstring cls = ClassOf(control);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Static") == 0)
        return (style & SS_TYPEMASK) == SS_ICON ? std::nullopt : std::optional(Kind::Label);
    if (_wcsicmp(cls.c_str(), L"Button") == 0)
        return Kind::Button;
    if (_wcsicmp(cls.c_str(), L"Edit") == 0)
        return Kind::TextBox;
    if (_wcsicmp(cls.c_str(), L"ListBox") == 0)
        return Kind::ListBox;
    if (_wcsicmp(cls.c_str(), L"ComboBox") == 0)
        return Kind::ComboBox;
    return std::nullopt;
}

// The edit field's formatting rectangle: where an edit control draws its text.
RECT FormatRect(HWND edit) {
    RECT r{};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

Control Measure(HWND window, HWND child, Kind kind) {
    Control c;
    c.kind = kind;
    RECT rect{};
    GetWindowRect(child, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    c.left = rect.left;
    c.top = rect.top;
    RECT client{};
    GetClientRect(child, &client);
    c.clientWidth = client.right;
    c.clientHeight = client.bottom;
    c.boxWidth = client.right;
    c.boxHeight = client.bottom;
    c.edge = GetSystemMetrics(SM_CXEDGE);

    const auto font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
    LOGFONTW lf{};
    if (font && GetObjectW(font, sizeof lf, &lf) == sizeof lf) {
        c.face = lf.lfFaceName;
        c.fontHeight = lf.lfHeight;
    } else {
        c.face = L"(system font)";
    }
    const FontDc dc(child, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc.dc(), &tm);
    c.lineHeight = tm.tmHeight;

    switch (kind) {
        case Kind::Label:
        case Kind::Button:
            c.texts.push_back(Extent(dc.dc(), TextOf(child)));
            break;
        case Kind::TextBox: {
            const RECT f = FormatRect(child);
            c.boxWidth = f.right - f.left;
            c.boxHeight = f.bottom - f.top;
            c.texts.push_back(Extent(dc.dc(), TextOf(child)));
            break;
        }
        case Kind::ListBox:
            c.itemHeight = static_cast<int>(SendMessageW(child, LB_GETITEMHEIGHT, 0, 0));
            for (const std::wstring& line : Items(child, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT))
                c.texts.push_back(TabbedExtent(dc.dc(), line));
            break;
        case Kind::ComboBox: {
            COMBOBOXINFO info{};
            info.cbSize = sizeof info;
            if (GetComboBoxInfo(child, &info) && info.hwndItem) {
                const RECT f = FormatRect(info.hwndItem);
                c.boxWidth = f.right - f.left;
                c.boxHeight = f.bottom - f.top;
                c.texts.push_back(Extent(dc.dc(), TextOf(info.hwndItem)));
            }
            for (const std::wstring& entry :
                 Items(child, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT))
                c.texts.push_back(Extent(dc.dc(), entry));
            break;
        }
    }
    return c;
}

UINT DpiOf(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow)
        if (const UINT dpi = getDpiForWindow(window))
            return dpi;
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return static_cast<UINT>(dpi);
}

Report MeasureWindow(HWND window) {
    Report r;
    r.dpi = static_cast<int>(DpiOf(window));
    RECT client{};
    GetClientRect(window, &client);
    r.clientWidth = client.right;
    r.clientHeight = client.bottom;
    r.caption = TextOf(window);
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (const auto kind = KindOf(child))
            r.controls.push_back(Measure(window, child, *kind));
    return r;
}

void SendReport(HWND receiver, HWND window) {
    const std::wstring text = Format(MeasureWindow(window));
    COPYDATASTRUCT data{};
    data.dwData = kReportTag;
    data.cbData = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(text.data());
    DWORD_PTR result = 0;
    SendMessageTimeoutW(receiver, WM_COPYDATA, reinterpret_cast<WPARAM>(window),
                        reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000, &result);
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    MeasureCallWndProc(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION) {
        const auto* message = reinterpret_cast<const CWPSTRUCT*>(lp);
        if (message->message == MeasureMessage() && message->wParam != 0)
            SendReport(reinterpret_cast<HWND>(message->wParam), message->hwnd);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}
