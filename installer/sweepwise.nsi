; The Windows installer of QZ Sweepwise Pro, built by makensis from the shipped build
; configuration (the CMake target "installer" passes the defines below). It is also the
; release file the update window downloads (sweepwisepro2.exe on the server).
;
;   makensis -DVERSION=3.5.0 -DBINARY_DIR=... -DHELP_DIR=... -DICON=... -DOUTPUT=... sweepwise.nsi
;
; Two modes. For the current user (the default): no administrator rights, no consent prompt;
; the program goes to %LOCALAPPDATA%\Programs\Sweepwise, its uninstall entry under HKCU, its
; shortcut into the user's Start menu. For everyone (the first page, or /ALLUSERS): the
; program goes to %ProgramFiles%\Sweepwise, its entry under HKLM, its shortcut into the common
; Start menu; without administrator rights the installer starts an elevated copy of itself
; (the "runas" verb: the consent prompt) and ends with that copy's exit code. /CURRENTUSER
; chooses the first mode. Without either, an installed Sweepwise decides: an update goes
; where the program already is, in its mode.
;
; The mode is recorded beside the program (install-mode.txt: "everyone" or "current user"): the
; programs keep their files in the user's %LOCALAPPDATA%\Sweepwise when installed for
; everyone, whether they run with administrator rights or not, and beside themselves when
; installed for the current user.
;
; Silent install and uninstall: /S. A silent uninstall keeps the user's backups unless
; /REMOVEBACKUPS is given; the uninstaller's pages offer the same choice. /D=FOLDER (last)
; chooses the folder.

