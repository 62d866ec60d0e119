// Where a file that a script names on Windows lies in a machine's folder (the folder that
// hostsim --snapshot writes and hostsim --fleet reads): a drive's path C:\dir\file.h is
// drive_c/dir/file.h, a share's \\server\share\file.h is unc/server/share/file.h, and a
// relative path stays relative, every backslash a slash. One mapping for both sides.
#pragma once

#include <cstddef>

namespace machine_path {

constexpr char drive_prefix[] = "drive_";  // and the drive letter in lower case
constexpr char share_prefix[] = "unc/";

// The path in the machine's folder for windows_path, written zero-terminated into out
// (capacity bytes). False, with out emptied, when it does not fit.
inline bool to_machine_folder(const char* windows_path, char* out, std::size_t capacity) {
    if (capacity == 0) return false;
    std::size_t length = 0;
    const auto append = [&](char c) {
        if (length + 1 >= capacity) return false;
        out[length++] = c == '\\' ? '/' : c;
        return true;
    };
    const auto append_text = [&](const char* text) {
        for (; *text != '\0'; ++text) {
            if (!append(*text)) return false;
        }
        return true;
    };
    const char* rest = windows_path;
    const char first = windows_path[0];
    const bool drive_letter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
    bool fits = true;
    if (drive_letter && windows_path[1] == ':' && (windows_path[2] == '\\' || windows_path[2] == '/')) {
        fits = append_text(drive_prefix) && append(first >= 'a' ? first : static_cast<char>(first - 'A' + 'a')) &&
               append('/');
        rest = windows_path + 3;
    } else if (first == '\\' && windows_path[1] == '\\') {
        fits = append_text(share_prefix);
        rest = windows_path + 2;
    }
    fits = fits && append_text(rest);
    out[fits ? length : 0] = '\0';
    return fits;
}

}  // namespace machine_path
