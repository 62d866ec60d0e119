// A low limit on the files the process may hold open, while a test runs: a file left open
// by every call then makes later calls fail. Where the system sets no such limit (Windows),
// there is none; a file left open there keeps others from deleting it instead.
#pragma once

namespace testing_support {

class OpenFileLimit {
public:
    // Room for `more` files beyond those open now.
    explicit OpenFileLimit(int more);
    ~OpenFileLimit();
    OpenFileLimit(const OpenFileLimit&) = delete;
    OpenFileLimit& operator=(const OpenFileLimit&) = delete;

private:
    unsigned long long previous_ = 0;
    bool set_ = false;
};

}  // namespace testing_support
