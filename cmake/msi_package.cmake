# Writes the Windows Installer package of one program version with wixl (msitools), from
# packaging/varnel.wxs.in, then adds with msibuild what wixl has no element for:
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
# What wixl 0.101 has no element for (packaging/varnel.wxs.in says what the package does with
# varnel.ini): whole tables it leaves empty or lacks are imported from files written here, the
# rows it writes are changed by SQL.
set(_tables ${STAGE}/tables)
file(MAKE_DIRECTORY ${_tables}/Binary)
# Writes table `table` as an .idt file: its column names, column types, table name and keys,
# then one row per argument (fields separated by tabs).
function(_msi_table table)
    list(JOIN ARGN "\n" _lines)
    file(WRITE ${_tables}/${table}.idt "${_lines}\n")
endfunction()
# The varnel.ini in the package's folder: its full path in VARNELINIBESIDE.
_msi_table(Signature
    "Signature\tFileName\tMinVersion\tMaxVersion\tMinSize\tMaxSize\tMinDate\tMaxDate\tLanguages"
    "s72\ts255\tS20\tS20\tI4\tI4\tI4\tI4\tS255"
    "Signature\tSignature"
    "BesideIni\tvarnel.ini\t\t\t\t\t\t\t")
_msi_table(DrLocator
    "Signature_\tParent\tPath\tDepth" "s72\tS72\tS255\tI2" "DrLocator\tSignature_\tParent\tPath"
    "BesideIni\t\t[SourceDir]\t0")
_msi_table(AppSearch
    "Property\tSignature_" "s72\ts72" "AppSearch\tProperty\tSignature_"
    "VARNELINIBESIDE\tBesideIni")
# Copies (option 0) of the given file over varnel.ini; with no SourceName, the property holds
# the full path of the file itself. Each row acts only while its component is installed. (In this
# order, were both ever installed, the file beside the package would win: the tests would see it.)
_msi_table(MoveFile
    "FileKey\tComponent_\tSourceName\tDestName\tSourceFolder\tDestFolder\tOptions"
    "s72\ts72\tS255\tS255\tS72\ts72\ti2"
    "MoveFile\tFileKey"
    "CopyGiven\tSettingsGiven\t\tvarnel.ini\tVARNELINI\tINSTALLDIR\t0"
    "CopyBeside\tSettingsBeside\t\tvarnel.ini\tVARNELINIBESIDE\tINSTALLDIR\t0")
# Whether VARNELINI's file can be read: JScript (type 5) kept in the Binary table.
_msi_table(Binary "Name\tData" "s72\tv0" "Binary\tName" "VarnelIniCheck\tvarnel_ini_check.js")
file(COPY_FILE ${VARNEL_SOURCE_DIR}/packaging/varnel_ini_check.js
     ${_tables}/Binary/varnel_ini_check.js)
_msi_table(CustomAction
    "Action\tType\tSource\tTarget\tExtendedType" "s72\ti2\tS72\tS255\tI4" "CustomAction\tAction"
    "CheckVarnelIni\t5\tVarnelIniCheck\tCheckVarnelIni\t")
# msibuild reads a table's binary fields from files below its working folder.
execute_process(
    COMMAND ${VARNEL_MSIBUILD} ${OUTPUT}.part -i Signature.idt -i DrLocator.idt -i AppSearch.idt
            -i MoveFile.idt -i Binary.idt -i CustomAction.idt
    WORKING_DIRECTORY ${_tables} COMMAND_ERROR_IS_FATAL ANY)

# The properties that the searches and the check set pass from the client to the installation
# service, as VARNELINI from the command line does.
execute_process(COMMAND ${VARNEL_MSIINFO} export ${OUTPUT}.part Property
                OUTPUT_VARIABLE _properties COMMAND_ERROR_IS_FATAL ANY)
if(NOT _properties MATCHES "\nSecureCustomProperties\t([^\r\n]*)")
    message(FATAL_ERROR "msi_package.cmake: wixl wrote no SecureCustomProperties")
endif()
set(_secure "UPDATE `Property` SET `Value` = 'VARNELINI;VARNELINIBESIDE;VARNELINIREADABLE;\
${CMAKE_MATCH_1}' WHERE `Property` = 'SecureCustomProperties'")

set(_queries
    # Permanent and NeverOverwrite (0x10 | 0x80), which wixl ignores: the sample never replaces
    # nor removes a varnel.ini; and it is installed only when no file is given.
    "UPDATE `Component` SET `Attributes` = 144, \
`Condition` = 'NOT VARNELINI AND NOT VARNELINIBESIDE' WHERE `Component` = 'Settings'"
    # VARNELINI wins over the file beside the package.
    "UPDATE `Component` SET `Condition` = 'VARNELINI' WHERE `Component` = 'SettingsGiven'"
    "UPDATE `Component` SET `Condition` = 'NOT VARNELINI AND VARNELINIBESIDE' \
WHERE `Component` = 'SettingsBeside'"
    # The copies, before the files are installed.
    "INSERT INTO `InstallExecuteSequence` (`Action`, `Sequence`) VALUES ('MoveFiles', 3800)")
# Both sequences, on a first installation or an upgrade (the package's folder is that of the
# source, which ResolveSource finds after CostInitialize): the search, the check, then the
# launch conditions (moved from 100), which stop the installation before anything is installed.
foreach(_sequence InstallUISequence InstallExecuteSequence)
    set(_insert "INSERT INTO `${_sequence}` (`Action`, `Condition`, `Sequence`) VALUES")
    list(APPEND _queries
        "${_insert} ('ResolveSource', 'NOT Installed', 810)"
        "${_insert} ('AppSearch', 'NOT Installed', 820)"
        "${_insert} ('CheckVarnelIni', 'VARNELINI AND NOT Installed', 830)"
        "UPDATE `${_sequence}` SET `Sequence` = 840 WHERE `Action` = 'LaunchConditions'")
endforeach()
set(_arguments)
foreach(_query IN LISTS _queries)
    list(APPEND _arguments -q ${_query})
endforeach()
# The list of secure properties holds semicolons: an argument of its own.
execute_process(COMMAND ${VARNEL_MSIBUILD} ${OUTPUT}.part ${_arguments} -q "${_secure}"
                COMMAND_ERROR_IS_FATAL ANY)
file(RENAME ${OUTPUT}.part ${OUTPUT})
