// Windows side: the arguments from the wide command line, and the system's messages, as
// UTF-8. This file is used for Windows only.
#include "host/system_text.h"

#include <windows.h>
#include <shellapi.h>

#include "host/windows/wide_text.h"
#include "text/code_page.h"

namespace host {

std::vector<std::string> utf8_arguments(int argc, char** argv) {
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    // The C library's arguments, converted, where the command line splits another way.
    if (wide == nullptr || count != argc) {
        if (wide != nullptr) LocalFree(wide);
        for (int i = 1; i < argc; ++i) {
            arguments.emplace_back();
            code_page::to_utf8(argv[i], code_page::machine_code_page(), arguments.back());
        }
        return arguments;
    }
    for (int i = 1; i < count; ++i) arguments.push_back(utf8_text(wide[i]));
    LocalFree(wide);
    return arguments;
}

std::string error_text(const std::error_code& error) {
    std::string text;
    code_page::to_utf8(error.message(), GetACP(), text);
    return text;
}

}  // namespace host
