; The setup program: puts the program, its proxy/stub DLL and the hook component into one
; folder, registers the program's COM classes, starts it at logon, and leaves an uninstaller
; that undoes all of it but never touches the user's recordings.
;
; scripts/package defines QEL_STAGE (the folder holding the files to install), QEL_OUT (where
; the setup goes) and, to sign setup and uninstaller, QEL_SIGN.

Unicode true
; The default 32-bit stub cannot run where only 64-bit Windows programs do.
Target amd64-unicode
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true

; Name, publisher and version come from the header the program's version resource uses.
!define QEL_VERSION_HEADER "${__FILEDIR__}/../res/product_version.h"
!searchparse /file "${QEL_VERSION_HEADER}" '#define QEL_PRODUCT_NAME "' QEL_PRODUCT '"'
!searchparse /file "${QEL_VERSION_HEADER}" '#define QEL_PUBLISHER "' QEL_PUBLISHER '"'
!searchparse /file "${QEL_VERSION_HEADER}" '#define QEL_VERSION_TEXT "' QEL_VERSION '"'

!define QEL_EXE "quorvantine_msn.exe"
!define QEL_UNINSTALLER "uninstall.exe"
!define QEL_UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${QEL_PRODUCT}"
!define QEL_SETTINGS_KEY "Software\${QEL_PUBLISHER}\${QEL_PRODUCT}"
!define QEL_RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define QEL_RUN_VALUE "quorvantine_msn"
!define QEL_APP_CLSID "{2D2E40D2-0595-4697-B889-A87AB4250109}"
!define QEL_SHORTCUT "$SMPROGRAMS\${QEL_PRODUCT}.lnk"
; $0 holds the reason when it is shown.
!define QEL_REGISTER_FAILED_TEXT "${QEL_PRODUCT} could not register its COM classes ($0).$\r$\n$\r$\nThe recording engine could not reach the program, so setup has removed it again. Run setup again as an administrator."

!ifdef QEL_SIGN
!finalize '"${__FILEDIR__}/sign" "%1" "${QEL_PRODUCT}"' = 0
!uninstfinalize '"${__FILEDIR__}/sign" "%1" "${QEL_PRODUCT}"' = 0
!endif

Name "${QEL_PRODUCT}"
OutFile "${QEL_OUT}/QuorvantineMsnSetup-${QEL_VERSION}.exe"
InstallDir "$PROGRAMFILES64\${QEL_PUBLISHER}\${QEL_PRODUCT}"
; An upgrade goes where the installed version is.
InstallDirRegKey HKLM "${QEL_UNINST_KEY}" "InstallLocation"
BrandingText "${QEL_PUBLISHER}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${QEL_VERSION}"
VIFileVersion "${QEL_VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${QEL_PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${QEL_PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${QEL_PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${QEL_VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${QEL_VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${QEL_PUBLISHER}"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!addincludedir "${__FILEDIR__}"
!include "program_control.nsh"

!define MUI_ICON "${__FILEDIR__}/../res/quorvantine_msn.ico"
!define MUI_UNICON "${__FILEDIR__}/../res/quorvantine_msn.ico"
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${QEL_EXE}"
!define MUI_FINISHPAGE_RUN_PARAMETERS "/start_context user_manual"
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_NODESC
!define MUI_PAGE_HEADER_TEXT "Uninstall ${QEL_PRODUCT}"
!define MUI_PAGE_HEADER_SUBTEXT "Your recordings stay where they are."
!define MUI_COMPONENTSPAGE_TEXT_TOP "The program, its registration, its shortcut and its start at logon are removed. Your recordings are never touched. Your settings stay for a later installation unless you tick the box."
!define MUI_COMPONENTSPAGE_TEXT_COMPLIST " "
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

!insertmacro QEL_PROGRAM_CONTROL ""
!insertmacro QEL_PROGRAM_CONTROL "un."

Section "-Program"
  SetShellVarContext all
  ; Files of a running program cannot be replaced.
  Call EndRunningProgram
  SetOutPath "$INSTDIR"
  File "${QEL_STAGE}/${QEL_EXE}"
  File "${QEL_STAGE}/quorvantine_msn_ps.dll"
!if /FileExists "${QEL_STAGE}/qel_msn_hook.dll"
  File "${QEL_STAGE}/qel_msn_hook.dll"
