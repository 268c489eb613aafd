// Driving the program's windows from outside: finding them, reading them, their controls, the
// tray menu, and screenshots.
#include <algorithm>
#include <thread>

#include "driver.h"

namespace e2e {

// --- windows --------------------------------------------------------------------------------

std::wstring WindowText(HWND window) {
    wchar_t buffer[1024];
    int n = GetWindowTextW(window, buffer, 1024);
    return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

std::wstring ClassName(HWND window) {
    wchar_t buffer[256];
    int n = GetClassNameW(window, buffer, 256);
    return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

DWORD WindowProcess(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

namespace {
struct FindState {
    const std::function<bool(HWND)>* accept;
    HWND found;
};

BOOL CALLBACK FindProc(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<FindState*>(param);
    if (!(*state->accept)(window))
        return TRUE;
    state->found = window;
    return FALSE;
}
}  // namespace

HWND FindTopWindowIf(const std::function<bool(HWND)>& accept) {
    FindState state{&accept, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&state));
    return state.found;
}

namespace {
bool Matches(HWND window, const WindowQuery& query) {
    return (!query.processId || WindowProcess(window) == *query.processId) &&
           (!query.visibleOnly || IsWindowVisible(window)) && WindowText(window) == query.caption;
}
}  // namespace

HWND FindTopWindow(const WindowQuery& query) {
    return FindTopWindowIf([&](HWND window) { return Matches(window, query); });
}

HWND WaitTopWindowIf(const std::function<bool(HWND)>& accept, Ms timeout) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindowIf(accept)) != nullptr; }, timeout);
    return found;
}

namespace {
BOOL CALLBACK ChildTextProc(HWND child, LPARAM param) {
    if (IsWindowVisible(child))
        reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(WindowText(child));
    return TRUE;
}

BOOL CALLBACK UnpaintedChildProc(HWND child, LPARAM param) {
    if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(param) = true;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

std::vector<std::wstring> ChildTexts(HWND window) {
    std::vector<std::wstring> texts;
    EnumChildWindows(window, ChildTextProc, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

bool WaitPainted(HWND window, Ms timeout) {
    return WaitUntil(
        [&] {
            if (!IsWindow(window))
                return true;
            if (GetUpdateRect(window, nullptr, FALSE))
                return false;
            bool unpainted = false;
            EnumChildWindows(window, UnpaintedChildProc, reinterpret_cast<LPARAM>(&unpainted));
            return !unpainted;
        },
        timeout);
}

HWND WaitTopWindow(const WindowQuery& query, Ms timeout) {
    return WaitTopWindowIf([&](HWND window) { return Matches(window, query); }, timeout);
}

namespace {
struct BoxChildren {
    std::vector<std::pair<int, int>> buttons;  // (left edge, id)
    bool hasIcon = false;
};

BOOL CALLBACK BoxChildProc(HWND child, LPARAM param) {
    auto* c = reinterpret_cast<BoxChildren*>(param);
    if (!IsWindowVisible(child))
        return TRUE;
    std::wstring cls = ClassName(child);
    LONG style = GetWindowLongW(child, GWL_STYLE);
    if (_wcsicmp(cls.c_str(), L"Button") == 0) {
        RECT r{};
        GetWindowRect(child, &r);
        c->buttons.emplace_back(r.left, GetDlgCtrlID(child));
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON) {
        if (SendMessageW(child, STM_GETICON, 0, 0) != 0)
            c->hasIcon = true;
    }
    return TRUE;
}
}  // namespace

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.window = box;
    view.title = WindowText(box);
    wchar_t buffer[4096];
    UINT n = GetDlgItemTextW(box, 0xFFFF, buffer, 4096);
    view.text.assign(buffer, n);
    BoxChildren children;
    EnumChildWindows(box, BoxChildProc, reinterpret_cast<LPARAM>(&children));
    std::sort(children.buttons.begin(), children.buttons.end());
    for (auto& b : children.buttons)
        view.buttons.push_back(b.second);
    view.hasIcon = children.hasIcon;
    return view;
}

std::optional<MessageBoxView> WaitMessageBox(DWORD processId, const std::wstring& title,
                                             Ms timeout) {
    HWND box = nullptr;
    bool found = WaitUntil(
        [&] {
            box = FindTopWindowIf([&](HWND window) {
                return WindowProcess(window) == processId && IsWindowVisible(window) &&
                       ClassName(window) == L"#32770" &&
                       (title.empty() || WindowText(window) == title);
            });
            // The text static is filled during WM_INITDIALOG; wait for it as well.
            return box && GetDlgItem(box, 0xFFFF) != nullptr;
        },
        timeout);
    if (!found)
        return std::nullopt;
    return ReadMessageBox(box);
}

bool AnswerMessageBox(const MessageBoxView& box, int buttonId, Ms timeout) {
    HWND button = GetDlgItem(box.window, buttonId);
    if (!button)
        return false;
    PostMessageW(button, BM_CLICK, 0, 0);
    return WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); },
                     timeout);
}

