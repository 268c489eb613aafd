# Cross build of the Windows program with the posix-thread MinGW-w64 compiler (the win32-thread
# one cannot build GoogleTest). Included by the toolchain file of each architecture, which sets
# PELMORA_MINGW_TRIPLE, CMAKE_SYSTEM_PROCESSOR and PELMORA_WINE_ARCH first. Test executables
# run under Wine of the same architecture.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${PELMORA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PELMORA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PELMORA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PELMORA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Everything static: the program must import system DLLs only (no libwinpthread-1.dll).
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${PELMORA_WINE_ARCH}")
