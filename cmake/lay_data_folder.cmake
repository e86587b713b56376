# Lays the delivered data files into the program's data folder, leaving alone any file
# already there: those are the user's saved settings, favourites and links.
#   cmake -DSOURCE=<delivered folder> -DDEST=<program folder>/Dornel -P lay_data_folder.cmake
file(MAKE_DIRECTORY "${DEST}")
file(GLOB delivered RELATIVE "${SOURCE}" "${SOURCE}/*")
foreach(name ${delivered})
  if(NOT EXISTS "${DEST}/${name}")
    file(COPY "${SOURCE}/${name}" DESTINATION "${DEST}")
  endif()
endforeach()
