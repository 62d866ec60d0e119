// Windows side of the code-page conversions: the system's own, through UTF-16. This file is
// used for Windows only.
#include "text/code_page.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace code_page {
namespace {

std::wstring to_wide(std::string_view text, unsigned code_page) {
    const int length = static_cast<int>(text.size());
    const int count = MultiByteToWideChar(code_page, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(count), L'\0');
    if (count > 0) MultiByteToWideChar(code_page, 0, text.data(), length, wide.data(), count);
    return wide;
}

void append_narrow(const std::wstring& wide, unsigned code_page, std::string& out) {
    const int length = static_cast<int>(wide.size());
    const char* fallback = code_page == CP_UTF8 ? nullptr : "?";
    const int count = WideCharToMultiByte(code_page, 0, wide.data(), length, nullptr, 0, fallback, nullptr);
    if (count <= 0) return;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(count));
    WideCharToMultiByte(code_page, 0, wide.data(), length, &out[start], count, fallback, nullptr);
}

}  // namespace

// The system's, unless the host simulator shows the stand-in libraries a machine of another
// code page (VANTREL_CODE_PAGE, read through the C runtime that sets it).
unsigned machine_code_page() {
    const char* stated = std::getenv("VANTREL_CODE_PAGE");
    if (stated == nullptr || *stated == '\0') return GetACP();
    char* end = nullptr;
    const unsigned long number = std::strtoul(stated, &end, 10);
    return *end == '\0' && number > 0 && number < 65536 ? static_cast<unsigned>(number) : GetACP();
}

bool known(unsigned code_page) {
    return IsValidCodePage(code_page) != FALSE;
}

void to_utf8(std::string_view text, unsigned code_page, std::string& out) {
    if (ascii(text)) {
        out.append(text);
        return;
    }
    append_narrow(to_wide(text, code_page), CP_UTF8, out);
}

void from_utf8(std::string_view text, unsigned code_page, std::string& out) {
    if (ascii(text)) {
        out.append(text);
        return;
    }
    append_narrow(to_wide(text, CP_UTF8), code_page, out);
}

}  // namespace code_page
