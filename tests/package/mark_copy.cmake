# cmake -DFROM=<file> -DTO=<file> -DMARKER=<text> -P mark_copy.cmake
# Copies FROM to TO and appends MARKER after its last byte: a program file stays loadable (the
# loader reads only what its headers describe), and the copy is told apart by its contents.
get_filename_component(_folder ${TO} DIRECTORY)
file(MAKE_DIRECTORY ${_folder})
file(COPY_FILE ${FROM} ${TO})
file(APPEND ${TO} "${MARKER}")
