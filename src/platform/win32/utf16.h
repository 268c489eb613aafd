#pragma once
// Text to and from UTF-16, the Win32 API's own: every text of a window and every path goes
// through here, and so does the schedule file's code page 932.
#include <optional>
#include <string>
#include <string_view>

namespace pelmora::win32 {

// UTF-8 <-> UTF-16; what is not valid becomes U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

// Text in a code page to UTF-16; nothing when a byte sequence is not defined there.
std::optional<std::wstring> DecodeStrict(unsigned codePage, std::string_view bytes);
// UTF-16 to a code page without best-fit look-alikes; nothing when a character has no exact
// counterpart there.
std::optional<std::string> EncodeExact(unsigned codePage, std::wstring_view wide);

}  // namespace pelmora::win32
