#pragma once
// UTF-8 <-> UTF-16 for the Win32 backend: every text goes to and comes from the wide API.
#include <string>
#include <string_view>

namespace pelmora::win32 {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view wide);

}  // namespace pelmora::win32
