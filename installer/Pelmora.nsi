; Pelmora's setup: installs Pelmora for the current user, without administrator rights, into a
; folder the user can write to (Alarm_List.txt lives beside the program), with a Start menu
; shortcut, optionally a Startup shortcut, and an uninstaller listed under the user's "Apps". An
; update and the uninstaller keep the user's schedules; a silent update starts again the Pelmora
; it ended. Japanese, or English on a Windows whose language is not Japanese.
;
;   makensis -WX -DVERSION=0.1.0 -DSTAGE=<folder> -DICON=<Pelmora.ico> -DOUTFILE=<setup.exe>
;            [-DTARGET=amd64-unicode] Pelmora.nsi
;
; STAGE holds the files of scripts/stage.sh: Pelmora.exe, SOUND.wav, README.txt and the sample
; Alarm_List.txt. TARGET is x86-unicode (the shipped setup, with the 32-bit program) unless given;
; amd64-unicode makes a 64-bit setup of the 64-bit build, for testing where 32-bit code cannot
; run. scripts/make-setup.sh runs this.

!ifndef TARGET
  !define TARGET x86-unicode
!endif
Target ${TARGET}

!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "VERSION, STAGE, ICON and OUTFILE must be defined (see the head of this file)"
!endif

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pelmora"
; MainForm's window: its class and caption (two leading blanks), and the registered message by
; which it is asked to end as its tray menu's Exit does.
!define FORM_CLASS "PelmoraForm"
!define MAIN_CAPTION "  Pelmora!"
!define EXIT_REQUEST "Pelmora.ExitRequest"
; How long a running Pelmora is given to end before the user is told.
!define END_WAIT_MS 10000
!define SYNCHRONIZE 0x00100000

Name "Pelmora"
OutFile "${OUTFILE}"
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma
InstallDir "$LOCALAPPDATA\Programs\Pelmora"
; An update goes where the last installation went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Pelmora ${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include nsDialogs.nsh
!include FileFunc.nsh

Var StartWithWindows  ; the Startup shortcut: ${BST_CHECKED} or ${BST_UNCHECKED}
Var StartupCheckbox
Var ExitRequest       ; the registered message
Var Pelmora           ; MainForm's window
Var PelmoraId         ; its process id
Var PelmoraProcess    ; a handle of its process, to wait for (0: none)
Var WaitStart         ; GetTickCount when the wait began
Var Waited            ; milliseconds waited
Var PelmoraEnded      ; 1 once EndPelmora has met a running Pelmora (gone when it returns)

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
Page custom StartupPage StartupPageLeave
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\Pelmora.exe"
!define MUI_FINISHPAGE_RUN_TEXT "$(RunNow)"
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(UninstallFrom)"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

LangString StartupTitle ${LANG_JAPANESE} "起動の設定"
LangString StartupTitle ${LANG_ENGLISH} "Startup"
LangString StartupSubtitle ${LANG_JAPANESE} "Windows と一緒に Pelmora を起動するかどうかを選んでください。"
LangString StartupSubtitle ${LANG_ENGLISH} "Choose whether Pelmora starts with Windows."
LangString StartupText ${LANG_JAPANESE} "Pelmora は、起動している間だけアラームを鳴らします。Windows の起動時に起動するようにしておくと、アラームを聞き逃しません。"
LangString StartupText ${LANG_ENGLISH} "Pelmora rings alarms only while it runs. Started with Windows, it misses none."
LangString StartupCheck ${LANG_JAPANESE} "Windowsの起動時にPelmoraを起動する"
LangString StartupCheck ${LANG_ENGLISH} "Start Pelmora when Windows starts"
LangString RunNow ${LANG_JAPANESE} "Pelmora を今すぐ起動する"
LangString RunNow ${LANG_ENGLISH} "Start Pelmora now"
LangString ShortcutComment ${LANG_JAPANESE} "アラームとスケジュールのお知らせ"
LangString ShortcutComment ${LANG_ENGLISH} "Alarm and schedule reminder"
LangString NotWritable ${LANG_JAPANESE} "このフォルダーには書き込めません。$\r$\n$\r$\nPelmora はスケジュールをプログラムと同じフォルダーに保存します。書き込みのできるフォルダーを選んでください。"
LangString NotWritable ${LANG_ENGLISH} "This folder cannot be written to.$\r$\n$\r$\nPelmora keeps its schedules beside the program: choose a folder you can write to."
LangString StillRunning ${LANG_JAPANESE} "Pelmora が終了しません。$\r$\n$\r$\nPelmora のメッセージが開いていれば閉じてから、「再試行」を押してください。「キャンセル」を押すと中止します(Pelmora は動き続けます)。"
LangString StillRunning ${LANG_ENGLISH} "Pelmora does not end.$\r$\n$\r$\nClose any message of Pelmora that is open, then choose Retry. Cancel stops here (Pelmora keeps running)."
LangString CannotReplace ${LANG_JAPANESE} "$INSTDIR\Pelmora.exe を書き換えられません。$\r$\n$\r$\nPelmora が動いていれば終了してから、「再試行」を押してください。「キャンセル」を押すと中止します。"
LangString CannotReplace ${LANG_ENGLISH} "$INSTDIR\Pelmora.exe cannot be replaced.$\r$\n$\r$\nIf Pelmora is running, end it, then choose Retry. Cancel stops here."
LangString UninstallFrom ${LANG_JAPANESE} "Pelmora を次のフォルダーからアンインストールします。 $_CLICK"
LangString UninstallFrom ${LANG_ENGLISH} "$(^NameDA) will be uninstalled from the following folder. $_CLICK"
LangString DeleteSchedules ${LANG_JAPANESE} "スケジュールのファイル(Alarm_List.txt と Alarm_List.bak)も削除しますか？$\r$\n$\r$\n「いいえ」を選ぶと、$INSTDIR に残ります。"
LangString DeleteSchedules ${LANG_ENGLISH} "Delete your schedules too (Alarm_List.txt and Alarm_List.bak)?$\r$\n$\r$\nChoose No to keep them in $INSTDIR."

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductName" "Pelmora"
VIAddVersionKey /LANG=${LANG_JAPANESE} "CompanyName" "Pelmora"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileDescription" "Pelmora セットアップ"
VIAddVersionKey /LANG=${LANG_JAPANESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_JAPANESE} "LegalCopyright" "Pelmora"

; Japanese where Windows speaks Japanese, otherwise English (left alone, NSIS would fall back
; to the first language, Japanese, on a Windows of any third language).
!macro PICK_LANGUAGE
  System::Call 'kernel32::GetUserDefaultUILanguage() i .s'
  Pop $0
  IntOp $0 $0 & 0x3FF  ; the primary language
  ${If} $0 = 0x11      ; LANG_JAPANESE
    StrCpy $LANGUAGE ${LANG_JAPANESE}
  ${Else}
    StrCpy $LANGUAGE ${LANG_ENGLISH}
  ${EndIf}
!macroend

; Asks a running Pelmora to end as its tray menu's Exit does (past date entries purged, the
; schedule file rewritten, the tray icon removed) and waits until its process has ended: its
; main window closes at once, the process may live on while its start-up splash is showing. The
; program refuses the request while it is loading its file or its tray menu is open, so the
; request is repeated while waiting. A Pelmora that has not ended after END_WAIT_MS is reported
; and the user may try again; cancelling (and a silent run) stops the installation. It is never
; killed.
!macro END_PELMORA_FUNCTION un
Function ${un}EndPelmora
  System::Call 'user32::RegisterWindowMessageW(w "${EXIT_REQUEST}") i .s'
  Pop $ExitRequest
  StrCpy $PelmoraProcess 0
again:
  System::Call 'kernel32::GetTickCount() i .s'
  Pop $WaitStart
next:
  FindWindow $Pelmora "${FORM_CLASS}" "${MAIN_CAPTION}"
  ${If} $Pelmora P<> 0
    StrCpy $PelmoraEnded 1
    ${If} $PelmoraProcess P= 0
      System::Call 'user32::GetWindowThreadProcessId(p $Pelmora, *i 0 .s)'
      Pop $PelmoraId
      System::Call 'kernel32::OpenProcess(i ${SYNCHRONIZE}, i 0, i $PelmoraId) p .s'
      Pop $PelmoraProcess
    ${EndIf}
    System::Call 'user32::PostMessageW(p $Pelmora, i $ExitRequest, p 0, p 0)'
  ${ElseIf} $PelmoraProcess P= 0
    Return  ; none is running
  ${EndIf}
  ${If} $PelmoraProcess P<> 0
    System::Call 'kernel32::WaitForSingleObject(p $PelmoraProcess, i 250) i .s'
    Pop $0
    ${If} $0 = 0  ; WAIT_OBJECT_0: it has ended; is there another?
      System::Call 'kernel32::CloseHandle(p $PelmoraProcess)'
      StrCpy $PelmoraProcess 0
      Goto next
    ${EndIf}
  ${Else}
    Sleep 250  ; its process could not be opened: its window is watched instead
  ${EndIf}
  System::Call 'kernel32::GetTickCount() i .s'
  Pop $Waited
  IntOp $Waited $Waited - $WaitStart
  ${If} $Waited < ${END_WAIT_MS}
    Goto next
  ${EndIf}
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(StillRunning)" /SD IDCANCEL IDRETRY again
  ${If} $PelmoraProcess P<> 0
    System::Call 'kernel32::CloseHandle(p $PelmoraProcess)'
  ${EndIf}
  DetailPrint "$(StillRunning)"
  Abort
