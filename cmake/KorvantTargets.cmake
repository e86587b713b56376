# How the build declares its parts: one call per library, one per test executable.
#
# korvant_library(NAME [STATIC|MODULE] SOURCES files... [LINKS targets...]
#                 [PRIVATE_LINKS targets...] [DEFINITIONS defs...])
#   A library from the folder it is declared in. The headers among its SOURCES are its
#   public headers: they, and only they, are included by their path below src/
#   ("platform/gst/playlist.h"), by the library itself and by whatever links it. A part
#   that includes a header of a library it does not link fails to build, so every
#   dependency is written down where it is taken. LINKS are public (their headers are
#   part of this library's interface), PRIVATE_LINKS are not.
#
# korvant_test(NAME SOURCES files... [LINKS targets...] [DEFINITIONS defs...]
#              [PROPERTIES ctest properties...])
#   A GoogleTest executable with the shared test entry point and fakes, whose tests are
#   discovered when they run (so that building needs no display).

function(korvant_library name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "STATIC;MODULE" ""
                        "SOURCES;LINKS;PRIVATE_LINKS;DEFINITIONS")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "korvant_library(${name}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  if(arg_MODULE)
    add_library(${name} MODULE ${arg_SOURCES})
    # Only the maker is exported; the static libraries inside stay private to the module,
    # which the program finds in its own folder.
    target_link_options(${name} PRIVATE "LINKER:--exclude-libs,ALL")
    set_target_properties(${name} PROPERTIES
      LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin
      PREFIX ""
      CXX_VISIBILITY_PRESET hidden
      VISIBILITY_INLINES_HIDDEN ON)
  else()
    add_library(${name} STATIC ${arg_SOURCES})
  endif()

  # The public headers, each linked under its path below src/ into a folder of this
  # library's own.
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR}/src ${CMAKE_CURRENT_SOURCE_DIR})
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${root})
  file(MAKE_DIRECTORY ${root}/${folder})
  foreach(source ${arg_SOURCES})
    if(source MATCHES "\\.h$")
      get_filename_component(header ${source} ABSOLUTE)
      get_filename_component(header_name ${source} NAME)
      file(CREATE_LINK ${header} ${root}/${folder}/${header_name} SYMBOLIC)
    endif()
  endforeach()
  if(arg_MODULE)
    target_include_directories(${name} PRIVATE ${root})
  else()
    target_include_directories(${name} PUBLIC ${root})
  endif()

  if(arg_MODULE)
    target_link_libraries(${name} PRIVATE ${arg_LINKS} ${arg_PRIVATE_LINKS} korvant_warnings)
  else()
    target_link_libraries(${name} PUBLIC ${arg_LINKS} PRIVATE ${arg_PRIVATE_LINKS}
                                                              korvant_warnings)
  endif()
  if(arg_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
  endif()
endfunction()

function(korvant_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LINKS;DEFINITIONS;PROPERTIES")
  if(arg_UNPARSED_ARGUMENTS)
    message(FATAL_ERROR "korvant_test(${name}): unknown arguments ${arg_UNPARSED_ARGUMENTS}")
  endif()
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE ${arg_LINKS} korvant_test_main korvant_warnings)
  if(arg_DEFINITIONS)
    target_compile_definitions(${name} PRIVATE ${arg_DEFINITIONS})
  endif()
  if(arg_PROPERTIES)
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ${arg_PROPERTIES})
  else()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
  endif()
endfunction()
