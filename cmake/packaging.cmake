# Release packages of varnel.exe, both written to VARNEL_PACKAGE_DIR:
#   - Varnel-<version>-win32.zip, the portable folder (varnel.exe, the sample varnel.ini,
#     README.txt): `cpack` in the build tree, or the `package` target, written by
#     cmake/zip_package.cmake from what CPack packs;
#   - Varnel-<version>-win32.msi, the Windows Installer package, made by wixl (msitools) from
#     packaging/varnel.wxs.in by cmake/msi_package.cmake: target varnel_msi, part of the default
#     build when wixl is there.
# scripts/package makes the release from a tree of its own with the same two scripts, after
# signing varnel.exe. The cross build's tests install the MSI under Wine
# (tests/package/msi_test.sh) and check the ZIP (tests/package/zip_test.sh).

set(VARNEL_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package CACHE PATH
    "Folder that receives the ZIP and the Windows Installer package")
set(_packaging_out ${CMAKE_BINARY_DIR}/packaging)

# The program's versions are major.minor.0.revision (the version text shows no third field), and
# Windows Installer compares only three fields of a product version: the package carries
# major.minor.revision, so that 1.0.0.9 upgrades 1.0.0.8.
if(NOT PROJECT_VERSION_PATCH EQUAL 0)
    message(FATAL_ERROR "Packaging expects a version major.minor.0.revision, not ${PROJECT_VERSION}")
endif()

# Windows users open these in Notepad: CRLF line ends.
configure_file(${CMAKE_SOURCE_DIR}/resources/varnel.ini ${_packaging_out}/varnel.ini
               @ONLY NEWLINE_STYLE CRLF)
configure_file(${CMAKE_SOURCE_DIR}/packaging/README.txt ${_packaging_out}/README.txt
               @ONLY NEWLINE_STYLE CRLF)

# What cmake/zip_package.cmake and cmake/msi_package.cmake need to know of this tree. Package
# dates: SOURCE_DATE_EPOCH when it is set where the packages are made, else the time of the
# commit this tree was configured at (scripts/package always sets it).
execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} log -1 --format=%ct
                OUTPUT_VARIABLE _commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
                RESULT_VARIABLE _git_result ERROR_QUIET)
if(NOT _git_result EQUAL 0 OR NOT _commit_time MATCHES "^[0-9]+$")
    set(_commit_time 315532800) # 1980-01-01, the earliest date a ZIP entry can hold
endif()
find_program(VARNEL_WIXL wixl)
find_program(VARNEL_MSIBUILD msibuild)
find_program(VARNEL_MSIINFO msiinfo)
find_program(VARNEL_ZIP zip)
set(VARNEL_PACKAGE_SETTINGS ${_packaging_out}/package_settings.cmake)
file(CONFIGURE OUTPUT ${VARNEL_PACKAGE_SETTINGS} @ONLY CONTENT [=[
# Written by cmake/packaging.cmake for cmake/zip_package.cmake and cmake/msi_package.cmake.
set(VARNEL_VERSION @PROJECT_VERSION@)
set(VARNEL_SOURCE_DIR [[@CMAKE_SOURCE_DIR@]])
set(VARNEL_PACKAGING_DIR [[@_packaging_out@]])
set(VARNEL_DESCRIPTION [[@PROJECT_DESCRIPTION@]])
# Identifies Varnel to Windows Installer across all its versions: never change it.
set(VARNEL_MSI_UPGRADE_CODE 90F5B6F2-35CE-4FB7-A600-2446B3D1139A)
set(VARNEL_WIXL [[@VARNEL_WIXL@]])
set(VARNEL_MSIBUILD [[@VARNEL_MSIBUILD@]])
set(VARNEL_MSIINFO [[@VARNEL_MSIINFO@]])
set(VARNEL_ZIP [[@VARNEL_ZIP@]])
if("$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
    set(VARNEL_SOURCE_DATE_EPOCH $ENV{SOURCE_DATE_EPOCH})
else()
    set(VARNEL_SOURCE_DATE_EPOCH @_commit_time@)
endif()
]=])

# --- Portable ZIP (CPack) ---------------------------------------------------------------------
install(TARGETS varnel RUNTIME DESTINATION .)
install(FILES ${_packaging_out}/varnel.ini ${_packaging_out}/README.txt DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Varnel)
set(CPACK_PACKAGE_VENDOR "The Varnel Authors")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME Varnel-${PROJECT_VERSION}-win32)
set(CPACK_OUTPUT_FILE_PREFIX ${VARNEL_PACKAGE_DIR})
# CPack's ZIP, written again in a fixed order with fixed dates and permissions (by Info-ZIP's
# zip, where there is one).
if(VARNEL_ZIP)
    set(CPACK_VARNEL_SETTINGS ${VARNEL_PACKAGE_SETTINGS})
    set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/zip_package.cmake)
