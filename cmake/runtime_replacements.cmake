# Each runtime piece of app/ takes the place of one object of GCC's libraries by defining the
# same names, so that the linker, finding them all defined, never takes that object. That holds
# while the object defines exactly those names: were a newer GCC's to define one more (a new
# raise function, say), a call to it would bring the object in again, and with it the library's
# code for the names we replace, or a clash. Checked here, at configure time, against the
# compiler at hand, so that a new compiler stops the build naming the file to change.
#
# Names in COMDAT sections (type information, .refptr stubs, inline functions) are left out:
# any object may bring them, and the linker keeps one.

if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    return() # the pieces replace GCC's own runtime, libstdc++ with it
endif()

set(_varnel_runtime_check ${CMAKE_CURRENT_LIST_FILE})

# The sorted global names that `file` (an object, or an archive of one) defines, but COMDAT ones.
function(_varnel_defined_names file out)
    execute_process(COMMAND ${CMAKE_NM} -g --defined-only --portability ${file}
        OUTPUT_VARIABLE symbols ERROR_VARIABLE error RESULT_VARIABLE status)
    if(status EQUAL 0)
        execute_process(COMMAND ${CMAKE_OBJDUMP} --section-headers ${file}
            OUTPUT_VARIABLE sections ERROR_VARIABLE error RESULT_VARIABLE status)
    endif()
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "runtime check: cannot read ${file}: ${error}")
    endif()
    string(REGEX MATCHALL "\\(COMDAT [^ )]+" comdat "${sections}")
    list(TRANSFORM comdat REPLACE "^\\(COMDAT " "")
    string(REPLACE "\n" ";" lines "${symbols}")
    set(names "")
    foreach(line IN LISTS lines)
        if(line MATCHES "^([^ ]+) [A-Za-z] " AND NOT CMAKE_MATCH_1 IN_LIST comdat)
            list(APPEND names ${CMAKE_MATCH_1})
        endif()
    endforeach()
    list(SORT names)
    list(REMOVE_DUPLICATES names)
    set(${out} "${names}" PARENT_SCOPE)
endfunction()

# Fails unless `source` (relative to the source tree) defines exactly the names that `member` of
# the compiler's `archive` defines.
function(varnel_check_replacement source archive member)
    # Edits to the piece run the check again.
    set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
        ${CMAKE_SOURCE_DIR}/${source})
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${archive}
        OUTPUT_VARIABLE library OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(NOT IS_ABSOLUTE "${library}")
        message(FATAL_ERROR "${source} replaces ${member} of ${archive}, which "
                            "${CMAKE_CXX_COMPILER} does not have")
    endif()
    # Checked once per piece, library, compiler and check.
    file(MD5 ${CMAKE_SOURCE_DIR}/${source} source_hash)
    file(MD5 ${_varnel_runtime_check} check_hash)
    file(TIMESTAMP ${library} library_time)
    set(key "${source_hash} ${check_hash} ${library} ${library_time} ${CMAKE_CXX_COMPILER}")
    string(MAKE_C_IDENTIFIER "VARNEL_RUNTIME_CHECKED_${source}" checked)
    if("${${checked}}" STREQUAL "${key}")
        return()
    endif()

    get_filename_component(name ${source} NAME_WE)
    set(dir ${CMAKE_BINARY_DIR}/CMakeFiles/runtime_replacements/${name})
    file(REMOVE_RECURSE ${dir})
    file(MAKE_DIRECTORY ${dir})
    execute_process(COMMAND ${CMAKE_AR} x ${library} ${member} WORKING_DIRECTORY ${dir}
        ERROR_VARIABLE error RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT EXISTS ${dir}/${member})
        message(FATAL_ERROR "${source} replaces ${member} of ${library}, which has no such "
                            "member any more: ${error}")
    endif()
    _varnel_defined_names(${dir}/${member} theirs)

    set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
    try_compile(compiled ${dir}/build SOURCES ${CMAKE_SOURCE_DIR}/${source} NO_CACHE
        CXX_STANDARD 20 CXX_STANDARD_REQUIRED ON CXX_EXTENSIONS OFF
        COPY_FILE ${dir}/ours.a OUTPUT_VARIABLE log)
    if(NOT compiled)
        message(FATAL_ERROR "runtime check: ${source} does not compile:\n${log}")
    endif()
    _varnel_defined_names(${dir}/ours.a ours)

    if(NOT ours STREQUAL theirs)
        set(only_theirs ${theirs})
        set(only_ours ${ours})
        if(ours)
            list(REMOVE_ITEM only_theirs ${ours})
        endif()
        if(theirs)
            list(REMOVE_ITEM only_ours ${theirs})
        endif()
        string(REPLACE ";" " " only_theirs "${only_theirs}")
        string(REPLACE ";" " " only_ours "${only_ours}")
        message(FATAL_ERROR "${source} must define exactly the names that ${member} of "
            "${library} defines, or the linker takes that object as well:\n"
            "  only in ${member}: ${only_theirs}\n  only in ${source}: ${only_ours}")
    endif()
    set(${checked} "${key}" CACHE INTERNAL "")
endfunction()

varnel_check_replacement(app/stack_guard_win32.cpp libssp.a ssp.o)
varnel_check_replacement(app/terminate_handler_win32.cpp libstdc++.a vterminate.o)
varnel_check_replacement(app/library_errors_win32.cpp libstdc++.a functexcept.o)
