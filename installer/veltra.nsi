; The Windows setup program: a per-user install of the program folder, with a Start-menu
; entry, an entry in the list of installed programs and an uninstaller. scripts/package
; builds it from the windows preset's program folder:
;   makensis -DVERSION=1.0.0.1 -DSOURCE=<program folder> -DFILES=<file list> -DOUTFILE=<exe> veltra.nsi
; where FILES is the include that scripts/package writes from the program folder and
; program-folder-files.txt (the macros InstallShippedFiles, InstallUserFiles,
; RemoveShippedFiles, RemoveUserFiles, RemoveMadeFiles and RemoveFolders).
;
; Setup command line:
;   /SILENT    install without questions (over an installation: into its folder, the
;              running programs are asked to end first; user files and the profile stay)
;   /NOSTART   do not start KEZO.exe at the end (unless its password or the forced mode
;              binds it: then it is started again all the same)
;   /D=folder  install into this folder (last on the command line)
; Exit codes: 0 installed, 1 cancelled, 2 programs of the folder kept running.
;
; Uninstaller command line (uninstall.exe in the program folder):
;   /S                 without questions
;   /PASSWORD=text     the lock's password, when one is set (needed with /S)
;   /REMOVELISTS       also remove the user's lists, keywords, learned sites and host cache
;   _?=folder          run in place and wait, so that the exit code can be read
; Exit codes: 0 removed, 1 cancelled, 2 programs kept running, 3 the password is wrong or
; missing, 4 the forced mode still holds (the minutes left are shown when not silent).
Unicode true
; The programs are 64-bit, and so is the setup program: it runs where they run.
Target amd64-unicode
ManifestDPIAware true

!ifndef VERSION | SOURCE | FILES | OUTFILE
  !error "VERSION, SOURCE, FILES and OUTFILE must be defined"
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Veltra"
!define MENU_FOLDER "$SMPROGRAMS\Veltra"

Name "Veltra"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Veltra"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel user
SetCompressor /SOLID lzma
BrandingText "Veltra ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "Veltra"
VIAddVersionKey /LANG=2052 "CompanyName" "Solvane"
VIAddVersionKey /LANG=2052 "FileDescription" "Veltra 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Solvane"

!define MUI_ICON "${SOURCE}/Images/kezo.ico"
!define MUI_UNICON "${SOURCE}/Images/kezo.ico"
!define MUI_WELCOMEPAGE_TEXT "Veltra 是一款免费的网页内容过滤软件，为您挡住网页中的色情与不良内容，帮助您远离它们。$\r$\n$\r$\n本向导将把 Veltra ${VERSION} 安装到您的电脑上，只为当前用户安装，不需要管理员权限。正在运行的 Veltra 会先关闭，安装完成后再启动。$\r$\n$\r$\n点击“下一步”继续。"
!define MUI_FINISHPAGE_RUN "$INSTDIR\KEZO.exe"
!define MUI_FINISHPAGE_RUN_TEXT "立即运行 Veltra"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShown
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!define MUI_COMPONENTSPAGE_TEXT_TOP "卸载将删除 Veltra 的程序文件。您的网址名单、关键词和学习到的网站默认保留，重新安装后仍可使用；勾选下面一项则一并删除。"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Var NoStart
Var MustStart  ; started at the end of the section: silently, or bound by its password or the forced mode
Var Started

Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/SILENT" $1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/NOSTART" $1
  ${IfNot} ${Errors}
    StrCpy $NoStart 1
  ${EndIf}
  ; The program update starts the installer it downloaded from the program folder itself:
  ; that folder is the one to upgrade, also when it was never installed by this program.
  ClearErrors
  ${GetOptions} $0 "/D=" $1
  ${If} ${Errors}
  ${AndIf} ${FileExists} "$EXEDIR\KEZO.exe"
    StrCpy $INSTDIR $EXEDIR
  ${EndIf}
FunctionEnd

; Interactively the finish page's check box starts the program, unless it runs already.
Function FinishPageShown
  ${If} $Started == 1
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
  ${ElseIf} $NoStart == 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
  ${EndIf}
FunctionEnd

