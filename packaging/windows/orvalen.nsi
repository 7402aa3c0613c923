; SPDX-License-Identifier: GPL-3.0-or-later
; The Windows installer: one program for every user of the machine, in
; Program Files, with a Start-menu shortcut and an Add/Remove Programs entry.
; Built by the windows_installer target of the Windows build:
;   makensis -DVERSION=1.0.0 -DPROGRAM=orvalen.exe -DLICENSE=LICENSE -DOUTFILE=setup.exe
;            [-DICON=orvalen.ico] orvalen.nsi

!ifndef VERSION | PROGRAM | LICENSE | OUTFILE
  !error "Define VERSION, PROGRAM, LICENSE and OUTFILE"
!endif

; The default 32-bit stub installs nothing under a 64-bit Wine and still
; reports success; the program is 64-bit anyway.
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvalen"

Name "Orvalen"
Caption "Orvalen ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Orvalen"
RequestExecutionLevel admin

VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "Orvalen"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "Orvalen ${VERSION} Setup"
VIAddVersionKey CompanyName "Orvalen Team"
VIAddVersionKey LegalCopyright "Copyright (C) 2024 the Orvalen Team, GPL-3.0-or-later"

!include "MUI2.nsh"
!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
; No "Run Orvalen" box on the last page: it would start the program with
; the installer's administrator rights, and so copy with them.
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  ; The shortcut goes to every user's Start menu, the key to HKLM's 64-bit view.
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Orvalen"
  SetOutPath "$INSTDIR"
  File "/oname=orvalen.exe" "${PROGRAM}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Orvalen.lnk" "$INSTDIR\orvalen.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Orvalen"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Orvalen Team"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "https://orvalen.example.org/"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvalen.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Orvalen.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; Only the files this installer put there: the folder may have been
  ; chosen by hand and hold other things, so it goes only when empty.
  Delete "$INSTDIR\orvalen.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
