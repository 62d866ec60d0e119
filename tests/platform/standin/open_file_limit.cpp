// Stand-in side of the open-file limit: RLIMIT_NOFILE, just above the highest descriptor
// in use.
#include "support/open_file_limit.h"

#include <fcntl.h>
#include <sys/resource.h>

namespace testing_support {

OpenFileLimit::OpenFileLimit(int more) {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return;
    int highest = 0;
    for (int descriptor = 0; descriptor < 4096; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1) highest = descriptor;
    }
    previous_ = limit.rlim_cur;
    limit.rlim_cur = static_cast<rlim_t>(highest + 1 + more);
    set_ = setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

OpenFileLimit::~OpenFileLimit() {
    if (!set_) return;
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(previous_);
    setrlimit(RLIMIT_NOFILE, &limit);
}

}  // namespace testing_support
