; The Windows installer of Zentrova (NSIS): a per-user installation without
; administrator rights into %LOCALAPPDATA%\Programs\Zentrova, a Start-menu
; entry, and an uninstaller that Windows lists under its installed programs.
;   makensis -DSTAGE=folder -DOUTFILE=Zentrova-4.0-setup.exe -DVERSION=4.0 -DICON=zentrova.ico zentrova.nsi
; The stage folder holds the portable copy; files.nsh (in it, made by
; scripts/windows.sh) names its files for the uninstaller.
; A 64-bit installer, as the program is (and Wine without 32-bit support runs it).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zentrova"

Name "Zentrova ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Zentrova"
InstallDirRegKey HKCU "Software\Zentrova" "InstallDir"
BrandingText "Zentrova ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\zentrova.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Spanish"

Section "Zentrova"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File /r /x files.nsh "${STAGE}\*.*"
  ; The uninstaller beside the program also tells the program that it is
  ; installed: its notebooks go to Documents\Cuadernos.
  WriteUninstaller "$INSTDIR\desinstalar.exe"
  CreateShortcut "$SMPROGRAMS\Zentrova.lnk" "$INSTDIR\zentrova.exe" "" "$INSTDIR\zentrova.exe" 0
  WriteRegStr HKCU "Software\Zentrova" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Zentrova ${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Equipo Zentrova"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zentrova.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\desinstalar.exe"'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  ; Only the files the installer put there: notebooks are never in it.
  !include "${STAGE}\files.nsh"
  Delete "$INSTDIR\desinstalar.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Zentrova.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegValue HKCU "Software\Zentrova" "InstallDir"
SectionEnd
