# The same sources as 64-bit Windows (PE32+, x86-64), tested under 64-bit Wine on hosts that
# cannot execute i386 code.
set(PELMORA_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(PELMORA_WINE_ARCH 64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
