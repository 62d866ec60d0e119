; The sample installer script's questions (sample_install.script) asked by an NSIS
; installer through integrations/nsis/vantrel.nsh. It carries the two DLLs, unpacks them
; into $PLUGINSDIR and writes every answer to sample-answers.txt beside itself, one line a
; call as hostsim prints it (control characters escaped). Build it from the repository's
; folder, naming the folder of the DLLs it carries, and run it silently there:
;   makensis -DVANTREL_BIN=$PWD/build/win32/bin -DOUTFILE=$PWD/build/sample.exe examples/sample.nsi
;   wine build/sample.exe /S
; The driver header is named relative to the folder the installer runs in, as the sample
; script names it.

!ifndef VANTREL_BIN
  !error "name the folder of vantrel.dll and driver.dll: makensis -DVANTREL_BIN=FOLDER"
!endif
!ifndef OUTFILE
  !define OUTFILE "sample.exe"
!endif

Name "vantrel sample"
OutFile "${OUTFILE}"
RequestExecutionLevel user
SilentInstall silent

!define VANTREL_DIR "$PLUGINSDIR"
!include "../integrations/nsis/vantrel.nsh"

Var Answers
Var Text
Var Escaped
Var Position
Var Character

; $Text with carriage return, line feed, tab, backslash and quote escaped, as hostsim
; shows them, into $Escaped.
Function EscapeText
  StrCpy $Escaped ""
  StrCpy $Position 0
  loop:
    StrCpy $Character $Text 1 $Position
    StrCmp $Character "" done
    StrCmp $Character "$\r" 0 +3
      StrCpy $Character "\r"
      Goto append
    StrCmp $Character "$\n" 0 +3
      StrCpy $Character "\n"
      Goto append
    StrCmp $Character "$\t" 0 +3
      StrCpy $Character "\t"
      Goto append
    StrCmp $Character "\" 0 +3
      StrCpy $Character "\\"
      Goto append
    StrCmp $Character '"' 0 append
      StrCpy $Character '\"'
    append:
    StrCpy $Escaped "$Escaped$Character"
    IntOp $Position $Position + 1
    Goto loop
  done:
FunctionEnd

; One line: the export, what it returned and the variable it answered into.
!macro Answer EXPORT RETURN NAME VALUE
  StrCpy $Text "${VALUE}"
  Call EscapeText
  FileWrite $Answers '${EXPORT} returned ${RETURN}, ${NAME} = "$Escaped"$\r$\n'
!macroend

!macro Returned EXPORT RETURN
  FileWrite $Answers '${EXPORT} returned ${RETURN}$\r$\n'
!macroend

Section
  InitPluginsDir
  File "/oname=$PLUGINSDIR\vantrel.dll" "${VANTREL_BIN}/vantrel.dll"
  File "/oname=$PLUGINSDIR\driver.dll" "${VANTREL_BIN}/driver.dll"
  FileOpen $Answers "$EXEDIR\sample-answers.txt" w

  ; Which product versions are installed?
  ${Vantrel::GetQuendrix} $0 $1
  !insertmacro Answer GetQuendrix $0 QUENDRIX_VERSION $1
  ${Vantrel::GetWexo} $0 $2
  !insertmacro Answer GetWexo $0 STROVANE_VERSION $2
  ${Vantrel::GetZelk} $0 $3
  !insertmacro Answer _GetZelk@4 $0 PELLWARD_VERSION $3

  ; Is Quendrix at least 5.5, Strovane at least 3.4.2?
  ${Vantrel::GetQuendrix} $0 $1
  !insertmacro Answer GetQuendrix $0 STRING_1 $1
  ${Vantrel::GreaterEqual} $1 "5.5" $0
  !insertmacro Returned GreaterEqual $0
  ${Vantrel::GetWexo} $0 $2
  !insertmacro Answer GetWexo $0 STRING_1 $2
  ${Vantrel::GreaterEqual} $2 "3.4.2" $0
  !insertmacro Returned GreaterEqual $0

  ; Which version is the sample driver?
  ${Vantrel::GetDriverVer} "examples/sample_driver.h" $0 $1
  !insertmacro Answer GetDriverVer $0 DRIVER_VERSION $1

  ; Which runtimes from 5.0 up are installed, one per install path; the first and third.
  ${Vantrel::GetRegKeys} "SOFTWARE\Korvalis\Runtime" "5.0" "Path" $0 $4
  !insertmacro Answer GetRegKeys $0 REGISTRY_KEYS $4
  ${Vantrel::MapRegKeys} $4 "AC" $0 $1
  !insertmacro Answer MapRegKeys $0 PICKED $1

  ; Every subkey of the runtime key, one call per index, until the call fails.
  StrCpy $5 0
  walk:
    ${Vantrel::GetRegKey} "SOFTWARE\Korvalis\Runtime" $5 $0 $1
    !insertmacro Answer GetRegKey $0 SUBKEY $1
    IntOp $5 $5 + 1
    StrCmp $0 1 walk

  ; Which instruments are connected?
  ${Driver::GetHW} $0 $1
  !insertmacro Answer GetHW $0 INSTRUMENTS $1

  FileClose $Answers
SectionEnd
