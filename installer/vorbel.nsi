; Vorbel's installer. Built by the "installer" target:
;   makensis -DVERSION=x.y.z -DEXE=... -DPRESET=... -DICON=... -DOUTFILE=... [-DX64] vorbel.nsi
; Silent deployment: Vorbel-Setup-x.y.z.exe /S [/STARTUP=0|1] [/TARGET=N] [/PROGRAM=path]
;   [/CONVENTION=N] [/INFOSERVER="url"] [/D=install folder, last and unquoted]
;   "Autre programme" (/TARGET=6): [/ARGUMENTS='template'] [/BRIDGEPATH='template']
;   [/BRIDGECONTENT='template' or /BRIDGECONTENTFILE="file, UTF-8 or UTF-16"] [/ENCODING=0..4]
;   [/XMLESCAPE=0|1]
; Values holding spaces or slashes go in double quotes: /PROGRAM="C:\Program Files\X\x.exe";
; templates, which hold double quotes, in single quotes.
; -DX64 makes the installer of the x64 build: a 64-bit installer that installs into the 64-bit
; Program Files.
!ifdef X64
Target amd64-unicode
!else
Unicode true
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "LogicLib.nsh"

Name "Vorbel"
OutFile "${OUTFILE}"
!ifdef X64
!define DEFAULT_FOLDER "$PROGRAMFILES64\Vorbel"
!else
!define DEFAULT_FOLDER "$PROGRAMFILES\Vorbel"
!endif
InstallDir "${DEFAULT_FOLDER}"
BrandingText "Vorbel ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1036 "ProductName" "Vorbel"
VIAddVersionKey /LANG=1036 "FileDescription" "Installation de Vorbel"
VIAddVersionKey /LANG=1036 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1036 "LegalCopyright" "© Vorbel"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorbel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

; Extracted in .onInit: first in the solid block, so that nothing before it is unpacked.
ReserveFile "${PRESET}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "French"

Section "Vorbel" SecProgram
  SectionIn RO
  ; The preset comes first: a refused value must leave nothing half-installed.
  Call PresetSettings
  SetOutPath "$INSTDIR"
  File "/oname=Vorbel.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Vorbel.lnk" "$INSTDIR\Vorbel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Vorbel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Vorbel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vorbel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
SectionEnd

; The same value as Setup's "Ajouter au groupe démarrage": the exe's full path in double quotes,
; so that a folder with spaces can never start another program at logon.
Section "Démarrer Vorbel avec Windows" SecStartup
  WriteRegStr HKCU "${RUN_KEY}" "Vorbel" '"$INSTDIR\Vorbel.exe"'
SectionEnd

; Every option, /STARTUP and the folder included, is read by the preset writer from the
; installer's whole command line, as the system holds it, handed over in a UTF-16 file: NSIS's own
; reading cuts the line at 1,024 characters and at any " /D=", even one inside a template, and a
; value pasted back between quotes on a command line would lose a final backslash. It is asked
; here, before any page, to check them all and say what the installer must set itself; it stores
; the settings in the first section.
Function .onInit
  InitPluginsDir
  System::Call 'kernel32::GetCommandLineW() p .R1'
  System::Call 'kernel32::lstrlenW(p R1) i .R2'
  IntOp $R2 $R2 * 2
  FileOpen $R5 "$PLUGINSDIR\options.txt" w
  FileWriteWord $R5 0xFEFF
  System::Call 'kernel32::WriteFile(p R5, p R1, i R2, *i .R3, p 0) i .R4'
  FileClose $R5
  ${If} $R4 == 0
  ${OrIf} $R3 != $R2
    Call RefuseOptions
  ${EndIf}
  File "/oname=$PLUGINSDIR\vorbel_preset.exe" "${PRESET}"
  ExecWait '"$PLUGINSDIR\vorbel_preset.exe" --check --installer-options "$PLUGINSDIR\options.txt" --install-folder-file "$PLUGINSDIR\folder.txt" --startup-file "$PLUGINSDIR\startup.txt"' $R2
  ${If} $R2 != 0
    Call RefuseOptions
  ${EndIf}
  ; A " /D=" inside a value made NSIS take a wrong folder: the one meant, or the default.
  ${If} ${FileExists} "$PLUGINSDIR\folder.txt"
    FileOpen $R5 "$PLUGINSDIR\folder.txt" r
    FileReadUTF16LE $R5 $R1
    FileClose $R5
    ${If} $R1 == ""
      StrCpy $R1 "${DEFAULT_FOLDER}"
    ${EndIf}
    StrCpy $INSTDIR $R1
  ${EndIf}
  ${If} ${FileExists} "$PLUGINSDIR\startup.txt"
    FileOpen $R5 "$PLUGINSDIR\startup.txt" r
    FileReadUTF16LE $R5 $R1
    FileClose $R5
    ${If} $R1 == "0"
      SectionSetFlags ${SecStartup} 0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function RefuseOptions
  MessageBox MB_ICONSTOP "Les paramètres donnés à l'installation sont invalides ; Vorbel n'a pas été installé." /SD IDOK
  SetErrorLevel 2
  Quit
FunctionEnd

; The options were checked before the first page: this only stores them.
Function PresetSettings
  ExecWait '"$PLUGINSDIR\vorbel_preset.exe" --installer-options "$PLUGINSDIR\options.txt"' $R2
  ${If} $R2 != 0
    Call RefuseOptions
  ${EndIf}
FunctionEnd

; The user's settings (HKCU\Software\ZEMO) stay: a reinstall finds them again.
Section "Uninstall"
  Delete "$INSTDIR\Vorbel.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Vorbel.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "Vorbel"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
