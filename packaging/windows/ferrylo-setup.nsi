; The Windows installer, ferrylo-setup.exe: ferrylo.exe and Files\ for the current user, without administrator rights,
; in %LOCALAPPDATA%\Programs\Ferrylo (a folder of the user's own, so the settings files beside the program stay
; writable), a Start menu shortcut, and an uninstaller listed among the system's programs. Russian texts; /S installs
; (and the uninstaller removes) without a window.
; Compiled by the Windows build (app/CMakeLists.txt):
;   makensis -DVERSION=1.0 -DPROGRAM_FOLDER=<folder of ferrylo.exe> -DOUTPUT=<ferrylo-setup.exe> ferrylo-setup.nsi

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define NAME "Ferrylo"
!define PROGRAM "ferrylo.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${NAME}"

Name "${NAME}"
OutFile "${OUTPUT}"
InstallDir "$LOCALAPPDATA\Programs\${NAME}"
; Installed again, it goes where it went the first time.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${NAME} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1049 "ProductName" "${NAME}"
VIAddVersionKey /LANG=1049 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1049 "FileDescription" "Установка ${NAME}"
VIAddVersionKey /LANG=1049 "LegalCopyright" "${NAME}"

!include "MUI2.nsh"
!include "FileFunc.nsh"

; makensis reads paths from the script's folder.
!define MUI_ICON "../../resources/ferrylo.ico"
!define MUI_UNICON "../../resources/ferrylo.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Section
    SetOutPath "$INSTDIR"
    File "${PROGRAM_FOLDER}/${PROGRAM}"
    SetOutPath "$INSTDIR\Files"
    File "${PROGRAM_FOLDER}/Files/HOISTER.exe"
    File "${PROGRAM_FOLDER}/Files/Menuwright.exe"
    File "${PROGRAM_FOLDER}/Files/Vesperal.exe"
    File "${PROGRAM_FOLDER}/Files/ferrylo.chm"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    ; The shortcut starts the program in its own folder, as a start from Explorer would.
    SetOutPath "$INSTDIR"
    CreateShortcut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\${PROGRAM}"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${NAME}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer put there. The settings the user saved live in the same folder: they are removed only
; when the user says so, so a silent removal (an update, a script) never loses them; the folder goes when empty.
Section "Uninstall"
    ; A running program cannot be removed: nothing is, until it is closed (a silent removal gives up).
retry_program:
    Delete "$INSTDIR\${PROGRAM}"
    IfFileExists "$INSTDIR\${PROGRAM}" 0 program_removed
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${NAME} сейчас работает. Закройте программу и повторите попытку." \
        /SD IDCANCEL IDRETRY retry_program
    Abort
program_removed:
    Delete "$INSTDIR\Files\HOISTER.exe"
    Delete "$INSTDIR\Files\Menuwright.exe"
    Delete "$INSTDIR\Files\Vesperal.exe"
    Delete "$INSTDIR\Files\ferrylo.chm"
    RMDir "$INSTDIR\Files"
    Delete "$INSTDIR\${UNINSTALLER}"
    Delete "$SMPROGRAMS\${NAME}.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"

    IfFileExists "$INSTDIR\ferrylo.*" 0 settings_done
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
        "Удалить и сохранённые настройки (FTP сервер, логин, пароль, папки, опции)?$\r$\n$\r$\nЕсли их оставить, ${NAME}, установленный снова в эту папку, найдёт их:$\r$\n$INSTDIR" \
        /SD IDNO IDNO settings_done
    ; What the program saves beside itself, named after its file; ".ftps.new" is a ".ftps" being written when the
    ; program was stopped.
    Delete "$INSTDIR\ferrylo.MyIni"
    Delete "$INSTDIR\ferrylo.iniInp"
    Delete "$INSTDIR\ferrylo.inisearch"
    Delete "$INSTDIR\ferrylo.path"
    Delete "$INSTDIR\ferrylo.option"
    Delete "$INSTDIR\ferrylo.ftps"
    Delete "$INSTDIR\ferrylo.ftps.new"
settings_done:
    RMDir "$INSTDIR"
SectionEnd
