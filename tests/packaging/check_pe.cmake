# Checks that each program in PROGRAMS (a list) has the properties that let two builds in two
# folders give the same bytes: a PE header TimeDateStamp of 0, and none of the folders in
# FORBIDDEN (a list: the source and build folders) written into it, as ASCII or UTF-16.
#   cmake -DPROGRAMS=a.exe;b.exe -DFORBIDDEN=/src;/src/build -P check_pe.cmake
cmake_minimum_required(VERSION 3.25)

foreach(program IN LISTS PROGRAMS)
  file(READ ${program} hex HEX)
  # e_lfanew at 0x3c, little-endian, points at "PE\0\0"; TimeDateStamp is 8 bytes after it.
  string(SUBSTRING "${hex}" 120 8 lfanew)
  string(REGEX REPLACE "(..)(..)(..)(..)" "\\4\\3\\2\\1" lfanew "${lfanew}")
  math(EXPR at "0x${lfanew} * 2")
  string(SUBSTRING "${hex}" ${at} 24 header)
  if(NOT header MATCHES "^50450000........00000000$")
    message(SEND_ERROR "${program}: PE header '${header}' has a TimeDateStamp "
                       "(link with --no-insert-timestamp) or is no PE header")
  endif()
  foreach(folder IN LISTS FORBIDDEN)
    string(HEX "${folder}" ascii)
    string(REGEX REPLACE "(..)" "\\100" utf16 "${ascii}")
    foreach(form ascii utf16)
      string(FIND "${hex}" "${${form}}" found)
      if(NOT found EQUAL -1)
        message(SEND_ERROR "${program}: contains the build path ${folder} (${form})")
      endif()
    endforeach()
  endforeach()
endforeach()
