# Writes the portable ZIP so that the same files give the same bytes, whenever and wherever it
# is made: entries in name order under one top folder, every entry dated SOURCE_DATE_EPOCH
# (UTC), fixed permissions (0755 for programs, 0644 otherwise), no owner. CPack alone leaves the
# entries in the order the file system lists them.
#
#   cmake -DSETTINGS=<package_settings.cmake> -DFOLDER=<files> -DOUTPUT=<name>.zip -P zip_package.cmake
#     packs the files of FOLDER (no subfolders) into OUTPUT under the top folder <name>;
#   as CPACK_POST_BUILD_SCRIPTS (cmake/packaging.cmake): writes CPack's ZIP again the same way
#     from the folder CPack packed.
cmake_minimum_required(VERSION 3.25)

if(CPACK_PACKAGE_FILES)
    set(SETTINGS ${CPACK_VARNEL_SETTINGS})
    set(FOLDER ${CPACK_TEMPORARY_DIRECTORY})
    set(OUTPUT ${CPACK_PACKAGE_FILES})
endif()
foreach(_name SETTINGS FOLDER OUTPUT)
    if(NOT ${_name})
        message(FATAL_ERROR "zip_package.cmake: ${_name} is not set")
    endif()
endforeach()
include(${SETTINGS})

get_filename_component(_top ${OUTPUT} NAME_WLE)
get_filename_component(_output_dir ${OUTPUT} DIRECTORY)
set(_tree ${_output_dir}/${_top}.zip-tree)
file(REMOVE_RECURSE ${_tree})
file(MAKE_DIRECTORY ${_tree}/${_top})

file(GLOB _names LIST_DIRECTORIES false RELATIVE ${FOLDER} ${FOLDER}/*)
list(SORT _names)
if(NOT _names)
    message(FATAL_ERROR "zip_package.cmake: no files in ${FOLDER}")
endif()
set(_entries)
foreach(_name IN LISTS _names)
    set(_copy ${_tree}/${_top}/${_name})
    file(COPY_FILE ${FOLDER}/${_name} ${_copy})
    if(_name MATCHES "\\.exe$")
        file(CHMOD ${_copy} PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
             GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    else()
        file(CHMOD ${_copy} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
    endif()
    list(APPEND _entries ${_top}/${_name})
endforeach()

# string(TIMESTAMP) gives SOURCE_DATE_EPOCH's time when that is set. ZIP entries hold local
# time: the archiver runs in UTC.
set(ENV{SOURCE_DATE_EPOCH} ${VARNEL_SOURCE_DATE_EPOCH})
string(TIMESTAMP _mtime "%Y-%m-%d %H:%M:%S UTC" UTC)
file(REMOVE ${OUTPUT})
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
            ${CMAKE_COMMAND} -E tar cf ${OUTPUT} --format=zip "--mtime=${_mtime}" -- ${_entries}
    WORKING_DIRECTORY ${_tree}
    COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${_tree})
