; The installer of Corvane Hivesweep, one script for both architectures.
; scripts/package.sh compiles it once per architecture:
;   makensis -DARCH=x64|x86 -DVERSION=2.8 -DSTAGE=<folder> -DOUTFILE=<setup.exe> Hivesweep.nsi
; STAGE holds the files to ship and files.nsh, which names exactly those files
; (HS_INSTALL_FILES and HS_DELETE_FILES), so the uninstaller removes what was
; installed and nothing a user put beside it.
;
; The pages speak the user's Windows display language when it is one the
; program ships (English, German, French, Spanish), English otherwise. Each
; text of ours is a LangString in all four; makensis -WX fails when one lacks
; a language. Saved as UTF-8 with a byte-order mark, so makensis reads it as
; UTF-8 wherever it runs.
;
; Silent use: "setup.exe /S" installs; "uninstall.exe /S" uninstalls and
; keeps the registry backups; "/S /REMOVEBACKUPS" removes them too.

!ifndef ARCH | VERSION | STAGE | OUTFILE
  !error "Define ARCH (x64 or x86), VERSION, STAGE and OUTFILE (see scripts/package.sh)"
!endif

!define PRODUCT "Corvane Hivesweep"
!define PUBLISHER "Corvane Software"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane Hivesweep"
; The program's own key (its backup record); it has no other registry state.
!define PROGRAM_KEY "Software\Corvane Hivesweep"
; The main window's class (src/mainwindow/win32/MainWindowIdentity.h).
!define MAIN_WINDOW_CLASS "Corvane Hivesweep Made by Corvane Software"

!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define OWN_VIEW 64
  !define OTHER_VIEW 32
!else if "${ARCH}" == "x86"
  Target x86-unicode
  !define OWN_VIEW 32
  !define OTHER_VIEW 64
!else
  !error "ARCH must be x64 or x86, not ${ARCH}"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "x64.nsh"
!include "${STAGE}/files.nsh"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show
BrandingText "${PRODUCT} ${VERSION} (${ARCH})"

!define MUI_ICON "${STAGE}/Hivesweep.ico"
!define MUI_UNICON "${STAGE}/Hivesweep.ico"
; Drawn by scripts/make-pictures.sh.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${STAGE}/wizard.bmp"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\hivesweep.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Readme.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "$(HS_BACKUPS_CHOICE)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES

; English first: the language when the display language is none of these.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Spanish"

; The words match the program's own translations (lang/Lan_*.ini).
LangString HS_PROGRAM_RUNNING ${LANG_ENGLISH} \
    "${PRODUCT} is running. Close it, then press OK."
LangString HS_PROGRAM_RUNNING ${LANG_GERMAN} \
    "${PRODUCT} wird gerade ausgeführt. Schließen Sie das Programm und klicken Sie dann auf OK."
LangString HS_PROGRAM_RUNNING ${LANG_FRENCH} \
    "${PRODUCT} est en cours d'exécution. Fermez-le, puis cliquez sur OK."
LangString HS_PROGRAM_RUNNING ${LANG_SPANISH} \
    "${PRODUCT} se está ejecutando. Ciérrelo y pulse Aceptar."

LangString HS_BACKUPS ${LANG_ENGLISH} "Registry backups"
LangString HS_BACKUPS ${LANG_GERMAN} "Registrierungssicherungen"
LangString HS_BACKUPS ${LANG_FRENCH} "Sauvegardes du registre"
LangString HS_BACKUPS ${LANG_SPANISH} "Copias de seguridad del registro"

LangString HS_BACKUPS_CHOICE ${LANG_ENGLISH} \
    "Tick Registry backups to delete the backup files of repairs as well. They are kept otherwise."
LangString HS_BACKUPS_CHOICE ${LANG_GERMAN} \
    "Aktivieren Sie „Registrierungssicherungen“, um auch die Sicherungsdateien der Reparaturen zu löschen. Andernfalls bleiben sie erhalten."
LangString HS_BACKUPS_CHOICE ${LANG_FRENCH} \
    "Cochez « Sauvegardes du registre » pour supprimer aussi les fichiers de sauvegarde des réparations. Sinon, ils sont conservés."
LangString HS_BACKUPS_CHOICE ${LANG_SPANISH} \
    "Marque «Copias de seguridad del registro» para borrar también los archivos de copia de seguridad de las reparaciones. De lo contrario, se conservan."

LangString HS_FOLDER_KEPT ${LANG_ENGLISH} \
    "Kept $INSTDIR: it still holds files that were not installed."
LangString HS_FOLDER_KEPT ${LANG_GERMAN} \
    "$INSTDIR bleibt erhalten: Der Ordner enthält noch Dateien, die nicht installiert wurden."
LangString HS_FOLDER_KEPT ${LANG_FRENCH} \
    "$INSTDIR est conservé : il contient encore des fichiers qui n'ont pas été installés."
LangString HS_FOLDER_KEPT ${LANG_SPANISH} \
    "Se conserva $INSTDIR: todavía contiene archivos que no se instalaron."

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "${PRODUCT} ${VERSION} setup (${ARCH})"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "© ${PUBLISHER}"

; The backup folder as the program's options name it, read before
; options.ini goes.
Var BackupFolder
; The Start menu shortcut's file name.
Var Shortcut

