; The Windows installer: tintora.exe into Program Files, a Start-menu entry,
; an uninstaller and the program's entry in the system's list of programs.
; "/S" installs and uninstalls without asking. The build passes:
;   makensis -DVERSION=1.0.0 -DPROGRAM=path\tintora.exe -DICON=path\tintora.ico
;            -DOUTFILE=path\tintora-1.0.0-setup.exe tintora.nsi
Unicode true
; A 32-bit installer fails under a 64-bit system without a 32-bit layer.
Target amd64-unicode
SetCompressor /SOLID lzma
; The files keep no time of the build: the same sources give the same installer.
SetDateSave off

!include "MUI2.nsh"
!include "x64.nsh"

!define KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tintora"

Name "Tintora"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tintora"
InstallDirRegKey HKLM "${KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true
BrandingText "Tintora ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Tintora"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Tintora ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "Tintora developers"
VIAddVersionKey /LANG=0 "LegalCopyright" "MIT License, the Tintora developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\tintora.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The system's language picks the installer's: Japanese, or else English.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File "/oname=tintora.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Tintora.lnk" "$INSTDIR\tintora.exe"
  WriteRegStr HKLM "${KEY}" "DisplayName" "Tintora"
  WriteRegStr HKLM "${KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${KEY}" "Publisher" "Tintora developers"
  WriteRegStr HKLM "${KEY}" "DisplayIcon" "$INSTDIR\tintora.exe,0"
  WriteRegStr HKLM "${KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${KEY}" "NoRepair" 1
  ; What the list of programs shows as its size, in KiB.
  FileOpen $0 "$INSTDIR\tintora.exe" r
  FileSeek $0 0 END $1
  FileClose $0
  IntOp $1 $1 / 1024
  WriteRegDWORD HKLM "${KEY}" "EstimatedSize" $1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Tintora.lnk"
  Delete "$INSTDIR\tintora.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${KEY}"
SectionEnd
