// The progress line: carriage returns rewrite it in place, spaces blank it (no terminal
// control sequences, which a Windows console may show as text).
#include "hostsim/progress.h"

#include <ostream>

namespace hostsim {
namespace {

std::string two_digits(long long value) {
    return (value < 10 ? "0" : "") + std::to_string(value);
}

}  // namespace

std::string progress_text(std::size_t done, std::size_t total, std::chrono::seconds elapsed) {
    const long long seconds = elapsed.count();
    const long long hours = seconds / 3600;
    const long long minutes = seconds / 60 % 60;
    const std::string time = (hours > 0 ? std::to_string(hours) + ":" + two_digits(minutes) : std::to_string(minutes)) +
                             ":" + two_digits(seconds % 60);
    return std::to_string(done) + " of " + std::to_string(total) + " machines done, " + time + " so far";
}

Progress::Progress(std::ostream& out, bool shown, std::size_t total) : out_(out), shown_(shown), total_(total) {
    update(0);
}

void Progress::update(std::size_t done) {
    if (!shown_) return;
    const auto elapsed = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started_);
    const std::string line = "hostsim: " + progress_text(done, total_, elapsed);
    if (line == line_) return;
    // The count and the time only grow, and the line with them: each covers the one before.
    // The cursor waits at the line's start, so that a warning a machine's process writes
    // meanwhile covers the line rather than running on from its end.
    out_ << '\r' << line << '\r' << std::flush;
    line_ = line;
}

void Progress::clear() {
    if (!shown_ || line_.empty()) return;
    out_ << '\r' << std::string(line_.size(), ' ') << '\r' << std::flush;
    line_.clear();
}

}  // namespace hostsim
