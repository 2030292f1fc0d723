; The suite's Windows installer (NSIS 3, Modern UI 2), built by make dist:
; makensis -INPUTCHARSET UTF8 -DRELEASE=release.nsh installer.nsi, where the
; generated release.nsh defines VERSION, PRODUCT_NAME, PUBLISHER, FOLDER (the
; product folder), STAGE (the files to install) and OUTFILE.
; Options: /S silent; /STARTUP with /S selects the start-up entry.
Unicode true
!include "${RELEASE}"
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${FOLDER}"
!define MENU_FOLDER "$SMPROGRAMS\${PRODUCT_NAME}"
; The name Vantro's own start-up command uses, so that its menu can remove it.
!define STARTUP_LINK "$SMSTARTUP\ミルタ - インターネット時刻補正.lnk"

Name "${PRODUCT_NAME} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${FOLDER}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

; What the program folder holds, installed and removed from one list.
!macro ForEachFile DO
  !insertmacro ${DO} "Vantro.exe"
  !insertmacro ${DO} "Sorbel.exe"
  !insertmacro ${DO} "Tarvik.exe"
  !insertmacro ${DO} "ntp_server.org"
  !insertmacro ${DO} "http_server.org"
  !insertmacro ${DO} "SORBEL.INI"
  !insertmacro ${DO} "readme_ja.txt"
  !insertmacro ${DO} "readme_en.txt"
!macroend
!macro InstallFile NAME
  ; Sorbel keeps its settings in SORBEL.INI: an update leaves them.
  !if "${NAME}" == "SORBEL.INI"
    SetOverwrite off
  !endif
  File "${STAGE}/${NAME}"
  SetOverwrite on
!macroend
!macro RemoveFile NAME
  Delete /REBOOTOK "$INSTDIR\${NAME}"
!macroend

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC
; The uninstaller speaks the language chosen here.
!define MUI_LANGDLL_REGISTRY_ROOT HKLM
!define MUI_LANGDLL_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MUI_LANGDLL_REGISTRY_VALUENAME "InstallerLanguage"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

LangString SecProgramsName ${LANG_JAPANESE} "プログラム"
LangString SecProgramsName ${LANG_ENGLISH} "Programs"
LangString SecProgramsText ${LANG_JAPANESE} "Vantro・Sorbel・Tarvik、初期サーバーリスト、Sorbel の設定ファイル、説明書とスタートメニューの項目。"
LangString SecProgramsText ${LANG_ENGLISH} "Vantro, Sorbel, Tarvik, the factory server lists, Sorbel's settings file, the read-me and the Start-menu entries."
LangString SecStartupName ${LANG_JAPANESE} "ログイン時に Vantro を起動"
LangString SecStartupName ${LANG_ENGLISH} "Start Vantro at logon"
LangString SecStartupText ${LANG_JAPANESE} "全ユーザーのスタートアップに Vantro を登録します。Vista 以降ではログインのたびに管理者権限の確認が表示されます。"
LangString SecStartupText ${LANG_ENGLISH} "Puts Vantro in every user's start-up folder. On Vista and later it asks for administrator rights at each logon."
LangString VantroText ${LANG_JAPANESE} "ミルタ インターネット時刻補正"
LangString VantroText ${LANG_ENGLISH} "Time-correction client"
LangString SorbelText ${LANG_JAPANESE} "ミルタサーバー 時刻配信NTPサーバ"
LangString SorbelText ${LANG_ENGLISH} "SNTP time server"
LangString StillRunning ${LANG_JAPANESE} "Vantro または Sorbel が実行中です。終了してから「再試行」を押してください。"
LangString StillRunning ${LANG_ENGLISH} "Vantro or Sorbel is running. Exit it, then press Retry."
LangString DataFolderKept ${LANG_JAPANESE} "Vantro のデータフォルダー（設定・サーバーリスト・ログ）は削除しません。不要であれば手動で削除してください:$\r$\n$APPDATA\RAVO\Brassel"
LangString DataFolderKept ${LANG_ENGLISH} "Vantro's data folder (settings, server lists, log) is not removed; delete it by hand if you no longer need it:$\r$\n$APPDATA\RAVO\Brassel"

Section "$(SecProgramsName)" SecPrograms
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  !insertmacro ForEachFile InstallFile
  ; Sorbel saves its settings at exit, also when a user without
  ; administrator rights runs it (Users: modify). No icacls before Vista.
  nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR\SORBEL.INI" /grant *S-1-5-32-545:M'
  Pop $0
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "${MENU_FOLDER}"
  CreateShortcut "${MENU_FOLDER}\Vantro.lnk" "$INSTDIR\Vantro.exe" "" "" 0 SW_SHOWNORMAL "" "$(VantroText)"
  CreateShortcut "${MENU_FOLDER}\Sorbel.lnk" "$INSTDIR\Sorbel.exe" "" "" 0 SW_SHOWNORMAL "" "$(SorbelText)"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vantro.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ; Saved by the pages too, but a silent install shows none.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallerLanguage" $LANGUAGE
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Off by default: Vantro asks for administrator rights at every start.
Section /o "$(SecStartupName)" SecStartup
  SetShellVarContext all
  CreateShortcut "${STARTUP_LINK}" "$INSTDIR\Vantro.exe"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPrograms} "$(SecProgramsText)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} "$(SecStartupText)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Files in use cannot be replaced or removed: the programs must be closed.
!macro WaitForProgramsClosed
  ${Do}
    FindWindow $0 "WL_RAVO_NTP_CLIENT32"
    FindWindow $1 "WL_RAVO_NTP_SERVER32"
    ${If} $0 == 0
    ${AndIf} $1 == 0
      ${Break}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY +2
    Abort
  ${Loop}
!macroend

Function .onInit
  !insertmacro MUI_LANGDLL_DISPLAY
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/STARTUP" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecStartup}
  ${EndIf}
  !insertmacro WaitForProgramsClosed
FunctionEnd

Function un.onInit
  !insertmacro MUI_UNGETLANGUAGE
  SetShellVarContext all
  !insertmacro WaitForProgramsClosed
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  !insertmacro ForEachFile RemoveFile
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"
  Delete "${MENU_FOLDER}\Vantro.lnk"
  Delete "${MENU_FOLDER}\Sorbel.lnk"
  RMDir "${MENU_FOLDER}"
  Delete "${STARTUP_LINK}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  MessageBox MB_OK|MB_ICONINFORMATION "$(DataFolderKept)" /SD IDOK
SectionEnd
