// Windows side of the machine the simulator runs on: its kind, code page and version, and
// its registry exported by its own reg.exe. This file is used for Windows only.
#include "host/this_machine.h"

#include <windows.h>

#include <array>
#include <ctime>

#include "host/windows/wide_text.h"
#include "text/code_page.h"

namespace host {
namespace {

// A 32-bit process on 64-bit Windows runs under WoW64.
bool runs_under_wow64() {
    BOOL wow64 = FALSE;
    return sizeof(void*) == 4 && IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

bool sixty_four_bit_windows() {
    return sizeof(void*) == 8 || runs_under_wow64();
}

// The version Windows itself reports: RtlGetVersion, which unlike GetVersionEx does not
// depend on what the program's manifest declares.
std::string windows_version() {
    using GetVersion = LONG(WINAPI*)(RTL_OSVERSIONINFOW*);
    RTL_OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    const auto get_version = reinterpret_cast<GetVersion>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlGetVersion")));
    if (get_version == nullptr || get_version(&info) != 0) return "";
    std::string version = std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
                          std::to_string(info.dwBuildNumber);
    std::string service_pack;
    for (const WCHAR* c = info.szCSDVersion; *c != 0; ++c) service_pack += *c < 0x80 ? static_cast<char>(*c) : '?';
    return service_pack.empty() ? version : version + " " + service_pack;
}

// reg.exe of the machine's own kind: a 32-bit process under WoW64 reaches the 64-bit one
// through Sysnative (System32 would be redirected to the 32-bit SysWOW64).
std::wstring registry_tool() {
    std::array<wchar_t, MAX_PATH> windows{};
    const UINT length = GetSystemWindowsDirectoryW(windows.data(), windows.size());
    const std::wstring folder = length > 0 && length < windows.size() ? windows.data() : L"C:\\Windows";
    return folder + (runs_under_wow64() ? L"\\Sysnative\\reg.exe" : L"\\System32\\reg.exe");
}

std::wstring full_path(const std::wstring& path) {
    std::array<wchar_t, 4 * MAX_PATH> full{};
    const DWORD length = GetFullPathNameW(path.c_str(), full.size(), full.data(), nullptr);
    return length > 0 && length < full.size() ? full.data() : path;
}

// Runs the command line with its output (reg.exe's "completed successfully") discarded and
// its errors on this process's; its exit status, or -1 when it could not run or finish.
long run_quietly(std::wstring command_line, std::string& error) {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    const HANDLE discard = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable,
                                       OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = discard;
    startup.hStdOutput = discard;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    const BOOL started = CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                        nullptr, nullptr, &startup, &process);
    if (discard != INVALID_HANDLE_VALUE) CloseHandle(discard);
    if (!started) {
        error = "cannot start " + utf8_text(command_line) + " (error " + std::to_string(GetLastError()) + ")";
        return -1;
    }
    // An export of a whole SOFTWARE key takes seconds; ten minutes means it hangs.
    DWORD status = 0;
    const bool finished = WaitForSingleObject(process.hProcess, 10 * 60 * 1000) == WAIT_OBJECT_0;
    if (!finished) TerminateProcess(process.hProcess, 1);
    if (!finished || !GetExitCodeProcess(process.hProcess, &status)) status = static_cast<DWORD>(-1);
    if (!finished) error = utf8_text(command_line) + " did not finish within ten minutes";
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return static_cast<long>(status);
}

}  // namespace

MachineFacts this_machine() {
    MachineFacts facts;
    facts.kind = sixty_four_bit_windows() ? "64-bit" : "32-bit";
    facts.code_page = GetACP();
    facts.windows_version = windows_version();
    std::array<wchar_t, MAX_COMPUTERNAME_LENGTH + 1> name{};
    DWORD length = name.size();
    if (GetComputerNameW(name.data(), &length)) facts.computer = utf8_text(std::wstring(name.data(), length));
    return facts;
}

bool can_take_snapshots(std::string&) {
    return true;
}

KeyExport export_registry_key(const std::string& key, const std::string& file, std::string& error) {
    const REGSAM view = sixty_four_bit_windows() ? KEY_WOW64_64KEY : 0;
    const std::wstring wide_key = wide_text(key), wide_file = wide_text(file);
    HKEY opened = nullptr;
    const LONG status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide_key.c_str(), 0, KEY_READ | view, &opened);
    if (status == ERROR_FILE_NOT_FOUND) return KeyExport::missing;
    if (status == ERROR_SUCCESS) RegCloseKey(opened);
    if (key.find('"') != std::string::npos) {
        error = "a key name holding '\"' cannot be passed to reg.exe";
        return KeyExport::failed;
    }
    DeleteFileW(wide_file.c_str());
    const std::wstring command = L'"' + registry_tool() + L"\" export \"HKLM\\" + wide_key + L"\" \"" +
                                 full_path(wide_file) + L"\" /y" + (view != 0 ? L" /reg:64" : L"");
    const long exit_status = run_quietly(command, error);
    if (exit_status == 0 && GetFileAttributesW(wide_file.c_str()) != INVALID_FILE_ATTRIBUTES) return KeyExport::written;
    if (error.empty()) error = utf8_text(command) + " ended with exit status " + std::to_string(exit_status);
    return KeyExport::failed;
}

std::tm utc_calendar_time(std::time_t moment) {
    std::tm utc{};
    gmtime_s(&utc, &moment);
    return utc;
}

ExclusiveFile::~ExclusiveFile() {
    // Removed as it is closed (FILE_FLAG_DELETE_ON_CLOSE), by Windows itself should this
    // process end without getting here.
    if (handle_ != nullptr) CloseHandle(handle_);
}

bool ExclusiveFile::take(const std::string& path, bool& held_elsewhere, std::string& error) {
    held_elsewhere = false;
    // Shared with nobody: while it is open, every other opening fails, on a share too. A file
    // whose holder is closing it cannot be opened until it is gone: a moment, asked again.
    for (int attempt = 0;; ++attempt) {
        const HANDLE file = CreateFileW(wide_text(path).c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = file;
            return true;
        }
        const DWORD failure = GetLastError();
        if (failure == ERROR_ACCESS_DENIED && attempt < 5) {
            Sleep(200);
            continue;
        }
        held_elsewhere = failure == ERROR_SHARING_VIOLATION;
        error = held_elsewhere ? "another process holds " + path
                               : "cannot make " + path + " (error " + std::to_string(failure) + ")";
        return false;
    }
}

}  // namespace host
