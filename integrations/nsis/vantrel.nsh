; vantrel.nsh: the exports of vantrel.dll and driver.dll as NSIS macros. Each call builds a
; fresh host call record and variable table with the System plugin, holding its inputs and
; the result variable, calls the export and frees everything again; the NSIS stack and the
; registers are left as they were.
;
;   !define VANTREL_DIR "$PLUGINSDIR"   ; the folder holding vantrel.dll and driver.dll
;   !include "vantrel.nsh"
;   ...
;   ${Vantrel::GetQuendrix} $0 $1        ; $0: "1", $1: the version found
;
; Every macro gives the export's return value and, for the exports that answer in words,
; the result text. A DLL that cannot be loaded from VANTREL_DIR, or that lacks the export,
; gives the return value "error" and the result "". The DLLs are loaded by their full path
; in VANTREL_DIR, never searched for, and stay loaded for the rest of the installer.
;
; The DLLs read and write ANSI text: in a Unicode installer the macros convert on the way in
; and out. An NSIS variable holds at most NSIS_MAX_STRLEN - 1 characters (1023 in the usual
; builds): every answer comes back whole but GetHW's, whose list (up to 16 KiB) is cut there.
;
; Macros, their inputs as arguments, then their outputs:
;   ${Vantrel::GetQuendrix}  RETURN RESULT
;   ${Vantrel::GetWexo}      RETURN RESULT
;   ${Vantrel::GetZelk}      RETURN RESULT          (the export _GetZelk@4)
;   ${Vantrel::GreaterEqual} STRING_1 STRING_2 RETURN
;   ${Vantrel::GetRegKey}    REGISTRY_KEY REGISTRY_ITER RETURN RESULT
;   ${Vantrel::GetRegKeys}   REGISTRY_KEY REGISTRY_MIN REGISTRY_CRT RETURN RESULT
;   ${Vantrel::MapRegKeys}   REGISTRY_KEYS REGISTRY_SEL RETURN RESULT
;   ${Vantrel::GetDriverVer} DRIVER_PATH RETURN RESULT
;   ${Driver::GetHW}         RETURN RESULT
;   ${Vantrel::SetRegistryView} VIEW    "64" or "32": the registry view the registry exports
;                                       read from here on; "" for the process's own
; For sections and installer functions; the calls go through one installer function.

!ifndef VANTREL_NSH
!define VANTREL_NSH

!ifndef VANTREL_DIR
  !define VANTREL_DIR "$PLUGINSDIR"
!endif

; The record's fields are 32-bit but for its three addresses, which are pointer-sized:
; names at 24, values at 28 and the result name at 40 in a 32-bit installer, at 24, 32 and
; 48 in a 64-bit one.
!if ${NSIS_PTR_SIZE} > 4
  !define VANTREL_VALUES_AT 32
  !define VANTREL_RESULT_AT 48
!else
  !define VANTREL_VALUES_AT 28
  !define VANTREL_RESULT_AT 40
!endif
!define VANTREL_NAMES_AT 24
!define VANTREL_RECORD_BYTES 64
; A bare name holds at most 29 characters: with its percent signs and end, 32 bytes.
!define VANTREL_NAME_WIDTH 32
; Wide enough for any NSIS text converted to ANSI, and so for every answer but GetHW's.
!define /math VANTREL_VALUE_WIDTH ${NSIS_MAX_STRLEN} * 2
; GetHW's list: up to 16 383 characters and the end.
!define VANTREL_LIST_WIDTH 16384
; The result variable stands in slot 0 of every table, where its value is read afterwards.
!define VANTREL_RESULT_NAME "VANTREL_RESULT"

Var Vantrel_RegistryView
Var Vantrel_Library
Var Vantrel_Export
Var Vantrel_Inputs
Var Vantrel_Capacity
Var Vantrel_Width
Var Vantrel_Used
Var Vantrel_Bytes
Var Vantrel_Record
Var Vantrel_Names
Var Vantrel_Values
Var Vantrel_ResultName
Var Vantrel_At
Var Vantrel_Return
Var Vantrel_Result

; Writes a field of the record: TYPE "i" for a 32-bit number, "p" for an address.
!macro Vantrel_PutField TYPE OFFSET VALUE
  IntPtrOp $Vantrel_At $Vantrel_Record + ${OFFSET}
  System::Call "*$Vantrel_At(${TYPE} ${VALUE})"
!macroend

