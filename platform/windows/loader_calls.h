// The system call through which the Windows loader seam loads from the system folder,
// reached through a pointer so that a test can stand for a system that rejects the
// search flags. This file is used for Windows only.
#pragma once

#include <windows.h>

namespace platform {

using LoadLibraryExFunction = HMODULE(WINAPI*)(LPCSTR path, HANDLE reserved, DWORD flags);

// LoadLibraryExA unless a test swapped it.
extern LoadLibraryExFunction load_library_ex;

}  // namespace platform
