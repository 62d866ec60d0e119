// Installing and steering the VISA stand-in for a test case.
#include "support/visa_fixture.h"

#include <filesystem>
#include <fstream>

#include "host/program_location.h"

namespace testing_support {
namespace fs = std::filesystem;

namespace {

const char* const steering_variables[] = {"VISA_STANDIN_RESOURCES", "VISA_STANDIN_GENERATED",
                                          "VISA_STANDIN_FAIL"};

std::string variant_path(const std::string& variant, const std::string& file_name = visa_file_name()) {
    return host::executable_directory() + "visa/" + variant + "/" + file_name;
}

void remove_file(const std::string& path) {
    std::error_code ignored;
    fs::remove(path, ignored);
}

}  // namespace

VisaFixture::VisaFixture()
    : installed_path_(visa_install_path()),
      helper_path_((fs::path(installed_path_).parent_path() / visa_helper_file_name()).string()),
      log_path_((fs::temp_directory_path() / ("vantrel-visa-test-" + process_id() + ".log")).string()) {
    uninstall();
    for (const char* name : steering_variables) set_environment(name, "");
    set_environment("VISA_STANDIN_LOG", log_path_);
}

VisaFixture::~VisaFixture() {
    uninstall();
    for (const std::string& path : planted_paths_) remove_file(path);
    for (const char* name : steering_variables) set_environment(name, "");
    set_environment("VISA_STANDIN_LOG", "");
    std::error_code ignored;
    fs::remove(log_path_, ignored);
}

void VisaFixture::install(const std::string& variant) {
    fs::create_directories(fs::path(installed_path_).parent_path());
    fs::copy_file(variant_path(variant), installed_path_, fs::copy_options::overwrite_existing);
    if (variant == "with_helper") {
        fs::copy_file(variant_path("helper", visa_helper_file_name()), helper_path_,
                      fs::copy_options::overwrite_existing);
    }
    std::ofstream(log_path_, std::ios::trunc);
}

void VisaFixture::uninstall() {
    remove_file(installed_path_);
    remove_file(helper_path_);
    std::ofstream(log_path_, std::ios::trunc);
}

void VisaFixture::plant(const std::string& source, const std::string& path) {
    planted_paths_.push_back(path);
    fs::copy_file(source, path, fs::copy_options::overwrite_existing);
}

void VisaFixture::plant_in_current_directory() {
    plant(variant_path("planted"), (fs::current_path() / visa_file_name()).string());
}

void VisaFixture::plant_helper_beside_program() {
    plant(variant_path("helper_planted", visa_helper_file_name()),
          host::executable_directory() + visa_helper_file_name());
}

void VisaFixture::plant_helper_in_current_directory() {
    plant(variant_path("helper_planted", visa_helper_file_name()),
          (fs::current_path() / visa_helper_file_name()).string());
}

bool VisaFixture::install_in_other_system_folder(const std::string& variant) {
    std::string folder;
    if (!other_system_folder(folder)) return false;
    plant(variant_path(variant), folder + "/" + visa_file_name());
    return true;
}

void VisaFixture::set_resources(const std::string& descriptors) {
    set_environment("VISA_STANDIN_RESOURCES", descriptors);
}

void VisaFixture::set_generated(int count, int length) {
    set_environment("VISA_STANDIN_GENERATED", std::to_string(count) + "," + std::to_string(length));
}

void VisaFixture::set_faults(const std::string& faults) {
    set_environment("VISA_STANDIN_FAIL", faults);
}

std::vector<std::string> VisaFixture::log() const {
    std::vector<std::string> lines;
    std::ifstream file(log_path_);
    for (std::string line; std::getline(file, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace testing_support
