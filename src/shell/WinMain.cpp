// Entry point of Pelmora.exe: the process-wide state, the real window system, and the main
// window whose load handler is the whole start-up. The message loop runs until the last
// window has closed.
#include <windows.h>

#include "platform/win32/Win32Platform.h"
#include "shell/MainForm.h"
#include "shell/Module1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    pelmora::win32::Win32Platform platform(instance);
    pelmora::Module1 module;
    pelmora::MainForm mainForm(module, platform);
    mainForm.Form_Load();
    return platform.Run();
}
