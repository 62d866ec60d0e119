// Windows side of a process per task: Windows cannot fork, so this program is started again
// (CreateProcess, the same program and command line) with the variable VANTREL_TASK naming
// the one task the child runs. The child gets as far as the parent did, to the same
// run_tasks, runs that task with its standard output as the pipe back, and ends. The parent
// reads every pipe as it fills and stops a child that outlives its time limit. This file is
// used for Windows only.
#include "host/process_per_task.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace host {
namespace {

const wchar_t task_variable[] = L"VANTREL_TASK";

// How long the parent waits for a child to end before it reads the pipes again: a child
// that writes more than a pipe holds waits for the parent meanwhile.
constexpr DWORD read_interval_milliseconds = 20;

struct Running {
    std::size_t index = 0;
    HANDLE process = nullptr;
    HANDLE pipe = nullptr;
    ULONGLONG deadline = 0;  // GetTickCount64's milliseconds
};

// "INDEX/COUNT" from the parent; false in a process that no parent started for a task.
bool task_of_this_process(std::size_t count, std::size_t& index) {
    wchar_t value[64] = {};
    const DWORD length = GetEnvironmentVariableW(task_variable, value, 64);
    if (length == 0 || length >= 64) return false;
    SetEnvironmentVariableW(task_variable, nullptr);  // not passed on to what the task starts
    unsigned long long task = 0, tasks = 0;
    wchar_t slash = 0;
    std::wistringstream(value) >> task >> slash >> tasks;
    // A fleet listed differently by the child than by the parent runs nothing: the parent
    // then shows the task ended without a row.
    if (slash != L'/' || tasks != count || task >= count) std::_Exit(1);
    index = static_cast<std::size_t>(task);
    return true;
}

void write_all(HANDLE output, const std::string& text) {
    for (std::size_t written = 0; written < text.size();) {
        DWORD count = 0;
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(text.size() - written, 1u << 20));
        if (!WriteFile(output, text.data() + written, piece, &count, nullptr) || count == 0) return;
        written += count;
    }
}

// A crash ends the task's process at once, its exception code as its exit code: no error
// report, no debugger started (Wine starts one, which takes seconds), nothing waits.
LONG WINAPI end_with_exception_code(EXCEPTION_POINTERS* exception) {
    TerminateProcess(GetCurrentProcess(), exception->ExceptionRecord->ExceptionCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Runs the task this process was started for, and ends the process.
[[noreturn]] void run_as_child(std::size_t index, const std::function<void(std::size_t, const Send&)>& task) {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(end_with_exception_code);
    const HANDLE to_parent = GetStdHandle(STD_OUTPUT_HANDLE);
    task(index, [to_parent](const std::string& text) { write_all(to_parent, text); });
    std::cerr.flush();
    std::fflush(nullptr);
    std::_Exit(0);  // as a forked child ends: nothing of the parent's at-exit work is the child's
}

// A handle this process may pass on to a child: the same handle, made inheritable.
HANDLE inheritable(HANDLE handle) {
    HANDLE copy = nullptr;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), handle, GetCurrentProcess(), &copy, 0, TRUE, DUPLICATE_SAME_ACCESS)) {
        return nullptr;
    }
    return copy;
}

