; The installer of Vitrane: for the current user only, with no administrator
; prompt. makensis is given VERSION (major.minor.patch), PROGRAM (the
; Vitrane.scr to install) and OUTFILE, both absolute: makensis works in this
; folder. With SIGN_COMMAND, a command that signs the file named after it in
; place, the uninstaller it writes is signed too.
;
; It writes nothing outside the user's own folders and HKCU: the program goes
; to %LOCALAPPDATA%\Programs\Vitrane, the chosen screensaver is the user's own
; setting, and the uninstall key under HKCU lists it in the user's apps.
;
; The uninstaller also serves the Start menu's "Make Vitrane your
; screensaver": given /choose, it makes Vitrane the chosen screensaver again
; and opens the screen saver settings, as the file's own Install command does.

; Windows on x64 (and Wine built 64-bit only) does not start a 32-bit stub.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!ifdef SIGN_COMMAND
    !uninstfinalize '${SIGN_COMMAND} "%1"'
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vitrane"
!define DESKTOP_KEY "Control Panel\Desktop"
!define RUNONCE_KEY "Software\Microsoft\Windows\CurrentVersion\RunOnce"
!define SETTINGS_SHORTCUT "$SMPROGRAMS\Vitrane settings.lnk"
!define CHOOSE_SHORTCUT "$SMPROGRAMS\Make Vitrane your screensaver.lnk"
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

; Where the installed version is ("" on a first installation), and whether it
; is the chosen screensaver: both judged before any file changes.
Var OldFolder
Var VitraneChosen
; "1" once a running copy keeps a set-aside file until the next sign-in.
Var StillRunning
Var OldSaver
Var OldUninstaller

; SetScreenSaverActive FLAG: the registry and the running session both.
!macro SetScreenSaverActive FLAG
    WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "${FLAG}"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i ${FLAG}, p 0, i ${SPIF_STORE_AND_TELL})'
!macroend

; FileIdentity REGISTER RESULT: "volume:index high:index low" of the file
; whose path the register (R0, without $) holds, the same however the path is
; spelt; "" where it cannot be opened. Only its attributes are asked for, with
; every kind of sharing: a running saver keeps its file open. Uses $R2 to $R6.
!macro FileIdentity REGISTER RESULT
    StrCpy ${RESULT} ""
    System::Call 'kernel32::CreateFileW(w ${REGISTER}, i 0x80, i 7, p 0, i 3, i 0, p 0) p .R5'
    ${If} $R5 P<> -1
        ; BY_HANDLE_FILE_INFORMATION: the volume's serial number at byte 28,
        ; the file index at 44 (high) and 48 (low).
        System::Call '*(&i52) p .R6'
        System::Call 'kernel32::GetFileInformationByHandle(p R5, p R6) i .R4'
        ${If} $R4 <> 0
            System::Call '*$R6(i, i, i, i, i, i, i, i .R2, i, i, i, i .R3, i .R4)'
            StrCpy ${RESULT} "$R2:$R3:$R4"
        ${EndIf}
        System::Free $R6
        System::Call 'kernel32::CloseHandle(p R5)'
    ${EndIf}
!macroend

; The functions both the installer and the uninstaller call: NSIS wants the
; uninstaller's own copies, named un.*.
!macro SharedFunctions UN

; SameFile: $R2 is "1" when the paths $R0 and $R1 name one file, however each
; is spelt (short or long form, any case, another way to the folder), "0"
; otherwise. Where either cannot be opened (a deleted file), their full paths
; are compared, without regard to case.
Function ${UN}SameFile
    Push $R0
    Push $R1
    Push $R3
    Push $R4
    Push $R5
    Push $R6
    Push $R7
    Push $R8
    ExpandEnvStrings $R0 $R0
    ExpandEnvStrings $R1 $R1
    !insertmacro FileIdentity R0 $R7
    !insertmacro FileIdentity R1 $R8
    ${If} $R7 == ""
    ${OrIf} $R8 == ""
        System::Call 'kernel32::GetFullPathNameW(w R0, i ${NSIS_MAX_STRLEN}, w .R7, p 0)'
        System::Call 'kernel32::GetFullPathNameW(w R1, i ${NSIS_MAX_STRLEN}, w .R8, p 0)'
    ${EndIf}
    StrCpy $R2 0
    ; StrCmp, under ==, ignores case.
    ${If} $R7 != ""
    ${AndIf} $R7 == $R8
        StrCpy $R2 1
    ${EndIf}
    Pop $R8
    Pop $R7
    Pop $R6
    Pop $R5
    Pop $R4
    Pop $R3
    Pop $R1
    Pop $R0
FunctionEnd

