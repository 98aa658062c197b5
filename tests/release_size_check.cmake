# Test release.varnel_size: varnel.exe imports only Windows' known DLLs plus the common controls,
# and not the DLLs it loads on first use; the shipped program (the 32-bit release build, given
# SIZE_LIMIT) stays within 256 KiB. Run on the build host, not under Wine:
#   cmake -DEXE=<varnel.exe> -DOBJDUMP=<objdump> [-DSIZE_LIMIT=<bytes>] -P release_size_check.cmake
cmake_minimum_required(VERSION 3.25)
# Known DLLs of every Windows from 7 on: Windows maps them from its own folder whatever the search
# path says, so no copy beside the program can stand in for them. The common controls come from
# the side-by-side assembly that the manifest names.
set(_known_dlls advapi32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll
    oleaut32.dll shell32.dll shlwapi.dll user32.dll)
set(_allowed ${_known_dlls} comctl32.dll)
# Loaded from the system folder on first use (a launch, the About box, a link): imported, they
# would load at start-up, before the first paint.
set(_loaded_on_first_use ole32.dll oleaut32.dll shell32.dll)

if(NOT EXISTS "${EXE}")
    message(FATAL_ERROR "${EXE} does not exist")
endif()
file(SIZE "${EXE}" _bytes)
execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE _dump RESULT_VARIABLE _result)
if(NOT _result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p failed on ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" _lines "${_dump}")
set(_imports)
set(_foreign)
set(_early)
foreach(_line IN LISTS _lines)
    string(REGEX REPLACE "^DLL Name: " "" _dll "${_line}")
    list(APPEND _imports ${_dll})
    string(TOLOWER "${_dll}" _lower)
    if(NOT _lower IN_LIST _allowed)
        list(APPEND _foreign ${_dll})
    elseif(_lower IN_LIST _loaded_on_first_use)
        list(APPEND _early ${_dll})
    endif()
endforeach()
message(STATUS "varnel.exe: ${_bytes} bytes; imports: ${_imports}")
if(NOT _imports)
    message(SEND_ERROR "no imported DLL found: not a program objdump can read?")
endif()
if(SIZE_LIMIT)
    if(_bytes GREATER SIZE_LIMIT)
        message(SEND_ERROR "varnel.exe is ${_bytes} bytes, more than ${SIZE_LIMIT}")
    endif()
else()
    message(STATUS "size not limited: only the shipped program, the 32-bit release build, is")
endif()
if(_foreign)
    message(SEND_ERROR "varnel.exe imports DLLs that are not Windows' known DLLs nor the common "
                       "controls, so a copy beside it would be loaded: ${_foreign}")
endif()
if(_early)
    message(SEND_ERROR "varnel.exe imports DLLs that it loads on first use: ${_early}")
endif()
