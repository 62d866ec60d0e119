// UTF-8, the host simulator's text, to and from the UTF-16 of Windows' wide functions, which
// name every file and key whatever the system's code page holds. This file is used for
// Windows only.
#pragma once

#include <windows.h>

#include <string>

namespace host {

inline std::wstring wide_text(const std::string& utf8) {
    const int length = static_cast<int>(utf8.size());
    const int count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(count > 0 ? count : 0), L'\0');
    if (count > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), count);
    return wide;
}

inline std::string utf8_text(const std::wstring& wide) {
    const int length = static_cast<int>(wide.size());
    const int count = WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(count > 0 ? count : 0), '\0');
    if (count > 0) WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), count, nullptr, nullptr);
    return text;
}

}  // namespace host
