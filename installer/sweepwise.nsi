; The Windows installer of QZ Sweepwise Pro, built by makensis from the shipped build
; configuration (the CMake target "installer" passes the defines below). It is also the
; release file the update window downloads (sweepwisepro2.exe on the server).
;
;   makensis -DVERSION=3.5.0 -DBINARY_DIR=... -DHELP_DIR=... -DICON=... -DOUTPUT=... sweepwise.nsi
;
; Silent install and uninstall: /S. A silent uninstall keeps the user's backups unless
; /REMOVEBACKUPS is given; the uninstaller's pages offer the same choice.

; A 64-bit installer for 64-bit programs: it also runs where no 32-bit Windows layer is (a
; 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define PRODUCT "QZ Sweepwise Pro"
!define PUBLISHER "Orvanta"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QZ Sweepwise Pro"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define PROGRAM_KEY "Software\Orvanta\Sweepwise"
; The main window's class and the command of its tray menu's Exit (src/app/command_ids.h).
!define MAIN_WINDOW_CLASS "SweepwiseMainWindow"
!define EXIT_COMMAND 302

Name "${PRODUCT}"
OutFile "${OUTPUT}"
InstallDir "$PROGRAMFILES64\Sweepwise"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"
VIAddVersionKey "OriginalFilename" "sweepwisepro2.exe"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\sweepwise.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "Your backups (zqN.bck, regbackupNNN.reg, default.reg) stay in the program folder unless you remove them here."
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Sweepwise is resident: a running copy is told to exit through its tray menu's command, and
; given a few seconds to save its settings and go.
!macro EndRunningSweepwise un
Function ${un}EndRunningSweepwise
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  ${If} $0 == 0
    Return
  ${EndIf}
  SendMessage $0 ${WM_COMMAND} ${EXIT_COMMAND} 0 /TIMEOUT=5000
  StrCpy $1 0
  wait:
    Sleep 200
    IntOp $1 $1 + 1
    FindWindow $0 "${MAIN_WINDOW_CLASS}"
    ${If} $0 != 0
    ${AndIf} $1 < 50
      Goto wait
    ${EndIf}
FunctionEnd
!macroend
!insertmacro EndRunningSweepwise ""
!insertmacro EndRunningSweepwise "un."

Section "Sweepwise" Program
  SectionIn RO
  Call EndRunningSweepwise
  SetOutPath "$INSTDIR"
  File "${BINARY_DIR}\sweepwise.exe"
  File "${BINARY_DIR}\sweepwise-cli.exe"
  File "${BINARY_DIR}\version.txt"
  File "/oname=sweepwise.ico" "${ICON}"
  SetOutPath "$INSTDIR\help"
  File /r "${HELP_DIR}\*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\sweepwise.exe" "" "$INSTDIR\sweepwise.ico"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sweepwise.ico"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "un.Sweepwise" UnProgram
  SectionIn RO
  Call un.EndRunningSweepwise
  Delete "$INSTDIR\sweepwise.exe"
  Delete "$INSTDIR\sweepwise-cli.exe"
  Delete "$INSTDIR\version.txt"
  Delete "$INSTDIR\sweepwise.ico"
  RMDir /r "$INSTDIR\help"
  ; What the program writes beside itself: its settings, the batches it leaves for the next
  ; logon, the files of the update check and the sign-up.
  Delete "$INSTDIR\language.txt"
  Delete "$INSTDIR\newsinfo.txt"
  Delete "$INSTDIR\clean.bat"
  Delete "$INSTDIR\update.bat"
  Delete "$INSTDIR\versiyonyeni.txt"
  Delete "$INSTDIR\updatesite.txt"
  Delete "$INSTDIR\sweepwisepro21.exe"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  ; The values the program writes, for the machine and for this user.
  DeleteRegValue HKCU "${PROGRAM_KEY}\Program" "Path"
  DeleteRegKey /ifempty HKCU "${PROGRAM_KEY}\Program"
  DeleteRegKey /ifempty HKCU "${PROGRAM_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Orvanta"
  DeleteRegValue HKLM "${RUN_KEY}" "SweepwiseAutoRun"
  DeleteRegValue HKCU "${RUN_KEY}" "SweepwiseAutoRun"
  DeleteRegValue HKLM "${RUNONCE_KEY}" "Sweepwise"
  DeleteRegValue HKCU "${RUNONCE_KEY}" "Sweepwise"
  DeleteRegValue HKCU "${RUNONCE_KEY}" "sweepwisepro2Update"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Remove my backups" UnBackups
  Delete "$INSTDIR\zq*.bck"
  Delete "$INSTDIR\zq*.0??"
  Delete "$INSTDIR\regbackup*.reg"
  Delete "$INSTDIR\default.reg"
SectionEnd

; Last: the folder goes when nothing of the user's is left in it.
Section "-un.Folder"
  RMDir "$INSTDIR"
SectionEnd

; The program is 64-bit: its uninstall entry and its values live in the 64-bit registry,
; where it looks for them.
Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
  ; /REMOVEBACKUPS chooses the backups' removal without the pages (a silent uninstall).
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEBACKUPS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${UnBackups} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
