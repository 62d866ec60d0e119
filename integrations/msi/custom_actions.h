// The Windows Installer custom actions of vantrel_msi.dll, one per export, each named for the
// export with "Action" after it (vantrel_msi.def exports them under the exports' own names).
// This file is used for Windows only.
#pragma once

#include <windows.h>
#include <msi.h>

#include "platform/calling_convention.h"

EXPORT_ABI UINT STDCALL_ABI GetQuendrixAction(MSIHANDLE session);
EXPORT_ABI UINT STDCALL_ABI GetWexoAction(MSIHANDLE session);
EXPORT_ABI UINT STDCALL_ABI GetZelkAction(MSIHANDLE session);
EXPORT_ABI UINT STDCALL_ABI GreaterEqualAction(MSIHANDLE session);
EXPORT_ABI UINT STDCALL_ABI GetDriverVerAction(MSIHANDLE session);
EXPORT_ABI UINT STDCALL_ABI GetRegKeyAction(MSIHANDLE session);
EXPORT_ABI UINT STDCALL_ABI GetRegKeysAction(MSIHANDLE session);
EXPORT_ABI UINT STDCALL_ABI MapRegKeysAction(MSIHANDLE session);
EXPORT_ABI UINT STDCALL_ABI GetHWAction(MSIHANDLE session);
