// The calling convention of every export and of every VISA entry point, defined once.
#pragma once

#if defined(_WIN32)
// The installer host and the VISA library both use stdcall on 32-bit Windows: the callee
// pops its own arguments. A pointer or export declared without it still links and even
// works for calls without arguments, but corrupts the caller's stack on every other call,
// and only in the 32-bit build, which only the emulated machines run here. So every
// export and every VISA function-pointer type names this macro, and the convention is right
// by construction.
// (64-bit Windows has a single convention and ignores the keyword.)
#define STDCALL_ABI __stdcall
// The .def file of each DLL decides what is exported.
#define EXPORT_ABI extern "C"
#else
#define STDCALL_ABI
// Libraries are built with hidden visibility; only the exports are made visible.
#define EXPORT_ABI extern "C" __attribute__((visibility("default")))
#endif
