# cmake -DSRC=... -DDST=... -P InstallIfMissing.cmake
# Lays a shipped file into the program folder once; a file already there (the user's own) stays.
if(NOT EXISTS "${DST}")
  get_filename_component(dir "${DST}" DIRECTORY)
  file(MAKE_DIRECTORY "${dir}")
  file(COPY_FILE "${SRC}" "${DST}")
endif()
