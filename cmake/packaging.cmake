# Release packages of varnel.exe, both written to VARNEL_PACKAGE_DIR:
#   - Varnel-<version>-win32.zip, the portable folder (varnel.exe, the sample varnel.ini,
#     README.txt), made by CPack: `cpack` in the build tree, or the `package` target;
#   - Varnel-<version>-win32.msi, the Windows Installer package, made by wixl (msitools) from
#     packaging/varnel.wxs.in: target varnel_msi, part of the default build when wixl is there.
# scripts/package builds both in a release tree of their own. The cross build's tests install
# the MSI under Wine (tests/package/msi_test.sh) and check the ZIP (tests/package/zip_test.sh).

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
include(CPack)

# --- Windows Installer package (wixl) ---------------------------------------------------------
find_program(VARNEL_WIXL wixl)
find_program(VARNEL_MSIBUILD msibuild)
if(NOT VARNEL_WIXL OR NOT VARNEL_MSIBUILD)
    message(STATUS "wixl or msibuild not found (Debian: wixl, msitools): no Windows Installer package")
    return()
endif()

# Identifies Varnel to Windows Installer across all its versions: never change it.
set(VARNEL_MSI_UPGRADE_CODE 90F5B6F2-35CE-4FB7-A600-2446B3D1139A)
# Component "Settings" (varnel.ini): Permanent (0x10) and NeverOverwrite (0x80).
math(EXPR _settings_attributes "0x10 | 0x80")

# Adds target `target`, which writes the package `output` of program version `version` (four
# fields) holding the program file `exe` (made by `exe_dependency`).
function(varnel_add_msi target version exe exe_dependency output)
    string(REPLACE "." ";" _fields ${version})
    list(GET _fields 0 _major)
    list(GET _fields 1 _minor)
    list(GET _fields 3 _revision)
    set(VARNEL_PACKAGE_VERSION ${version})
    set(VARNEL_MSI_VERSION ${_major}.${_minor}.${_revision})
    # A product code per version, the same for every build of it: installing the same version
    # twice is a repair, not a second entry in the installed programs list.
    string(UUID VARNEL_MSI_PRODUCT_CODE NAMESPACE ${VARNEL_MSI_UPGRADE_CODE}
           NAME "Varnel ${VARNEL_MSI_VERSION}" TYPE SHA1 UPPER)
    # wixl finds files only by paths relative to its working folder: it runs in a folder of
    # this package's own that holds them.
    set(_stage ${_packaging_out}/${target})
    configure_file(${CMAKE_SOURCE_DIR}/packaging/varnel.wxs.in ${_stage}/varnel.wxs @ONLY)
    set(_sql "UPDATE `Component` SET `Attributes` = ${_settings_attributes} WHERE `Component` = 'Settings'")
    get_filename_component(_output_dir ${output} DIRECTORY)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${_output_dir}
        COMMAND ${CMAKE_COMMAND} -E copy ${exe} ${_stage}/varnel.exe
        COMMAND ${CMAKE_COMMAND} -E copy ${_packaging_out}/varnel.ini ${_stage}/varnel.ini
        COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/resources/varnel.ico
                ${_stage}/varnel.ico
        COMMAND ${VARNEL_WIXL} --arch x86 -o ${output}.part varnel.wxs
        COMMAND ${VARNEL_MSIBUILD} ${output}.part -q ${_sql}
        COMMAND ${CMAKE_COMMAND} -E rename ${output}.part ${output}
        WORKING_DIRECTORY ${_stage}
        DEPENDS ${_stage}/varnel.wxs ${exe_dependency} ${_packaging_out}/varnel.ini
                ${CMAKE_SOURCE_DIR}/resources/varnel.ico
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

# Starts the installed program from the Start-menu shortcut and reports what it shows.
add_executable(msi_check tests/package/msi_check_main_win32.cpp)
target_link_libraries(msi_check PRIVATE varnel_win32_test_support)

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
