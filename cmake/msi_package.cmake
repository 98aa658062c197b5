# Writes the Windows Installer package of one program version with wixl (msitools), from
# packaging/varnel.wxs.in:
#   cmake -DSETTINGS=<package_settings.cmake> -DVERSION=<major.minor.0.revision>
#         -DPROGRAM=<varnel.exe> -DSTAGE=<work folder> -DOUTPUT=<file.msi> -P msi_package.cmake
# Used by the build (cmake/packaging.cmake) and by scripts/package, which passes the signed
# program. Everything in the package is the same for the same files except what wixl takes from
# the clock and the random number generator: the summary information's package code ("Revision
# number") and its creation and last-saved times. The cabinet's file times are
# SOURCE_DATE_EPOCH's.
cmake_minimum_required(VERSION 3.25)
foreach(_name SETTINGS VERSION PROGRAM STAGE OUTPUT)
    if(NOT ${_name})
        message(FATAL_ERROR "msi_package.cmake: ${_name} is not set")
    endif()
endforeach()
include(${SETTINGS})

# Windows Installer compares only three fields of a product version: the package carries
# major.minor.revision, so that 1.0.0.9 upgrades 1.0.0.8.
string(REPLACE "." ";" _fields ${VERSION})
list(GET _fields 0 _major)
list(GET _fields 1 _minor)
list(GET _fields 3 _revision)
set(VARNEL_PACKAGE_VERSION ${VERSION})
set(VARNEL_MSI_VERSION ${_major}.${_minor}.${_revision})
# A product code per version, the same for every build of it: installing the same version twice
# is a repair, not a second entry in the installed programs list.
string(UUID VARNEL_MSI_PRODUCT_CODE NAMESPACE ${VARNEL_MSI_UPGRADE_CODE}
       NAME "Varnel ${VARNEL_MSI_VERSION}" TYPE SHA1 UPPER)
set(PROJECT_DESCRIPTION ${VARNEL_DESCRIPTION})

# wixl finds files only by paths relative to its working folder: it runs in a folder of this
# package's own that holds them.
file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
configure_file(${VARNEL_SOURCE_DIR}/packaging/varnel.wxs.in ${STAGE}/varnel.wxs @ONLY)
file(COPY_FILE ${PROGRAM} ${STAGE}/varnel.exe)
file(COPY_FILE ${VARNEL_PACKAGING_DIR}/varnel.ini ${STAGE}/varnel.ini)
file(COPY_FILE ${VARNEL_SOURCE_DIR}/resources/varnel.ico ${STAGE}/varnel.ico)
# The cabinet keeps each file's modification time, as local time: both fixed.
execute_process(COMMAND touch -d @${VARNEL_SOURCE_DATE_EPOCH} varnel.exe varnel.ini varnel.ico
                WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)

get_filename_component(_output_dir ${OUTPUT} DIRECTORY)
file(MAKE_DIRECTORY ${_output_dir})
file(REMOVE ${OUTPUT} ${OUTPUT}.part)
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${VARNEL_WIXL} --arch x86 -o ${OUTPUT}.part varnel.wxs
    WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)
# wixl 0.101 ignores the Permanent and NeverOverwrite attributes of a Component: set both
# (0x10 | 0x80) on component "Settings" (varnel.ini) in the Component table.
execute_process(
    COMMAND ${VARNEL_MSIBUILD} ${OUTPUT}.part -q
            "UPDATE `Component` SET `Attributes` = 144 WHERE `Component` = 'Settings'"
    COMMAND_ERROR_IS_FATAL ANY)
file(RENAME ${OUTPUT}.part ${OUTPUT})