; ChooseVitrane: makes the installed Vitrane the user's screensaver, turned
; on. The choice it replaces is recorded for the uninstaller to put back,
; unless that was this Vitrane already.
Function ${UN}ChooseVitrane
    ReadRegStr $R0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    StrCpy $R1 "$INSTDIR\Vitrane.scr"
    Call ${UN}SameFile
    ${If} $R2 != 1
        ReadRegStr $R1 HKCU "${DESKTOP_KEY}" "ScreenSaveActive"
        WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver" $R0
        WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousScreenSaveActive" $R1
    ${EndIf}
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\Vitrane.scr"
    !insertmacro SetScreenSaverActive 1
FunctionEnd

Function ${UN}OpenScreenSaverSettings
    Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

; SetAside: renames the file $R0 to $R0.N.old in its own folder, where a
; rename never changes the volume and Windows allows it even for a running
; program's file; $R1 is the new name, "" where the rename failed.
Function ${UN}SetAside
    StrCpy $R2 1
    ${DoWhile} ${FileExists} "$R0.$R2.old"
        IntOp $R2 $R2 + 1
    ${Loop}
    StrCpy $R1 "$R0.$R2.old"
    ClearErrors
    Rename $R0 $R1
    ${If} ${Errors}
        StrCpy $R1 ""
    ${EndIf}
FunctionEnd

; DeleteSetAside: deletes the set-aside file $R0 of the folder $R1; where a
; running program still holds it, it goes at the user's next sign-in, and the
; folder with it once empty.
Function ${UN}DeleteSetAside
    ClearErrors
    Delete $R0
    ${If} ${Errors}
        WriteRegStr HKCU "${RUNONCE_KEY}" "Vitrane cleanup $R0" '"$SYSDIR\cmd.exe" /c del /f /q "$R0" & rmdir "$R1" 2>nul'
        StrCpy $StillRunning 1
    ${EndIf}
FunctionEnd

!macroend
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

Function .onInit
    SetShellVarContext current
FunctionEnd

Function un.onInit
    SetShellVarContext current
    ${un.GetParameters} $0
    ClearErrors
    ${un.GetOptions} $0 "/choose" $1
    ${IfNot} ${Errors}
        Call un.ChooseVitrane
        Call un.OpenScreenSaverSettings
        SetErrorLevel 0
        Quit
    ${EndIf}
FunctionEnd

; SwapIn: $R0.new takes the place of the file $R0, which is set aside first.
; $R1 is the set-aside file, "" where there was none, "!" where a step failed
; and $R0 is as it was.
Function SwapIn
    StrCpy $R1 ""
    ${If} ${FileExists} $R0
        Call SetAside
        ${If} $R1 == ""
            StrCpy $R1 "!"
            Return
        ${EndIf}
    ${EndIf}
    ClearErrors
    Rename "$R0.new" $R0
    ${If} ${Errors}
        ${If} $R1 != ""
            Rename $R1 $R0
        ${EndIf}
        StrCpy $R1 "!"
    ${EndIf}
FunctionEnd

; The new files are written beside the old ones under names of their own, and
; only then take their places. Where a step fails, the steps before it are
; undone and the installation stops: the old version stays whole, never half
; upgraded.
Function InstallFiles
    ClearErrors
    SetOutPath "$INSTDIR"
    Delete "$INSTDIR\Vitrane.scr.new"
    Delete "$INSTDIR\Uninstall.exe.new"
    File "/oname=Vitrane.scr.new" "${PROGRAM}"
    WriteUninstaller "$INSTDIR\Uninstall.exe.new"
    ${If} ${Errors}
        StrCpy $R3 "Vitrane could not write its files into $INSTDIR."
        Goto failed
    ${EndIf}

    StrCpy $R0 "$INSTDIR\Vitrane.scr"
    Call SwapIn
    StrCpy $OldSaver $R1
    ${If} $OldSaver != "!"
        StrCpy $R0 "$INSTDIR\Uninstall.exe"
        Call SwapIn
        StrCpy $OldUninstaller $R1
        ${If} $OldUninstaller == "!"
            Delete "$INSTDIR\Vitrane.scr"
            ${If} $OldSaver != ""
                Rename $OldSaver "$INSTDIR\Vitrane.scr"
            ${EndIf}
        ${EndIf}
    ${EndIf}
    ${If} $OldSaver == "!"
    ${OrIf} $OldUninstaller == "!"
        StrCpy $R3 "$R0 could not be replaced: another program may be using it."
        Goto failed
    ${EndIf}

    StrCpy $R1 "$INSTDIR"
    ${If} $OldSaver != ""
        StrCpy $R0 $OldSaver
        Call DeleteSetAside
    ${EndIf}
    ${If} $OldUninstaller != ""
        StrCpy $R0 $OldUninstaller
        Call DeleteSetAside
    ${EndIf}
    Return

failed:
    Delete "$INSTDIR\Vitrane.scr.new"
    Delete "$INSTDIR\Uninstall.exe.new"
    ; Only where this installation made it.
    RMDir "$INSTDIR"
    MessageBox MB_OK|MB_ICONSTOP "$R3$\r$\n$\r$\nNothing was changed: the version installed before stays as it was. Close Vitrane, its settings and the screen saver settings, then run the installer again." /SD IDOK
    Abort
