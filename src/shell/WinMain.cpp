// Entry point of Pelmora.exe. The resident program (tray icon, windows, alarm tick) is built on
// the schedule store; until it lands the executable only proves the cross build links.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return 0;
}
