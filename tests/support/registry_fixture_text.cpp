// Building .reg text for test registries.
#include "support/registry_fixture.h"

namespace testing_support {

namespace {

void replace_all(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

}  // namespace

std::string folded_into_one_view(const std::string& reg_body) {
    std::string folded = reg_body;
    replace_all(folded, "\\SOFTWARE\\Classes\\WOW6432Node", "\\SOFTWARE\\Classes");
    replace_all(folded, "\\SOFTWARE\\WOW6432Node", "\\SOFTWARE");
    return folded;
}

const char* shape_name(MachineShape shape) {
    switch (shape) {
        case MachineShape::one_view: return "one_view";
        case MachineShape::wow64: return "wow64";
        case MachineShape::win64: return "win64";
    }
    return "?";
}

std::string subkey_lines(const std::string& path, const std::vector<std::string>& subkeys) {
    std::string text;
    for (const std::string& subkey : subkeys) {
        text += "[HKEY_LOCAL_MACHINE\\" + path + "\\" + subkey + "]\r\n";
    }
    return text;
}

}  // namespace testing_support
