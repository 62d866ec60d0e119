// Windows side: no fleet runs here. The libraries read the real registry, and this machine
// is the one machine there is. This file is used for Windows only.
#include "host/process_per_task.h"

namespace host {

bool run_tasks(std::size_t, unsigned, double, const std::function<void(std::size_t index, const Send& send)>&,
               std::vector<TaskResult>&, std::string& error, const Progress&) {
    error = "--fleet is for builds away from Windows: here the libraries read the real registry, "
            "and this machine is the one machine there is (run the script on it with --script alone)";
    return false;
}

}  // namespace host