; A 64-bit installer for 64-bit programs: it also runs where no 32-bit Windows layer is (a
; 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
; "asInvoker" in the manifest: the default mode must start without a consent prompt. The
; all-users mode asks for elevation itself, only when it is chosen.
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include WinMessages.nsh

!define PRODUCT "QZ Sweepwise Pro"
!define PUBLISHER "Orvanta"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QZ Sweepwise Pro"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define PROGRAM_KEY "Software\Orvanta\Sweepwise"
; The record of the mode, beside the programs (src/platform/program_folders.h).
!define MODE_RECORD "install-mode.txt"
; The RunOnce value that deletes, at the user's next logon, a program file that was in use.
!define REMOVE_LATER_VALUE "SweepwiseRemoveLater"
; The main window's class and the command of its tray menu's Exit (src/app/command_ids.h).
!define MAIN_WINDOW_CLASS "SweepwiseMainWindow"
!define EXIT_COMMAND 302
; The exit code of a copy that was to run elevated and did not get the rights.
!define ERROR_ELEVATION_REQUIRED 740
; Given to the elevated copy, so that a copy that still lacks the rights gives up instead of
; starting another one.
!define ELEVATED_COPY_OPTION "/ELEVATEDCOPY"

Name "${PRODUCT}"
OutFile "${OUTPUT}"
; No InstallDir: $INSTDIR is empty at .onInit unless /D= chose a folder, and the mode
; picks the folder otherwise.
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"
VIAddVersionKey "OriginalFilename" "sweepwisepro2.exe"

; "all" (for everyone) or "user" (for the current user).
Var Mode
; 1 when the command line chose the mode: the mode page is not shown then.
Var ModeGiven
; The folder /D= gave, kept over a change of mode.
Var DirGiven
; 1 in the copy started with the elevation request.
Var ElevatedCopy
; The current user's data folder, %LOCALAPPDATA%\Sweepwise, where the programs keep what
; they write when their own folder is not writable.
Var UserDataDir
Var ModePageForMe
Var ModePageForEveryone
; The uninstaller's program files that were in use, one a line, and the commands that delete
; at the next logon those that cannot be deleted at the next restart.
Var InUse
Var RemoveAtLogon

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\sweepwise.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "Your backups (zqN.bck, regbackupNNN.reg, default.reg) stay in the program folder and in $UserDataDir unless you remove them here."
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

; Leaves "1" on the stack when this process holds administrator rights (an elevated token
; under User Account Control), else "0".
!macro HoldsAdminRights un
Function ${un}HoldsAdminRights
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd
!macroend
!insertmacro HoldsAdminRights ""
!insertmacro HoldsAdminRights "un."

; Starts this program again with the "runas" verb and the parameters on the stack, waits for
; it, and ends with its exit code. Returns only when the copy could not be started (the user
; declined the consent prompt), with the error code on the stack; a silent run ends then too.
; A copy that was itself started this way and still lacks the rights ends at once with
; ERROR_ELEVATION_REQUIRED: it would otherwise start copies without end.
!macro RunElevatedCopy un
Function ${un}RunElevatedCopy
  Exch $R0
  Push $R1
  Push $R2
  Push $R3
  ${If} $ElevatedCopy == 1
    MessageBox MB_OK|MB_ICONSTOP "Installing or removing ${PRODUCT} for everyone needs administrator rights." /SD IDOK
    SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
    Quit
  ${EndIf}
  ; SHELLEXECUTEINFOW as the 64-bit ABI lays it out (112 bytes), with the padding written
  ; out: the System plug-in does not align members. 0x40 is SEE_MASK_NOCLOSEPROCESS.
  System::Call '*(i 112, i 0x40, p $HWNDPARENT, w "runas", w "$EXEPATH", w R0, p 0, i ${SW_SHOWNORMAL}, i 0, p 0, p 0, p 0, p 0, i 0, i 0, p 0, p 0) p .R1'
  System::Call 'shell32::ShellExecuteExW(p R1) i .R2 ?e'
  Pop $R3
  ${If} $R2 == 0
    System::Free $R1
    ${If} ${Silent}
      SetErrorLevel $R3
      Quit
    ${EndIf}
    MessageBox MB_OK|MB_ICONEXCLAMATION "Installing or removing ${PRODUCT} for everyone needs administrator rights. Choose it again and allow the change, or install it for yourself only."
    StrCpy $R0 $R3
    Pop $R3
    Pop $R2
    Pop $R1
    Exch $R0
    Return
  ${EndIf}
  System::Call '*$R1(i, i, p, p, p, p, p, i, i, p, p, p, p, i, i, p, p .R2)'
  System::Free $R1
  HideWindow
  System::Call 'kernel32::WaitForSingleObject(p R2, i -1)'
  System::Call 'kernel32::GetExitCodeProcess(p R2, *i .R3)'
  System::Call 'kernel32::CloseHandle(p R2)'
  SetErrorLevel $R3
  Quit
FunctionEnd
!macroend
!insertmacro RunElevatedCopy ""
!insertmacro RunElevatedCopy "un."

; The shell folders ($SMPROGRAMS) and the registry root SHCTX of the mode.
!macro UseModeContext
  ${If} $Mode == "all"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
!macroend

; The mode's folder: the one /D= gave, else where the mode's install already is (an update
; replaces the program in its folder), else the mode's own.
Function ApplyMode
  !insertmacro UseModeContext
  ${If} $DirGiven != ""
    StrCpy $INSTDIR $DirGiven
    Return
  ${EndIf}
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${ElseIf} $Mode == "all"
    StrCpy $INSTDIR "$PROGRAMFILES64\Sweepwise"
  ${Else}
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Sweepwise"
  ${EndIf}
FunctionEnd

; The record of the mode the programs read to choose their data folder, beside them.
Function WriteModeRecord
  ClearErrors
  FileOpen $0 "$INSTDIR\${MODE_RECORD}" w
  ${If} $Mode == "all"
    FileWrite $0 "everyone$\r$\n"
  ${Else}
    FileWrite $0 "current user$\r$\n"
  ${EndIf}
  FileClose $0
  ${If} ${Errors}
    Abort "Cannot write $INSTDIR\${MODE_RECORD}."
  ${EndIf}
FunctionEnd

Function ModePage
  ${If} $ModeGiven == 1
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Who will use ${PRODUCT}?" "Install it for yourself, or for every user of this computer."
  ; $LOCALAPPDATA is the user's only in the current user's context.
  SetShellVarContext current
  StrCpy $1 "$LOCALAPPDATA\Programs"
  !insertmacro UseModeContext
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 0 100% 12u "&Just for me"
  Pop $ModePageForMe
  ${NSD_CreateLabel} 12u 14u -12u 20u "Into your own folders ($1). No administrator rights are needed."
  Pop $0
  ${NSD_CreateRadioButton} 0 44u 100% 12u "For &everyone on this computer"
  Pop $ModePageForEveryone
  ${NSD_CreateLabel} 12u 58u -12u 20u "Into $PROGRAMFILES64. Windows asks for an administrator's consent."
  Pop $0
  ${If} $Mode == "all"
    ${NSD_Check} $ModePageForEveryone
  ${Else}
    ${NSD_Check} $ModePageForMe
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $ModePageForEveryone $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $Mode "all"
  ${Else}
    StrCpy $Mode "user"
  ${EndIf}
  Call ApplyMode
  ${If} $Mode == "all"
    Call HoldsAdminRights
    Pop $0
    ${If} $0 == 0
      ; The elevated copy shows the remaining pages; this one waits for it and ends.
      Push "/ALLUSERS ${ELEVATED_COPY_OPTION}"
      Call RunElevatedCopy
      Pop $0
      Abort
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Sweepwise" Program
  SectionIn RO
  Call EndRunningSweepwise
  SetOutPath "$INSTDIR"
  File "${BINARY_DIR}\sweepwise.exe"
  File "${BINARY_DIR}\sweepwise-cli.exe"
  File "${BINARY_DIR}\version.txt"
  File "/oname=sweepwise.ico" "${ICON}"
  Call WriteModeRecord
  SetOutPath "$INSTDIR\help"
  File /r "${HELP_DIR}\*.*"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\sweepwise.exe" "" "$INSTDIR\sweepwise.ico"

  ; SHCTX: HKLM for everyone, HKCU for the current user. The commands name the mode, so
  ; that the uninstaller knows it even when its entry is already gone.
  ${If} $Mode == "all"
    StrCpy $0 "/ALLUSERS"
  ${Else}
    StrCpy $0 "/CURRENTUSER"
  ${EndIf}
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\sweepwise.ico"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" $0'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" $0 /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

; What the program writes for itself in its data folder (the program folder, or the user's
; %LOCALAPPDATA%\Sweepwise): its settings, the batches it leaves for the next logon, the
; files of the update check and the sign-up.
!macro DeleteProgramWrites folder
  Delete "${folder}\language.txt"
  Delete "${folder}\newsinfo.txt"
  Delete "${folder}\clean.bat"
  Delete "${folder}\update.bat"
  Delete "${folder}\versiyonyeni.txt"
  Delete "${folder}\updatesite.txt"
  Delete "${folder}\sweepwisepro21.exe"
  Delete "${folder}\sweepwisepro21.exe.part"
!macroend

!macro DeleteBackups folder
  Delete "${folder}\zq*.bck"
  Delete "${folder}\zq*.0??"
  Delete "${folder}\regbackup*.reg"
  Delete "${folder}\default.reg"
  Delete "${folder}\history.log"
  RMDir /r "${folder}\history"
!macroend

; A program file that is in use cannot be deleted now: the console program that runs this
; uninstaller ("sweepwise-cli uninstall") waits for it to end. It is deleted at the next
; restart where the system lets this user ask for that (administrator rights), else at the
; user's next logon, by the user's own RunOnce value; either way the user is told.
!macro DeleteInUse file
  ClearErrors
  Delete /REBOOTOK "${file}"
  ${If} ${FileExists} "${file}"
    StrCpy $InUse "$InUse$\r$\n${file}"
    ; The error flag: not even the deletion at the next restart could be asked for.
    ${If} ${Errors}
      StrCpy $RemoveAtLogon "$RemoveAtLogon del /f /q $\"${file}$\" &"
    ${EndIf}
  ${EndIf}
!macroend

Section "un.Sweepwise" UnProgram
  SectionIn RO
  Call un.EndRunningSweepwise
  StrCpy $InUse ""
  StrCpy $RemoveAtLogon ""
  !insertmacro DeleteInUse "$INSTDIR\sweepwise.exe"
  !insertmacro DeleteInUse "$INSTDIR\sweepwise-cli.exe"
  Delete "$INSTDIR\version.txt"
  Delete "$INSTDIR\${MODE_RECORD}"
  Delete "$INSTDIR\sweepwise.ico"
  RMDir /r "$INSTDIR\help"
  !insertmacro DeleteProgramWrites "$INSTDIR"
  !insertmacro DeleteProgramWrites "$UserDataDir"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  ; The values the program writes, for the machine and for this user. (A standard user's
  ; uninstaller cannot remove the machine's: the program, run without administrator
  ; rights, wrote none there.)
  DeleteRegValue HKCU "${PROGRAM_KEY}\Program" "Path"
  DeleteRegKey /ifempty HKCU "${PROGRAM_KEY}\Program"
  DeleteRegKey /ifempty HKCU "${PROGRAM_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Orvanta"
  DeleteRegValue HKLM "${RUN_KEY}" "SweepwiseAutoRun"
  DeleteRegValue HKCU "${RUN_KEY}" "SweepwiseAutoRun"
  DeleteRegValue HKLM "${RUNONCE_KEY}" "Sweepwise"
  DeleteRegValue HKCU "${RUNONCE_KEY}" "Sweepwise"
  DeleteRegValue HKCU "${RUNONCE_KEY}" "sweepwisepro2Update"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.Remove my backups" UnBackups
  !insertmacro DeleteBackups "$INSTDIR"
  !insertmacro DeleteBackups "$UserDataDir"
SectionEnd

; Last: each folder goes when nothing of the user's is left in it; one that still holds a
; program in use goes when that program does.
Section "-un.Folder"
  ${If} $InUse == ""
    RMDir "$INSTDIR"
  ${Else}
    RMDir /REBOOTOK "$INSTDIR"
    Call un.TellInUse
  ${EndIf}
  RMDir "$UserDataDir"
SectionEnd

Function un.TellInUse
  ${If} $RemoveAtLogon == ""
    StrCpy $0 "at the next restart of the computer"
  ${Else}
    ; cmd reads "%" in a line as the start of a variable's name: such a folder is left to the user.
    StrCpy $1 0
    find_percent:
      StrCpy $2 $INSTDIR 1 $1
      ${If} $2 == "%"
        StrCpy $0 "by you: Windows does not let this uninstaller delete it later"
        Goto tell
      ${ElseIf} $2 != ""
        IntOp $1 $1 + 1
        Goto find_percent
      ${EndIf}
    WriteRegStr HKCU "${RUNONCE_KEY}" "${REMOVE_LATER_VALUE}" '"$SYSDIR\cmd.exe" /c$RemoveAtLogon rmdir "$INSTDIR"'
    StrCpy $0 "at your next logon"
  ${EndIf}
  tell:
  DetailPrint "In use, to be deleted $0:$InUse"
  MessageBox MB_OK|MB_ICONINFORMATION "These files of ${PRODUCT} are in use and will be deleted $0:$InUse" /SD IDOK
FunctionEnd

; Sets $Mode and $ModeGiven from /ALLUSERS or /CURRENTUSER, and $ElevatedCopy.
!macro ReadModeOptions
  ${GetParameters} $R0
  StrCpy $ModeGiven 0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $Mode "all"
    StrCpy $ModeGiven 1
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/CURRENTUSER" $R1
  ${IfNot} ${Errors}
    StrCpy $Mode "user"
    StrCpy $ModeGiven 1
  ${EndIf}
  StrCpy $ElevatedCopy 0
  ClearErrors
  ${GetOptions} $R0 "${ELEVATED_COPY_OPTION}" $R1
  ${IfNot} ${Errors}
    StrCpy $ElevatedCopy 1
  ${EndIf}
!macroend

; The program is 64-bit: its uninstall entry and its values live in the 64-bit registry,
; where it looks for them.
Function .onInit
  SetRegView 64
  StrCpy $DirGiven $INSTDIR
  !insertmacro ReadModeOptions
  ${If} $ModeGiven == 0
    ; An installed Sweepwise decides: this user's own install first.
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == ""
    ${AndIf} $1 != ""
      StrCpy $Mode "all"
    ${Else}
      StrCpy $Mode "user"
    ${EndIf}
  ${EndIf}
  Call ApplyMode
  ; Chosen on the command line, or no pages to choose on: the elevation is asked for now.
  ${If} $Mode != "all"
    Return
  ${EndIf}
  ${If} $ModeGiven == 0
  ${AndIfNot} ${Silent}
    Return
  ${EndIf}
  Call HoldsAdminRights
  Pop $0
  ${If} $0 == 0
    ${GetParameters} $0
    ${If} $DirGiven != ""
      StrCpy $0 "$0 /D=$DirGiven"
    ${EndIf}
    Push "/ALLUSERS ${ELEVATED_COPY_OPTION} $0"
    Call RunElevatedCopy
    Pop $0
    Quit
  ${EndIf}
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext current
  StrCpy $UserDataDir "$LOCALAPPDATA\Sweepwise"
  !insertmacro ReadModeOptions
  ${If} $ModeGiven == 0
    ; Started without its entry's command (from the program folder): the entry that names
    ; this folder tells the mode.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == $INSTDIR
    ${AndIf} $1 != $INSTDIR
      StrCpy $Mode "all"
    ${Else}
      StrCpy $Mode "user"
    ${EndIf}
  ${EndIf}
  !insertmacro UseModeContext
  ; /REMOVEBACKUPS chooses the backups' removal without the pages (a silent uninstall).
  ClearErrors
  ${GetOptions} $R0 "/REMOVEBACKUPS" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${UnBackups} ${SF_SELECTED}
  ${EndIf}
  ${If} $Mode == "all"
    Call un.HoldsAdminRights
    Pop $0
    ${If} $0 == 0
      ; The copy runs in place (_?=), from this copy of the uninstaller.
      Push "/ALLUSERS ${ELEVATED_COPY_OPTION} $R0 _?=$INSTDIR"
      Call un.RunElevatedCopy
      Pop $0
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd
