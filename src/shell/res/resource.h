#pragma once
// Resource identifiers of Pelmora.exe, shared by Pelmora.rc and the C++ code.

// The program's icon (32 x 32, 16 colours): every window that carries one, the tray icon and
// the splash picture. Loaded with LoadIconW(instance, MAKEINTRESOURCEW(IDI_PELMORA)).
#define IDI_PELMORA 1
