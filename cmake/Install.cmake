# cmake --install BUILD --prefix PREFIX lays out a portable installation:
#   PREFIX/Tavi/            the program's folder: Tavi, Data/, source/DeskTopBG/, web/
#   PREFIX/share/applications/tavi.desktop, PREFIX/share/icons/hicolor/256x256/apps/tavi.png
# The notes database, the workday table and the background picture hold the user's own
# data once installed; an installation over an existing one keeps them as they are.
set(TAVI_INSTALL_DIR Tavi)

if(TARGET Tavi)
  install(TARGETS Tavi RUNTIME DESTINATION ${TAVI_INSTALL_DIR})
endif()
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/web/ DESTINATION ${TAVI_INSTALL_DIR}/web)
install(DIRECTORY DESTINATION ${TAVI_INSTALL_DIR}/source/DeskTopBG)

# Never the build's own database: it may hold the developer's notes. A fresh empty one instead.
install(CODE "
  # file(INSTALL) adds DESTDIR itself; the checks and the database need it spelled out.
  set(_to \"\${CMAKE_INSTALL_PREFIX}/${TAVI_INSTALL_DIR}\")
  set(_dst \"\$ENV{DESTDIR}\${_to}\")
  if(EXISTS \"\${_dst}/Data/UserData.mdb\")
    message(STATUS \"Keeping: \${_dst}/Data/UserData.mdb\")
  else()
    set(DB \"\${_dst}/Data/UserData.mdb\")
    set(SQLITE3 \"${SQLITE3_CLI}\")
    include(\"${CMAKE_CURRENT_SOURCE_DIR}/cmake/MakeEmptyDatabase.cmake\")
    message(STATUS \"Installing: \${DB}\")
  endif()
  foreach(_pair \"Data|${CMAKE_CURRENT_SOURCE_DIR}/calendar/data/CnWorkdays.tsv\"
                \"source/DeskTopBG|${CMAKE_BINARY_DIR}/wallpaper/A1.bmp\")
    string(REPLACE \"|\" \";\" _pair \"\${_pair}\")
    list(GET _pair 0 _sub)
    list(GET _pair 1 _src)
    get_filename_component(_name \"\${_src}\" NAME)
    if(EXISTS \"\${_dst}/\${_sub}/\${_name}\")
      message(STATUS \"Keeping: \${_dst}/\${_sub}/\${_name}\")
    elseif(EXISTS \"\${_src}\")
      file(INSTALL FILES \"\${_src}\" DESTINATION \"\${_to}/\${_sub}\")
    endif()
  endforeach()
")

# The launcher names the program by its installed place, known only at install time.
install(CODE "
  set(TAVI_DIR \"\${CMAKE_INSTALL_PREFIX}/${TAVI_INSTALL_DIR}\")
  set(TAVI_EXEC \"\${TAVI_DIR}/Tavi\")
  configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/app/tavi.desktop.in\" \"${CMAKE_BINARY_DIR}/tavi.desktop\" @ONLY)
  file(INSTALL FILES \"${CMAKE_BINARY_DIR}/tavi.desktop\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\")
")
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/app/pics/tavi.png DESTINATION share/icons/hicolor/256x256/apps)

# The program's own copy of Qt's Chinese texts, read before the system's.
set(_tavi_qm "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}/qtbase_zh_CN.qm")
if(EXISTS "${_tavi_qm}")
  install(FILES "${_tavi_qm}" DESTINATION ${TAVI_INSTALL_DIR}/translations)
endif()
