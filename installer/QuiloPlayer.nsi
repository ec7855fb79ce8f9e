; The setup program of QuiloPlayer: a per-user installation that needs no administrator rights.
; The program keeps its settings file, log and skin choice beside itself, so it goes into a folder the user
; owns; web links reach it through the user's own classes key, which the classes root merges in (and which
; the program's own registration at every start then updates in place).
; Built by installer/make_setup.py, which writes the included file: the version and names (from
; resources/Version.h), the built files and the shipped skin files.
;   QuiloPlayer-<version>-setup.exe [/S] [/D=folder]     /S silent; /D= another folder (last, unquoted)

Unicode true
ManifestSupportedOS all
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "${GENERATED}"
!ifdef SIGN_COMMAND
  ; The uninstaller is signed as it is written, before it goes into the setup; the setup once it is made.
  !uninstfinalize '"${SIGN_COMMAND}" "%1"' = 0
  !finalize '"${SIGN_COMMAND}" "%1"' = 0
!endif
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define PROGRAM "QuiloPlayer.exe"
!define UNINSTALLER "uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuiloPlayer"
!define STARTMENU "$SMPROGRAMS\${PRODUCT_NAME}"
; The property that marks the running player's window: the program finds its running instance by it too.
!define PLAYER_PROP "Tarn_QuiloPlayer_MainWindow"
; GetWindow's walk of the top-level windows.
!define GW_HWNDNEXT 2
!define GW_CHILD 5
; How long a running player is given to close (its user answers its exit question) before the setup asks.
!define CLOSE_WAIT_MS 30000

Name "${PRODUCT_NAME}"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\QuiloPlayer"
; An upgrade goes where the installation is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT_NAME} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON_FILE}"
!define MUI_UNICON "${ICON_FILE}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${PROGRAM}"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT_NAME}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT_NAME} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${COMPANY_NAME}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${COPYRIGHT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"

LangString WelcomeText ${LANG_SIMPCHINESE} \
  "此程序将引导您完成 ${PRODUCT_NAME} ${VERSION} 的安装。$\r$\n$\r$\n播放器安装在您自己的文件夹中，不需要管理员权限。安装后，网页中的 tarntvstream:// 和 wenlive2:// 播放链接会用它打开。$\r$\n$\r$\n如果播放器正在运行，安装程序会先请它退出；设置、日志和您自己添加的皮肤都会保留。$\r$\n$\r$\n点击 [下一步(N)] 继续。"
LangString ClosingPlayer ${LANG_SIMPCHINESE} "正在请正在运行的${PRODUCT_NAME}退出……"
LangString PlayerStillRunning ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME}仍在运行。$\r$\n$\r$\n请退出播放器后点“重试”，或点“取消”放弃。"
LangString FilesKept ${LANG_SIMPCHINESE} \
  "${PRODUCT_NAME}已卸载。$\r$\n$\r$\n设置文件 tarnconfig.ini、日志文件夹 tarnTVPlayerLog 和您自己添加的皮肤仍保留在$\r$\n$INSTDIR$\r$\n如不再需要，可以删除这个文件夹。"

; The player's program path as a command of the URL schemes has every "%" doubled: the shell would
; expand it. ${un}QuotedCommand: $0 = the command that starts this installation's player for a link.
!macro QuotedCommandFunction un
Function ${un}QuotedCommand
  Push $1
  Push $2
  Push $3
  StrCpy $0 "$INSTDIR\${PROGRAM}"
  StrCpy $3 ""
  StrCpy $1 0
  ${Do}
    StrCpy $2 $0 1 $1
    ${IfThen} $2 == "" ${|} ${ExitDo} ${|}
    ${IfThen} $2 == "%" ${|} StrCpy $3 "$3%" ${|}
    StrCpy $3 "$3$2"
    IntOp $1 $1 + 1
  ${Loop}
  StrCpy $0 '"$3" "%1"'
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro QuotedCommandFunction ""
!insertmacro QuotedCommandFunction "un."

