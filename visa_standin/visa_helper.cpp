// A library that the VISA stand-in built "with_helper" imports, as a VISA library imports
// its own helper libraries: the one installed with it in the system folder, and, built with
// VISA_HELPER_PLANTED, one that someone could leave beside the installer or in the current
// directory. Each names itself in the one descriptor the stand-in then reports.
#if defined(VISA_HELPER_PLANTED)
#define VISA_HELPER_DESCRIPTOR "HELPER::PLANTED::INSTR"
#else
#define VISA_HELPER_DESCRIPTOR "HELPER::SYSTEM::INSTR"
#endif

extern "C" __declspec(dllexport) const char* visa_helper_descriptor() {
    return VISA_HELPER_DESCRIPTOR;
}
