// A library loaded as the installer host loads it, and its exports looked up by name.
#pragma once

#include <cstdint>
#include <string>

#include "hostcall/host_call.h"
#include "platform/calling_convention.h"
#include "platform/loader.h"

namespace host {

using ExportFunction = std::int32_t(STDCALL_ABI*)(HostCallRecord*);

// A bare name such as "vantrel" names this project's library beside the running program
// (its stand-in build while the machines shown are exports); anything else is a path.
std::string resolve_library_path(const std::string& name_or_path);

class Library {
public:
    explicit Library(const std::string& path);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    bool loaded() const { return handle_ != nullptr; }

    // The export of that name. A decorated name ("_GetZelk@4") is also found by its
    // undecorated form, the only form an ELF library can export.
    ExportFunction find_export(const std::string& name) const;

private:
    platform::LibraryHandle handle_;
};

}  // namespace host
