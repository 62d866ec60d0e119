// A host whose standard input is closed while a test runs, as a process started without one
// is: the next file opened then gets the lowest descriptor, 0, where the system numbers them
// (POSIX). Windows hands out handles that are no such numbers, and nothing is closed there.
#pragma once

namespace testing_support {

class StandardInputClosed {
public:
    StandardInputClosed();
    ~StandardInputClosed();
    StandardInputClosed(const StandardInputClosed&) = delete;
    StandardInputClosed& operator=(const StandardInputClosed&) = delete;

private:
    int saved_ = -1;  // a copy of standard input, restored afterwards
};

}  // namespace testing_support
