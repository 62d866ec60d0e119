// One run of the host simulator: a variable table, the libraries loaded so far, and calls.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "host/library.h"
#include "host/variable_table.h"

namespace hostsim {

class Session {
public:
    // A library path with a folder in it, when relative, is taken from library_folder
    // when one is given: the current folder may have moved since the path was typed.
    explicit Session(host::TableShape shape, std::string library_folder = "")
        : table_(shape), library_folder_(std::move(library_folder)) {}

    // "NAME=VALUE", the value with escapes (\r, \n, \xNN).
    bool assign(const std::string& assignment, std::string& error);

    // Loads the library on first use and calls the export with the result variable named.
    bool call(const std::string& library, const std::string& export_name,
              const std::string& result_name, std::int32_t& returned, std::string& error);

    host::VariableTable& table() { return table_; }

private:
    host::VariableTable table_;
    std::string library_folder_;
    std::map<std::string, std::unique_ptr<host::Library>> libraries_;
};

}  // namespace hostsim
