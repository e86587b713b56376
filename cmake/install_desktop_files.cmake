# Install-time half of KorvantInstall.cmake: lays Dornel without replacing the user's
# files, and writes the launcher (whose Exec names the installed program by its absolute
# path, known only once the prefix is) with the icons and the metainfo. Every file
# written here except Dornel's goes through file(INSTALL), so it is listed in the
# install manifest that uninstalling goes by.

set(appdir "${CMAKE_INSTALL_PREFIX}/${KORVANT_INSTALL_APPDIR}")
if(IS_ABSOLUTE "${KORVANT_INSTALL_APPDIR}")
  set(appdir "${KORVANT_INSTALL_APPDIR}")
endif()
if(DEFINED ENV{KORVANT_INSTALL_DATA_HOME} AND NOT "$ENV{KORVANT_INSTALL_DATA_HOME}" STREQUAL "")
  set(datahome "$ENV{KORVANT_INSTALL_DATA_HOME}")
else()
  set(datahome "${CMAKE_INSTALL_PREFIX}/share")
endif()
foreach(path appdir datahome)
  if(NOT IS_ABSOLUTE "${${path}}")
    message(FATAL_ERROR "Install folder is not an absolute path: ${${path}}")
  endif()
endforeach()
set(program "${appdir}/korvant")

# Dornel: the user's data. Only files that are missing are copied.
set(data "$ENV{DESTDIR}${appdir}/Dornel")
file(MAKE_DIRECTORY "${data}")
file(GLOB delivered RELATIVE "${KORVANT_DATA_SOURCE}" "${KORVANT_DATA_SOURCE}/*")
foreach(name ${delivered})
  if(EXISTS "${data}/${name}")
    message(STATUS "Kept: ${data}/${name}")
  else()
    file(COPY "${KORVANT_DATA_SOURCE}/${name}" DESTINATION "${data}")
    message(STATUS "Seeded: ${data}/${name}")
  endif()
endforeach()
execute_process(COMMAND test -w "${data}" RESULT_VARIABLE not_writable)
if(NOT not_writable EQUAL 0 OR "${appdir}" MATCHES "^/(usr|opt)/")
  message(WARNING "${data} is not in the user's own folders: the program keeps its settings, "
                  "favourites and links there, and only a user who may write it can save them.")
endif()

# The launcher. Exec quotes the path (it may hold spaces) and escapes what the launcher
# format reserves inside quotes; the file's own string escaping then doubles backslashes.
string(REPLACE "\\" "\\\\" quoted "${program}")
foreach(reserved "\"" "`" "$")
  string(REPLACE "${reserved}" "\\${reserved}" quoted "${quoted}")
endforeach()
string(REPLACE "%" "%%" quoted "${quoted}")
string(REPLACE "\\" "\\\\" quoted "${quoted}")
set(KORVANT_EXEC "\"${quoted}\"")
string(REPLACE "\\" "\\\\" KORVANT_TRYEXEC "${program}")
set(staging "${CMAKE_CURRENT_BINARY_DIR}/korvant-install-staging")
file(REMOVE_RECURSE "${staging}")
configure_file("${KORVANT_DESKTOP_SOURCE}/korvant.desktop.in"
               "${staging}/${KORVANT_APP_ID}.desktop" @ONLY)
configure_file("${KORVANT_DESKTOP_SOURCE}/korvant.metainfo.xml.in"
               "${staging}/${KORVANT_APP_ID}.metainfo.xml" @ONLY)
file(INSTALL "${staging}/${KORVANT_APP_ID}.desktop"
     DESTINATION "${datahome}/applications")
file(INSTALL "${staging}/${KORVANT_APP_ID}.metainfo.xml"
     DESTINATION "${datahome}/metainfo")

foreach(size 16 22 24 32 48 64 128 256)
  configure_file("${KORVANT_DESKTOP_SOURCE}/icons/korvant-${size}.png"
                 "${staging}/${size}/${KORVANT_APP_ID}.png" COPYONLY)
  file(INSTALL "${staging}/${size}/${KORVANT_APP_ID}.png"
       DESTINATION "${datahome}/icons/hicolor/${size}x${size}/apps")
endforeach()
configure_file("${KORVANT_DESKTOP_SOURCE}/icons/korvant.svg"
               "${staging}/scalable/${KORVANT_APP_ID}.svg" COPYONLY)
file(INSTALL "${staging}/scalable/${KORVANT_APP_ID}.svg"
     DESTINATION "${datahome}/icons/hicolor/scalable/apps")
file(REMOVE_RECURSE "${staging}")
