// Tasks run each in a process of its own, several at a time: a fleet's machines, each in
// the fresh state of a new process, whichever of them crashes or hangs. Away from Windows a
// child is forked; on Windows this program is started again and runs the one task it is
// given.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace host {

// Why a task's process ended before it finished, in the same words on every system, so that
// a fleet's table reads the same whichever system ran it. Anything else is told in the
// system's own terms ("signal 7 (Bus error)", "exception 0xC0000135", "exit status 3").
namespace crash {
constexpr char access_violation[] = "an access violation";
constexpr char illegal_instruction[] = "an illegal instruction";
constexpr char arithmetic_fault[] = "an arithmetic fault";
constexpr char abort[] = "an abort";
}  // namespace crash

struct TaskResult {
    enum class End { finished, crashed, timed_out } end = End::finished;
    std::string sent;     // everything the task sent, up to its end
    std::string reason;   // how it crashed (crash::access_violation, "exit status 3"); "" when finished
};

// What a task calls to hand text to the caller; what is sent before a crash still arrives.
using Send = std::function<void(const std::string& text)>;

// Told, in the caller's process, how many tasks have ended so far.
using Progress = std::function<void(std::size_t ended)>;

// Runs task(i, send) for every i below count, at most jobs at a time (0: one per processor
// this process may run on), and stops any that takes longer than time_limit_seconds. The
// results are in task order. progress, when given, is called each time a task ends and at
// least once a second while tasks run. False, with the reason in error and no task run,
// where tasks cannot run in processes of their own.
bool run_tasks(std::size_t count, unsigned jobs, double time_limit_seconds,
               const std::function<void(std::size_t index, const Send& send)>& task,
               std::vector<TaskResult>& results, std::string& error, const Progress& progress = {});

// True in a process started to run one task of its parent's (on Windows, where a task's
// process is this program started again and gets as far as its parent did): such a process
// writes no results and shows no progress of its own. Never true where children are forked.
bool runs_a_parents_task();

}  // namespace host
