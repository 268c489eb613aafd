#pragma once
// The notification-area icon: the NOTIFYICONDATAA record of the first shell versions, added and
// deleted with Shell_NotifyIconA, its notifications delivered to the owner window as mouse
// moves. The shell may refuse it or time out while the task bar is not ready (a busy logon);
// the icon is then tried again, by the program's TryAgain and when a task bar is created.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string_view>

#include "platform/ui.h"

namespace pelmora::win32 {

// The record of icon 1 of `owner`: its callback message is WM_MOUSEMOVE, so a notification
// reaches the window as a mouse move whose x is the mouse event. The tip is code page 932,
// ended by NUL, the rest of the field blanks. The size is the first version's for this
// process's ABI: 88 bytes in a 32-bit program.
NOTIFYICONDATAA NotifyIconRecord(HWND owner, HICON icon, std::string_view tip);

// The mouse event a notification carries, from its message number.
ui::TrayMouse TrayMouseOf(int message);

class Win32Window;

class Win32TrayIcon final : public ui::TrayIcon {
  public:
    Win32TrayIcon(Win32Window& owner, HICON icon);
    ~Win32TrayIcon() override;  // takes the icon out of the tray
    Win32TrayIcon(const Win32TrayIcon&) = delete;
    Win32TrayIcon& operator=(const Win32TrayIcon&) = delete;

    void Add(const ui::TrayIconData& data) override;
    // An add that timed out may have gone through after all: modify first, then add.
    void TryAgain() override;
    void Delete() override;
    bool Present() const override { return present_; }

    // From the owner's window procedure.
    void Notified(int message);
    void TaskbarCreated();
    void OwnerGone() { owner_ = nullptr; }

  private:
    Win32Window* owner_;
    HICON icon_;
    NOTIFYICONDATAA record_{};
    bool wanted_ = false;
    bool present_ = false;
};

}  // namespace pelmora::win32
