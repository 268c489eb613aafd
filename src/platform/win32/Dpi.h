#pragma once
// Sizes and fonts at a window's DPI: layouts are in twips, fonts in points.
#include <windows.h>

#include <optional>

#include "platform/ui.h"
#include "platform/win32/Handles.h"

namespace pelmora::win32 {

// The window's DPI: per monitor where the system can tell (Windows 10 and later), else the
// system's.
UINT DpiOf(HWND hwnd);
// The DPI the system made its stock objects for.
UINT SystemDpi();

int TwipsToPixels(int twips, UINT dpi);
// A size in pixels at 96 DPI, at this DPI.
int ScaleFrom96(int pixels, UINT dpi);

// The layout's font, or the default GUI font, for this DPI.
FontHandle MakeFont(const std::optional<ui::Font>& font, UINT dpi);

}  // namespace pelmora::win32
