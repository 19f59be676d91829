# Copies each file of SOURCE_DIR matching PATTERN into DEST_DIR unless DEST_DIR already holds a
# file of that name: the program writes to its own files, and a rebuild must not undo that.
#   cmake -DSOURCE_DIR=... -DDEST_DIR=... -DPATTERN=... -P CopyMissingFiles.cmake
file(GLOB sources "${SOURCE_DIR}/${PATTERN}")
file(MAKE_DIRECTORY "${DEST_DIR}")
foreach(source IN LISTS sources)
  get_filename_component(name "${source}" NAME)
  if(NOT EXISTS "${DEST_DIR}/${name}")
    file(COPY "${source}" DESTINATION "${DEST_DIR}")
  endif()
endforeach()
