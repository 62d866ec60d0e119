// The files of a machine folder, as hostsim --snapshot writes them and hostsim --fleet reads
// them; the files a script names lie there too, where text/machine_path.h places them.
#pragma once

namespace hostsim {

constexpr char registry_file_name[] = "registry.reg";
constexpr char instruments_file_name[] = "instruments";
constexpr char code_page_file_name[] = "code-page";  // the code page, where the export holds none
constexpr char description_file_name[] = "description";

}  // namespace hostsim
