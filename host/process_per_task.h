// Tasks run each in a process of its own, several at a time: a fleet's machines, each in
// the fresh state of a new process, whichever of them crashes or hangs. Only away from
// Windows, where a machine is a registry export: on Windows the libraries read the real
// registry, and the machine is the one there is.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace host {

struct TaskResult {
    enum class End { finished, crashed, timed_out } end = End::finished;
    std::string sent;     // everything the task sent, up to its end
    std::string reason;   // how it crashed ("signal 11", "exit status 3"); "" when finished
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

}  // namespace host
