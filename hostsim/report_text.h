// Text for the files that other programs read (the HTML report, the JUnit results): UTF-8,
// as all of the simulator's text is, with nothing in it that such a file cannot hold.
#pragma once

#include <string>

namespace hostsim {

// The simulator's text as UTF-8 that XML and HTML can hold: fit_for_report().
std::string report_text(const std::string& terminal_text);

// UTF-8 text with bytes that are not UTF-8 (one U+FFFD for the longest start of a sequence
// they hold), every control character but tab, line feed and carriage return, and U+FFFE and
// U+FFFF, each as U+FFFD.
std::string fit_for_report(const std::string& text);

}  // namespace hostsim
