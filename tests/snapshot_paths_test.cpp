// What a snapshot makes of the paths a script names: the registry keys it exports and where
// a file goes in the machine folder. A row's path is written here in UTF-8, handed to the
// machine in the row's code page and read back from it, as the snapshot reads a script's
// value after the libraries would have it.
#include <gtest/gtest.h>

#include <string>

#include "hostsim/snapshot_paths.h"
#include "support/case_label.h"
#include "text/code_page.h"

namespace {

using testing_support::operator<<;

enum class Helper { key_path, lies_within, place_in_folder };

struct SnapshotPathCase {
    const char* label;
    Helper helper;
    unsigned code_page;
    std::string path;      // as the script names it
    std::string expected;  // lies_within: "inside" or "outside"
    std::string outer = "";  // lies_within's outer key
};

const SnapshotPathCase snapshot_path_cases[] = {
    {"key_doubled_and_trailing_backslashes", Helper::key_path, 1252, "SOFTWARE\\\\Korvalis\\", "SOFTWARE\\Korvalis"},
    {"key_from_a_backslash_opens_nothing", Helper::key_path, 1252, "\\SOFTWARE", ""},
    {"key_empty_opens_nothing", Helper::key_path, 1252, "", ""},
    // 表 is 95 5C and ソ 83 5C in 932: read back as characters, their 5C separates nothing.
    {"cp932_key_second_byte_5c", Helper::key_path, 932, "SOFTWARE\\表\\ソ", "SOFTWARE\\表\\ソ"},
    {"key_within_itself", Helper::lies_within, 1252, "SOFTWARE", "inside", "SOFTWARE"},
    {"key_within_letter_case_aside", Helper::lies_within, 1252, "software\\Korvalis", "inside", "SOFTWARE"},
    {"key_sharing_a_start_outside", Helper::lies_within, 1252, "SOFTWAREX\\Korvalis", "outside", "SOFTWARE"},
    {"key_above_outside", Helper::lies_within, 1252, "SOFTWARE", "outside", "SOFTWARE\\Korvalis"},
    {"cp932_key_within_double_byte_key", Helper::lies_within, 932, "SOFTWARE\\表\\x", "inside", "software\\表"},
    {"cp932_key_differing_in_second_byte", Helper::lies_within, 932, "SOFTWARE\\ア", "outside", "SOFTWARE\\ヂ"},
    {"file_on_a_drive", Helper::place_in_folder, 1252, "C:\\Program Files\\IVI\\x.h", "drive_c/Program Files/IVI/x.h"},
    {"file_on_a_share", Helper::place_in_folder, 1252, "\\\\server\\share\\x.h", "unc/server/share/x.h"},
    {"file_relative", Helper::place_in_folder, 1252, "include\\x.h", "include/x.h"},
    {"cp932_file_in_folder_ending_in_5c", Helper::place_in_folder, 932, "C:\\表\\x.h", "drive_c/表/x.h"},
    {"cp932_file_in_folders_of_5c", Helper::place_in_folder, 932, "D:\\ソ\\能\\x.h", "drive_d/ソ/能/x.h"},
    {"cp1252_file_in_folder_pro", Helper::place_in_folder, 1252, "C:\\Pro™\\x.h", "drive_c/Pro™/x.h"},
    {"file_from_root_of_no_drive", Helper::place_in_folder, 1252, "\\rooted\\x.h", ""},
    {"file_on_drive_without_root", Helper::place_in_folder, 1252, "C:x.h", ""},
    {"file_climbing_out", Helper::place_in_folder, 1252, "include\\..\\..\\x.h", ""},
};

class SnapshotPath : public ::testing::TestWithParam<SnapshotPathCase> {};

// In the code page and back, as the snapshot reads the value the libraries are given.
std::string through_code_page(const std::string& text, unsigned code_page) {
    std::string machine_text, read_back;
    code_page::from_utf8(text, code_page, machine_text);
    code_page::to_utf8(machine_text, code_page, read_back);
    return read_back;
}

TEST_P(SnapshotPath, ReadAsTheMachineHasIt) {
    const SnapshotPathCase& c = GetParam();
    const std::string path = through_code_page(c.path, c.code_page);
    switch (c.helper) {
        case Helper::key_path: EXPECT_EQ(hostsim::key_path(path), c.expected); break;
        case Helper::lies_within:
            EXPECT_EQ(hostsim::lies_within(path, through_code_page(c.outer, c.code_page)) ? "inside" : "outside",
                      c.expected);
            break;
        case Helper::place_in_folder: EXPECT_EQ(hostsim::place_in_folder(path), c.expected); break;
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, SnapshotPath, ::testing::ValuesIn(snapshot_path_cases), testing_support::by_label);

}  // namespace
