# Test release.varnel_header: the header of varnel.exe marks it terminal-server aware, for ASLR
# (with the base relocations that ASLR needs kept) and DEP, and a 64-bit build for ASLR over the
# whole address space. Run on the build host, not under Wine:
#   cmake -DEXE=<varnel.exe> -DOBJDUMP=<objdump> -P release_header_check.cmake
cmake_minimum_required(VERSION 3.25)
if(NOT EXISTS "${EXE}")
    message(FATAL_ERROR "${EXE} does not exist")
endif()
execute_process(COMMAND "${OBJDUMP}" -p "${EXE}" OUTPUT_VARIABLE _dump RESULT_VARIABLE _result)
if(NOT _result EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} -p failed on ${EXE}")
endif()

# The hexadecimal field of objdump's line "<label> <hex>", as a number.
function(header_field label variable)
    if(NOT _dump MATCHES "\n${label}[ \t]+(0x)?([0-9a-fA-F]+)")
        message(FATAL_ERROR "no ${label} in the output of ${OBJDUMP} -p")
    endif()
    math(EXPR _value "0x${CMAKE_MATCH_2}")
    set(${variable} ${_value} PARENT_SCOPE)
endfunction()

header_field(Magic _magic)
header_field(Characteristics _characteristics)
header_field(DllCharacteristics _dll_characteristics)
set(_wanted "TERMINAL_SERVER_AWARE=0x8000" "DYNAMIC_BASE=0x40" "NX_COMPAT=0x100")
if(_magic EQUAL 523) # 0x20B, PE32+
    list(APPEND _wanted "HIGH_ENTROPY_VA=0x20")
endif()
set(_missing)
foreach(_flag IN LISTS _wanted)
    string(REPLACE "=" ";" _pair "${_flag}")
    list(GET _pair 1 _bit)
    math(EXPR _set "${_dll_characteristics} & ${_bit}")
    if(_set EQUAL 0)
        list(GET _pair 0 _name)
        list(APPEND _missing ${_name})
    endif()
endforeach()
math(EXPR _shown "${_dll_characteristics}" OUTPUT_FORMAT HEXADECIMAL)
message(STATUS "varnel.exe: DllCharacteristics ${_shown}")
if(_missing)
    message(SEND_ERROR "varnel.exe's header lacks: ${_missing}")
endif()

# ASLR moves only an image that can be relocated: relocations not stripped, a base relocation
# table that is not empty.
math(EXPR _stripped "${_characteristics} & 0x1")
if(NOT _stripped EQUAL 0 OR
   NOT _dump MATCHES "Entry 5 [0-9a-fA-F]+ ([0-9a-fA-F]+) Base Relocation Directory")
    message(SEND_ERROR "varnel.exe has no base relocations: ASLR cannot move it")
elseif(CMAKE_MATCH_1 MATCHES "^0+$")
    message(SEND_ERROR "varnel.exe's base relocation table is empty: ASLR cannot move it")
endif()
