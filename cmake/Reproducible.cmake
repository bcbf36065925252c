# The same commit builds to the same bytes in any folder, at any time (tools/check-reproducible
# proves it; the test pe_reproducible checks the cheap part on every build):
# - no absolute build path in the objects: the source and build folders are written as "."
#   and "build" wherever the compiler records a file name (__FILE__, debug information);
#   the build folder's mapping comes last so that it wins over the source folder's, which
#   usually contains it;
# - no link time in the programs: the PE header's TimeDateStamp stays 0.
if(WIN32)
  add_compile_options(
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}=.>"
    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}=build>")
  add_link_options(-Wl,--no-insert-timestamp)
endif()
