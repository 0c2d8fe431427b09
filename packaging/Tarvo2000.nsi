; The per-user installer: no administrator, the program in %LOCALAPPDATA%\Programs\Tarvo2000,
; one Start-menu shortcut and one entry in the installed-programs list. scripts/package builds
; it with makensis (scripts/lib/package.sh) and gives the defines below; the version comes
; from CMakeLists.txt.
;   VERSION          the version record's four numbers, 1.2.0.181
;   PACKAGE_VERSION  what users see, 1.2.181
;   FILES            a folder holding Tarvo.exe and LICENSE, their times set to the commit's
;   SOURCE           the repository (the icon)
;   OUTFILE          the installer to write
;   SIGN_COMMAND     optional: a command that signs the file it is given, in place
!macro NEED name
  !ifndef ${name}
    !error "define ${name} with -D${name}=..."
  !endif
!macroend
!insertmacro NEED VERSION
!insertmacro NEED PACKAGE_VERSION
!insertmacro NEED FILES
!insertmacro NEED SOURCE
!insertmacro NEED OUTFILE

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
; Sharp at any scale: NSIS's dialogs are scaled by the system when the manifest says so.
ManifestDPIAware true
ManifestDPIAwareness "PerMonitorV2,System"

!define PRODUCT "Tarvo2000"
; A running copy is its application window: top-level, owned by nobody, of the window class
; all the program's windows have (src/framework/Window.cpp), captioned with the title.
!define APP_CLASS "TarvoWindow"
!define APP_TITLE "Tarvo2000"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Tarvo 2000"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; Windows 10 1903: the first with the UTF-8 code page the program's manifest asks for.
!define MIN_BUILD 18362

; Exit codes of a run that changed nothing. scripts/package reads these lines for the winget
; manifest.
!define EXIT_COPY_RUNNING 3
!define EXIT_OLD_WINDOWS 4
!define EXIT_FOLDER_TAKEN 5
!define EXIT_OLD_COPY_STAYS 6

!define SYNCHRONIZE 0x00100000
!define WAIT_OBJECT_0 0
!define GW_OWNER 4
; Close requests sent to one copy before the user is asked to end it: a shown main window
; hides on the first and the program ends on the second, so this many leaves plenty of room.
!define CLOSE_REQUESTS 10

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Morvane"
VIAddVersionKey "FileDescription" "${PRODUCT} ${PACKAGE_VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${PACKAGE_VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) 1999-2026 Morvane"

!ifdef SIGN_COMMAND
  ; The uninstaller is written by the installer, so it is signed as makensis makes it.
  !uninstfinalize '"${SIGN_COMMAND}" "%1"' = 0
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!define MUI_ICON "${SOURCE}\res\Tarvo.ico"
!define MUI_UNICON "${SOURCE}\res\Tarvo.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tarvo.exe"
!insertmacro MUI_PAGE_LICENSE "${FILES}\LICENSE"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; 1 once a running copy was ended: a silent run starts the new one afterwards.
Var EndedCopies
; 1 when the Run entry started the copy in the former folder, so it must start the new one.
Var RunEntryMoves

Function .onInit
  GetWinVer $0 Major
  GetWinVer $1 Build
  ${If} $0 < 10
  ${OrIf} $1 < ${MIN_BUILD}
    MessageBox MB_OK|MB_ICONSTOP "${PRODUCT} needs Windows 10 version 1903 or later." /SD IDOK
    SetErrorLevel ${EXIT_OLD_WINDOWS}
    Quit
  ${EndIf}
FunctionEnd

; Jumps to `yes` when the stored Run entry `entry` starts the program in `folder`, in the forms
; the program itself writes (the path, quoted when it holds a space), else to `no`.
!macro RUN_ENTRY_STARTS entry folder yes no
  StrCmp ${entry} "${folder}\Tarvo.exe" ${yes}
  StrCmp ${entry} '"${folder}\Tarvo.exe"' ${yes} ${no}
!macroend

