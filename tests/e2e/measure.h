// What pelmora_measure.dll reports about a window's controls from inside the program, and the
// rules by which the driver decides that a text fits its control.
//
// A control's font cannot be read from another process (WM_GETFONT gives a handle of the
// program's, and GDI handles do not cross processes), so the DLL, hooked into the program's GUI
// thread, measures there and sends the report back as text (WM_COPYDATA). The report and the
// rules are plain C++ so that the unit tests check them on Linux too.
//
// The report, one record a line, fields separated by tabs, texts escaped (Escape):
//   W  dpi  clientWidth  clientHeight  caption                  the top-level window
//   C  kind  left  top  face  lfHeight  lineHeight  clientWidth  clientHeight  boxWidth
//      boxHeight  itemHeight  edge                                a control (one line)
//   T  width  height  text                                       a text of the control above
#pragma once

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace e2e::measure {

// The registered message the driver sends to a window of the program's GUI thread: wParam is
// the driver's window that receives the report, the target window is the one measured.
inline constexpr const wchar_t* kMessageName = L"Pelmora.E2E.Measure";
// WM_COPYDATA's dwData of a report.
inline constexpr unsigned long kReportTag = 0x50454D31;  // "PEM1"
// The hook procedure the DLL exports (undecorated on both architectures).
inline constexpr const char* kHookProcName = "MeasureCallWndProc";

enum class Kind { Label, Button, TextBox, ListBox, ComboBox };

struct Text {
    std::wstring text;
    int width = 0;  // extent in the control's font (tabbed extent for list lines)
    int height = 0;
};

// One control as measured. `box` is where its texts are drawn: a label's and a button's client
// rectangle, a text box's or combo box's edit field (EM_GETRECT), a list box's client
// rectangle. `edge` is the width of a button's raised edge on each side.
struct Control {
    Kind kind = Kind::Label;
    int left = 0, top = 0;  // in the window's client area
    std::wstring face;
    int fontHeight = 0;  // LOGFONT lfHeight
    int lineHeight = 0;  // TEXTMETRIC tmHeight
    int clientWidth = 0, clientHeight = 0;
    int boxWidth = 0, boxHeight = 0;
    int itemHeight = 0;  // list boxes: LB_GETITEMHEIGHT
    int edge = 0;
    std::vector<Text> texts;  // caption, text, every list line or combo entry
};

struct Report {
    int dpi = 0;
    int clientWidth = 0, clientHeight = 0;
    std::wstring caption;
    std::vector<Control> controls;
};

// --- the report as text ---------------------------------------------------------------------

inline const wchar_t* KindName(Kind kind) {
    switch (kind) {
        case Kind::Label:
            return L"label";
        case Kind::Button:
            return L"button";
        case Kind::TextBox:
            return L"textbox";
        case Kind::ListBox:
            return L"listbox";
        case Kind::ComboBox:
            return L"combobox";
    }
    return L"?";
}

inline std::optional<Kind> KindNamed(const std::wstring& name) {
    for (Kind k : {Kind::Label, Kind::Button, Kind::TextBox, Kind::ListBox, Kind::ComboBox})
        if (name == KindName(k))
            return k;
    return std::nullopt;
}

// Tabs, line ends and backslashes as \t, \n, \r and \\, so a text is one field.
inline std::wstring Escape(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'\\':
                out += L"\\\\";
                break;
            case L'\t':
                out += L"\\t";
                break;
            case L'\n':
                out += L"\\n";
                break;
            case L'\r':
                out += L"\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

inline std::wstring Unescape(const std::wstring& field) {
    std::wstring out;
    for (size_t i = 0; i < field.size(); ++i) {
        if (field[i] != L'\\' || i + 1 == field.size()) {
            out += field[i];
            continue;
        }
        const wchar_t next = field[++i];
        out += next == L't' ? L'\t' : next == L'n' ? L'\n' : next == L'r' ? L'\r' : next;
    }
    return out;
}

inline std::wstring Format(const Report& r) {
    auto n = [](int v) { return std::to_wstring(v); };
    std::wstring out = L"W\t" + n(r.dpi) + L"\t" + n(r.clientWidth) + L"\t" + n(r.clientHeight) +
                       L"\t" + Escape(r.caption) + L"\n";
    for (const Control& c : r.controls) {
        out += L"C\t" + std::wstring(KindName(c.kind)) + L"\t" + n(c.left) + L"\t" + n(c.top) +
               L"\t" + Escape(c.face) + L"\t" + n(c.fontHeight) + L"\t" + n(c.lineHeight) + L"\t" +
               n(c.clientWidth) + L"\t" + n(c.clientHeight) + L"\t" + n(c.boxWidth) + L"\t" +
               n(c.boxHeight) + L"\t" + n(c.itemHeight) + L"\t" + n(c.edge) + L"\n";
        for (const Text& t : c.texts)
            out += L"T\t" + n(t.width) + L"\t" + n(t.height) + L"\t" + Escape(t.text) + L"\n";
    }
    return out;
}

namespace detail {
inline std::vector<std::wstring> Split(const std::wstring& line) {
    std::vector<std::wstring> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find(L'\t', start);
        fields.push_back(line.substr(start, tab == std::wstring::npos ? tab : tab - start));
        if (tab == std::wstring::npos)
            return fields;
        start = tab + 1;
    }
}

inline bool Number(const std::wstring& field, int& out) {
    if (field.empty())
        return false;
    wchar_t* end = nullptr;
    const long v = std::wcstol(field.c_str(), &end, 10);
    if (*end != L'\0')
        return false;
    out = static_cast<int>(v);
    return true;
}
}  // namespace detail

// The report, or nothing when a line is not one of the three records (or a text comes before
// any control).
inline std::optional<Report> Parse(const std::wstring& text) {
    using detail::Number;
    Report r;
    bool sawWindow = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos)
            end = text.size();
        const std::vector<std::wstring> f = detail::Split(text.substr(start, end - start));
        start = end + 1;
        if (f[0] == L"W" && f.size() == 5) {
            if (!Number(f[1], r.dpi) || !Number(f[2], r.clientWidth) ||
                !Number(f[3], r.clientHeight))
                return std::nullopt;
            r.caption = Unescape(f[4]);
            sawWindow = true;
        } else if (f[0] == L"C" && f.size() == 13) {
            Control c;
            const auto kind = KindNamed(f[1]);
            if (!kind)
                return std::nullopt;
            c.kind = *kind;
            c.face = Unescape(f[4]);
            int* numbers[] = {&c.left,       &c.top,         nullptr,         &c.fontHeight,
                              &c.lineHeight, &c.clientWidth, &c.clientHeight, &c.boxWidth,
                              &c.boxHeight,  &c.itemHeight,  &c.edge};
            for (size_t i = 0; i < std::size(numbers); ++i)
                if (numbers[i] && !Number(f[2 + i], *numbers[i]))
                    return std::nullopt;
            r.controls.push_back(c);
        } else if (f[0] == L"T" && f.size() == 4 && !r.controls.empty()) {
            Text t;
            if (!Number(f[1], t.width) || !Number(f[2], t.height))
                return std::nullopt;
            t.text = Unescape(f[3]);
            r.controls.back().texts.push_back(t);
        } else {
            return std::nullopt;
        }
    }
    if (!sawWindow)
        return std::nullopt;
    return r;
}

