; The pelto5 installer for Windows: a per-machine install into Program Files
; with a Start-menu entry, the ".pp5" file type and an uninstaller listed in
; Add/Remove Programs. Built by scripts/build-windows, which passes:
;
;   VERSION   the player's version (1.2.3)
;   ARCH      x86_64 or i686
;   STAGE     the folder whose files are installed
;   FILES     an .nsh file of File commands that install STAGE's files
;   UNFILES   an .nsh file of Delete/RMDir commands that remove exactly them
;   OUTFILE   the installer to write
;   ICON      the player's icon (.ico)
;   LICENSE   (optional) a licence text shown before installing
;
; Silent install and uninstall: setup.exe /S [/D=folder], uninstall.exe /S.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh

!define APP pelto5
!define PUBLISHER "pelto5 developers"
!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"
!define APPKEY "Software\${APP}"
!define FILETYPE "${APP}.package"
!define CLASSES "Software\Classes"
!define SHORTCUT "$SMPROGRAMS\${APP}.lnk"

Name "${APP}"
OutFile "${OUTFILE}"
!if "${ARCH}" == "x86_64"
InstallDir "$PROGRAMFILES64\${APP}"
!else
InstallDir "$PROGRAMFILES\${APP}"
!endif
InstallDirRegKey HKLM "${APPKEY}" "InstallDir"
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${APP}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\pelto5.exe"
!define MUI_FINISHPAGE_NOREBOOTSUPPORT

!insertmacro MUI_PAGE_WELCOME
!ifdef LICENSE
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!endif
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

; The 64-bit player needs 64-bit Windows, and its keys belong in the 64-bit
; registry view.
!macro PELTO5_VIEW
  SetShellVarContext all
!if "${ARCH}" == "x86_64"
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP|MB_OK "This build of ${APP} needs a 64-bit Windows." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
!endif
!macroend

Function .onInit
  !insertmacro PELTO5_VIEW
  !insertmacro MUI_LANGDLL_DISPLAY
FunctionEnd

Function un.onInit
  !insertmacro PELTO5_VIEW
FunctionEnd

Section "${APP}" SecMain
  SectionIn RO
  ; An installed version goes first, through its own uninstaller (which
  ; knows its files), run in place and waited for: files a newer version
  ; no longer has do not stay behind.
  ReadRegStr $0 HKLM "${UNINSTKEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\uninstall.exe"
    ExecWait '"$0\uninstall.exe" /S _?=$0'
    Delete "$0\uninstall.exe"
    RMDir "$0"
  ${EndIf}
  !include "${FILES}"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\pelto5.exe" "" "$INSTDIR\pelto5.exe" 0

  ; The ".pp5" file type opens with the player.
  WriteRegStr HKLM "${CLASSES}\.pp5" "" "${FILETYPE}"
  WriteRegStr HKLM "${CLASSES}\.pp5" "Content Type" "application/x-pelto5-package"
  WriteRegStr HKLM "${CLASSES}\${FILETYPE}" "" "${APP} scenario"
  WriteRegStr HKLM "${CLASSES}\${FILETYPE}\DefaultIcon" "" "$INSTDIR\pelto5.exe,0"
  WriteRegStr HKLM "${CLASSES}\${FILETYPE}\shell\open\command" "" '"$INSTDIR\pelto5.exe" "%1"'
  WriteRegStr HKLM "${CLASSES}\Applications\pelto5.exe\shell\open\command" "" '"$INSTDIR\pelto5.exe" "%1"'
  WriteRegStr HKLM "${CLASSES}\Applications\pelto5.exe\SupportedTypes" ".pp5" ""

  WriteRegStr HKLM "${APPKEY}" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${APP} ${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\pelto5.exe,0"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTKEY}" "EstimatedSize" "$0"

  ; Explorer picks up the new file type without a restart.
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  ; Only the files the installer put there: anything else in the folder
  ; (a game copied beside the player, say) stays, and so does the folder.
  !include "${UNFILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  Delete "${SHORTCUT}"

  ; The extension goes only while it still names the player's type: another
  ; program may have taken it over since.
  ReadRegStr $0 HKLM "${CLASSES}\.pp5" ""
  ${If} $0 == "${FILETYPE}"
    DeleteRegKey HKLM "${CLASSES}\.pp5"
  ${EndIf}
  DeleteRegKey HKLM "${CLASSES}\${FILETYPE}"
  DeleteRegKey HKLM "${CLASSES}\Applications\pelto5.exe"
  DeleteRegKey HKLM "${APPKEY}"
  DeleteRegKey HKLM "${UNINSTKEY}"

  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
