; The Windows installer: Veltra.exe and veltra-cli.exe in Program Files for all users, a
; Start-menu shortcut, and an uninstaller registered in Add/Remove Programs. /S installs and
; uninstalls without questions. scripts/package runs it as
;   makensis -DVERSION=1.2.3.4 -DBITS=64|32 -DSTAGE=folder -DICON=Veltra.ico -DOUTFILE=setup.exe
Unicode true
!if ${BITS} == 64
  Target amd64-unicode
!endif

!include "FileFunc.nsh"
!include "MUI2.nsh"
!include "x64.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Veltra"

Name "Veltra ${VERSION}"
OutFile "${OUTFILE}"
; The window asks for administrator rights anyway; the installer writes for all users.
RequestExecutionLevel admin
!if ${BITS} == 64
  InstallDir "$PROGRAMFILES64\Veltra"
!else
  InstallDir "$PROGRAMFILES\Veltra"
!endif
SetCompressor /SOLID lzma

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "Veltra"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Veltra ${VERSION} installer"
VIAddVersionKey "LegalCopyright" "The Veltra developers, MIT licence"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro ForThisWindows
  !if ${BITS} == 64
    ${IfNot} ${RunningX64}
      MessageBox MB_ICONSTOP "This is the installer for 64-bit Windows; use the 32-bit one." /SD IDOK
      Abort
    ${EndIf}
    SetRegView 64
  !endif
  SetShellVarContext all
!macroend

Function .onInit
  !insertmacro ForThisWindows
FunctionEnd

Function un.onInit
  !insertmacro ForThisWindows
FunctionEnd

Section
  SetOutPath "$INSTDIR"
  File "${STAGE}\Veltra.exe"
  File "${STAGE}\veltra-cli.exe"
  File "${STAGE}\README.txt"
  File "${STAGE}\LICENSE.txt"
  File "${STAGE}\THIRD-PARTY-NOTICES.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Veltra.lnk" "$INSTDIR\Veltra.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Veltra"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Veltra developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Veltra.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Only what the installer put there goes: the folder may hold files of the user's.
Section "Uninstall"
  Delete "$SMPROGRAMS\Veltra.lnk"
  Delete "$INSTDIR\Veltra.exe"
  Delete "$INSTDIR\veltra-cli.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY-NOTICES.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
