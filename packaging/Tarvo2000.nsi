; The per-user installer: no administrator, the program in %LOCALAPPDATA%\Programs\Tarvo2000,
; one Start-menu shortcut and one entry in the installed-programs list. scripts/package builds
; it with makensis and gives the defines below; the version comes from CMakeLists.txt.
;   VERSION          the version record's four numbers, 1.2.0.181
;   PACKAGE_VERSION  what users see, 1.2.181
;   EXE              the Release Tarvo.exe
;   SOURCE           the repository (LICENSE and the icon)
;   OUTFILE          the installer to write
!macro NEED name
  !ifndef ${name}
    !error "define ${name} with -D${name}=..."
  !endif
!macroend
!insertmacro NEED VERSION
!insertmacro NEED PACKAGE_VERSION
!insertmacro NEED EXE
!insertmacro NEED SOURCE
!insertmacro NEED OUTFILE

Unicode true
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma

!define PRODUCT "Tarvo2000"
; The running copy is found by the caption of its application window, which is the title.
!define APP_TITLE "Tarvo2000"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Tarvo 2000"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"

!define SYNCHRONIZE 0x00100000
!define WAIT_OBJECT_0 0
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

!include "MUI2.nsh"
!define MUI_ICON "${SOURCE}\res\Tarvo.ico"
!define MUI_UNICON "${SOURCE}\res\Tarvo.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tarvo.exe"
!insertmacro MUI_PAGE_LICENSE "${SOURCE}\LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Asks every running copy to end the way the program ends cleanly, so that it releases its
; shortcuts, removes its tray icon, shows the windows it hid and saves, before its file is
; replaced or removed: close requests to its application window (the program hides a shown
; main window on the first and ends on the next), then a bounded wait for the process itself.
; A copy that stays (an open dialog refuses to close) is left to the user: Retry or Cancel;
; a silent run cancels.
!macro DEFINE_END_RUNNING_COPIES un
Function ${un}EndRunningCopies
  StrCpy $R1 0
  next_copy:
    FindWindow $R0 "" "${APP_TITLE}"
    IntCmp $R0 0 done
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
    Goto next_copy
  stuck:
    System::Call 'kernel32::CloseHandle(p R3)'
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "${PRODUCT} is still running and did not end when asked.$\r$\n$\r$\nClose its open dialog or end it with Exit from its tray menu, then choose Retry." \
      /SD IDCANCEL IDRETRY retry
    SetErrorLevel 3
    Quit
  retry:
    StrCpy $R1 0
    Goto next_copy
  done:
FunctionEnd
!macroend
!insertmacro DEFINE_END_RUNNING_COPIES ""
!insertmacro DEFINE_END_RUNNING_COPIES "un."

Section "Tarvo2000"
  SetShellVarContext current
  Call EndRunningCopies
  SetOutPath "$INSTDIR"
  File "/oname=Tarvo.exe" "${EXE}"
  File "/oname=LICENSE" "${SOURCE}\LICENSE"
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
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.EndRunningCopies
  ; The Run entry goes only when it starts this copy (the program writes the path, quoted
  ; when it holds a space); one that starts another copy belongs to that copy.
  ReadRegStr $0 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  StrCmp $0 "$INSTDIR\Tarvo.exe" remove_run
  StrCmp $0 '"$INSTDIR\Tarvo.exe"' remove_run keep_run
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
