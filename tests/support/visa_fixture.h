// The VISA library a test case runs against: a variant of the VISA stand-in installed
// where the driver loads VISA from (the system directory on Windows, the dynamic loader's
// search path elsewhere), steered through the environment, with its event log.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

class VisaFixture {
public:
    VisaFixture();
    ~VisaFixture();
    VisaFixture(const VisaFixture&) = delete;
    VisaFixture& operator=(const VisaFixture&) = delete;

    // "full", "incomplete" (no viFindNext), "without_open" (no viOpenDefaultRM),
    // "without_close" (no viClose), "without_find" (no viFindRsrc) or "planted" (reports
    // PLANTED::INSTR); on Windows also "with_helper", installed with the helper library it
    // imports, whose descriptor it reports (HELPER::SYSTEM::INSTR).
    void install(const std::string& variant);
    void uninstall();
    // A planted library in the current directory, where a careless search would find it.
    void plant_in_current_directory();
    // A planted helper library (reporting HELPER::PLANTED::INSTR) beside the program or in
    // the current directory, where the search for what VISA imports must not look.
    void plant_helper_beside_program();
    void plant_helper_in_current_directory();
    // The variant in the system folder of the other kind of process: the 64-bit System32
    // for a 32-bit process on 64-bit Windows, SysWOW64 for a 64-bit one. False where there
    // is no other (32-bit Windows, and away from Windows).
    bool install_in_other_system_folder(const std::string& variant);

    void set_resources(const std::string& descriptors);  // separated by "|"
    void set_generated(int count, int length);
    void set_faults(const std::string& faults);

    // One line per event of the stand-in since the last install.
    std::vector<std::string> log() const;
    std::string installed_path() const { return installed_path_; }

private:
    void plant(const std::string& variant, const std::string& path);

    std::string installed_path_;
    std::string helper_path_;
    std::string log_path_;
    std::vector<std::string> planted_paths_;
};

// Where the driver looks for VISA, and the stand-in's (and its helper's) file name on this
// platform.
std::string visa_install_path();
// The other kind of process's system folder, or false (see install_in_other_system_folder).
bool other_system_folder(std::string& folder);
std::string visa_file_name();
std::string visa_helper_file_name();
// This process's number, to keep the stand-in's log apart from that of other test runs.
std::string process_id();
void set_environment(const std::string& name, const std::string& value);

}  // namespace testing_support
