#include "platform/win32/TrayIcon.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"
#include "platform/win32/Win32Window.h"

namespace pelmora::win32 {
namespace {

constexpr std::size_t kTipBytes = 64;

}  // namespace

NOTIFYICONDATAA NotifyIconRecord(HWND owner, HICON icon, std::string_view tip) {
    NOTIFYICONDATAA d{};
    d.cbSize = NOTIFYICONDATAA_V1_SIZE;
    d.hWnd = owner;
    d.uID = 1;
    d.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    d.uCallbackMessage = WM_MOUSEMOVE;
    d.hIcon = icon;
    // The first version's tip field: 64 bytes (the record's later versions have 128).
    std::memset(d.szTip, ' ', kTipBytes);
    const std::string bytes = Utf8ToCp932(tip);
    const std::size_t n = std::min(bytes.size(), kTipBytes - 1);
    std::memcpy(d.szTip, bytes.data(), n);
    d.szTip[n] = '\0';
    return d;
}

ui::TrayMouse TrayMouseOf(int message) {
    if (message < WM_MOUSEMOVE || message > WM_MBUTTONDBLCLK) {
        return ui::TrayMouse::Other;
    }
    // WM_MOUSEMOVE, then the down, up and double-click messages of the left, right and middle
    // buttons, in the enumeration's order.
    return static_cast<ui::TrayMouse>(message - WM_MOUSEMOVE);
}

Win32TrayIcon::Win32TrayIcon(Win32Window& owner, HICON icon) : owner_(&owner), icon_(icon) {
    owner_->AttachTrayIcon(this);
}

Win32TrayIcon::~Win32TrayIcon() {
    Delete();
    if (owner_) {
        owner_->AttachTrayIcon(nullptr);
    }
}

void Win32TrayIcon::Add(const ui::TrayIconData& data) {
    if (!owner_ || !owner_->hwnd()) {
        return;
    }
    record_ = NotifyIconRecord(owner_->hwnd(), icon_, data.tip);
    wanted_ = true;
    present_ = Shell_NotifyIconA(NIM_ADD, &record_) != FALSE;
}

void Win32TrayIcon::TryAgain() {
    if (wanted_ && !present_ && owner_) {
        present_ = Shell_NotifyIconA(NIM_MODIFY, &record_) != FALSE ||
                   Shell_NotifyIconA(NIM_ADD, &record_) != FALSE;
    }
}

void Win32TrayIcon::Delete() {
    // Also when the shell said no: an add that timed out may have gone through.
    if (wanted_) {
        Shell_NotifyIconA(NIM_DELETE, &record_);
        wanted_ = present_ = false;
    }
}

void Win32TrayIcon::Notified(int message) {
    if (MouseEvent) {
        MouseEvent(TrayMouseOf(message));
    }
}

void Win32TrayIcon::TaskbarCreated() {
    present_ = false;  // a new task bar has none of the old icons
    TryAgain();
}

}  // namespace pelmora::win32
