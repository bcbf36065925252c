# Stages the four release files in STAGE and packs them into ZIP, the same bytes from the
# same inputs: fixed order, one date (EPOCH_FILE's seconds), permissions 0644, no owner.
# Run by packaging/CMakeLists.txt as cmake -D... -P stage.cmake.
foreach(var STAGE ZIP UI_PROGRAM CLI_PROGRAM README LICENSE EPOCH_FILE ZIP_PROGRAM TOUCH_PROGRAM)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "stage.cmake: ${var} not given")
  endif()
endforeach()
file(STRINGS ${EPOCH_FILE} epoch LIMIT_COUNT 1)

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(COPY_FILE ${UI_PROGRAM} ${STAGE}/pumpcalc.exe)
file(COPY_FILE ${CLI_PROGRAM} ${STAGE}/pumpcalc-cli.exe)

# Texts for Notepad on every Windows: CRLF line ends, and README.txt (Chinese) with the
# UTF-8 byte order mark, without which Notepad before Windows 10 1903 reads the ANSI code page.
function(write_windows_text source destination prefix)
  file(READ ${source} text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${destination} "${prefix}${text}")
endfunction()
string(ASCII 239 187 191 bom)
write_windows_text(${README} ${STAGE}/README.txt "${bom}")
write_windows_text(${LICENSE} ${STAGE}/LICENSE "")

set(files pumpcalc.exe pumpcalc-cli.exe README.txt LICENSE)
foreach(file IN LISTS files)
  file(CHMOD ${STAGE}/${file} PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()
execute_process(COMMAND ${TOUCH_PROGRAM} -d @${epoch} ${files}
                WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)

# -X: no owner, group or extra time fields; -D: no folder entries; the dates in the ZIP are
# local time, so UTC.
file(REMOVE ${ZIP})
get_filename_component(zip_dir ${ZIP} DIRECTORY)
file(MAKE_DIRECTORY ${zip_dir})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC LC_ALL=C
                        ${ZIP_PROGRAM} -X -D -q -9 ${ZIP} ${files}
                WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)
