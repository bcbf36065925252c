# Makes the two release files, the same bytes from the same inputs:
#   OUT_DIR/NAME.zip        pumpcalc.exe, pumpcalc-cli.exe, README.txt, LICENSE: fixed order,
#                           one date (EPOCH_FILE's seconds), permissions 0644, no owner;
#   OUT_DIR/NAME-setup.exe  the NSIS installer of the same four files.
#   cmake -DSETTINGS=file -DSTAGE=folder -DOUT_DIR=folder [-DSIGN=program] -P release.cmake
# SETTINGS is the release-settings.cmake that packaging/CMakeLists.txt writes into the build:
# the programs, texts, version and tools. STAGE is emptied and receives the four files.
# SIGN, when given, is a program that signs the Windows program named by its one argument in
# place (tools/sign-file): it signs both programs before they are packed, the uninstaller
# before it goes into the installer, and the installer.
foreach(var SETTINGS STAGE OUT_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "release.cmake: ${var} not given")
  endif()
endforeach()
include(${SETTINGS})
file(STRINGS ${EPOCH_FILE} epoch LIMIT_COUNT 1)

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE})
file(COPY_FILE ${UI_PROGRAM} ${STAGE}/pumpcalc.exe)
file(COPY_FILE ${CLI_PROGRAM} ${STAGE}/pumpcalc-cli.exe)
if(SIGN)
  foreach(program pumpcalc.exe pumpcalc-cli.exe)
    execute_process(COMMAND ${SIGN} ${STAGE}/${program} RESULT_VARIABLE failed)
    if(failed)
      message(FATAL_ERROR "${program} was not signed")
    endif()
  endforeach()
endif()

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
set(zip ${OUT_DIR}/${NAME}.zip)
file(REMOVE ${zip})
file(MAKE_DIRECTORY ${OUT_DIR})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC LC_ALL=C
                        ${ZIP_PROGRAM} -X -D -q -9 ${zip} ${files}
                WORKING_DIRECTORY ${STAGE} COMMAND_ERROR_IS_FATAL ANY)

set(sign_define)
if(SIGN)
  set(sign_define -DSIGN=${SIGN})
endif()
execute_process(COMMAND ${MAKENSIS} -V2 -WX -INPUTCHARSET UTF8
                        -DVERSION=${VERSION} -DVERSION_QUAD=${VERSION_QUAD}
                        -DPUBLISHER=${PUBLISHER} -DCOPYRIGHT=${COPYRIGHT}
                        -DSTAGE=${STAGE} -DOUT_FILE=${OUT_DIR}/${NAME}-setup.exe ${sign_define}
                        ${INSTALLER_SCRIPT}
                RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "makensis failed: no ${NAME}-setup.exe")
endif()
