; The Windows installer: the unpacked zip folder into Program Files, a Start
; menu entry and an uninstaller that Windows lists. German throughout; /S
; installs without asking. scripts/windows/package passes VERSION, SOURCE
; (the folder to install), LICENSE, OUTFILE and UNINSTALL (an include file
; that removes exactly the files and folders of SOURCE, so an install into
; a folder that held other files takes only its own away).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "x64.nsh"

!define APPNAME "pulsakor"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APPNAME}"

Name "${APPNAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APPNAME}"
InstallDirRegKey HKLM "Software\${APPNAME}" "InstallDir"
RequestExecutionLevel admin
BrandingText "${APPNAME} ${VERSION}"

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\pulsakor.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\LIESMICH.txt"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

Section "pulsakor"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File /r "${SOURCE}\*.*"
  WriteUninstaller "$INSTDIR\Deinstallieren.exe"
  CreateDirectory "$SMPROGRAMS\${APPNAME}"
  CreateShortcut "$SMPROGRAMS\${APPNAME}\pulsakor.lnk" "$INSTDIR\pulsakor.exe"
  CreateShortcut "$SMPROGRAMS\${APPNAME}\pulsakor deinstallieren.lnk" "$INSTDIR\Deinstallieren.exe"
  WriteRegStr HKLM "Software\${APPNAME}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${APPNAME} ${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "The pulsakor developers"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\pulsakor.exe"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\Deinstallieren.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\Deinstallieren.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
SectionEnd

Function .onInit
  SetRegView 64
FunctionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

; The settings files (pulsakor.ini in TEMP, pulsakor.cfg beside the user's
; files) and everything the user made stay.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${APPNAME}\pulsakor.lnk"
  Delete "$SMPROGRAMS\${APPNAME}\pulsakor deinstallieren.lnk"
  RMDir "$SMPROGRAMS\${APPNAME}"
  !include "${UNINSTALL}"
  Delete "$INSTDIR\Deinstallieren.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTKEY}"
  DeleteRegKey HKLM "Software\${APPNAME}"
SectionEnd
