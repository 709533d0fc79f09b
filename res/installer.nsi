; The installer of Vitrane: for the current user only, with no administrator
; prompt. makensis is given VERSION (major.minor.patch), PROGRAM (the
; Vitrane.scr to install) and OUTFILE, both absolute: makensis works in this
; folder.
;
; It writes nothing outside the user's own folders and HKCU: the program goes
; to %LOCALAPPDATA%\Programs\Vitrane, the chosen screensaver is the user's own
; setting, and the uninstall key under HKCU lists it in the user's apps.

; Windows on x64 (and Wine built 64-bit only) does not start a 32-bit stub.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vitrane"
!define DESKTOP_KEY "Control Panel\Desktop"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define SPI_SETSCREENSAVEACTIVE 17
; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE: stored, and every running program
; (the session's screensaver timer among them) told at once.
!define SPIF_STORE_AND_TELL 3

Name "Vitrane"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vitrane"
; An upgrade goes where the installed version is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Vitrane ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Vitrane"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Vitrane ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "Copyright (c) the Vitrane authors. MIT licence."

!define MUI_ICON "vitrane.ico"
!define MUI_UNICON "vitrane.ico"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; MoveAsideInUse FILE: FILE is deleted; where a running copy (the saver, its
; preview or its dialog) holds it, it is renamed instead, which Windows allows
; for a running program, into the temporary folder, and deleted at the user's
; next sign-in. $R9 is "1" when that happened.
!macro MoveAsideInUse FILE
    ClearErrors
    Delete "${FILE}"
    ${If} ${Errors}
    ${AndIf} ${FileExists} "${FILE}"
        GetTempFileName $R8
        Delete $R8
        Rename "${FILE}" $R8
        WriteRegStr HKCU "${RUNONCE_KEY}" "Vitrane cleanup $R8" '"$SYSDIR\cmd.exe" /c del /f /q "$R8"'
        StrCpy $R9 "1"
    ${EndIf}
!macroend

; SetScreenSaverActive FLAG: the registry and the running session both.
!macro SetScreenSaverActive FLAG
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "${FLAG}"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i ${FLAG}, p 0, i ${SPIF_STORE_AND_TELL})'
!macroend

Function .onInit
    SetShellVarContext current
FunctionEnd

Function un.onInit
    SetShellVarContext current
FunctionEnd

Function OpenScreenSaverSettings
    Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

; What the uninstaller puts back: the screensaver chosen before the first
; installation. An upgrade keeps what that one recorded.
Function RecordPreviousScreenSaver
    ClearErrors
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver"
    ${IfNot} ${Errors}
        Return
    ${EndIf}
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ReadRegStr $1 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver" $0
    WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousScreenSaveActive" $1
FunctionEnd

; An upgrade into another folder leaves no second copy behind.
Function RemoveCopyElsewhere
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 == ""
    ${OrIf} $0 == $INSTDIR
        Return
    ${EndIf}
    !insertmacro MoveAsideInUse "$0\Vitrane.scr"
    Delete "$0\Uninstall.exe"
    RMDir "$0"
FunctionEnd

Section "Vitrane"
    StrCpy $R9 "0"
    Call RecordPreviousScreenSaver
    Call RemoveCopyElsewhere
    SetOutPath "$INSTDIR"
    !insertmacro MoveAsideInUse "$INSTDIR\Vitrane.scr"
    File "/oname=Vitrane.scr" "${PROGRAM}"
    WriteUninstaller "$INSTDIR\Uninstall.exe"
    ${If} $R9 == "1"
        MessageBox MB_OK|MB_ICONINFORMATION "Vitrane was running. The new version is installed and is used from its next start; the old copy is removed at your next sign-in." /SD IDOK
    ${EndIf}

    ; The settings dialog saves into the user's own file once it exists, and
    ; beside the program otherwise, where uninstalling would take them away.
    CreateDirectory "$APPDATA\Vitrane"
    ${IfNot} ${FileExists} "$APPDATA\Vitrane\Vitrane.ini"
        FileOpen $0 "$APPDATA\Vitrane\Vitrane.ini" w
        FileClose $0
    ${EndIf}

    CreateShortcut "$SMPROGRAMS\Vitrane settings.lnk" "$INSTDIR\Vitrane.scr" "/c" "$INSTDIR\Vitrane.scr" 0

    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\Vitrane.scr"
    !insertmacro SetScreenSaverActive 1

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vitrane screensaver"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vitrane.scr,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "the Vitrane authors"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The screensaver chosen before installation comes back only while Vitrane is
; still the chosen one: a choice the user made since is theirs to keep.
Function un.RestorePreviousScreenSaver
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} $0 != "$INSTDIR\Vitrane.scr"
        Return
    ${EndIf}
    ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver"
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "PreviousScreenSaveActive"
    ${If} $0 == ""
        DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
        !insertmacro SetScreenSaverActive 0
    ${Else}
        WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0
        ${If} $1 == "0"
            !insertmacro SetScreenSaverActive 0
        ${Else}
            !insertmacro SetScreenSaverActive 1
        ${EndIf}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    StrCpy $R9 "0"
    Call un.RestorePreviousScreenSaver
    Delete "$SMPROGRAMS\Vitrane settings.lnk"
    !insertmacro MoveAsideInUse "$INSTDIR\Vitrane.scr"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    StrCpy $R7 ""
    ${If} $R9 == "1"
        StrCpy $R7 " It is still running: its last copy goes at your next sign-in."
    ${EndIf}
    DetailPrint "Vitrane was removed.$R7 Your settings are kept in $APPDATA\Vitrane."
SectionEnd

Function un.onUninstSuccess
    MessageBox MB_OK|MB_ICONINFORMATION "Vitrane was removed.$R7$\r$\n$\r$\nYour settings are kept in $APPDATA\Vitrane: delete that folder to remove them too." /SD IDOK
FunctionEnd