; ${un}ClosePlayer: a running player (found as a second start of the program finds it, by its window's
; property) is asked to close as its own close box asks, so its user answers its exit question and it
; saves its skin choice. The setup waits for its process to end; when it does not, the user may retry or
; give up (a silent run gives up).
!macro ClosePlayerFunction un
Function ${un}ClosePlayer
  ${Do}
    System::Call 'user32::GetDesktopWindow() p .r1'
    System::Call 'user32::GetWindow(p r1, i ${GW_CHILD}) p .r1'
    ${DoWhile} $1 <> 0
      System::Call 'user32::GetPropW(p r1, w "${PLAYER_PROP}") p .r2'
      ${IfThen} $2 <> 0 ${|} ${ExitDo} ${|}
      System::Call 'user32::GetWindow(p r1, i ${GW_HWNDNEXT}) p .r1'
    ${Loop}
    ${IfThen} $1 = 0 ${|} Return ${|}

    DetailPrint "$(ClosingPlayer)"
    System::Call 'user32::GetWindowThreadProcessId(p r1, *i .r3)'
    ; SYNCHRONIZE
    System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r3) p .r4'
    ; While the exit question shows, the window is disabled: a second request would stack a second question.
    System::Call 'user32::IsWindowEnabled(p r1) i .r2'
    ${If} $2 <> 0
      System::Call 'user32::PostMessageW(p r1, i ${WM_CLOSE}, p 0, p 0)'
    ${EndIf}
    ${If} $4 <> 0
      System::Call 'kernel32::WaitForSingleObject(p r4, i ${CLOSE_WAIT_MS}) i .r2'
      System::Call 'kernel32::CloseHandle(p r4)'
      ${IfThen} $2 = 0 ${|} Return ${|}
    ${Else}
      Sleep ${CLOSE_WAIT_MS}
      ${Continue}
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(PlayerStillRunning)" /SD IDCANCEL IDRETRY +2
    Abort
  ${Loop}
FunctionEnd
!macroend
!insertmacro ClosePlayerFunction ""
!insertmacro ClosePlayerFunction "un."

; The keys that the program writes at every start, here under the user's own classes key.
!macro RegisterScheme scheme
  WriteRegStr HKCU "Software\Classes\${scheme}" "" "URL: ${scheme} Protocol"
  WriteRegStr HKCU "Software\Classes\${scheme}" "URL Protocol" ""
  WriteRegStr HKCU "Software\Classes\${scheme}\DefaultIcon" "" "$INSTDIR\${PROGRAM}"
  WriteRegStr HKCU "Software\Classes\${scheme}\shell\open\command" "" $0
  DeleteRegKey HKCU "Software\Classes\${scheme}\shell\open\ddexec"
  DeleteRegKey HKCU "Software\Classes\${scheme}\shell\open\ddeexec"
!macroend

; A scheme goes only while it starts this installation (a player run from elsewhere has taken it over
; otherwise). The program registers itself through the classes root at every start: where that reached
; the machine's classes (a user who may write them), that key goes too.
!macro UnregisterScheme scheme
  ReadRegStr $1 HKCU "Software\Classes\${scheme}\shell\open\command" ""
  ${IfThen} $1 == $0 ${|} DeleteRegKey HKCU "Software\Classes\${scheme}" ${|}
  ReadRegStr $1 HKCR "${scheme}\shell\open\command" ""
  ${IfThen} $1 == $0 ${|} DeleteRegKey HKCR "${scheme}" ${|}
!macroend

Section "!${PRODUCT_NAME}" SecProgram
  SectionIn RO
  Call ClosePlayer

  ; The program and the shipped skins are replaced; the settings file, the log and the user's own skins stay.
  SetOutPath "$INSTDIR"
  File "/oname=${PROGRAM}" "${PROGRAM_FILE}"
  !insertmacro InstallShippedSkins
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  Call QuotedCommand
  !insertmacro RegisterScheme "tarntvstream"
  !insertmacro RegisterScheme "wenlive2"

  CreateDirectory "${STARTMENU}"
  CreateShortCut "${STARTMENU}\${PRODUCT_NAME}.lnk" "$INSTDIR\${PROGRAM}"
  CreateShortCut "${STARTMENU}\卸载${PRODUCT_NAME}.lnk" "$INSTDIR\${UNINSTALLER}"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${PROGRAM}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY_NAME}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $1
SectionEnd

Section "桌面快捷方式" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortCut "$DESKTOP\${PRODUCT_NAME}.lnk" "$INSTDIR\${PROGRAM}"
SectionEnd

Section "Uninstall"
  Call un.ClosePlayer

  Delete "$INSTDIR\${PROGRAM}"
  !insertmacro RemoveShippedSkins
  RMDir "$INSTDIR\skin"
  Delete "$INSTDIR\${UNINSTALLER}"

  Delete "${STARTMENU}\${PRODUCT_NAME}.lnk"
  Delete "${STARTMENU}\卸载${PRODUCT_NAME}.lnk"
  RMDir "${STARTMENU}"
  Delete "$DESKTOP\${PRODUCT_NAME}.lnk"

  Call un.QuotedCommand
  !insertmacro UnregisterScheme "tarntvstream"
  !insertmacro UnregisterScheme "wenlive2"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; Only an empty folder goes: what is left is the user's.
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR"
    DetailPrint "$(FilesKept)"
    MessageBox MB_OK|MB_ICONINFORMATION "$(FilesKept)" /SD IDOK
  ${EndIf}
SectionEnd
