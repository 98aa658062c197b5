# The MinGW-w64 cross toolchain, for the target that the including toolchain file names in
# VARNEL_MINGW_TARGET (i686-w64-mingw32 or x86_64-w64-mingw32) and CMAKE_SYSTEM_PROCESSOR.
# The -posix compilers are required: the win32 thread model lacks std::mutex (GoogleTest).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${VARNEL_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VARNEL_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${VARNEL_MINGW_TARGET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${VARNEL_MINGW_TARGET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Static runtime: varnel.exe must need nothing but Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
