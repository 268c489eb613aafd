// Code page 932 through the Windows conversion functions, always with the explicit code page so
// that the program behaves the same whatever the system's ANSI code page is.
#include <windows.h>

#include "platform/text.h"
#include "platform/win32/utf16.h"

namespace pelmora::backend {
namespace {

constexpr unsigned kCp932 = 932;

}  // namespace

bool DecodeCp932Strict(std::string_view bytes, std::string& out) {
    const std::optional<std::wstring> wide = win32::DecodeStrict(kCp932, bytes);
    out = wide ? win32::Narrow(*wide) : std::string();
    return wide.has_value();
}

bool EncodeCp932Strict(std::string_view utf8, std::string& out) {
    const std::optional<std::wstring> wide = win32::DecodeStrict(CP_UTF8, utf8);
    const std::optional<std::string> bytes =
        wide ? win32::EncodeExact(kCp932, *wide) : std::nullopt;
    out = bytes.value_or(std::string());
    return bytes.has_value();
}

}  // namespace pelmora::backend
