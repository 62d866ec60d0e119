// The registry a test case runs against, given as the body of a .reg file. Natively the
// stand-in reads it from a file; on Windows it is written into the real registry.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

// Tests write their keys only below these, in either view, so that the Windows side can
// clear them.
inline const char* const test_roots[] = {
    "SOFTWARE\\Korvalis",          "SOFTWARE\\VantrelTest",
    "SOFTWARE\\WOW6432Node\\Korvalis", "SOFTWARE\\WOW6432Node\\VantrelTest",
    "SOFTWARE\\Classes\\VantrelTest", "SOFTWARE\\Classes\\WOW6432Node\\VantrelTest",
    "SYSTEM\\VantrelTest"};

// How the libraries under test see the views of HKEY_LOCAL_MACHINE\SOFTWARE.
enum class MachineShape {
    one_view,  // 32-bit Windows: there is one view
    wow64,     // 32-bit libraries on 64-bit Windows: their own view is the 32-bit one
    win64,     // 64-bit libraries on 64-bit Windows: their own view is the 64-bit one
};

// The shapes a test can show the libraries: on Windows the machine it runs on; natively
// the stand-in shows the (32-bit) libraries a 32-bit and a 64-bit machine.
std::vector<MachineShape> machine_shapes();
const char* shape_name(MachineShape shape);

// A 64-bit machine's registry as its export shows it, the 32-bit view's keys below
// SOFTWARE\WOW6432Node (and SOFTWARE\Classes\WOW6432Node), folded into one view: what the
// same installers leave on a 32-bit machine.
std::string folded_into_one_view(const std::string& reg_body);

class RegistryFixture {
public:
    RegistryFixture();
    ~RegistryFixture();
    RegistryFixture(const RegistryFixture&) = delete;
    RegistryFixture& operator=(const RegistryFixture&) = delete;

    // Replaces what the libraries see below the test roots with reg_body: the lines of a
    // .reg file after its header, written in the libraries' own view.
    void install(const std::string& reg_body);
    // Replaces it with reg_body given as UTF-8, as `reg export` writes a registry (UTF-16LE)
    // for the stand-in, and written as Unicode into the real registry: names and text that
    // the machine's code page then hands over in its own bytes, or as "?".
    void install_export(const std::string& reg_body);
    // Replaces it with the registry of a 64-bit machine's export (keys of the 32-bit view
    // below WOW6432Node), shown to the libraries as a machine of the given shape: as it is
    // to a 64-bit shape, folded into one view to the one-view shape.
    void install_machine(const std::string& reg_body, MachineShape shape);
    // The stand-in's file; empty where the real registry is used.
    const std::string& file() const { return file_; }

    // Makes the registry change while an export works: once `opens` subkeys have been opened
    // below the key an export opened, it sees reg_body instead of what install() gave. False
    // where the real registry is used and its changes cannot be timed so; the test is then
    // skipped.
    bool change_after_subkey_opens(unsigned long opens, const std::string& reg_body);

private:
    void clear();
    std::string file_;
    std::string changed_file_;
};

// "[HKEY_LOCAL_MACHINE\<path>\<subkey>]" for each subkey, in the order given.
std::string subkey_lines(const std::string& path, const std::vector<std::string>& subkeys);

}  // namespace testing_support

namespace testing_support {

// Makes the stand-in's registry operations fail (see platform/standin/registry.cpp), for
// the fault paths a real registry rarely takes. False where the real registry is used and
// no fault can be injected; the test is then skipped.
bool inject_registry_faults(const std::string& faults);

// Shows the libraries a machine whose ANSI code page is code_page: the stand-in models it
// until the fixture is cleared; on Windows, true only when it is the system's own (the test
// is otherwise skipped: Wine takes it from the locale it runs in).
bool use_code_page(unsigned code_page);

// Makes the stand-in read file_bytes as its .reg file, malformed or not. False where the
// real registry is used; the test is then skipped.
bool install_registry_file(RegistryFixture& fixture, const std::string& file_bytes);
void clear_registry_faults();

// Tells the stand-in the kind of machine ("32" or "64") an export that cannot tell comes
// from, as hostsim --machine does, until the fixture is cleared. False where the real
// registry is used; the test is then skipped.
bool state_machine_kind(const std::string& bits);

// Hands the stand-in the registry as the text of a .reg file, read again when generation
// changes, in place of any file (as the fuzz targets do). False where the real registry is
// used; the test is then skipped.
bool supply_registry_text(const std::string& reg_body, unsigned long long generation);
void stop_supplying_registry_text();

}  // namespace testing_support