std::wstring ButtonNames(const std::vector<int>& ids) {
    std::wstring out;
    for (int id : ids) {
        if (!out.empty())
            out += L",";
        switch (id) {
            case IDOK:
                out += L"OK";
                break;
            case IDCANCEL:
                out += L"Cancel";
                break;
            case IDYES:
                out += L"Yes";
                break;
            case IDNO:
                out += L"No";
                break;
            default:
                out += std::to_wstring(id);
        }
    }
    return out.empty() ? L"(none)" : out;
}

// --- controls of the program's windows ------------------------------------------------------

std::wstring TextOf(HWND control) {
    wchar_t buffer[1024];
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(control, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer),
                             SMTO_ABORTIFHUNG, 3000, &n))
        return L"(no answer)";
    return std::wstring(buffer, std::min<size_t>(n, 1023));
}

std::vector<ChildControl> ChildControls(HWND window) {
    std::vector<ChildControl> controls;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ChildControl c;
        c.hwnd = child;
        c.className = ClassName(child);
        c.text = TextOf(child);
        GetWindowRect(child, &c.rect);
        controls.push_back(c);
    }
    return controls;
}

std::vector<HWND> ControlsOfClass(HWND window, const std::wstring& className) {
    std::vector<ChildControl> found;
    for (const ChildControl& c : ChildControls(window))
        if (_wcsicmp(c.className.c_str(), className.c_str()) == 0)
            found.push_back(c);
    std::stable_sort(found.begin(), found.end(), [](const ChildControl& a, const ChildControl& b) {
        return a.rect.top != b.rect.top ? a.rect.top < b.rect.top : a.rect.left < b.rect.left;
    });
    std::vector<HWND> out;
    for (const ChildControl& c : found)
        out.push_back(c.hwnd);
    return out;
}

std::vector<HWND> ButtonsCaptioned(HWND window, const std::wstring& caption) {
    std::vector<HWND> out;
    for (HWND button : ControlsOfClass(window, L"Button"))
        if (TextOf(button) == caption)
            out.push_back(button);
    return out;
}

// The items of a list box, or of a combo box's list, read with the control's own messages
// (both report an error as -1).
static std::vector<std::wstring> ItemTexts(HWND control, UINT countMessage, UINT lengthMessage,
                                           UINT textMessage) {
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(control, countMessage, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT n = SendMessageW(control, lengthMessage, static_cast<WPARAM>(i), 0);
        if (n < 0) {
            items.push_back(L"(unreadable)");
            continue;
        }
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        const LRESULT got = SendMessageW(control, textMessage, static_cast<WPARAM>(i),
                                         reinterpret_cast<LPARAM>(text.data()));
        text.resize(got < 0 ? 0 : static_cast<size_t>(got));
        items.push_back(text);
    }
    return items;
}

std::vector<std::wstring> ListBoxLines(HWND list) {
    return ItemTexts(list, LB_GETCOUNT, LB_GETTEXTLEN, LB_GETTEXT);
}

int ListBoxSelection(HWND list) {
    return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0));
}

bool ClickListRow(HWND list, int row) {
    RECT r{};
    if (SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&r)) == LB_ERR)
        return false;
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(list, WM_LBUTTONDOWN, MK_LBUTTON, at, SMTO_ABORTIFHUNG, 3000,
                               &result) &&
           SendMessageTimeoutW(list, WM_LBUTTONUP, 0, at, SMTO_ABORTIFHUNG, 3000, &result);
}

