# Checks that PROGRAM imports functions from no DLL but those in ALLOWED (a list; names
# compare without regard to case), as OBJDUMP -p lists its import table.
#   cmake -DOBJDUMP=x86_64-w64-mingw32-objdump -DPROGRAM=a.exe -DALLOWED=kernel32.dll;msvcrt.dll
#         -P check_imports.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM} OUTPUT_VARIABLE dump RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${OBJDUMP} -p ${PROGRAM} failed: ${result}")
endif()
string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
if(NOT imports)
  message(FATAL_ERROR "${PROGRAM}: no import table found")
endif()
string(TOLOWER "${ALLOWED}" allowed)
foreach(line IN LISTS imports)
  string(REGEX REPLACE "^DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" name)
  if(NOT name IN_LIST allowed)
    message(SEND_ERROR "${PROGRAM} imports ${dll}; it may import only ${ALLOWED}")
  endif()
endforeach()
