# Version resource and application manifest of the Windows programs.
#
#   pumpcalc_windows_resources(TARGET DESCRIPTION text [MANIFEST file])
#
# configures cmake/version.rc.in for the target (FileVersion and ProductVersion from the
# project version, the description, the file name) and adds it to the target's sources,
# with the manifest (default: packaging/TARGET.manifest) embedded as RT_MANIFEST 1. Does
# nothing in builds for other systems.
set(PUMPCALC_PUBLISHER "pumpcalc contributors")
set(PUMPCALC_COPYRIGHT "Copyright (c) 2026 pumpcalc contributors")

# The project version as the four numbers of Windows' fixed version fields (missing
# components are 0): 0.1 is 0.1.0.0.
set(PUMPCALC_VERSION_NUMBERS)
foreach(part MAJOR MINOR PATCH TWEAK)
  if("${PROJECT_VERSION_${part}}" STREQUAL "")
    list(APPEND PUMPCALC_VERSION_NUMBERS 0)
  else()
    list(APPEND PUMPCALC_VERSION_NUMBERS ${PROJECT_VERSION_${part}})
  endif()
endforeach()
list(JOIN PUMPCALC_VERSION_NUMBERS "." PUMPCALC_VERSION_QUAD)

function(pumpcalc_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(ARG "" "DESCRIPTION;MANIFEST" "" ${ARGN})
  if(NOT ARG_DESCRIPTION)
    message(FATAL_ERROR "pumpcalc_windows_resources(${target}): no DESCRIPTION")
  endif()
  if(NOT ARG_MANIFEST)
    set(ARG_MANIFEST ${PROJECT_SOURCE_DIR}/packaging/${target}.manifest)
  endif()
  list(JOIN PUMPCALC_VERSION_NUMBERS "," PUMPCALC_RC_VERSION_COMMAS)
  set(PUMPCALC_RC_TARGET ${target})
  set(PUMPCALC_RC_FILE_NAME ${target}${CMAKE_EXECUTABLE_SUFFIX})
  set(PUMPCALC_RC_DESCRIPTION ${ARG_DESCRIPTION})
  set(PUMPCALC_RC_MANIFEST ${ARG_MANIFEST})

  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${rc} @ONLY)
  # windres reads the manifest; the build does not see that through the .rc file.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${ARG_MANIFEST})
  target_sources(${target} PRIVATE ${rc})
endfunction()
