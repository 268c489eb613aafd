#include "platform/win32/utf16.h"

#include <windows.h>

namespace pelmora::win32 {
namespace {

std::optional<std::wstring> ToWide(unsigned codePage, DWORD flags, std::string_view bytes) {
    if (bytes.empty()) {
        return std::wstring();
    }
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(codePage, flags, bytes.data(), size, nullptr, 0);
    if (n <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    if (MultiByteToWideChar(codePage, flags, bytes.data(), size, wide.data(), n) != n) {
        return std::nullopt;
    }
    return wide;
}

// `usedDefault` must be null for UTF-8, which has a counterpart for everything.
std::optional<std::string> FromWide(unsigned codePage, DWORD flags, std::wstring_view wide,
                                    BOOL* usedDefault) {
    if (wide.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(wide.size());
    const int n =
        WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, usedDefault);
    if (n <= 0 || (usedDefault && *usedDefault)) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(n), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), n, nullptr,
                            usedDefault) != n ||
        (usedDefault && *usedDefault)) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::wstring Widen(std::string_view utf8) {
    return ToWide(CP_UTF8, 0, utf8).value_or(std::wstring());
}

std::string Narrow(std::wstring_view wide) {
    return FromWide(CP_UTF8, 0, wide, nullptr).value_or(std::string());
}

std::optional<std::wstring> DecodeStrict(unsigned codePage, std::string_view bytes) {
    return ToWide(codePage, MB_ERR_INVALID_CHARS, bytes);
}

std::optional<std::string> EncodeExact(unsigned codePage, std::wstring_view wide) {
    BOOL usedDefault = FALSE;
    return FromWide(codePage, WC_NO_BEST_FIT_CHARS, wide, &usedDefault);
}

}  // namespace pelmora::win32
