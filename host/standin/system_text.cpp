// Stand-in side: the terminal's text, and so the arguments and messages, are UTF-8.
#include "host/system_text.h"

namespace host {

std::vector<std::string> utf8_arguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

std::string error_text(const std::error_code& error) {
    return error.message();
}

}  // namespace host
