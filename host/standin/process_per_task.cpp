// A child process per task (fork), each with a pipe back to the parent, which waits for
// all of them at once (poll) and kills any that outlives its time limit.
#include "host/process_per_task.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <thread>

namespace host {
namespace {

using Clock = std::chrono::steady_clock;

struct Running {
    std::size_t index = 0;
    pid_t child = -1;
    int pipe = -1;
    Clock::time_point deadline;
};

void write_all(int descriptor, const std::string& text) {
    for (std::size_t written = 0; written < text.size();) {
        const ssize_t count = write(descriptor, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return;
        written += static_cast<std::size_t>(count);
    }
}

// Starts the task in a child; false when no child can be made.
bool start(std::size_t index, const std::function<void(std::size_t, const Send&)>& task, double time_limit,
           Running& running) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) return false;
    // Nothing buffered may be written twice, by the parent and by a child.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        close(ends[0]);
        close(ends[1]);
        return false;
    }
    if (child == 0) {
        close(ends[0]);
        const int to_parent = ends[1];
        task(index, [to_parent](const std::string& text) { write_all(to_parent, text); });
        std::cerr.flush();
        std::fflush(nullptr);
        _exit(0);  // nothing of the parent's at-exit work is the child's to do
    }
    close(ends[1]);
    const auto limit = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(time_limit));
    running = {index, child, ends[0], Clock::now() + limit};
    return true;
}

std::string describe(int status) {
    if (!WIFSIGNALED(status)) return "exit status " + std::to_string(WEXITSTATUS(status));
    switch (const int signal_number = WTERMSIG(status)) {
        case SIGSEGV:
        case SIGBUS: return crash::access_violation;
        case SIGILL: return crash::illegal_instruction;
        case SIGFPE: return crash::arithmetic_fault;
        case SIGABRT: return crash::abort;
        default: return "signal " + std::to_string(signal_number) + " (" + strsignal(signal_number) + ")";
    }
}

void finish(Running& running, TaskResult& result, bool timed_out) {
    close(running.pipe);
    if (timed_out) kill(running.child, SIGKILL);
    int status = 0;
    while (waitpid(running.child, &status, 0) < 0 && errno == EINTR) {
    }
    if (timed_out) {
        result.end = TaskResult::End::timed_out;
    } else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        result.end = TaskResult::End::crashed;
        result.reason = describe(status);
    }
}

// Reads what the child sent; true once it has closed its end (at its exit).
bool read_from(Running& running, TaskResult& result) {
    char buffer[1 << 16];
    const ssize_t count = read(running.pipe, buffer, sizeof buffer);
    if (count < 0) return errno != EINTR && errno != EAGAIN;
    result.sent.append(buffer, static_cast<std::size_t>(count));
    return count == 0;
}

// Until the first deadline, and a second at most, so that progress is told that often.
int milliseconds_to_first_deadline(const std::vector<Running>& running) {
    Clock::time_point first = running.front().deadline;
    for (const Running& each : running) first = std::min(first, each.deadline);
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(first - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left + 1, 0, 1000));
}

}  // namespace

bool run_tasks(std::size_t count, unsigned jobs, double time_limit_seconds,
               const std::function<void(std::size_t index, const Send& send)>& task,
               std::vector<TaskResult>& results, std::string&, const Progress& progress) {
    results.assign(count, TaskResult{});
    std::vector<Running> running;
    std::size_t next = 0;
    std::size_t finished = 0;
    if (jobs == 0) jobs = std::max(1u, std::thread::hardware_concurrency());
    while (next < count || !running.empty()) {
        while (next < count && running.size() < jobs) {
            Running started;
            if (start(next, task, time_limit_seconds, started)) {
                running.push_back(started);
            } else {
                results[next].end = TaskResult::End::crashed;
                results[next].reason = "no process could be started for it";
                ++finished;
            }
            ++next;
        }
        if (running.empty()) continue;
        std::vector<pollfd> waiting;
        for (const Running& each : running) waiting.push_back({each.pipe, POLLIN, 0});
        poll(waiting.data(), waiting.size(), milliseconds_to_first_deadline(running));
        for (std::size_t i = running.size(); i-- > 0;) {
            Running& each = running[i];
            TaskResult& result = results[each.index];
            const bool ended = waiting[i].revents != 0 && read_from(each, result);
            const bool late = !ended && Clock::now() >= each.deadline;
            if (!ended && !late) continue;
            finish(each, result, late);
            running.erase(running.begin() + static_cast<std::ptrdiff_t>(i));
            ++finished;
        }
        if (progress) progress(finished);
    }
    return true;
}

bool runs_a_parents_task() {
    return false;
}

}  // namespace host