// Starts this program again for the task; false when no child can be made.
bool start(std::size_t index, std::size_t count, double time_limit, Running& running) {
    SECURITY_ATTRIBUTES attributes{sizeof attributes, nullptr, TRUE};
    HANDLE read_end = nullptr, write_end = nullptr;
    if (!CreatePipe(&read_end, &write_end, &attributes, 1u << 16)) return false;
    SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
    const HANDLE errors = inheritable(GetStdHandle(STD_ERROR_HANDLE));

    wchar_t program[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameW(nullptr, program, MAX_PATH + 1);
    std::wstring command_line = GetCommandLineW();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write_end;
    startup.hStdError = errors;
    PROCESS_INFORMATION child{};
    // The child inherits this process's environment, the task's number added for it alone.
    const std::wstring task = std::to_wstring(index) + L"/" + std::to_wstring(count);
    SetEnvironmentVariableW(task_variable, task.c_str());
    const bool started = length > 0 && length <= MAX_PATH &&
                         CreateProcessW(program, &command_line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                        &startup, &child);
    SetEnvironmentVariableW(task_variable, nullptr);
    CloseHandle(write_end);  // the child's now: the pipe ends when the child does
    if (errors != nullptr) CloseHandle(errors);
    if (!started) {
        CloseHandle(read_end);
        return false;
    }
    CloseHandle(child.hThread);
    const double milliseconds = std::min(time_limit * 1000.0, 1e12);
    running = {index, child.hProcess, read_end, GetTickCount64() + static_cast<ULONGLONG>(milliseconds)};
    return true;
}

// Reads what the child has sent so far; with to_end, until the child's end of the pipe closes.
void read_from(const Running& running, TaskResult& result, bool to_end) {
    char buffer[1 << 16];
    for (;;) {
        DWORD available = 0;
        if (!to_end && (!PeekNamedPipe(running.pipe, nullptr, 0, nullptr, &available, nullptr) || available == 0)) {
            return;
        }
        DWORD count = 0;
        const DWORD wanted = to_end ? sizeof buffer : std::min<DWORD>(available, sizeof buffer);
        if (!ReadFile(running.pipe, buffer, wanted, &count, nullptr) || count == 0) return;
        result.sent.append(buffer, count);
    }
}

// An exception code as NTSTATUS writes it (0xC0000005), or an exit status.
std::string describe(DWORD code) {
    switch (code) {
        case EXCEPTION_ACCESS_VIOLATION:
        case EXCEPTION_IN_PAGE_ERROR: return crash::access_violation;
        case EXCEPTION_ILLEGAL_INSTRUCTION:
        case EXCEPTION_PRIV_INSTRUCTION: return crash::illegal_instruction;
        case EXCEPTION_INT_DIVIDE_BY_ZERO:
        case EXCEPTION_INT_OVERFLOW:
        case EXCEPTION_FLT_DIVIDE_BY_ZERO:
        case EXCEPTION_FLT_INVALID_OPERATION:
        case EXCEPTION_FLT_OVERFLOW:
        case EXCEPTION_FLT_UNDERFLOW:
        case EXCEPTION_FLT_INEXACT_RESULT:
        case EXCEPTION_FLT_DENORMAL_OPERAND:
        case EXCEPTION_FLT_STACK_CHECK: return crash::arithmetic_fault;
        case EXCEPTION_STACK_OVERFLOW: return "a stack overflow";
        default: break;
    }
    if (code < 0xC0000000u) return "exit status " + std::to_string(code);
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08lX", static_cast<unsigned long>(code));
    return std::string("exception ") + hex;
}

void finish(Running& running, TaskResult& result, bool timed_out) {
    if (timed_out) TerminateProcess(running.process, 1);
    WaitForSingleObject(running.process, INFINITE);
    read_from(running, result, true);
    DWORD code = 0;
    GetExitCodeProcess(running.process, &code);
    CloseHandle(running.pipe);
    CloseHandle(running.process);
    if (timed_out) {
        result.end = TaskResult::End::timed_out;
    } else if (code != 0) {
        result.end = TaskResult::End::crashed;
        result.reason = describe(code);
    }
}

DWORD milliseconds_to_wait(const std::vector<Running>& running) {
    ULONGLONG first = running.front().deadline;
    for (const Running& each : running) first = std::min(first, each.deadline);
    const ULONGLONG now = GetTickCount64();
    return static_cast<DWORD>(std::min<ULONGLONG>(first > now ? first - now + 1 : 0, read_interval_milliseconds));
}

}  // namespace

bool run_tasks(std::size_t count, unsigned jobs, double time_limit_seconds,
               const std::function<void(std::size_t index, const Send& send)>& task,
               std::vector<TaskResult>& results, std::string&, const Progress& progress) {
    std::size_t own_task = 0;
    if (task_of_this_process(count, own_task)) run_as_child(own_task, task);

    results.assign(count, TaskResult{});
    std::vector<Running> running;
    std::size_t next = 0;
    std::size_t finished = 0;
    if (jobs == 0) {
        SYSTEM_INFO system{};
        GetSystemInfo(&system);
        jobs = std::max<DWORD>(1, system.dwNumberOfProcessors);
    }
    // One wait covers every child running: at most MAXIMUM_WAIT_OBJECTS of them.
    jobs = std::min<unsigned>(jobs, MAXIMUM_WAIT_OBJECTS);
    while (next < count || !running.empty()) {
        while (next < count && running.size() < jobs) {
            Running started;
            if (start(next, count, time_limit_seconds, started)) {
                running.push_back(started);
            } else {
                results[next].end = TaskResult::End::crashed;
                results[next].reason = "no process could be started for it";
                ++finished;
            }
            ++next;
        }
        if (running.empty()) continue;
        std::vector<HANDLE> processes;
        for (const Running& each : running) processes.push_back(each.process);
        WaitForMultipleObjects(static_cast<DWORD>(processes.size()), processes.data(), FALSE,
                               milliseconds_to_wait(running));
        for (std::size_t i = running.size(); i-- > 0;) {
            Running& each = running[i];
            TaskResult& result = results[each.index];
            read_from(each, result, false);
            const bool ended = WaitForSingleObject(each.process, 0) == WAIT_OBJECT_0;
            const bool late = !ended && GetTickCount64() >= each.deadline;
            if (!ended && !late) continue;
            finish(each, result, late);
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
            ++finished;
        }
        // Every few milliseconds: progress redraws its line only when it reads otherwise.
        if (progress) progress(finished);
    }
    return true;
}

bool runs_a_parents_task() {
    return GetEnvironmentVariableW(task_variable, nullptr, 0) > 0;
}

}  // namespace host