FunctionEnd

; An upgrade into another folder leaves no second copy behind.
Function RemoveCopyElsewhere
    ${If} $OldFolder == ""
        Return
    ${EndIf}
    StrCpy $R0 "$OldFolder\Vitrane.scr"
    StrCpy $R1 "$INSTDIR\Vitrane.scr"
    Call SameFile
    ${If} $R2 == 1
        Return
    ${EndIf}
    ${If} ${FileExists} $R0
        Call SetAside
        ${If} $R1 == ""
            MessageBox MB_OK|MB_ICONEXCLAMATION "The new version is installed in $INSTDIR, but the old copy $R0 could not be removed: delete it by hand." /SD IDOK
        ${Else}
            StrCpy $R0 $R1
            StrCpy $R1 $OldFolder
            Call DeleteSetAside
        ${EndIf}
    ${EndIf}
    Delete "$OldFolder\Uninstall.exe"
    RMDir "$OldFolder"
FunctionEnd

Section "Vitrane"
    StrCpy $StillRunning 0
    ReadRegStr $OldFolder HKCU "${UNINSTALL_KEY}" "InstallLocation"
    StrCpy $VitraneChosen 0
    ${If} $OldFolder != ""
        ReadRegStr $R0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
        StrCpy $R1 "$OldFolder\Vitrane.scr"
        Call SameFile
        StrCpy $VitraneChosen $R2
    ${EndIf}

    Call InstallFiles
    Call RemoveCopyElsewhere
    ${If} $StillRunning == 1
        MessageBox MB_OK|MB_ICONINFORMATION "Vitrane was running. The new version is installed and is used from its next start; the old copy is removed at your next sign-in." /SD IDOK
    ${EndIf}

    ; The settings dialog saves into the user's own file once it exists, and
    ; beside the program otherwise, where uninstalling would take them away.
    CreateDirectory "$APPDATA\Vitrane"
    ${IfNot} ${FileExists} "$APPDATA\Vitrane\Vitrane.ini"
        FileOpen $0 "$APPDATA\Vitrane\Vitrane.ini" w
        FileClose $0
    ${EndIf}

    CreateShortcut "${SETTINGS_SHORTCUT}" "$INSTDIR\Vitrane.scr" "/c" "$INSTDIR\Vitrane.scr" 0
    ; _?= runs the uninstaller where it is, instead of from a copy in the
    ; temporary folder; it must come last, unquoted.
    CreateShortcut "${CHOOSE_SHORTCUT}" "$INSTDIR\Uninstall.exe" "/choose _?=$INSTDIR" "$INSTDIR\Vitrane.scr" 0

    ; A first installation makes Vitrane the screensaver. Over an installed
    ; Vitrane the user's choice stays: Vitrane stays chosen, at its new path,
    ; only where it was chosen.
    ${If} $OldFolder == ""
        Call ChooseVitrane
    ${ElseIf} $VitraneChosen == 1
        WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\Vitrane.scr"
    ${EndIf}

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

; The recorded choice comes back only while Vitrane is still the chosen one,
; however its path is spelt there: a choice the user made since is theirs to
; keep.
Function un.RestorePreviousScreenSaver
    ReadRegStr $R0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    StrCpy $R1 "$INSTDIR\Vitrane.scr"
    Call un.SameFile
    ${If} $R2 != 1
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
    StrCpy $StillRunning 0
    StrCpy $R7 ""
    Call un.RestorePreviousScreenSaver
    Delete "${SETTINGS_SHORTCUT}"
    Delete "${CHOOSE_SHORTCUT}"
    StrCpy $R0 "$INSTDIR\Vitrane.scr"
    ${If} ${FileExists} $R0
        Call un.SetAside
        ${If} $R1 == ""
            StrCpy $R7 " Its program $R0 could not be removed: delete it by hand."
        ${Else}
            StrCpy $R0 $R1
            StrCpy $R1 "$INSTDIR"
            Call un.DeleteSetAside
        ${EndIf}
    ${EndIf}
    ; Copies an upgrade set aside that are no longer running.
    Delete "$INSTDIR\Vitrane.scr.*.old"
    Delete "$INSTDIR\Uninstall.exe.*.old"
    Delete "$INSTDIR\Uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ${If} $StillRunning == 1
        StrCpy $R7 " It is still running: its last copy goes at your next sign-in."
    ${EndIf}
    DetailPrint "Vitrane was removed.$R7 Your settings are kept in $APPDATA\Vitrane."
SectionEnd

Function un.onUninstSuccess
    MessageBox MB_OK|MB_ICONINFORMATION "Vitrane was removed.$R7$\r$\n$\r$\nYour settings are kept in $APPDATA\Vitrane: delete that folder to remove them too." /SD IDOK
FunctionEnd
