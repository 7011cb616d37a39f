; What setup and uninstaller both do to the installed program: end a running one through its
; shutdown message, and remove its files. Inserted once with "" and once with "un.".

!define QEL_APP_WND_CLASS "1f8e2a07-69ee-4aee-8d00-ba6f67325118Quorvantine_msn"
!define QEL_SHUTDOWN_MSG "1f8e2a07-69ee-4aee-8d00-ba6f67325118WM_ZUL_SHUTDOWN_APP"
!define QEL_SMTO_ABORTIFHUNG 2
!define QEL_SYNCHRONIZE 0x00100000
; How long a program gets to take its message and to end after it.
!define QEL_SEND_TIMEOUT_MS 3000
!define QEL_EXIT_TIMEOUT_MS 5000
!define QEL_HUNG_TEXT "${QEL_PRODUCT} is running and does not respond to the request to end.$\r$\n$\r$\nClose it, or end it in the Task Manager, then choose Retry. Cancel stops here and leaves the installed program as it is."

!macro QEL_PROGRAM_CONTROL un

; Sends the shutdown message to the running program's top window and waits for its process.
; Ends in Abort, with nothing changed, when the program keeps running.
Function ${un}EndRunningProgram
  Push $0
  Push $1
  Push $2
  Push $3
  retry:
  FindWindow $0 "${QEL_APP_WND_CLASS}"
  ${If} $0 = 0
    Goto done
  ${EndIf}
  DetailPrint "Asking the running ${QEL_PRODUCT} to end"
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i 0 r1) i'
  System::Call 'kernel32::OpenProcess(i ${QEL_SYNCHRONIZE}, i 0, i r1) p .r2'
  System::Call 'user32::RegisterWindowMessageA(m "${QEL_SHUTDOWN_MSG}") i .r3'
  System::Call 'user32::SendMessageTimeoutW(p r0, i r3, p 0, p 0, i ${QEL_SMTO_ABORTIFHUNG}, \
      i ${QEL_SEND_TIMEOUT_MS}, *p 0) p'
  ${If} $2 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i ${QEL_EXIT_TIMEOUT_MS}) i .r3'
    System::Call 'kernel32::CloseHandle(p r2)'
    ; Another instance may have started meanwhile: look again.
    ${If} $3 = 0
      Goto retry
    ${EndIf}
  ${Else}
    ; Without a handle to wait on, the window's going away is the sign.
    StrCpy $3 0
    ${Do}
      Sleep 100
      IntOp $3 $3 + 100
      IsWindow $0 0 retry
    ${LoopUntil} $3 >= ${QEL_EXIT_TIMEOUT_MS}
  ${EndIf}
  DetailPrint "${QEL_PRODUCT} does not end"
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${QEL_HUNG_TEXT}" /SD IDCANCEL IDRETRY retry
  SetErrorLevel 4
  Abort "${QEL_PRODUCT} is still running; nothing was changed."
  done:
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function ${un}RemoveProgramFiles
  Delete "$INSTDIR\${QEL_EXE}"
  Delete "$INSTDIR\quorvantine_msn_ps.dll"
  Delete "$INSTDIR\qel_msn_hook.dll"
  ; An uninstaller started in place ("_?=") cannot remove itself while it runs: it and its
  ; folder go at the next restart.
  Delete /REBOOTOK "$INSTDIR\${QEL_UNINSTALLER}"
  RMDir /REBOOTOK "$INSTDIR"
  RMDir "$PROGRAMFILES64\${QEL_PUBLISHER}"
FunctionEnd

!macroend