; Asks every running copy to end the way the program ends cleanly, so that it releases its
; shortcuts, removes its tray icon, shows the windows it hid and saves, before its file is
; replaced or removed: close requests to its application window (the program hides a shown
; main window on the first and ends on the next), then a bounded wait for the process itself.
; Any other window stays untouched, whatever its caption. A copy that stays (an open dialog
; refuses to close) is left to the user: Retry or Cancel; a silent run cancels.
!macro DEFINE_END_RUNNING_COPIES un
Function ${un}EndRunningCopies
  StrCpy $R1 0
  next_copy:
    StrCpy $R0 0
  find:
    FindWindow $R0 "${APP_CLASS}" "${APP_TITLE}" 0 $R0
    IntCmp $R0 0 done
    System::Call 'user32::GetWindow(p R0, i ${GW_OWNER}) p .R5'
    StrCmp $R5 0 0 find
    StrCpy $R2 0
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R2) i'
    System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i R2) p .R3'
  ask:
    IntCmp $R1 ${CLOSE_REQUESTS} stuck 0 stuck
    IntOp $R1 $R1 + 1
    SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    IntCmp $R3 0 no_handle
    System::Call 'kernel32::WaitForSingleObject(p R3, i 500) i .R4'
    IntCmp $R4 ${WAIT_OBJECT_0} ended
    IsWindow $R0 ask
    ; Its windows are gone and it is finishing its shutdown: its file is free once it ends.
    System::Call 'kernel32::WaitForSingleObject(p R3, i 10000) i .R4'
    IntCmp $R4 ${WAIT_OBJECT_0} ended stuck stuck
  no_handle:
    ; Without a handle to wait on, the window is all there is to watch.
    Sleep 200
    IsWindow $R0 ask ended
  ended:
    System::Call 'kernel32::CloseHandle(p R3)'
    StrCpy $R1 0
    StrCpy $EndedCopies 1
    Goto next_copy
  stuck:
    System::Call 'kernel32::CloseHandle(p R3)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} is still running and did not end when asked.$\r$\n$\r$\nClose its open dialog or end it with Exit from its tray menu, then choose Retry." \
      /SD IDCANCEL IDRETRY retry
    SetErrorLevel ${EXIT_COPY_RUNNING}
    Quit
  retry:
    StrCpy $R1 0
    Goto next_copy
  done:
FunctionEnd
!macroend
!insertmacro DEFINE_END_RUNNING_COPIES ""
!insertmacro DEFINE_END_RUNNING_COPIES "un."

; Leaves "1" on the stack when the folder on the stack can take the program without touching
; anything of the user's: it does not exist or is empty, it holds a Tarvo.exe, or it is the
; folder of the install on record. Otherwise "0".
Function FolderTakesProgram
  Exch $0
  Push $1
  Push $2
  IfFileExists "$0\Tarvo.exe" yes
  ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  StrCmp $1 $0 yes
  ClearErrors
  FindFirst $1 $2 "$0\*"
  IfErrors yes
  entry:
    StrCmp $2 "" empty
    StrCmp $2 "." next
    StrCmp $2 ".." next
    FindClose $1
    StrCpy $0 0
    Goto out
  next:
    FindNext $1 $2
    Goto entry
  empty:
    FindClose $1
  yes:
    StrCpy $0 1
  out:
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; A folder that holds other files gets a Tarvo2000 folder of its own inside it, so that no
; file of the user's is overwritten, nor deleted by a later uninstall. Leaves "same",
; "appended" (INSTDIR changed) or "taken" (that one holds other files too) on the stack.
Function PickFolder
  Push $0
  Push $INSTDIR
  Call FolderTakesProgram
  Pop $0
  ${If} $0 == 1
    StrCpy $0 same
  ${Else}
    Push "$INSTDIR\${PRODUCT}"
    Call FolderTakesProgram
    Pop $0
    ${If} $0 == 1
      StrCpy $INSTDIR "$INSTDIR\${PRODUCT}"
      StrCpy $0 appended
    ${Else}
      StrCpy $0 taken
    ${EndIf}
  ${EndIf}
  Exch $0
FunctionEnd