Section "-Veltra"
  ; The new KEZO.exe asks the running programs to end, as the program update asks KEZO, and
  ; waits for them, so that their files can be replaced. It runs from the program folder
  ; under another name: the programs own only the companions of their own folder.
  CreateDirectory "$INSTDIR"
  File "/oname=$INSTDIR\KEZO-setup.exe" "${SOURCE}/KEZO.exe"
  ; A program bound by its password or the forced mode may not be quit by the user, so the
  ; setup program must not become a way to quit it: it starts the program again whatever
  ; /NOSTART or the finish page say.
  ExecWait '"$INSTDIR\KEZO-setup.exe" /CHECKUNINSTALL /QUIET' $0
  ${If} $0 != 0
    StrCpy $MustStart 1
  ${EndIf}
  ExecWait '"$INSTDIR\KEZO-setup.exe" /STOPPROGRAMS' $0
  Delete "$INSTDIR\KEZO-setup.exe"
  ${If} $0 != 0
    MessageBox MB_ICONSTOP "Veltra 的程序仍在运行，无法完成安装。请退出 Veltra 后重新安装。" /SD IDOK
    ${If} $MustStart == 1
      Exec '"$INSTDIR\KEZO.exe"'  ; a bound program is not left ended
    ${EndIf}
    SetErrorLevel 2
    Quit
  ${EndIf}

  !insertmacro InstallShippedFiles
  !insertmacro InstallUserFiles
  ; The shipped data just replaced whatever data packs had brought: without the descriptor
  ; of the last data update, the next one fetches every pack again.
  Delete "$INSTDIR\Upgrade.kezo"

  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Veltra.lnk" "$INSTDIR\KEZO.exe" "" "$INSTDIR\KEZO.exe" 0
  CreateShortcut "${MENU_FOLDER}\卸载 Veltra.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Veltra"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Solvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\KEZO.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} ${Silent}
  ${AndIf} $NoStart != 1
    StrCpy $MustStart 1
  ${EndIf}
  ${If} $MustStart == 1
    Exec '"$INSTDIR\KEZO.exe"'
    StrCpy $Started 1
  ${EndIf}
SectionEnd

Section "-un.Veltra"
  ; Stops the programs, switches autostart off and removes the system proxy setting.
  ${If} ${FileExists} "$INSTDIR\KEZO.exe"
    ExecWait '"$INSTDIR\KEZO.exe" /UNINSTALLCLEANUP' $0
    ${If} $0 != 0
      MessageBox MB_ICONSTOP "Veltra 的程序仍在运行，无法卸载。请退出 Veltra 后重试。" /SD IDOK
      SetErrorLevel 2
      Quit
    ${EndIf}
  ${EndIf}
  !insertmacro RemoveShippedFiles
  !insertmacro RemoveMadeFiles
  Delete "$INSTDIR\uninstall.exe"
  Delete "${MENU_FOLDER}\Veltra.lnk"
  Delete "${MENU_FOLDER}\卸载 Veltra.lnk"
  RMDir "${MENU_FOLDER}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd

Section /o "un.同时删除我的名单" RemoveLists
  !insertmacro RemoveUserFiles
SectionEnd

; Only folders left empty go: a folder the user chose may hold files of their own.
Section "-un.Folders"
  !insertmacro RemoveFolders
  RMDir "$INSTDIR"
SectionEnd

; After the sections, whose numbers it uses.
Function un.onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/REMOVELISTS" $1
  ${IfNot} ${Errors}
    SectionSetFlags ${RemoveLists} ${SF_SELECTED}
  ${EndIf}
  ; KEZO.exe answers with the lock's own check and the forced mode's state, read from the
  ; profile the running program keeps up to date.
  StrCpy $2 ""
  ${If} ${Silent}
    StrCpy $2 " /QUIET"
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/PASSWORD=" $1
  ${IfNot} ${Errors}
    StrCpy $2 '$2 "/PASSWORD=$1"'
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\KEZO.exe"
    ExecWait '"$INSTDIR\KEZO.exe" /CHECKUNINSTALL$2' $3
    ${If} $3 != 0
      SetErrorLevel $3
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd
