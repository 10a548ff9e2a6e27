; Quillmask's installer. makensis builds it twice from this script, once per architecture:
;   ARCH=x64  quillmask-<version>-x64-setup.exe, for the 64-bit browser
;   ARCH=x86  quillmask-<version>-x86-setup.exe, for the 32-bit browser (the default one on 64-bit
;             Windows)
; Defined on makensis's command line: VERSION (the build's project version), ARCH, BIN_DIR (the
; folder holding that architecture's quillbar.dll, quillstop.exe and quillbroker.exe), ICON,
; OUT_FILE, PUBLISHER (the maker's name, as the certificate that signs names it), SIGN (a command
; that signs the file it is given in place, Authenticode) and SIGNED_UNINSTALLER (where a copy of
; the signed uninstaller goes).
;
; Installs per machine: the three programs into Program Files\Quillmask, the band registered by its
; own DllRegisterServer, the broker's elevation policy, "AppPath", the uninstaller and its Add or
; Remove Programs entry. Installing again upgrades in place and keeps the list file and the settings.
; /S installs and uninstalls without a window.

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
  !define REG_VIEW 64
  !define DISPLAY_NAME "Quillmask (64-bit)"
!else if "${ARCH}" == "x86"
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
  !define REG_VIEW 32
  !define DISPLAY_NAME "Quillmask"
!else
  !error "ARCH must be x64 or x86"
!endif

!define SETTINGS_KEY "Software\Quillmask"
!define LOW_SETTINGS_KEY "Software\AppDataLow\Software\Quillmask"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillmask"
!define LIST_FILE "sortedproxylist.txt"
; Who may do what with an installation folder chosen outside Program Files (Program Files' own
; inherited ACL already says as much): administrators own it, they and SYSTEM change it and all in it,
; users read and run. Else any user could replace the band every browser loads, the broker the
; elevation policy starts, or the list the broker trusts.
!define FOLDER_SECURITY "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
!define ELEVATION_POLICY_KEY "Software\Microsoft\Internet Explorer\Low Rights\ElevationPolicy\{E72D6036-BC7E-47CA-9383-A032C7306450}"

; The uninstaller is signed as it is made, so the uninstall.exe written on installing is signed too.
!uninstfinalize '"${SIGN}" "%1" "${SIGNED_UNINSTALLER}"' = 0
!finalize '"${SIGN}" "%1"' = 0

Name "${DISPLAY_NAME}"
Caption "${DISPLAY_NAME} Setup"
UninstallCaption "${DISPLAY_NAME} Uninstall"
OutFile "${OUT_FILE}"
InstallDir "${PROGRAM_FILES}\Quillmask"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "Quillmask ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 ProductName "Quillmask"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${DISPLAY_NAME} Setup"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 LegalCopyright "Quillmask"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDirectoryOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "Quillmask is installed. Open the browser again and choose Quillmask under View > Toolbars."
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var Upgrading  ; "1" when an installation is already there: it is upgraded in place

Function .onInit
  SetRegView ${REG_VIEW}
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
    StrCpy $Upgrading 1
  ${EndIf}
FunctionEnd

Function SkipDirectoryOnUpgrade
  ${If} $Upgrading == 1
    Abort
  ${EndIf}
FunctionEnd

; Returns from the function it is in when PATH lies in FOLDER.
!macro ReturnIfWithin PATH FOLDER
  StrLen $3 "${FOLDER}\"
  StrCpy $3 ${PATH} $3
  ${If} $3 == "${FOLDER}\"  ; StrCmp ignores case, as Windows' paths do
    Return
  ${EndIf}
!macroend

; Makes $INSTDIR and gives it FOLDER_SECURITY, unless it lies in Program Files. Someone else's folder
; is not made over (the entries would pass on to all it holds): outside Program Files a first
; installation takes only a new or empty folder. The error flag is set when the folder was refused or
; could not be secured.
Function SecureFolderOutsideProgramFiles
  StrCpy $1 0
  ${If} ${FileExists} "$INSTDIR\*.*"
    StrCpy $1 1  ; there already
  ${EndIf}
  CreateDirectory "$INSTDIR"
  GetFullPathName $0 "$INSTDIR"
  ${If} ${Errors}
    Return
  ${EndIf}
  !insertmacro ReturnIfWithin $0 "$PROGRAMFILES"
  !insertmacro ReturnIfWithin $0 "$PROGRAMFILES64"
  ${If} $Upgrading != 1
  ${AndIf} $1 == 1
    System::Call 'shlwapi::PathIsDirectoryEmptyW(w r0) i .r2'
    ${If} $2 == 0
      SetErrors
      Return
    ${EndIf}
  ${EndIf}
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${FOLDER_SECURITY}", i 1, *p .r1, p 0) i .r2'
  ${If} $2 == 0
    SetErrors
    Return
  ${EndIf}
  System::Call 'advapi32::GetSecurityDescriptorOwner(p r1, *p .r3, *i .r4) i .r2'
  System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r4, *p .r5, *i .r4) i .r2'
  ; SE_FILE_OBJECT; OWNER, DACL and PROTECTED_DACL: nothing is inherited from the folder above, and the
  ; folder's entries pass on to what it holds already.
  System::Call 'advapi32::SetNamedSecurityInfoW(w r0, i 1, i 0x80000005, p r3, p 0, p r5, p 0) i .r2'
  System::Call 'kernel32::LocalFree(p r1)'
  ${If} $2 != 0
    SetErrors
  ${EndIf}