bool DoubleClickListRow(HWND list, int row) {
    RECT r{};
    SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    DWORD_PTR result = 0;
    return ClickListRow(list, row) &&
           SendMessageTimeoutW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at, SMTO_ABORTIFHUNG, 3000,
                               &result) &&
           SendMessageTimeoutW(list, WM_LBUTTONUP, 0, at, SMTO_ABORTIFHUNG, 3000, &result);
}

std::vector<std::wstring> ComboEntries(HWND combo) {
    return ItemTexts(combo, CB_GETCOUNT, CB_GETLBTEXTLEN, CB_GETLBTEXT);
}

int ComboSelection(HWND combo) {
    return static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
}

HWND ComboEdit(HWND combo) {
    return FindWindowExW(combo, nullptr, L"Edit", nullptr);
}

bool PressComboKey(HWND combo, UINT virtualKey) {
    HWND edit = ComboEdit(combo);
    DWORD_PTR result = 0;
    return edit && SendMessageTimeoutW(edit, WM_KEYDOWN, virtualKey, 1, SMTO_ABORTIFHUNG, 3000,
                                       &result) != 0;
}

bool TypeChars(HWND edit, const std::wstring& text) {
    for (wchar_t ch : text) {
        DWORD_PTR result = 0;
        if (!SendMessageTimeoutW(edit, WM_CHAR, ch, 1, SMTO_ABORTIFHUNG, 3000, &result))
            return false;
    }
    return true;
}

int DefaultButtonId(HWND dialog) {
    for (HWND button : ControlsOfClass(dialog, L"Button"))
        if ((GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON)
            return GetDlgCtrlID(button);
    return 0;
}

// --- the tray icon and its menu -------------------------------------------------------------

void PostTrayEvent(HWND owner, UINT mouseEvent, UINT callbackMessage) {
    PostMessageW(owner, callbackMessage, 0, static_cast<LPARAM>(mouseEvent));
}

namespace {
bool IsPopupMenuOf(HWND window, DWORD processId) {
    return WindowProcess(window) == processId && IsWindowVisible(window) &&
           ClassName(window) == L"#32768";
}
}  // namespace

bool PopupMenuOpen(DWORD processId) {
    return FindTopWindowIf([&](HWND window) { return IsPopupMenuOf(window, processId); });
}

HWND WaitPopupMenu(DWORD processId, Ms timeout) {
    return WaitTopWindowIf([&](HWND window) { return IsPopupMenuOf(window, processId); }, timeout);
}

void ChooseMenuItemByKeys(HWND menu, int selectableIndex) {
    for (int i = 0; i <= selectableIndex; ++i)
        PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
}

void ChooseMenuItemByMnemonic(HWND menu, wchar_t key) {
    PostMessageW(menu, WM_CHAR, key, 0);
}

// --- screenshots ----------------------------------------------------------------------------

bool Screenshot(const std::wstring& name, HWND subject) {
    wchar_t folder[1024];
    DWORD n = GetEnvironmentVariableW(L"PELMORA_E2E_SHOTS", folder, 1024);
    if (n == 0 || n >= 1024)
        return false;
    // run-e2e.sh takes the shot when it reads this line, then creates <name>.png (or
    // <name>.failed); the driver waits for either.
    if (subject)
        WaitPainted(subject);
    std::wstring base = JoinPath(WindowsPath(folder), name);
    std::wstring line = L"SCREENSHOT " + name;
    RECT frame{};
    if (subject && GetWindowRect(subject, &frame))
        line += L" " + std::to_wstring(frame.left) + L" " + std::to_wstring(frame.top) + L" " +
                std::to_wstring(frame.right - frame.left) + L" " +
                std::to_wstring(frame.bottom - frame.top);
    Say(line);
    bool done = WaitUntil(
        [&] { return FileExists(base + L".png") || FileExists(base + L".failed"); }, Ms(15000));
    return done && FileExists(base + L".png");
}

}  // namespace e2e