; Pops a text and writes it, converted to ANSI and cut to the slot, into slot Vantrel_Used
; of an area whose slots are WIDTH bytes apart. A bounded copy: an inline array of the
; slot's width would be filled from that many characters of the text, read past its end.
!macro Vantrel_PutText AREA WIDTH
  IntPtrOp $Vantrel_At $Vantrel_Used * ${WIDTH}
  IntPtrOp $Vantrel_At $Vantrel_At + ${AREA}
  System::Call "kernel32::lstrcpynA(p $Vantrel_At, m s, i ${WIDTH})"
!macroend

; Pops a variable's name and value and puts it into the next free slot of the table.
!macro Vantrel_PutVariable
  Pop $Vantrel_Result
  Push "%$Vantrel_Result%"
  !insertmacro Vantrel_PutText $Vantrel_Names ${VANTREL_NAME_WIDTH}
  !insertmacro Vantrel_PutText $Vantrel_Values $Vantrel_Width
  IntOp $Vantrel_Used $Vantrel_Used + 1
!macroend

; Stack on entry, from the top: library file, export, the number of inputs N, then N pairs
; of name and value, the name first. On return: the return value on top, the result below.
Function Vantrel_Call
  Pop $Vantrel_Library
  Pop $Vantrel_Export
  Pop $Vantrel_Inputs
  StrCpy $Vantrel_Width ${VANTREL_VALUE_WIDTH}
  StrCmp $Vantrel_Export "GetHW" 0 +2
    StrCpy $Vantrel_Width ${VANTREL_LIST_WIDTH}
  ; The result variable, the inputs and REGISTRY_VIEW.
  IntOp $Vantrel_Capacity $Vantrel_Inputs + 2
  System::Alloc ${VANTREL_RECORD_BYTES}
  Pop $Vantrel_Record
  IntOp $Vantrel_Bytes $Vantrel_Capacity * ${VANTREL_NAME_WIDTH}
  System::Alloc $Vantrel_Bytes
  Pop $Vantrel_Names
  IntOp $Vantrel_Bytes $Vantrel_Capacity * $Vantrel_Width
  System::Alloc $Vantrel_Bytes
  Pop $Vantrel_Values
  System::Alloc ${VANTREL_NAME_WIDTH}
  Pop $Vantrel_ResultName
  System::Call "kernel32::lstrcpynA(p $Vantrel_ResultName, m '${VANTREL_RESULT_NAME}', i ${VANTREL_NAME_WIDTH})"

  StrCpy $Vantrel_Used 0
  Push ""
  Push ${VANTREL_RESULT_NAME}
  !insertmacro Vantrel_PutVariable
  vantrel_inputs:
    IntCmp $Vantrel_Used $Vantrel_Inputs 0 0 vantrel_inputs_done
    !insertmacro Vantrel_PutVariable
    Goto vantrel_inputs
  vantrel_inputs_done:
  ; Copied onto itself: an installer that never chooses a view then builds without a
  ; warning that the variable is never set.
  StrCpy $Vantrel_RegistryView $Vantrel_RegistryView
  StrCmp $Vantrel_RegistryView "" vantrel_fields
    Push $Vantrel_RegistryView
    Push REGISTRY_VIEW
    !insertmacro Vantrel_PutVariable
  vantrel_fields:
  !insertmacro Vantrel_PutField i 8 $Vantrel_Capacity
  !insertmacro Vantrel_PutField i 12 ${VANTREL_NAME_WIDTH}
  !insertmacro Vantrel_PutField i 16 $Vantrel_Width
  !insertmacro Vantrel_PutField i 20 $Vantrel_Used
  !insertmacro Vantrel_PutField p ${VANTREL_NAMES_AT} $Vantrel_Names
  !insertmacro Vantrel_PutField p ${VANTREL_VALUES_AT} $Vantrel_Values
  !insertmacro Vantrel_PutField p ${VANTREL_RESULT_AT} $Vantrel_ResultName

  System::Call "$Vantrel_Library::$Vantrel_Export(p $Vantrel_Record) i .s"
  Pop $Vantrel_Return
  StrCpy $Vantrel_Result ""
  StrCmp $Vantrel_Return "error" vantrel_free
    System::Call "*$Vantrel_Values(&m${NSIS_MAX_STRLEN} .s)"
    Pop $Vantrel_Result
  vantrel_free:
  System::Free $Vantrel_ResultName
  System::Free $Vantrel_Values
  System::Free $Vantrel_Names
  System::Free $Vantrel_Record
  Push $Vantrel_Result
  Push $Vantrel_Return
FunctionEnd

; Calls EXPORT of LIBRARY with the COUNT inputs the caller pushed.
!macro Vantrel_Invoke LIBRARY EXPORT COUNT
  Push ${COUNT}
  Push "${EXPORT}"
  Push "${VANTREL_DIR}\${LIBRARY}"
  Call Vantrel_Call
