# Install rules: one folder of the program's own (the program, its modules beside it and
# its data folder Dornel), plus the desktop's launcher, icons and AppStream metainfo.
#
#   cmake --install BUILD --prefix ~/.local
#     ~/.local/opt/korvant-lite/{korvant,korvant_gst.so,korvant_web.so,
#                                korvant_directory.so,Dornel/}
#     ~/.local/share/applications/<id>.desktop, share/icons/hicolor/*/apps/<id>.{png,svg},
#     ~/.local/share/metainfo/<id>.metainfo.xml
#
# The program keeps its data in Dornel beside the program file and writes there, so the
# rules are meant for a prefix the user owns (~/.local, or a staging DESTDIR that is then
# handed to one user). Under a system prefix the folder would belong to root; the install
# says so rather than failing, and the program reports each file it cannot save.
#
# The launcher's data can go somewhere other than PREFIX/share: an install with
# KORVANT_INSTALL_DATA_HOME set in its environment (tools/korvant.sh sets it from
# XDG_DATA_HOME) puts applications/, icons/ and metainfo/ there instead.
#
# Reinstalling over an earlier install never replaces a file already in Dornel: those
# are the user's settings, favourites and links.

set(KORVANT_INSTALL_APPDIR "opt/korvant-lite" CACHE STRING
    "Folder, under the install prefix, of the program, its modules and its data folder")

# The application id and name live in one place, the program's own header. On X11 the
# toolkit names the window's class after the application name, which is what the
# launcher's StartupWMClass has to match.
file(STRINGS ${PROJECT_SOURCE_DIR}/src/common/application_id.h korvant_id_lines
     REGEX "kApplication(Id|Name) = \"[^\"]+\"")
foreach(line ${korvant_id_lines})
  if(line MATCHES "kApplicationId = \"([^\"]+)\"")
    set(KORVANT_APP_ID "${CMAKE_MATCH_1}")
  elseif(line MATCHES "kApplicationName = \"([^\"]+)\"")
    set(KORVANT_WMCLASS "${CMAKE_MATCH_1}")
  endif()
endforeach()
if(NOT KORVANT_APP_ID MATCHES "^[A-Za-z][A-Za-z0-9_-]*(\\.[A-Za-z][A-Za-z0-9_-]*)+$"
   OR NOT KORVANT_WMCLASS)
  message(FATAL_ERROR "No application id and name found in src/common/application_id.h")
endif()

install(TARGETS korvant RUNTIME DESTINATION ${KORVANT_INSTALL_APPDIR})
install(TARGETS korvant_gst korvant_web korvant_directory
        LIBRARY DESTINATION ${KORVANT_INSTALL_APPDIR})

set(korvant_desktop_dir ${PROJECT_SOURCE_DIR}/data/desktop)
install(CODE "
  set(KORVANT_APP_ID \"${KORVANT_APP_ID}\")
  set(KORVANT_APP_VERSION \"${PROJECT_VERSION}\")
  set(KORVANT_INSTALL_APPDIR \"${KORVANT_INSTALL_APPDIR}\")
  set(KORVANT_DESKTOP_SOURCE \"${korvant_desktop_dir}\")
  set(KORVANT_DATA_SOURCE \"${PROJECT_SOURCE_DIR}/data/Dornel\")
  set(KORVANT_WMCLASS \"${KORVANT_WMCLASS}\")
  include(\"${PROJECT_SOURCE_DIR}/cmake/install_desktop_files.cmake\")
")