endif()
include(CPack)

# --- Windows Installer package (wixl) ---------------------------------------------------------
if(NOT VARNEL_WIXL OR NOT VARNEL_MSIBUILD OR NOT VARNEL_MSIINFO)
    message(STATUS "wixl, msibuild or msiinfo not found (Debian: wixl, msitools): "
                   "no Windows Installer package")
    return()
endif()

# Adds target `target`, which writes the package `output` of program version `version` (four
# fields) holding the program file `exe` (made by `exe_dependency`).
function(varnel_add_msi target version exe exe_dependency output)
    set(_stage ${_packaging_out}/${target})
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -DSETTINGS=${VARNEL_PACKAGE_SETTINGS} -DVERSION=${version}
                -DPROGRAM=${exe} -DSTAGE=${_stage} -DOUTPUT=${output}
                -P ${CMAKE_SOURCE_DIR}/cmake/msi_package.cmake
        DEPENDS ${CMAKE_SOURCE_DIR}/cmake/msi_package.cmake ${VARNEL_PACKAGE_SETTINGS}
                ${CMAKE_SOURCE_DIR}/packaging/varnel.wxs.in
                ${CMAKE_SOURCE_DIR}/packaging/varnel_ini_check.js ${exe_dependency}
                ${_packaging_out}/varnel.ini ${CMAKE_SOURCE_DIR}/resources/varnel.ico
        COMMENT "Windows Installer package ${output}"
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS ${output})
endfunction()

varnel_add_msi(varnel_msi ${PROJECT_VERSION} $<TARGET_FILE:varnel> varnel
               ${VARNEL_PACKAGE_DIR}/Varnel-${PROJECT_VERSION}-win32.msi)

if(NOT VARNEL_BUILD_TESTS OR NOT CMAKE_CROSSCOMPILING)
    return()
endif()

# --- Tests ------------------------------------------------------------------------------------
# The upgrade: the next version's package, with a copy of varnel.exe that carries a few bytes
# after its end (Windows ignores them), so the test can tell which copy is installed.
math(EXPR _next_tweak "${PROJECT_VERSION_TWEAK} + 1")
set(_next_version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}.${_next_tweak})
set(_test_out ${CMAKE_BINARY_DIR}/packaging-test)
set(_marked_exe ${_test_out}/varnel.exe)
set(_marker "Varnel ${_next_version} upgrade test copy")
add_custom_command(OUTPUT ${_marked_exe}
    COMMAND ${CMAKE_COMMAND} -DFROM=$<TARGET_FILE:varnel> -DTO=${_marked_exe} -DMARKER=${_marker}
            -P ${CMAKE_SOURCE_DIR}/tests/package/mark_copy.cmake
    DEPENDS varnel ${CMAKE_SOURCE_DIR}/tests/package/mark_copy.cmake
    VERBATIM)
set(_next_msi ${_test_out}/Varnel-${_next_version}-win32.msi)
varnel_add_msi(varnel_msi_next ${_next_version} ${_marked_exe} ${_marked_exe} ${_next_msi})

set(_trees VARNEL_BUILD_DIR=${CMAKE_BINARY_DIR} VARNEL_SOURCE_DIR=${CMAKE_SOURCE_DIR}
           VARNEL_VERSION=${PROJECT_VERSION})

# Its own Wine prefix, but a burst of work (a new prefix, installs): alone, so the timing of the
# other Wine tests is not disturbed.
add_test(NAME package.msi COMMAND ${CMAKE_SOURCE_DIR}/tests/package/msi_test.sh)
set_tests_properties(package.msi PROPERTIES RUN_SERIAL TRUE LABELS package ENVIRONMENT "${_trees};\
VARNEL_NEXT_VERSION=${_next_version};\
VARNEL_MSI=${VARNEL_PACKAGE_DIR}/Varnel-${PROJECT_VERSION}-win32.msi;\
VARNEL_NEXT_MSI=${_next_msi};VARNEL_NEXT_EXE=${_marked_exe};\
VARNEL_MSI_CHECK=$<TARGET_FILE:msi_check>")

add_test(NAME package.zip COMMAND ${CMAKE_SOURCE_DIR}/tests/package/zip_test.sh)
set_tests_properties(package.zip PROPERTIES LABELS package
    ENVIRONMENT "${_trees};VARNEL_CPACK=${CMAKE_CPACK_COMMAND}")
