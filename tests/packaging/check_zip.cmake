# Checks the release ZIP as a user unpacks it: exactly pumpcalc.exe, pumpcalc-cli.exe,
# README.txt and LICENSE in that order, and texts that Notepad shows on any Windows: CRLF
# line ends, README.txt (Chinese) with the UTF-8 byte order mark.
#   cmake -DZIP=file.zip -DWORK=folder -P check_zip.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP}
                OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "\r?\n" ";" names "${listing}")
if(NOT names STREQUAL "pumpcalc.exe;pumpcalc-cli.exe;README.txt;LICENSE;")
  message(SEND_ERROR "${ZIP} holds '${names}'")
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP} README.txt LICENSE
                WORKING_DIRECTORY ${WORK} COMMAND_ERROR_IS_FATAL ANY)
foreach(text README.txt LICENSE)
  # As hex bytes, "0d 0a ...": file(READ) as text drops the CRs.
  file(READ ${WORK}/${text} hex HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
  string(REPLACE "0d 0a " "" rest "${bytes}")
  if(rest MATCHES "(^| )0[ad] " OR NOT bytes MATCHES "0d 0a $")
    message(SEND_ERROR "${text}: not every line ends with CR LF")
  endif()
  if(text STREQUAL "README.txt" AND NOT bytes MATCHES "^ef bb bf ")
    message(SEND_ERROR "README.txt does not start with the UTF-8 byte order mark")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
