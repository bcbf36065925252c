# GoogleTest from Debian's sources, built with whichever toolchain this tree uses.
set(PUMPCALC_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${PUMPCALC_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

include(GoogleTest)

# pumpcalc_add_gtest(NAME SOURCES... [LIBRARIES libs...])
# Natively every test case is its own CTest test, named as GoogleTest names it (a
# parameterized case by its name generator, without a dump of its parameter); under Wine
# each executable is one CTest test, since listing the cases would start every program once
# more.
function(pumpcalc_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} pumpcalc_test_main pumpcalc_warnings)
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    # The tests that show windows share one display, its focus and keyboard state.
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK pumpcalc_desktop)
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
  endif()
endfunction()
