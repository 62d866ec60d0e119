// Stand-in side: the terminal's text, and so the arguments, are UTF-8.
#include "host/arguments.h"

namespace host {

std::vector<std::string> utf8_arguments(int argc, char** argv) {
    return argc > 1 ? std::vector<std::string>(argv + 1, argv + argc) : std::vector<std::string>{};
}

}  // namespace host
