# Cross toolchain for the shipped program: 32-bit Windows, built on Linux with MinGW-w64.
set(VARNEL_MINGW_TARGET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