FunctionEnd
!macroend
!insertmacro END_PELMORA_FUNCTION ""
!insertmacro END_PELMORA_FUNCTION "un."

Function .onInit
  !insertmacro PICK_LANGUAGE
  ; On by default; an update keeps the choice made before (a Startup shortcut the user
  ; removed is not put back).
  StrCpy $StartWithWindows ${BST_CHECKED}
  ReadRegStr $0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
  ${AndIfNot} ${FileExists} "$SMSTARTUP\Pelmora.lnk"
    StrCpy $StartWithWindows ${BST_UNCHECKED}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro PICK_LANGUAGE
FunctionEnd

; Alarm_List.txt is written beside the program: a folder the user cannot write to (such as
; C:\Program Files) is refused here rather than failing later.
Function DirectoryLeave
  ClearErrors
  CreateDirectory "$INSTDIR"
  FileOpen $0 "$INSTDIR\Pelmora-write-test.tmp" w
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONEXCLAMATION "$(NotWritable)"
    Abort
  ${EndIf}
  FileClose $0
  Delete "$INSTDIR\Pelmora-write-test.tmp"
  RMDir "$INSTDIR"  ; made again by the installation; kept when it holds anything
FunctionEnd

Function StartupPage
  !insertmacro MUI_HEADER_TEXT "$(StartupTitle)" "$(StartupSubtitle)"
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 24u "$(StartupText)"
  Pop $0
  ${NSD_CreateCheckbox} 0 32u 100% 12u "$(StartupCheck)"
  Pop $StartupCheckbox
  ${NSD_SetState} $StartupCheckbox $StartWithWindows
  nsDialogs::Show
FunctionEnd

Function StartupPageLeave
  ${NSD_GetState} $StartupCheckbox $StartWithWindows
FunctionEnd

Section "Pelmora"
  SetShellVarContext current
  Call EndPelmora
  SetOutPath "$INSTDIR"
  ; The ended program's file can stay held for a moment (its image, a virus scanner): writing it
  ; is tried again for 10 s, then the user may retry or stop. A failed write is never skipped.
  SetOverwrite try
  StrCpy $R9 0
replace:
  ClearErrors
  File "${STAGE}/Pelmora.exe"
  IfErrors 0 replaced
  IntOp $R9 $R9 + 1
  IntCmp $R9 40 cannotReplace 0 cannotReplace
  Sleep 250
  Goto replace
cannotReplace:
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(CannotReplace)" /SD IDCANCEL IDRETRY retryReplace
  DetailPrint "$(CannotReplace)"
  Abort
retryReplace:
  StrCpy $R9 0
  Goto replace
replaced:
  SetOverwrite on
  File "${STAGE}/README.txt"
  ; The user's schedules, and a chime the user replaced, are never overwritten.
  SetOverwrite off
  File "${STAGE}/Alarm_List.txt"
  File "${STAGE}/SOUND.wav"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Pelmora.lnk" "$INSTDIR\Pelmora.exe" "" "$INSTDIR\Pelmora.exe" 0 \
    SW_SHOWNORMAL "" "$(ShortcutComment)"
  ${If} $StartWithWindows = ${BST_CHECKED}
    CreateShortcut "$SMSTARTUP\Pelmora.lnk" "$INSTDIR\Pelmora.exe" "" "$INSTDIR\Pelmora.exe" 0 \
      SW_SHOWNORMAL "" "$(ShortcutComment)"
  ${Else}
    Delete "$SMSTARTUP\Pelmora.lnk"
  ${EndIf}

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Pelmora"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Pelmora"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Pelmora.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ; A silent update ended the Pelmora that was running: the new one takes its place now, or no
  ; alarm would ring until the next logon. (An interactive setup offers it on its finish page.)
  ${If} ${Silent}
  ${AndIf} $PelmoraEnded == 1
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\Pelmora.exe"'
  ${EndIf}
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Call un.EndPelmora
  Delete "$INSTDIR\Pelmora.exe"
  Delete "$INSTDIR\SOUND.wav"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  Delete "$SMPROGRAMS\Pelmora.lnk"
  Delete "$SMSTARTUP\Pelmora.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The schedules stay unless the user asks otherwise; a silent uninstall keeps them.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "$(DeleteSchedules)" /SD IDNO IDNO keep
  Delete "$INSTDIR\Alarm_List.txt"
  Delete "$INSTDIR\Alarm_List.bak"
keep:
  RMDir "$INSTDIR"  ; only when nothing else is left in it
SectionEnd
