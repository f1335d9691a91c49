; SPDX-License-Identifier: GPL-3.0-or-later
; Quorvel's Windows installer: the portable folder into Program Files, an entry in the Start
; menu for all users, and an uninstaller (also listed in the system's "Apps"). It associates no
; file types. scripts/build-windows.sh builds it:
;   makensis -INPUTCHARSET UTF8 -DVERSION=4.0 -DSOURCE_DIR=build-win/Quorvel
;     -DUNINSTALL_LIST=build-win/uninstall-files.nsh -DOUT_FILE=setup.exe quorvel.nsi
; UNINSTALL_LIST removes exactly the files SOURCE_DIR holds, so nothing else in the install
; folder is ever deleted.
Unicode true
!include MUI2.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quorvel"
!define SHORTCUT "$SMPROGRAMS\Quorvel.lnk"

Name "Quorvel ${VERSION}"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES64\Quorvel"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "Quorvel は 64 ビット版の Windows で動きます。"
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File /r "${SOURCE_DIR}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "${SHORTCUT}" "$INSTDIR\quorvel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Quorvel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quorvel developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quorvel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section Uninstall
  Delete "${SHORTCUT}"
  !include "${UNINSTALL_LIST}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
