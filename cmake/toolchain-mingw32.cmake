# The shipped program: 32-bit Windows (PE32, i386), tested under 32-bit Wine.
set(PELMORA_MINGW_TRIPLE i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(PELMORA_WINE_ARCH 32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
