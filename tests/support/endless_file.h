// A path that opens but whose reading never ends: a pipe whose writer never writes.
#pragma once

#include <string>

namespace testing_support {

class EndlessFile {
public:
    EndlessFile();
    ~EndlessFile();
    EndlessFile(const EndlessFile&) = delete;
    EndlessFile& operator=(const EndlessFile&) = delete;

    const std::string& path() const { return path_; }
    // Puts text in the pipe for a reader to find, where the pipe can hold it before anyone
    // opens it (not on Windows, whose pipe takes text only once a reader has connected).
    void put(const std::string& text);

private:
    std::string path_;
    void* writer_ = nullptr;
};

}  // namespace testing_support
