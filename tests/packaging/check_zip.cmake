# Checks the release ZIP as a user unpacks it: exactly pumpcalc.exe, pumpcalc-cli.exe,
# README.txt and LICENSE in that order, the programs of this build, and texts that Notepad
# shows on any Windows (CRLF line ends; README.txt with the UTF-8 byte order mark).
#   cmake -DZIP=file.zip -DUI_PROGRAM=pumpcalc.exe -DCLI_PROGRAM=pumpcalc-cli.exe
#         -DWORK=folder -P check_zip.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP}
                OUTPUT_VARIABLE listing COMMAND_ERROR_IS_FATAL ANY)
string(REGEX REPLACE "\r?\n$" "" listing "${listing}")
string(REGEX REPLACE "\r?\n" ";" names "${listing}")
if(NOT names STREQUAL "pumpcalc.exe;pumpcalc-cli.exe;README.txt;LICENSE")
  message(SEND_ERROR "${ZIP} holds '${names}'")
endif()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${ZIP}
                WORKING_DIRECTORY ${WORK} COMMAND_ERROR_IS_FATAL ANY)
foreach(pair "pumpcalc.exe;${UI_PROGRAM}" "pumpcalc-cli.exe;${CLI_PROGRAM}")
  list(GET pair 0 name)
  list(GET pair 1 built)
  file(SHA256 ${WORK}/${name} packed)
  file(SHA256 ${built} expected)
  if(NOT packed STREQUAL expected)
    message(SEND_ERROR "${name} in the ZIP is not the one built (${built})")
  endif()
endforeach()

# (As hex bytes, "0d 0a ...": file(READ) as text drops the CRs.)
foreach(text README.txt LICENSE)
  file(READ ${WORK}/${text} hex HEX)
  string(REGEX REPLACE "(..)" "\\1 " bytes "${hex}")
  string(REPLACE "0d 0a " "" rest "${bytes}")
  if(rest MATCHES "(^| )0[ad] " OR NOT bytes MATCHES "0d 0a $")
    message(SEND_ERROR "${text}: not every line ends with CR LF")
  endif()
endforeach()
file(READ ${WORK}/README.txt start HEX LIMIT 3)
if(NOT start STREQUAL "efbbbf")
  message(SEND_ERROR "README.txt does not start with the UTF-8 byte order mark")
endif()
file(REMOVE_RECURSE ${WORK})