FunctionEnd

; The programs of an installation. Each step is a macro taking a program's file name.
!macro ForEachProgram STEP
  !insertmacro ${STEP} quillbar.dll
  !insertmacro ${STEP} quillstop.exe
  !insertmacro ${STEP} quillbroker.exe
!macroend
!macro SetAside FILE
  Delete "$INSTDIR\${FILE}.old"
  Rename "$INSTDIR\${FILE}" "$INSTDIR\${FILE}.old"
!macroend
!macro Put FILE
  File "${BIN_DIR}/${FILE}"
!macroend
!macro PutBack FILE
  Delete "$INSTDIR\${FILE}"
  Rename "$INSTDIR\${FILE}.old" "$INSTDIR\${FILE}"
!macroend
!macro Remove FILE
  Delete "$INSTDIR\${FILE}"
!macroend
; A program still loaded (the band in an open browser) goes at the next restart.
!macro RemoveWhenFree FILE
  Delete /REBOOTOK "$INSTDIR\${FILE}"
  Delete /REBOOTOK "$INSTDIR\${FILE}.old"
!macroend
!macro RemoveSetAside FILE
  Delete /REBOOTOK "$INSTDIR\${FILE}.old"
!macroend

Section "Quillmask"
  ClearErrors
  Call SecureFolderOutsideProgramFiles
  ${If} ${Errors}
    ${If} $Upgrading != 1
      RMDir "$INSTDIR"  ; only if it is empty
    ${EndIf}
    MessageBox MB_OK|MB_ICONSTOP "The folder $INSTDIR could not be made one that only administrators may change (outside Program Files Quillmask needs a new or empty folder), so Quillmask was not installed." /SD IDOK
    Abort "The installation folder could not be secured."
  ${EndIf}
  SetOutPath "$INSTDIR"
  ${If} $Upgrading == 1
    ; The working installation is set aside, not removed, until the new one is registered. (An
    ; open browser may still hold the old band: a loaded DLL can be renamed, and goes at the next
    ; restart.)
    !insertmacro ForEachProgram SetAside
  ${EndIf}
  !insertmacro ForEachProgram Put

  ClearErrors
  RegDLL "$INSTDIR\quillbar.dll"
  ${If} ${Errors}
    ; Nothing half done stays behind. An upgrade puts the previous installation back, registered
    ; by its own DLL as it was; a first installation takes back what it registered and its files.
    ${If} $Upgrading == 1
      !insertmacro ForEachProgram PutBack
      RegDLL "$INSTDIR\quillbar.dll"
    ${Else}
      UnRegDLL "$INSTDIR\quillbar.dll"
      !insertmacro ForEachProgram Remove
      SetOutPath "$TEMP"  ; the installer's working folder cannot be removed
      RMDir "$INSTDIR"
    ${EndIf}
    MessageBox MB_OK|MB_ICONSTOP "The Quillmask toolbar could not be registered with the browser, so Quillmask was not installed." /SD IDOK
    Abort "The toolbar could not be registered."
  ${EndIf}
  !insertmacro ForEachProgram RemoveSetAside

  ; A browser in Protected Mode starts the broker at medium integrity without asking.
  WriteRegStr HKLM "${ELEVATION_POLICY_KEY}" "AppName" "quillbroker.exe"
  WriteRegStr HKLM "${ELEVATION_POLICY_KEY}" "AppPath" "$INSTDIR"
  WriteRegDWORD HKLM "${ELEVATION_POLICY_KEY}" "Policy" 3

  WriteRegStr HKLM "${SETTINGS_KEY}" "AppPath" "$INSTDIR\"

  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillstop.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ${If} ${RebootFlag}
    MessageBox MB_OK|MB_ICONINFORMATION "Close every browser window and open the browser again to use this version of Quillmask." /SD IDOK
  ${EndIf}
