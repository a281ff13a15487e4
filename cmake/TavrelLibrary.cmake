# tavrel_library(NAME DEPS ...)
# One static library per subsystem: sources are the .cpp files of src/<name>/, the public
# headers live in src/<name>/include/<name>/. A library sees only the headers of the
# libraries it links, so the dependency direction is enforced by the build.
function(tavrel_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/include/${name}/*.h)
  add_library(tavrel_${name} STATIC ${sources} ${headers})
  target_include_directories(tavrel_${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include)
  target_link_libraries(tavrel_${name} PUBLIC ${ARG_DEPS})
  add_library(tavrel::${name} ALIAS tavrel_${name})
endfunction()