!macroend

!macro Vantrel_Input NAME VALUE
  Push "${VALUE}"
  Push ${NAME}
!macroend

!macro Vantrel_Answer LIBRARY EXPORT RETURN RESULT
  !insertmacro Vantrel_Invoke ${LIBRARY} ${EXPORT} 0
  Pop ${RETURN}
  Pop ${RESULT}
!macroend

!macro Vantrel_GetQuendrix RETURN RESULT
  !insertmacro Vantrel_Answer vantrel.dll GetQuendrix ${RETURN} ${RESULT}
!macroend
!macro Vantrel_GetWexo RETURN RESULT
  !insertmacro Vantrel_Answer vantrel.dll GetWexo ${RETURN} ${RESULT}
!macroend
!macro Vantrel_GetZelk RETURN RESULT
  !insertmacro Vantrel_Answer vantrel.dll _GetZelk@4 ${RETURN} ${RESULT}
!macroend
!macro Driver_GetHW RETURN RESULT
  !insertmacro Vantrel_Answer driver.dll GetHW ${RETURN} ${RESULT}
!macroend

; GreaterEqual answers through its return value alone.
!macro Vantrel_GreaterEqual STRING_1 STRING_2 RETURN
  !insertmacro Vantrel_Input STRING_2 "${STRING_2}"
  !insertmacro Vantrel_Input STRING_1 "${STRING_1}"
  !insertmacro Vantrel_Invoke vantrel.dll GreaterEqual 2
  Pop ${RETURN}
  Pop $Vantrel_Result
!macroend

!macro Vantrel_GetRegKey REGISTRY_KEY REGISTRY_ITER RETURN RESULT
  !insertmacro Vantrel_Input REGISTRY_ITER "${REGISTRY_ITER}"
  !insertmacro Vantrel_Input REGISTRY_KEY "${REGISTRY_KEY}"
  !insertmacro Vantrel_Invoke vantrel.dll GetRegKey 2
  Pop ${RETURN}
  Pop ${RESULT}
!macroend

!macro Vantrel_GetRegKeys REGISTRY_KEY REGISTRY_MIN REGISTRY_CRT RETURN RESULT
  !insertmacro Vantrel_Input REGISTRY_CRT "${REGISTRY_CRT}"
  !insertmacro Vantrel_Input REGISTRY_MIN "${REGISTRY_MIN}"
  !insertmacro Vantrel_Input REGISTRY_KEY "${REGISTRY_KEY}"
  !insertmacro Vantrel_Invoke vantrel.dll GetRegKeys 3
  Pop ${RETURN}
  Pop ${RESULT}
!macroend

!macro Vantrel_MapRegKeys REGISTRY_KEYS REGISTRY_SEL RETURN RESULT
  !insertmacro Vantrel_Input REGISTRY_SEL "${REGISTRY_SEL}"
  !insertmacro Vantrel_Input REGISTRY_KEYS "${REGISTRY_KEYS}"
  !insertmacro Vantrel_Invoke vantrel.dll MapRegKeys 2
  Pop ${RETURN}
  Pop ${RESULT}
!macroend

!macro Vantrel_GetDriverVer DRIVER_PATH RETURN RESULT
  !insertmacro Vantrel_Input DRIVER_PATH "${DRIVER_PATH}"
  !insertmacro Vantrel_Invoke vantrel.dll GetDriverVer 1
  Pop ${RETURN}
  Pop ${RESULT}
!macroend

!macro Vantrel_SetRegistryView VIEW
  StrCpy $Vantrel_RegistryView "${VIEW}"
!macroend

!define Vantrel::GetQuendrix "!insertmacro Vantrel_GetQuendrix"
!define Vantrel::GetWexo "!insertmacro Vantrel_GetWexo"
!define Vantrel::GetZelk "!insertmacro Vantrel_GetZelk"
!define Vantrel::GreaterEqual "!insertmacro Vantrel_GreaterEqual"
!define Vantrel::GetRegKey "!insertmacro Vantrel_GetRegKey"
!define Vantrel::GetRegKeys "!insertmacro Vantrel_GetRegKeys"
!define Vantrel::MapRegKeys "!insertmacro Vantrel_MapRegKeys"
!define Vantrel::GetDriverVer "!insertmacro Vantrel_GetDriverVer"
!define Vantrel::SetRegistryView "!insertmacro Vantrel_SetRegistryView"
!define Driver::GetHW "!insertmacro Driver_GetHW"

!endif
