# Cross toolchain for the 64-bit build of the same sources: never shipped (the CDO library is a
# 32-bit in-process server), it is what the Wine tests run where the host runs 64-bit code only.
set(VARNEL_MINGW_TARGET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-toolchain.cmake)