; Files in use cannot be replaced or removed: the running program must end
; first. A silent run gives up (exit code 2) rather than wait for nobody.
; The window is found by its class. The console companion has no window (a
; scheduled repair, say, in any session): while it runs, Windows refuses to
; open its program file for writing, whatever the sharing asked, with a
; sharing violation (32). A program reading the file without sharing (a virus
; scanner, briefly) answers the same; OK asks again.
!macro WaitForProgramToClose UN
Function ${UN}WaitForProgramToClose
  retry:
  FindWindow $0 "${MAIN_WINDOW_CLASS}"
  StrCmp $0 0 0 running
  IfFileExists "$INSTDIR\hivesweep-cli.exe" 0 closed
  ; GENERIC_WRITE, every sharing mode, OPEN_EXISTING; the error code follows.
  System::Call 'kernel32::CreateFileW(w "$INSTDIR\hivesweep-cli.exe", i 0x40000000, i 7, p 0, i 3, i 0, p 0) p .r0 ?e'
  Pop $1
  StrCmp $0 -1 0 opened
  StrCmp $1 32 running closed
  opened:
  System::Call 'kernel32::CloseHandle(p r0)'
  Goto closed
  running:
  MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "$(HS_PROGRAM_RUNNING)" /SD IDCANCEL IDOK retry
  Abort
  closed:
FunctionEnd
!macroend
!insertmacro WaitForProgramToClose ""
!insertmacro WaitForProgramToClose "un."

; With both architectures installed on 64-bit Windows, each has a shortcut
; of its own, so one's uninstaller leaves the other's. The name does not
; follow the display language: the uninstaller finds it whichever language
; the installer spoke.
!macro ChooseShortcut
  StrCpy $Shortcut "${PRODUCT}.lnk"
  !if "${ARCH}" == "x86"
    ${If} ${RunningX64}
      StrCpy $Shortcut "${PRODUCT} (32-bit).lnk"
    ${EndIf}
  !endif
!macroend

; The registry view this architecture's program and uninstall entry live in.
!macro UseOwnView
  !if "${OWN_VIEW}" == "64"
    SetRegView 64
  !else
    SetRegView 32
  !endif
!macroend

Function .onInit
  ; /D=FOLDER on the command line has set $INSTDIR already.
  ${If} $INSTDIR == ""
    !if "${ARCH}" == "x64"
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    !else
      StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
    !endif
  ${EndIf}
  !insertmacro UseOwnView
  !insertmacro ChooseShortcut
  Call WaitForProgramToClose
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  !insertmacro HS_INSTALL_FILES
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\$Shortcut" "$INSTDIR\hivesweep.exe" "" "$INSTDIR\hivesweep.exe" 0
  SetShellVarContext current

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION} (${ARCH})"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\hivesweep.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The program's files only (/G=0: not a backup folder kept from before).
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; --- the uninstaller ---------------------------------------------------

; options.ini lies beside the program, or in the user's application data
; when the program folder was not writable (src/settings/SettingsFile).
Function un.ReadBackupFolder
  StrCpy $BackupFolder ""
  ReadINIStr $BackupFolder "$INSTDIR\options.ini" "Options" "OutputDirectory"
  ${If} $BackupFolder == ""
    ReadINIStr $BackupFolder "$APPDATA\${PRODUCT}\options.ini" "Options" "OutputDirectory"
  ${EndIf}
  ${If} $BackupFolder == ""
    StrCpy $BackupFolder "$INSTDIR\Backup"
  ${EndIf}
FunctionEnd

Function un.DeleteProgramKeyInOtherView
  SetRegView ${OTHER_VIEW}
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "UninstallString"
  ${If} ${Errors}
    DeleteRegKey HKLM "${PROGRAM_KEY}"
  ${EndIf}
  !insertmacro UseOwnView
FunctionEnd

Section "un.${PRODUCT}" SecUninstallProgram
  SectionIn RO
  SetShellVarContext all
  Delete "$SMPROGRAMS\$Shortcut"
  SetShellVarContext current

  !insertmacro HS_DELETE_FILES
  ; What the program itself writes beside itself: its options and the
  ; temporary file of their atomic save.
  Delete "$INSTDIR\options.ini"
  Delete "$INSTDIR\options.ini.tmp"
  Delete "$APPDATA\${PRODUCT}\options.ini"
  Delete "$APPDATA\${PRODUCT}\options.ini.tmp"
  RMDir "$APPDATA\${PRODUCT}"
  Delete "$INSTDIR\uninstall.exe"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${PROGRAM_KEY}"
  ; The other architecture's program writes the same key in the other view
  ; (a 32-bit program's HKLM\Software is WOW6432Node): it goes too, unless
  ; that architecture is installed and still using it. A 32-bit Windows has
  ; one view only.
  !if "${ARCH}" == "x86"
    ${If} ${RunningX64}
      Call un.DeleteProgramKeyInOtherView
    ${EndIf}
  !else
    Call un.DeleteProgramKeyInOtherView
  !endif
SectionEnd

Section /o "un.$(HS_BACKUPS)" SecBackups
  ; The default folder lies in ours and may hold backups from before another
  ; folder was chosen.
  RMDir /r "$INSTDIR\Backup"
  ; A folder the user chose may hold their own files: only the backups this
  ; program names (BackupYYYYMMDDhhmmss.reg) go, and the folder when that
  ; empties it.
  ${If} $BackupFolder != "$INSTDIR\Backup"
    Delete "$BackupFolder\Backup??????????????.reg"
    RMDir "$BackupFolder"
  ${EndIf}
SectionEnd

; /REMOVEBACKUPS ticks "Registry backups" for a silent run.
Function un.onInit
  !insertmacro UseOwnView
  !insertmacro ChooseShortcut
  Call un.WaitForProgramToClose
  Call un.ReadBackupFolder
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVEBACKUPS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecBackups} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

; Last: the folder goes only when nothing is left in it (backups kept, or a
; file the user put there).
Section "-un.Folder"
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    DetailPrint "$(HS_FOLDER_KEPT)"
  ${EndIf}
SectionEnd
