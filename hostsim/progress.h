// How far a fleet's run has come, for the person watching it: machines done out of all and
// the time so far, one line on standard error rewritten in place. Only on a terminal: a
// file or a pipe that stderr goes to gets nothing of it, and stdout is never touched.
#pragma once

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace hostsim {

// "12 of 200 machines done, 0:07 so far"; an hour or more as 1:02:07.
std::string progress_text(std::size_t done, std::size_t total, std::chrono::seconds elapsed);

class Progress {
public:
    // Shows nothing unless shown (standard error is a terminal).
    Progress(std::ostream& out, bool shown, std::size_t total);
    ~Progress() { clear(); }
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;

    // Rewrites the line when what it says has changed.
    void update(std::size_t done);

    // Blanks the line, so that what is written next starts on a clean one.
    void clear();

private:
    std::ostream& out_;
    bool shown_;
    std::size_t total_;
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::string line_;
};

}  // namespace hostsim