!endif
  WriteUninstaller "$INSTDIR\${QEL_UNINSTALLER}"

  DetailPrint "Registering the program's COM classes"
  Call RegisterProgram

  CreateShortCut "${QEL_SHORTCUT}" "$INSTDIR\${QEL_EXE}" "/start_context user_manual" \
      "$INSTDIR\${QEL_EXE}" 0
  Call WriteUninstallEntry
  Call WriteLogonStart
SectionEnd

; Runs "/Regserver"; when it fails, what was copied is taken away again and setup ends with a
; non-zero exit code, so that no half-registered program stays behind.
Function RegisterProgram
  ClearErrors
  ExecWait '"$INSTDIR\${QEL_EXE}" /Regserver' $0
  ${If} ${Errors}
    StrCpy $0 "the program could not be started"
  ${ElseIf} $0 <> 0
    StrCpy $0 "the program ended with code $0"
  ${Else}
    ; The registration must point at this copy of the program.
    ReadRegStr $1 HKCR "CLSID\${QEL_APP_CLSID}\LocalServer32" ""
    ${If} $1 == "$INSTDIR\${QEL_EXE}"
      Return
    ${EndIf}
    StrCpy $0 "its COM class does not point at $INSTDIR\${QEL_EXE}"
  ${EndIf}
  DetailPrint "Registration failed: $0"
  ExecWait '"$INSTDIR\${QEL_EXE}" /Unregserver'
  Call RemoveProgramFiles
  DeleteRegKey HKLM "${QEL_UNINST_KEY}"
  MessageBox MB_OK|MB_ICONSTOP "${QEL_REGISTER_FAILED_TEXT}" /SD IDOK
  SetErrorLevel 3
  Abort "Registration failed: $0"
FunctionEnd

Function WriteUninstallEntry
  WriteRegStr HKLM "${QEL_UNINST_KEY}" "DisplayName" "${QEL_PRODUCT}"
  WriteRegStr HKLM "${QEL_UNINST_KEY}" "DisplayVersion" "${QEL_VERSION}"
  WriteRegStr HKLM "${QEL_UNINST_KEY}" "Publisher" "${QEL_PUBLISHER}"
  WriteRegStr HKLM "${QEL_UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${QEL_UNINST_KEY}" "UninstallString" '"$INSTDIR\${QEL_UNINSTALLER}"'
  WriteRegStr HKLM "${QEL_UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${QEL_UNINSTALLER}" /S'
  WriteRegStr HKLM "${QEL_UNINST_KEY}" "DisplayIcon" "$INSTDIR\${QEL_EXE},0"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${QEL_UNINST_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${QEL_UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${QEL_UNINST_KEY}" "NoRepair" 1
FunctionEnd

; A fresh install starts the program at logon; an existing value, even the empty one the
; program leaves when the user switched the start off, is the user's choice and stays.
Function WriteLogonStart
  ClearErrors
  ReadRegStr $0 HKCU "${QEL_RUN_KEY}" "${QEL_RUN_VALUE}"
  ${If} ${Errors}
    WriteRegStr HKCU "${QEL_RUN_KEY}" "${QEL_RUN_VALUE}" \
        '"$INSTDIR\${QEL_EXE}" /start_context sys_auto'
  ${EndIf}
FunctionEnd

Section "-un.Program"
  SetShellVarContext all
  ; A program that does not end keeps its files: nothing is removed then.
  Call un.EndRunningProgram
  DetailPrint "Unregistering the program's COM classes"
  ClearErrors
  ExecWait '"$INSTDIR\${QEL_EXE}" /Unregserver' $0
  ${If} ${Errors}
  ${OrIf} $0 <> 0
    DetailPrint "Unregistering failed"
  ${EndIf}
  Call un.RemoveProgramFiles
  Delete "${QEL_SHORTCUT}"
  DeleteRegKey HKLM "${QEL_UNINST_KEY}"
  DeleteRegValue HKCU "${QEL_RUN_KEY}" "${QEL_RUN_VALUE}"
SectionEnd

; Recordings are the user's work and always stay; settings go only when asked for.
Section /o "un.Also remove my settings" SecRemoveSettings
  DeleteRegKey HKCU "${QEL_SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\${QEL_PUBLISHER}"
  DeleteRegKey HKLM "${QEL_SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\${QEL_PUBLISHER}"
SectionEnd

Function un.onInit
  ; A silent uninstall asks for the settings' removal on its command line.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/RemoveSettings" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecRemoveSettings} ${SF_SELECTED}
  ${EndIf}
FunctionEnd
