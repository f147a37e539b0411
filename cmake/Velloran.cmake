# Small helpers so that every subsystem folder declares its targets the same way.
include_guard(GLOBAL)
include(GoogleTest)

# velloran_library(<name> GLOBS <patterns...> [DEPS <targets...>])
# A static library from the files the patterns match (relative to the calling folder).
# A library whose files do not exist yet is simply not defined.
function(velloran_library name)
  cmake_parse_arguments(ARG "" "" "GLOBS;DEPS" ${ARGN})
  set(patterns)
  foreach(p IN LISTS ARG_GLOBS)
    list(APPEND patterns "${CMAKE_CURRENT_SOURCE_DIR}/${p}")
  endforeach()
  file(GLOB srcs CONFIGURE_DEPENDS ${patterns})
  if(NOT srcs)
    return()
  endif()
  add_library(${name} STATIC ${srcs})
  target_include_directories(${name} PUBLIC "${VELLORAN_SOURCE_ROOT}")
  target_link_libraries(${name} PUBLIC ${ARG_DEPS})
endfunction()

# velloran_test(<name> SOURCES <files...> [DEPS <targets...>] [ENV <VAR=value...>] [LABELS <labels...>])
# A GoogleTest executable whose cases are discovered when ctest runs.
function(velloran_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;DEPS;ENV;LABELS" ${ARGN})
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE "${VELLORAN_SOURCE_ROOT}" "${CMAKE_SOURCE_DIR}/tests")
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  # Empty values would vanish from the property list and shift every pair after them.
  set(props TIMEOUT ${ARG_TIMEOUT})
  if(ARG_ENV)
    list(JOIN ARG_ENV "\\;" env)
    list(APPEND props ENVIRONMENT "${env}")
  endif()
  if(ARG_LABELS)
    list(JOIN ARG_LABELS "\\;" labels)
    list(APPEND props LABELS "${labels}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES ${props})
endfunction()
