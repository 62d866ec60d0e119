// Windows side of the endless file: a named pipe whose server never writes. This file is
// used for Windows only.
#include "support/endless_file.h"

#include <windows.h>

namespace testing_support {

EndlessFile::EndlessFile() : path_("\\\\.\\pipe\\vantrel-endless-" + std::to_string(GetCurrentProcessId())) {
    writer_ = CreateNamedPipeA(path_.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE | PIPE_WAIT, 4, 4096, 4096, 0,
                               nullptr);
}

void EndlessFile::put(const std::string&) {}

EndlessFile::~EndlessFile() {
    if (writer_ != INVALID_HANDLE_VALUE && writer_ != nullptr) CloseHandle(writer_);
}

}  // namespace testing_support
