// Entry point of Pelmora.exe: the process-wide state, the real window system, and the main
// window whose load handler is the whole start-up. The message loop runs until the last
// window has closed.
#include <windows.h>

#include "platform/win32/Win32Platform.h"
#include "platform/win32/utf16.h"
#include "shell/MainForm.h"
#include "shell/Module1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    try {
        pelmora::win32::Win32Platform platform(instance);
        pelmora::Module1 module;
        pelmora::MainForm mainForm(module, platform);
        platform.RunEvent([&] { mainForm.Form_Load(); });
        return platform.Run();
    } catch (...) {
        // The main window or its one-second timer could not be made: nothing can ring.
    }
    try {
        MessageBoxW(nullptr, pelmora::win32::Widen(pelmora::UnexpectedErrorText).c_str(),
                    pelmora::win32::Widen(pelmora::ui::ApplicationTitle).c_str(),
                    MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    } catch (...) {
    }
    return 1;
}
