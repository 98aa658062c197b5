# Writes the portable ZIP so that the same files give the same bytes, whenever and wherever it
# is made: entries in name order under one top folder, every entry dated SOURCE_DATE_EPOCH
# (UTC), fixed permissions (0755 for programs, 0644 otherwise), no owner. CPack alone leaves the
# entries in the order the file system lists them and keeps each file's owner and times.
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
if(NOT VARNEL_ZIP)
    message(FATAL_ERROR "zip_package.cmake: no zip program (Debian: zip)")
endif()

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

# Info-ZIP's zip: -X keeps no owner and no time but the entry's modification time, which it
# stores as local time: zip runs in UTC. (cmake -E tar also stores each file's access and change
# times.)
execute_process(COMMAND touch -d @${VARNEL_SOURCE_DATE_EPOCH} -- ${_entries}
                WORKING_DIRECTORY ${_tree} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE ${OUTPUT})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC ${VARNEL_ZIP} -X -D -q ${OUTPUT} ${_entries}
                WORKING_DIRECTORY ${_tree} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${_tree})
