# cmake -DSRC=shipped -DDST=installed -P CopyIfMissing.cmake
# The installed copy belongs to the user, who adds each newly announced year to it:
# it is laid down once and never replaced.
if(NOT EXISTS "${DST}")
  get_filename_component(dst_dir "${DST}" DIRECTORY)
  file(MAKE_DIRECTORY "${dst_dir}")
  file(COPY_FILE "${SRC}" "${DST}")
  # Writable whatever the source's mode: the user edits it in place.
  file(CHMOD "${DST}" PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  message(STATUS "Installed ${DST}")
endif()
