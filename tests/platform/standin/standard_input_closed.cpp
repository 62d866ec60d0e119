// Stand-in side of the closed standard input: descriptor 0 closed, a copy kept to restore it.
#include "support/standard_input_closed.h"

#include <fcntl.h>
#include <unistd.h>

namespace testing_support {

StandardInputClosed::StandardInputClosed() : saved_(fcntl(0, F_DUPFD_CLOEXEC, 3)) {
    close(0);
}

StandardInputClosed::~StandardInputClosed() {
    if (saved_ < 0) return;
    dup2(saved_, 0);
    close(saved_);
}

}  // namespace testing_support
