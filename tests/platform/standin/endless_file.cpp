// Stand-in side of the endless file: a FIFO held open for writing by the test.
#include "support/endless_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>

namespace testing_support {

EndlessFile::EndlessFile() : path_("/tmp/vantrel-endless-" + std::to_string(getpid())) {
    std::remove(path_.c_str());
    mkfifo(path_.c_str(), 0600);
    // Read and write, so that opening it never waits for a reader.
    writer_ = reinterpret_cast<void*>(static_cast<std::intptr_t>(open(path_.c_str(), O_RDWR | O_NONBLOCK)) + 1);
}

void EndlessFile::put(const std::string& text) {
    const ssize_t written = write(static_cast<int>(reinterpret_cast<std::intptr_t>(writer_) - 1), text.data(), text.size());
    static_cast<void>(written);
}

EndlessFile::~EndlessFile() {
    close(static_cast<int>(reinterpret_cast<std::intptr_t>(writer_) - 1));
    std::remove(path_.c_str());
}

}  // namespace testing_support