// --- the rules ------------------------------------------------------------------------------

// A list box draws its lines one pixel in from the left of its client area.
inline constexpr int kListTextIndent = 1;

// The room a control gives its texts: labels their client rectangle, buttons that less their
// edges, text and combo boxes their edit field, list boxes their client width (less the indent)
// and their item height.
struct Room {
    int width = 0;
    int height = 0;
};

inline Room RoomOf(const Control& c) {
    switch (c.kind) {
        case Kind::Label:
            return {c.clientWidth, c.clientHeight};
        case Kind::Button:
            return {c.clientWidth - 2 * c.edge, c.clientHeight - 2 * c.edge};
        case Kind::TextBox:
        case Kind::ComboBox:
            return {c.boxWidth, c.boxHeight};
        case Kind::ListBox:
            return {c.clientWidth - kListTextIndent, c.itemHeight};
    }
    return {};
}

// A text that does not fit, and by how much.
struct Misfit {
    const Control* control = nullptr;
    std::wstring text;
    int widthOver = 0;   // pixels too wide (0: fits)
    int heightOver = 0;  // pixels too high
};

// Every text of `c` against its room. A text box's text may scroll sideways (ES_AUTOHSCROLL),
// so only its line height counts; an empty label is not checked.
inline std::vector<Misfit> Misfits(const Control& c) {
    std::vector<Misfit> out;
    const Room room = RoomOf(c);
    if (c.kind == Kind::TextBox) {
        if (c.lineHeight > room.height)
            out.push_back({&c, L"(line height)", 0, c.lineHeight - room.height});
        return out;
    }
    for (const Text& t : c.texts) {
        if (t.text.empty())
            continue;
        const int wide = std::max(0, t.width - room.width);
        const int high = std::max(0, t.height - room.height);
        if (wide > 0 || high > 0)
            out.push_back({&c, t.text, wide, high});
    }
    return out;
}

// The widest text of a control against its room's width (0 when it has no text to check).
struct Widest {
    const Control* control = nullptr;
    std::wstring text;
    double ratio = 0;
};

inline Widest WidestText(const Control& c) {
    Widest w;
    const Room room = RoomOf(c);
    if (c.kind == Kind::TextBox || room.width <= 0)
        return w;
    for (const Text& t : c.texts) {
        const double ratio = static_cast<double>(t.width) / room.width;
        if (!t.text.empty() && ratio > w.ratio)
            w = {&c, t.text, ratio};
    }
    return w;
}

inline Widest WidestText(const Report& r) {
    Widest w;
    for (const Control& c : r.controls) {
        const Widest cw = WidestText(c);
        if (cw.ratio > w.ratio)
            w = cw;
    }
    return w;
}

// A length in twips at `dpi`, rounded as the program rounds (MulDiv: half away from zero).
inline int TwipsAt(int twips, int dpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    return static_cast<int>((scaled + (scaled >= 0 ? 720 : -720)) / 1440);
}

}  // namespace e2e::measure
