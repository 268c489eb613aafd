#include "platform/win32/Win32Platform.h"

#include <commctrl.h>
#include <mmsystem.h>

#include "platform/win32/TrayIcon.h"
#include "platform/win32/Win32Window.h"
#include "platform/win32/utf16.h"

namespace pelmora::win32 {
namespace {

constexpr wchar_t kDeferClass[] = L"PelmoraDefer";
constexpr wchar_t kInstanceMutex[] = L"Local\\Pelmora.SingleInstance";
constexpr UINT kDeferMessage = WM_APP + 1;
constexpr int kAppIconId = 1;

Win32Window& Win32Of(ui::Window& window) {
    return static_cast<Win32Window&>(window);
}

void RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, HICON icon,
                         bool form) {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = proc;
    c.hInstance = instance;
    c.lpszClassName = name;
    if (form) {
        c.hIcon = icon;
        c.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    }
    RegisterClassExW(&c);
}

}  // namespace

Win32Platform::Win32Platform(HINSTANCE instance)
    : instance_(instance),
      icon_(LoadIconW(instance, MAKEINTRESOURCEW(kAppIconId))),
      taskbarCreated_(RegisterWindowMessageW(L"TaskbarCreated")),
      exitRequest_(RegisterWindowMessageW(kExitRequestMessage)) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    if (!icon_) {
        icon_ = LoadIconW(nullptr, IDI_APPLICATION);
    }
    RegisterWindowClass(instance_, kFormClass, Win32Window::Proc, icon_, true);
    RegisterWindowClass(instance_, kDeferClass, DeferProc, nullptr, false);
    deferWindow_.Reset(CreateWindowExW(0, kDeferClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                       instance_, nullptr));
    SetWindowLongPtrW(deferWindow_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Platform::~Win32Platform() = default;

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
    } else if (icon == ui::Icon::Error) {
        type |= MB_ICONERROR;
    }
    const std::wstring wideTitle = Widen(title.empty() ? ui::ApplicationTitle : title);
    switch (::MessageBoxW(nullptr, Widen(text).c_str(), wideTitle.c_str(), type)) {
        case IDYES:
            return ui::Answer::Yes;
        case IDNO:
            return ui::Answer::No;
        default:
            return ui::Answer::Ok;
    }
}

std::unique_ptr<ui::TrayIcon> Win32Platform::CreateTrayIcon(ui::Window& owner) {
    return std::make_unique<Win32TrayIcon>(Win32Of(owner), icon_);
}

void Win32Platform::SetForegroundWindow(ui::Window& window) {
    ::SetForegroundWindow(Win32Of(window).hwnd());
}

void Win32Platform::PopupMenu(ui::Window& owner, const std::vector<ui::MenuItem>& items) {
    MenuHandle menu(CreatePopupMenu());
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (items[i].kind == ui::MenuItemKind::Separator) {
            AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
        } else {
            AppendMenuW(menu.get(), MF_STRING, i + 1, Widen(items[i].caption).c_str());
        }
    }
    POINT at{};
    GetCursorPos(&at);
    HWND hwnd = Win32Of(owner).hwnd();
    const int chosen = static_cast<int>(
        TrackPopupMenu(menu.get(), TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, hwnd, nullptr));
    // Without this message the menu of a tray program does not close on the next click
    // elsewhere.
    PostMessageW(hwnd, WM_NULL, 0, 0);
    menu.Close();
    if (chosen > 0 && static_cast<std::size_t>(chosen) <= items.size()) {
        const ui::MenuItem& item = items[static_cast<std::size_t>(chosen) - 1];
        if (item.Click) {
            item.Click();
        }
    }
}

bool Win32Platform::AnotherInstanceRunning() {
    if (!instanceMutex_) {
        instanceMutex_.Reset(CreateMutexW(nullptr, FALSE, kInstanceMutex));
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
    deferred_.Add(std::move(work));
    // Work deferred outside any event still needs the loop to come round.
    if (!deferPosted_) {
        deferPosted_ = PostMessageW(deferWindow_.get(), kDeferMessage, 0, 0) != 0;
    }
}

void Win32Platform::RunDeferred() {
    deferPosted_ = false;
    deferred_.RunIfIdle();
}

LRESULT CALLBACK Win32Platform::DeferProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kDeferMessage) {
        if (auto* platform =
                reinterpret_cast<Win32Platform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA))) {
            platform->RunDeferred();
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
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
        if (root && root != deferWindow_.get() && IsDialogMessageW(root, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    RunDeferred();
    return static_cast<int>(msg.wParam);
}

}  // namespace pelmora::win32
