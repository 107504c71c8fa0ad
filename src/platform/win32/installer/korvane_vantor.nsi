; KorvaneVantor-Setup.exe: installs Korvane - Vantor for the current user only,
; where a standard user may write (the program keeps its files in the Data
; folder beside it). Built by the CMake target `installer`, which passes
; VERSION, PROGRAM_EXE, EXPERT4_FILE, EXPERT5_FILE, ICON_FILE and OUT_FILE.
Target amd64-unicode

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define PRODUCT "Korvane - Vantor"
!define PUBLISHER "Korvane"
!define EXE_NAME "KorvaneVantor.exe"
; The MT4 and MT5 experts; the program puts them into the terminal itself, these
; copies are for doing it by hand.
!define EXPERT4_NAME "KorvaneVantor.mq4"
!define EXPERT5_NAME "KorvaneVantor.mq5"
!define SHORTCUT "${PRODUCT}.lnk"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KorvaneVantor"
; The running program's hidden main window, and the message that asks it to
; exit as its menu's Exit does (its activity record is written).
!define MAIN_WINDOW_CLASS "KorvaneVantorMain"
!define EXIT_REQUEST_MESSAGE "KorvaneVantor.ExitRequest"

Name "${PRODUCT}"
OutFile "${OUT_FILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Korvane Vantor"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE_NAME}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Asks the copy running from $INSTDIR (one per folder) to exit, and waits
; until it has: its file can then be replaced or removed.
!macro CLOSE_RUNNING_COPY un
Function ${un}CloseRunningCopy
  System::Call 'user32::RegisterWindowMessageW(w "${EXIT_REQUEST_MESSAGE}") i .r1'
  StrCpy $0 0
  ${Do}
    FindWindow $0 "${MAIN_WINDOW_CLASS}" "" 0 $0
    ${If} $0 = 0
      Return
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r3)'
    ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION
    System::Call 'kernel32::OpenProcess(i 0x101000, i 0, i r3) p .r4'
    ${If} $4 P<> 0
      StrCpy $5 ""
      System::Call 'kernel32::QueryFullProcessImageNameW(p r4, i 0, w .r5, *i ${NSIS_MAX_STRLEN})'
      ${If} $5 == "$INSTDIR\${EXE_NAME}"
        ${Do}
          SendMessage $0 $1 0 0 /TIMEOUT=10000
          System::Call 'kernel32::WaitForSingleObject(p r4, i 15000) i .r6'
          ${If} $6 = 0
            ${Break}
          ${EndIf}
          MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is still running from $INSTDIR.$\r$\nPlease exit it from its icon's menu, then press Retry." /SD IDCANCEL IDRETRY retry
          System::Call 'kernel32::CloseHandle(p r4)'
          Abort "${PRODUCT} is still running."
        retry:
        ${Loop}
        System::Call 'kernel32::CloseHandle(p r4)'
        Return
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p r4)'
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_RUNNING_COPY ""
!insertmacro CLOSE_RUNNING_COPY "un."

Section "-${PRODUCT}" SecProgram
  SetShellVarContext current
  Call CloseRunningCopy
  SetOutPath "$INSTDIR"
  File "/oname=${EXE_NAME}" "${PROGRAM_EXE}"
  File "/oname=${EXPERT4_NAME}" "${EXPERT4_FILE}"
  File "/oname=${EXPERT5_NAME}" "${EXPERT5_FILE}"
  ; The trader's settings and journals: created empty, never touched by an upgrade.
  CreateDirectory "$INSTDIR\Data"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\${EXE_NAME}"
  ; Made again below only when still wanted.
  Delete "$SMSTARTUP\${SHORTCUT}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE_NAME},0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Start ${PRODUCT} when I sign in to Windows" SecStartup
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMSTARTUP\${SHORTCUT}" "$INSTDIR\${EXE_NAME}"
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.CloseRunningCopy
  Delete "$INSTDIR\${EXE_NAME}"
  Delete "$INSTDIR\${EXPERT4_NAME}"
  Delete "$INSTDIR\${EXPERT5_NAME}"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  Delete "$SMSTARTUP\${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  MessageBox MB_YESNO|MB_ICONQUESTION "Keep your settings and journals (the Data folder in $INSTDIR)?" /SD IDYES IDYES keepData
  RMDir /r "$INSTDIR\Data"
keepData:
  RMDir "$INSTDIR"
SectionEnd
