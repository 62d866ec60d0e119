// Stand-in side: every machine the libraries see is an export (host/export_machine.h).
#include "host/registry_source.h"

#include "host/export_machine.h"

namespace host {

bool show_exports(std::string&) {
    return true;
}

bool showing_exports() {
    return true;
}

bool use_registry_file(const std::string& path, std::string& error) {
    return export_machine::use_registry_file(path, error);
}

bool use_index_cache(bool enabled, std::string& error) {
    return export_machine::use_index_cache(enabled, error);
}

std::string take_index_cache_note() {
    return export_machine::take_index_cache_note();
}

bool state_machine_kind(const std::string& bits, std::string& error) {
    return export_machine::state_machine_kind(bits, error);
}

std::string shown_machine_kind() {
    return export_machine::shown_machine_kind();
}

bool state_code_page(const std::string& number, std::string& error) {
    return export_machine::state_code_page(number, error);
}

std::string shown_code_page() {
    return export_machine::shown_code_page();
}

bool use_stated_code_page(const std::string& path, std::string& error) {
    return export_machine::use_stated_code_page(path, error);
}

std::string typed_for_machine(const std::string& typed) {
    return export_machine::typed_for_machine(typed);
}

std::string machine_for_terminal(const std::string& text) {
    return export_machine::machine_for_terminal(text);
}

bool use_instruments(const std::vector<std::string>& descriptors, std::string& error) {
    return export_machine::use_instruments(descriptors, error);
}

}  // namespace host
