// The machine the stand-in builds of the libraries are shown: a registry export, its
// instruments and its code page. Natively every machine is one; on Windows, where the
// libraries otherwise read the computer they run on, the machines of a fleet are.
// host/registry_source.h says what each function does; these are its stand-in side.
#pragma once

#include <string>
#include <vector>

namespace host::export_machine {

bool use_registry_file(const std::string& path, std::string& error);
bool use_index_cache(bool enabled, std::string& error);
std::string take_index_cache_note();
bool state_machine_kind(const std::string& bits, std::string& error);
std::string shown_machine_kind();
bool state_code_page(const std::string& number, std::string& error);
std::string shown_code_page();
bool use_stated_code_page(const std::string& path, std::string& error);
std::string typed_for_machine(const std::string& typed);
std::string machine_for_terminal(const std::string& text);
bool use_instruments(const std::vector<std::string>& descriptors, std::string& error);

}  // namespace host::export_machine