SectionEnd

Function un.onInit
  SetRegView ${REG_VIEW}
FunctionEnd

Section "Uninstall"
  ; quillstop puts the connection's proxy back first, for the user whose desktop it is, then asks its
  ; question; silently it asks nothing, so that no one is waited for. While a connection still uses
  ; the toolbar's proxy (quillstop's exit code is not 0) everything stays, the user's kept settings
  ; and the toolbar that can switch the proxy off.
  ${If} ${FileExists} "$INSTDIR\quillstop.exe"
    ClearErrors
    ${If} ${Silent}
      ExecWait '"$INSTDIR\quillstop.exe" /S' $0
    ${Else}
      ExecWait '"$INSTDIR\quillstop.exe"' $0
    ${EndIf}
    ${If} ${Errors}
    ${OrIf} $0 != 0
      MessageBox MB_OK|MB_ICONSTOP "Quillmask was not removed: your Internet connections may still use its proxy. Switch the proxy off in the Quillmask toolbar, then uninstall again." /SD IDOK
      Abort "The proxy may still be in use; nothing was removed."
    ${EndIf}
  ${EndIf}

  ; The band removes its own registration (class, ProgIDs, type library, toolbar value).
  ClearErrors
  UnRegDLL "$INSTDIR\quillbar.dll"
  ${If} ${Errors}
    DetailPrint "quillbar.dll could not remove its registration."
  ${EndIf}

  ; A DLL still loaded by an open browser goes at the next restart.
  !insertmacro ForEachProgram RemoveWhenFree
  Delete "$INSTDIR\${LIST_FILE}"
  ; A new list not yet put in place when its browser ended.
  Delete "$INSTDIR\${LIST_FILE}.*.tmp"
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"

  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegKey HKCU "${LOW_SETTINGS_KEY}"
  SetShellVarContext current
  Delete "$LOCALAPPDATA\Quillmask\${LIST_FILE}"
  Delete "$LOCALAPPDATA\Quillmask\${LIST_FILE}.*.tmp"
  RMDir "$LOCALAPPDATA\Quillmask"

  DeleteRegKey HKLM "${ELEVATION_POLICY_KEY}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  ${If} ${RebootFlag}
    MessageBox MB_OK|MB_ICONINFORMATION "An open browser window is still using Quillmask. Its last files will be removed when Windows restarts." /SD IDOK
  ${EndIf}
SectionEnd
