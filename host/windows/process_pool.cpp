// Windows side: the tasks run one after another in this process. Nothing here needs more:
// a fleet, the one caller, is refused on Windows, where the real registry is the one
// machine there is. This file is used for Windows only.
#include "host/process_pool.h"

#include <algorithm>
#include <thread>

namespace host {

std::vector<TaskResult> run_tasks(std::size_t count, unsigned, double,
                                  const std::function<void(std::size_t index, const Send& send)>& task) {
    std::vector<TaskResult> results(count);
    for (std::size_t i = 0; i < count; ++i) {
        task(i, [&results, i](const std::string& text) { results[i].sent += text; });
    }
    return results;
}

unsigned processor_count() {
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace host
