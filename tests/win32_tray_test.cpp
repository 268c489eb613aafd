// The tray icon as the Windows shell sees it: the record given to Shell_NotifyIconA and the
// notifications that come back. Built into the Windows test program only.
#include <gtest/gtest.h>

#include <string>

#include "platform/text.h"
#include "platform/win32/TrayIcon.h"

namespace pelmora::win32 {
namespace {

TEST(Win32TrayIcon, RecordIsTheFirstShellVersionsWithTheTipInCodePage932) {
    HWND owner = reinterpret_cast<HWND>(0x10ab4);
    HICON icon = reinterpret_cast<HICON>(0x20cd8);
    const struct {
        const char* name;
        std::string tip;
        std::string field;  // the 64 bytes of szTip
    } cases[] = {
        {"the program's tip", "Pelmora!", std::string("Pelmora!") + '\0' + std::string(55, ' ')},
        {"Japanese", "アラーム", Utf8ToCp932("アラーム") + '\0' + std::string(55, ' ')},
        {"too long", std::string(70, 'x'), std::string(63, 'x') + '\0'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const NOTIFYICONDATAA d = NotifyIconRecord(owner, icon, c.tip);
        // 88 bytes in a 32-bit program; the same fields laid out for 64 bits take 104.
        EXPECT_EQ(d.cbSize, sizeof(void*) == 4 ? 88u : 104u);
        EXPECT_EQ(d.hWnd, owner);
        EXPECT_EQ(d.uID, 1u);
        EXPECT_EQ(d.uFlags, 7u);              // NIF_MESSAGE | NIF_ICON | NIF_TIP
        EXPECT_EQ(d.uCallbackMessage, 512u);  // WM_MOUSEMOVE
        EXPECT_EQ(d.hIcon, icon);
        EXPECT_EQ(std::string(d.szTip, 64), c.field);
    }
}

// The notification is a mouse move whose x is the message of the icon's mouse event.
TEST(Win32TrayIcon, NotificationsBecomeMouseEvents) {
    using ui::TrayMouse;
    const struct {
        int message;
        TrayMouse event;
    } cases[] = {
        {512, TrayMouse::Move},
        {513, TrayMouse::LeftDown},
        {514, TrayMouse::LeftUp},
        {515, TrayMouse::LeftDoubleClick},
        {516, TrayMouse::RightDown},
        {517, TrayMouse::RightUp},
        {518, TrayMouse::RightDoubleClick},
        {519, TrayMouse::MiddleDown},
        {520, TrayMouse::MiddleUp},
        {521, TrayMouse::MiddleDoubleClick},
        {522, TrayMouse::Other},
        {511, TrayMouse::Other},
        {0x400, TrayMouse::Other},
        {0, TrayMouse::Other},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrayMouseOf(c.message), c.event) << c.message;
    }
}

}  // namespace
}  // namespace pelmora::win32
