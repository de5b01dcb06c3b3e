# Two ways to install one build.
#
# cmake --install BUILD --prefix PREFIX lays out a portable installation:
#   PREFIX/Tavi/            the program's folder: Tavi, Data/, source/DeskTopBG/, web/
#   PREFIX/share/applications/<id>.desktop, PREFIX/share/icons/hicolor/*/apps/tavi.*
# The notes database, the workday table and the background picture hold the user's own
# data once installed; an installation over an existing one keeps them as they are.
#
# cmake --install BUILD --prefix /usr --component system lays out a system installation
# (what the Debian package holds; scripts/package.sh):
#   PREFIX/bin/tavi, PREFIX/bin/lunar-table
#   PREFIX/share/tavi/      read only: web/, Data/ and source/DeskTopBG/ as a new user's
#                           folder starts (the program copies them into the user's own)
#   the launcher, icons, AppStream metainfo and manual pages
# Nothing of it is ever written by the program, so nothing a user keeps is a file of the package.
set(TAVI_INSTALL_DIR Tavi)
set(_sys COMPONENT system EXCLUDE_FROM_ALL)

if(TARGET Tavi)
  install(TARGETS Tavi RUNTIME DESTINATION ${TAVI_INSTALL_DIR})
  install(PROGRAMS $<TARGET_FILE:Tavi> DESTINATION bin RENAME tavi ${_sys})
endif()
if(TARGET lunar-table)
  install(PROGRAMS $<TARGET_FILE:lunar-table> DESTINATION bin ${_sys})
endif()
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/web/ DESTINATION ${TAVI_INSTALL_DIR}/web)
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/web/ DESTINATION share/tavi/web ${_sys})
install(DIRECTORY DESTINATION ${TAVI_INSTALL_DIR}/source/DeskTopBG)

# Never the build's own database: it may hold the developer's notes. A fresh empty one instead.
# _to is the program folder, below the prefix.
set(_tavi_defaults "
  # file(INSTALL) adds DESTDIR itself; the checks and the database need it spelled out.
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
install(CODE "set(_to \"\${CMAKE_INSTALL_PREFIX}/${TAVI_INSTALL_DIR}\") ${_tavi_defaults}")
install(CODE "set(_to \"\${CMAKE_INSTALL_PREFIX}/share/tavi\") ${_tavi_defaults}" ${_sys})

# The launcher of a portable installation names the program by its installed place, known
# only at install time; a system one names the command.
set(TAVI_DESKTOP_FILE ${TAVI_DESKTOP_ID}.desktop)
install(CODE "
  set(TAVI_DIR \"\${CMAKE_INSTALL_PREFIX}/${TAVI_INSTALL_DIR}\")
  set(TAVI_EXEC \"\\\"\${TAVI_DIR}/Tavi\\\"\")
  set(TAVI_PATH \"Path=\${TAVI_DIR}\")
  configure_file(\"${CMAKE_CURRENT_SOURCE_DIR}/app/tavi.desktop.in\" \"${CMAKE_BINARY_DIR}/portable/${TAVI_DESKTOP_FILE}\" @ONLY)
  file(INSTALL FILES \"${CMAKE_BINARY_DIR}/portable/${TAVI_DESKTOP_FILE}\"
       DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\")
")
set(TAVI_EXEC tavi)
set(TAVI_PATH "")
configure_file(app/tavi.desktop.in ${CMAKE_BINARY_DIR}/system/${TAVI_DESKTOP_FILE} @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/system/${TAVI_DESKTOP_FILE} DESTINATION share/applications ${_sys})
configure_file(packaging/tavi.metainfo.xml.in ${CMAKE_BINARY_DIR}/system/${TAVI_DESKTOP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/system/${TAVI_DESKTOP_ID}.metainfo.xml DESTINATION share/metainfo ${_sys})
install(FILES packaging/man/tavi.1 packaging/man/lunar-table.1 DESTINATION share/man/man1 ${_sys})

# The icon in every size a desktop asks for, drawn from the one scalable picture.
find_program(RSVG_CONVERT rsvg-convert)
set(TAVI_ICON_SIZES 16 22 24 32 48 64 128 256 512)
set(_icons)
foreach(size ${TAVI_ICON_SIZES})
  set(_png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/tavi.png)
  if(RSVG_CONVERT)
    add_custom_command(OUTPUT ${_png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps
      COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o ${_png} ${CMAKE_CURRENT_SOURCE_DIR}/app/pics/tavi.svg
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/app/pics/tavi.svg VERBATIM)
    list(APPEND _icons ${_png})
    install(FILES ${_png} DESTINATION share/icons/hicolor/${size}x${size}/apps)
    install(FILES ${_png} DESTINATION share/icons/hicolor/${size}x${size}/apps ${_sys})
  endif()
endforeach()
if(_icons)
  add_custom_target(tavi_icons ALL DEPENDS ${_icons})
else()
  message(STATUS "rsvg-convert not found (librsvg2-bin): the icon is installed at 256x256 only")
  install(FILES app/pics/tavi.png DESTINATION share/icons/hicolor/256x256/apps)
  install(FILES app/pics/tavi.png DESTINATION share/icons/hicolor/256x256/apps ${_sys})
endif()
install(FILES app/pics/tavi.svg DESTINATION share/icons/hicolor/scalable/apps)
install(FILES app/pics/tavi.svg DESTINATION share/icons/hicolor/scalable/apps ${_sys})

# The program's own copy of Qt's Chinese texts, read before the system's. The system
# installation reads the system's (the package depends on it).
set(_tavi_qm "${QT6_INSTALL_PREFIX}/${QT6_INSTALL_TRANSLATIONS}/qtbase_zh_CN.qm")
if(EXISTS "${_tavi_qm}")
  install(FILES "${_tavi_qm}" DESTINATION ${TAVI_INSTALL_DIR}/translations)
endif()
# What that catalogue lacks, in both installations.
install(FILES ${TAVI_QT_QM} DESTINATION ${TAVI_INSTALL_DIR}/translations)
install(FILES ${TAVI_QT_QM} DESTINATION share/tavi/translations ${_sys})
