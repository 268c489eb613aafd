// Code page 932 through the Windows conversion functions, always with the explicit code page so
// that the program behaves the same whatever the system's ANSI code page is.
#include <windows.h>

#include "platform/text.h"

namespace pelmora::backend {
namespace {

constexpr UINT kCp932 = 932;

bool ToWide(UINT codePage, std::string_view in, std::wstring& wide) {
    wide.clear();
    if (in.empty()) {
        return true;
    }
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                                      static_cast<int>(in.size()), nullptr, 0);
    if (n <= 0) {
        return false;
    }
    wide.resize(static_cast<std::size_t>(n));
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                               static_cast<int>(in.size()), wide.data(), n) == n;
}

}  // namespace

bool DecodeCp932Strict(std::string_view bytes, std::string& out) {
    out.clear();
    std::wstring wide;
    if (!ToWide(kCp932, bytes, wide)) {
        return false;
    }
    if (wide.empty()) {
        return true;
    }
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        return false;
    }
    out.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
    return true;
}

bool EncodeCp932Strict(std::string_view utf8, std::string& out) {
    out.clear();
    std::wstring wide;
    if (!ToWide(CP_UTF8, utf8, wide)) {
        return false;
    }
    if (wide.empty()) {
        return true;
    }
    BOOL usedDefault = FALSE;
    const int n =
        WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(),
                            static_cast<int>(wide.size()), nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) {
        return false;
    }
    out.resize(static_cast<std::size_t>(n));
    WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                        out.data(), n, nullptr, &usedDefault);
    return !usedDefault;
}

}  // namespace pelmora::backend
