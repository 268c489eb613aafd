#include "platform/win32/Dpi.h"

#include <cwchar>

#include "platform/win32/utf16.h"

namespace pelmora::win32 {
namespace {

constexpr int kTwipsPerInch = 1440;

}  // namespace

UINT DpiOf(HWND hwnd) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (hwnd && getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(hwnd)) {
            return dpi;
        }
    }
    return SystemDpi();
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

int TwipsToPixels(int twips, UINT dpi) {
    return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

int ScaleFrom96(int pixels, UINT dpi) {
    return MulDiv(pixels, static_cast<int>(dpi), 96);
}

FontHandle MakeFont(const std::optional<ui::Font>& font, UINT dpi) {
    LOGFONTW lf{};
    if (font) {
        lf.lfHeight = -MulDiv(font->points, static_cast<int>(dpi), 72);
        lf.lfWeight = font->bold ? FW_BOLD : FW_NORMAL;
        lf.lfCharSet = static_cast<BYTE>(font->charset);
        const std::wstring face = Widen(font->face);
        wcsncpy(lf.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    } else {
        // The default GUI font (MS UI Gothic 9 pt on Japanese Windows): the layouts were made
        // for its narrow kana. The stock font is made for the system's DPI, so its face and
        // logical size are taken and the font is made afresh for this window's DPI.
        GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof lf, &lf);
        lf.lfHeight = MulDiv(lf.lfHeight, static_cast<int>(dpi), static_cast<int>(SystemDpi()));
        lf.lfWidth = 0;
    }
    return FontHandle(CreateFontIndirectW(&lf));
}

}  // namespace pelmora::win32
