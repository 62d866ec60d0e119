; The NSIS header against what an installer may hand it: DLLs that are not there, values of
; NSIS's full string length, and a caller whose registers and stack must come back as they
; were. Writes hostile-answers.txt beside itself, then the registry view's answers as hostsim
; prints them (compared with hostsim on registry_view.script on the same machine).
;   makensis -DVANTREL_BIN=FOLDER -DOUTFILE=FILE tests/nsis/hostile.nsi

!ifndef OUTFILE
  !define OUTFILE "hostile.exe"
!endif
Name "vantrel hostile"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SilentInstall silent

!define VANTREL_DIR "$PLUGINSDIR"
!include "../../integrations/nsis/vantrel.nsh"

Var Answers
Var Return
Var Result
Var Long
Var Length

!macro Line TEXT
  FileWrite $Answers '${TEXT}$\r$\n'
!macroend

; Every register set to its own name, to be checked after the calls.
!macro SetRegisters
  !insertmacro SetEach 0 1 2 3 4 5 6 7 8 9 R0 R1 R2 R3 R4 R5 R6 R7 R8 R9
!macroend
!macro SetEach A B C D E F G H I J K L M N O P Q R S T
  StrCpy $${A} "${A}"
  StrCpy $${B} "${B}"
  StrCpy $${C} "${C}"
  StrCpy $${D} "${D}"
  StrCpy $${E} "${E}"
  StrCpy $${F} "${F}"
  StrCpy $${G} "${G}"
  StrCpy $${H} "${H}"
  StrCpy $${I} "${I}"
  StrCpy $${J} "${J}"
  StrCpy $${K} "${K}"
  StrCpy $${L} "${L}"
  StrCpy $${M} "${M}"
  StrCpy $${N} "${N}"
  StrCpy $${O} "${O}"
  StrCpy $${P} "${P}"
  StrCpy $${Q} "${Q}"
  StrCpy $${R} "${R}"
  StrCpy $${S} "${S}"
  StrCpy $${T} "${T}"
!macroend
!macro CheckRegister NAME
  StrCmp $${NAME} "${NAME}" +2
    !insertmacro Line "register $${NAME} changed"
!macroend

Section
  InitPluginsDir
  File "/oname=$PLUGINSDIR\vantrel.dll" "${VANTREL_BIN}/vantrel.dll"
  File "/oname=$PLUGINSDIR\driver.dll" "${VANTREL_BIN}/driver.dll"
  FileOpen $Answers "$EXEDIR\hostile-answers.txt" w

  ; A folder without the DLLs: the macros report failure, and the installer goes on.
  !undef VANTREL_DIR
  !define VANTREL_DIR "$PLUGINSDIR\missing"
  ${Vantrel::GetQuendrix} $Return $Result
  !insertmacro Line 'missing DLL: GetQuendrix returned $Return, result "$Result"'
  ${Driver::GetHW} $Return $Result
  !insertmacro Line 'missing DLL: GetHW returned $Return, result "$Result"'
  !undef VANTREL_DIR
  !define VANTREL_DIR "$PLUGINSDIR"

  ; Values of NSIS's full length (NSIS_MAX_STRLEN - 1 characters): a list of one line,
  ; selected whole; a key path, never cut to one that might exist.
  StrCpy $Long ""
  IntOp $Length ${NSIS_MAX_STRLEN} - 2
  long:
    StrCpy $Long "$Longx"
    IntOp $Length $Length - 1
    IntCmp $Length 0 0 0 long
  StrCpy $Long "$Long$\r"
  StrLen $Length $Long
  ${Vantrel::MapRegKeys} $Long "A" $Return $Result
  StrLen $Length $Result
  !insertmacro Line "full-length list: MapRegKeys returned $Return, $Length characters"
  ${Vantrel::GetRegKeys} $Long "" "" $Return $Result
  !insertmacro Line 'full-length key path: GetRegKeys returned $Return, result "$Result"'

  ; Registers and stack as they were, after a call of every macro.
  Push "below"
  !insertmacro SetRegisters
  ${Vantrel::GetQuendrix} $Return $Result
  ${Vantrel::GetWexo} $Return $Result
  ${Vantrel::GetZelk} $Return $Result
  ${Vantrel::GreaterEqual} "6.0" "5.5" $Return
  ${Vantrel::GetRegKey} "SOFTWARE" "0" $Return $Result
  ${Vantrel::GetRegKeys} "SOFTWARE\Korvalis\Runtime" "5.0" "Path" $Return $Result
  ${Vantrel::MapRegKeys} "a$\rb$\r" "B" $Return $Result
  ${Vantrel::GetDriverVer} "examples/sample_driver.h" $Return $Result
  ${Driver::GetHW} $Return $Result
  ${Vantrel::SetRegistryView} "64"
  ${Vantrel::GetQuendrix} $Return $Result
  ${Vantrel::SetRegistryView} ""
  !insertmacro CheckRegister 0
  !insertmacro CheckRegister 1
  !insertmacro CheckRegister 2
  !insertmacro CheckRegister 3
  !insertmacro CheckRegister 4
  !insertmacro CheckRegister 5
  !insertmacro CheckRegister 6
  !insertmacro CheckRegister 7
  !insertmacro CheckRegister 8
  !insertmacro CheckRegister 9
  !insertmacro CheckRegister R0
  !insertmacro CheckRegister R1
  !insertmacro CheckRegister R2
  !insertmacro CheckRegister R3
  !insertmacro CheckRegister R4
  !insertmacro CheckRegister R5
  !insertmacro CheckRegister R6
  !insertmacro CheckRegister R7
  !insertmacro CheckRegister R8
  !insertmacro CheckRegister R9
  !insertmacro Line "registers checked"
  Pop $Result
  StrCmp $Result "below" 0 +3
    ClearErrors
    Pop $Result
  IfErrors 0 +2
    !insertmacro Line "stack as it was"

  ; The registry view chosen by the script, as hostsim answers with REGISTRY_VIEW.
  ${Vantrel::SetRegistryView} "64"
  ${Vantrel::GetQuendrix} $Return $Result
  !insertmacro Line 'GetQuendrix returned $Return, QUENDRIX_VERSION = "$Result"'
  ${Vantrel::SetRegistryView} "32"
  ${Vantrel::GetQuendrix} $Return $Result
  !insertmacro Line 'GetQuendrix returned $Return, QUENDRIX_VERSION = "$Result"'

  FileClose $Answers
SectionEnd