; The directory page's Next: the user sees where the program goes before anything happens.
Function DirectoryLeave
  StrCpy $R9 $INSTDIR
  Call PickFolder
  Pop $R8
  ${If} $R8 == appended
    MessageBox MB_OKCANCEL|MB_ICONINFORMATION \
      "The folder you chose already holds other files, which stay as they are.$\r$\n$\r$\n${PRODUCT} will be installed into a folder of its own inside it:$\r$\n$INSTDIR" \
      IDOK chosen
    StrCpy $INSTDIR $R9
    Abort
  ${ElseIf} $R8 == taken
    MessageBox MB_OK|MB_ICONEXCLAMATION \
      "$INSTDIR already holds other files, and so does its ${PRODUCT} folder.$\r$\n$\r$\nChoose an empty folder."
    Abort
  ${EndIf}
  chosen:
FunctionEnd

; The time of this install, as the installed-programs list keeps it: YYYYMMDD.
Function InstallDate
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  StrCpy $0 "$2$1$0"
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; The Run entry for the program at the path on the stack, as the program writes it: quoted
; when the path holds a space.
Function RunEntryFor
  Exch $0
  Push $1
  Push $2
  StrCpy $2 0
  char:
    StrCpy $1 $0 1 $2
    StrCmp $1 "" plain
    StrCmp $1 " " quoted
    IntOp $2 $2 + 1
    Goto char
  quoted:
    StrCpy $0 '"$0"'
  plain:
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; An install into another folder than the one on record removes the copy there first, through
; its own uninstaller run silently and waited for (in place, so that the wait is real), so
; that one copy and one entry remain.
Function RemoveFormerCopy
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  StrCmp $R0 "" done
  StrCmp $R0 $INSTDIR done
  ReadRegStr $R1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  !insertmacro RUN_ENTRY_STARTS $R1 $R0 moves stays
  moves:
    StrCpy $RunEntryMoves 1
  stays:
  IfFileExists "$R0\Uninstall.exe" 0 done
  DetailPrint "Removing the copy in $R0"
  ClearErrors
  ExecWait '"$R0\Uninstall.exe" /S _?=$R0' $R2
  IfErrors failed
  StrCmp $R2 0 0 failed
  ; Run in place, it cannot remove itself, nor the folder it ran from.
  Delete "$R0\Uninstall.exe"
  RMDir "$R0"
  Goto done
  failed:
    MessageBox MB_OK|MB_ICONSTOP \
      "The ${PRODUCT} installed in $R0 could not be removed.$\r$\n$\r$\nUninstall it from Settings > Apps, then run this setup again." \
      /SD IDOK
    SetErrorLevel ${EXIT_OLD_COPY_STAYS}
    Quit
  done:
FunctionEnd

Section "Tarvo2000"
  SetShellVarContext current
  Call PickFolder
  Pop $0
  ${If} $0 == taken
    MessageBox MB_OK|MB_ICONSTOP \
      "$INSTDIR already holds other files, and so does its ${PRODUCT} folder.$\r$\n$\r$\nChoose an empty folder." \
      /SD IDOK
    SetErrorLevel ${EXIT_FOLDER_TAKEN}
    Quit
  ${EndIf}
  Call EndRunningCopies
  Call RemoveFormerCopy

  SetOutPath "$INSTDIR"
  File "${FILES}\Tarvo.exe"
  File "${FILES}\LICENSE"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\Tarvo.exe"

  ; One key, named after the product: installing again rewrites it, never adds a second.
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${PACKAGE_VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Morvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tarvo.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  Call InstallDate
  Pop $0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallDate" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} $RunEntryMoves == 1
    Push "$INSTDIR\Tarvo.exe"
    Call RunEntryFor
    Pop $0
    WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" $0
  ${EndIf}
  ; A silent upgrade has no finish page to start the program again: the copy it ended is
  ; replaced by the new one now, so the shortcuts work before the next logon.
  ${If} ${Silent}
  ${AndIf} $EndedCopies == 1
    Exec '"$INSTDIR\Tarvo.exe"'
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.EndRunningCopies
  ; The Run entry goes only when it starts this copy; one that starts another copy belongs to
  ; that copy.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  !insertmacro RUN_ENTRY_STARTS $0 $INSTDIR remove_run keep_run
  remove_run:
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  keep_run:
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\Tarvo.exe"
  Delete "$INSTDIR\LICENSE"
  Delete "$INSTDIR\Uninstall.exe"
  ; Not /r: anything the user put there stays, and so does the folder then.
  RMDir "$INSTDIR"
  ; The bindings and settings under Software\Morvane\Tarvo stay for a later install.
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
