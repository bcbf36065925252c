; The pumpcalc installer. packaging/CMakeLists.txt builds it from the staged release files:
;   makensis -INPUTCHARSET UTF8 -DVERSION=0.1 -DVERSION_QUAD=0.1.0.0 -DPUBLISHER=...
;            -DCOPYRIGHT=... -DSTAGE=folder -DOUT_FILE=setup.exe [-DSIGN=program] installer.nsi
; SIGN, when given, signs a Windows program in place (tools/sign-file): the uninstaller before
; it is stored in the installer, then the installer itself. A failed signing fails the build.
;
; Per-user by default, without administrator rights, into %LOCALAPPDATA%\Programs\pumpcalc
; with the entries in HKCU; per-machine, into Program Files with the entries in HKLM, when
; it runs elevated. /CurrentUser and /AllUsers choose the mode; /S installs silently and
; /D=folder (the last argument, unquoted) chooses the folder.
;
; The uninstaller removes exactly what the installer wrote: the named files, the folder
; if nothing else is left in it, the Start-menu shortcut and the uninstall entry.

!ifdef VERSION & VERSION_QUAD & PUBLISHER & COPYRIGHT & STAGE & OUT_FILE
!else
  !error "VERSION, VERSION_QUAD, PUBLISHER, COPYRIGHT, STAGE and OUT_FILE must be defined"
!endif

Unicode true
; A 64-bit installer: it installs a 64-bit program, reaches the 64-bit registry and Program
; Files without redirection, and runs under the 64-bit Wine the tests use.
Target amd64-unicode
SetCompressor /SOLID lzma
; No file times in the installer, so that the same files always make the same installer.
SetDateSave off
RequestExecutionLevel user
ManifestSupportedOS all

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\pumpcalc"
!define SHORTCUT "泵功率的计算.lnk"
; ERROR_ELEVATION_REQUIRED: the exit code when per-machine work lacks the rights.
!define EXIT_NEEDS_ADMIN 740

Name "pumpcalc ${VERSION}"
OutFile "${OUT_FILE}"
!ifdef SIGN
  !uninstfinalize '"${SIGN}" "%1"' = 0
  !finalize '"${SIGN}" "%1"' = 0
!endif
; Left empty: .onInit chooses the folder of the install mode unless /D= gave one.
InstallDir ""
BrandingText "pumpcalc ${VERSION}"

; "1" when installing (or uninstalling) for all users.
Var AllUsers

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\pumpcalc.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one used when the user's UI language is neither.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString NeedsAdmin ${LANG_ENGLISH} \
  "Installing or removing pumpcalc for all users needs administrator rights. Run this program as administrator."
LangString NeedsAdmin ${LANG_SIMPCHINESE} \
  "为所有用户安装或卸载 pumpcalc 需要管理员权限。请以管理员身份运行本程序。"

VIProductVersion ${VERSION_QUAD}
VIFileVersion ${VERSION_QUAD}
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "pumpcalc"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "pumpcalc ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} ProductName "pumpcalc"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} ProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} FileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} FileDescription "pumpcalc ${VERSION} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} LegalCopyright "${COPYRIGHT}"

; Ends the installer or uninstaller with EXIT_NEEDS_ADMIN unless it runs elevated.
!macro REQUIRE_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_OK|MB_ICONSTOP "$(NeedsAdmin)" /SD IDOK
    SetErrorLevel ${EXIT_NEEDS_ADMIN}
    Quit
  ${EndIf}
!macroend

Function .onInit
  ; Elevated (an administrator's full token) means per-machine, unless told otherwise.
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers ""
  ${EndIf}
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/CurrentUser" $2
  ${IfNot} ${Errors}
    StrCpy $AllUsers ""
  ${EndIf}
  ClearErrors
  ${GetOptions} $1 "/AllUsers" $2
  ${IfNot} ${Errors}
    !insertmacro REQUIRE_ADMIN
    StrCpy $AllUsers 1
  ${EndIf}

  ${If} $AllUsers == 1
    SetShellVarContext all
    ${If} $INSTDIR == ""
      StrCpy $INSTDIR "$PROGRAMFILES64\pumpcalc"
    ${EndIf}
  ${Else}
    SetShellVarContext current
    ${If} $INSTDIR == ""
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\pumpcalc"
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "pumpcalc"
  SetOutPath "$INSTDIR"
  File "${STAGE}/pumpcalc.exe"
  File "${STAGE}/pumpcalc-cli.exe"
  File "${STAGE}/README.txt"
  File "${STAGE}/LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; $SMPROGRAMS and SHCTX follow SetShellVarContext: the user's or everyone's.
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\pumpcalc.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "pumpcalc 泵功率的计算"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\pumpcalc.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as Windows shows it; the files of this section (the uninstaller is small).
  SectionGetSize 0 $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  ; The installation this uninstaller belongs to is per-machine when the machine-wide entry
  ; names its folder.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    !insertmacro REQUIRE_ADMIN
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Delete "$INSTDIR\pumpcalc.exe"
  Delete "$INSTDIR\pumpcalc-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\uninstall.exe"
  ; Not /r: a file that the user put into the folder stays, and so does the folder.
  RMDir "$INSTDIR"

  ; The shortcut and the entry, unless they belong to another installation in another
  ; folder (installed later, over this one's entry).
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
  ${OrIf} $0 == ""
    Delete "$SMPROGRAMS\${SHORTCUT}"
    ; Last, so that a missing entry tells that everything else is done.
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ${EndIf}
SectionEnd
