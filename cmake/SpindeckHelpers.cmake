# spindeck_platform_library(NAME [LIBS ...]): a static library of every .cpp in the
# calling folder, registered so that the program's own code links it.
function(spindeck_platform_library name)
  cmake_parse_arguments(ARG "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  add_library(${name} STATIC ${sources})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_LIBS})
  set_property(GLOBAL APPEND PROPERTY SPINDECK_PLATFORM_LIBS ${name})
endfunction()
