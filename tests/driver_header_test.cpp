// GetDriverVer against header files of many shapes, written to the temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>

#include "support/endless_file.h"
#include "support/open_file_limit.h"
#include "support/standard_input_closed.h"
#include "support/test_host.h"
#include "support/case_label.h"

namespace {

using testing_support::operator<<;

namespace fs = std::filesystem;

const std::string major_1_minor_2 = "#define XY_MAJOR_VERSION 1\n#define XY_MINOR_VERSION 2\n";

std::string defines(const std::string& major, const std::string& minor) {
    return "#define XY_MAJOR_VERSION " + major + "\n#define XY_MINOR_VERSION " + minor + "\n";
}

// Filler lines and then tail, so that tail's last character is character number `length`
// of the text once carriage-return/line-feed pairs count as one character.
std::string ending_at(std::size_t length, const std::string& tail, const std::string& line_end) {
    std::string text;
    for (std::size_t filled = 0; filled < length - tail.size();) {
        const std::size_t line = std::min<std::size_t>(64, length - tail.size() - filled);
        text += std::string(line - 1, '/') + line_end;
        filled += line;
    }
    return text + tail;
}

// Every byte value but Ctrl-Z, zero bytes included, a few times over.
std::string binary_junk() {
    std::string junk;
    for (int round = 0; round < 4; ++round) {
        for (int byte = 0; byte < 256; ++byte) {
            if (byte != 0x1A) junk += static_cast<char>(byte);
        }
    }
    return junk;
}

const std::string one_megabyte(1 << 20, 'x');

// A file in the temporary folder (or the one given), removed again when the test ends.
// Without a name given, its name differs between files of one run and, most likely,
// between runs side by side.
class TemporaryFile {
public:
    TemporaryFile(const std::string& contents, std::string name = "",
                  const fs::path& folder = fs::temp_directory_path()) {
        static const unsigned run = std::random_device{}();
        static unsigned files = 0;
        if (name.empty()) name = "driver_header_" + std::to_string(run) + "_" + std::to_string(++files) + ".h";
        path_ = folder / name;
        std::ofstream(path_, std::ios::binary) << contents;
    }
    ~TemporaryFile() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    std::string path() const { return path_.string(); }

private:
    fs::path path_;
};

std::string driver_version(testing_support::TestHost& host, const std::string& path) {
    host.set("DRIVER_PATH", path);
    EXPECT_EQ(host.call("GetDriverVer"), 1);
    return host.result();
}

struct HeaderCase {
    const char* label;
    std::string contents;
    const char* expected;
    // Set: the header is this file of the current folder, and DRIVER_PATH names it so.
    const char* name_in_current_folder = nullptr;
    bool standard_input_closed = false;  // read by a host started without standard input
};

const HeaderCase header_cases[] = {
    {"parenthesised", defines("  (1)", " (2)"), "1.002"},
    {"several_spaces", defines("   3", "   10"), "3.010"},
    {"one_space", major_1_minor_2 + "#define XY_OTHER 3\n", "1.002"},
    {"one_space_at_end_of_file", "#define XY_MAJOR_VERSION 1\n#define XY_MINOR_VERSION 2", "1.002"},
    {"tabs", "#define XY_MAJOR_VERSION\t1\n#define XY_MINOR_VERSION\t\t2\n", "1.002"},
    {"blanks_inside_parentheses", defines("( 1 )", "\t(\t2\t)"), "1.002"},
    {"hexadecimal", defines("(1)", "(0x10)"), "1.016"},
    {"hexadecimal_upper_case", defines("(1)", "(0X1F)"), "1.031"},
    {"octal", defines("(1)", "(010)"), "1.008"},
    {"octal_stops_at_8", defines("(1)", "(08)"), "1.000"},
    {"minor_1000_carries", defines("1", "1000"), "2.000"},
    {"minor_above_1000_carries", defines("1", "1234"), "2.234"},
    {"negative_minor", defines("2", "-1"), "1.999"},
    {"minor_beyond_32_bits_held_at_limit", defines("1", "4294967298"), "2147484.647"},
    {"major_beyond_32_bits_held_at_limit", defines("2147483648", "0"), "2147483647.000"},
    {"hexadecimal_beyond_32_bits_held_at_limit", defines("0x80000000", "0"), "2147483647.000"},
    {"negative_beyond_32_bits_held_at_limit", defines("-99999999999", "0"), "-2147483648.000"},
    {"most_negative_major", defines("-2147483648", "-1"), "-2147483648.001"},
    {"negative_version", defines("-2", "5"), "-1.995"},
    {"negative_below_one", defines("0", "-5"), "-0.005"},
    {"one_digit_minor", defines("3", "7"), "3.007"},
    {"plus_sign", defines("+2", "+14"), "2.014"},
    {"hexadecimal_prefix_without_digit", defines("1", "0xg"), "1.000"},
    {"carriage_return_at_end_of_file", "#define XY_MAJOR_VERSION 3\r", "3.000"},
    // A carriage return alone ends a line and keeps the character after it.
    {"carriage_return_alone", "#define XY_MAJOR_VERSION 1\r_MINOR_VERSION 2\n", "1.002"},
    {"hexadecimal_lower_case", defines("0x9", "0xaf"), "9.175"},
    {"hexadecimal_single_letter", defines("0xA", "0xF"), "10.015"},
    {"hexadecimal_leading_zero", defines("1", "0x010"), "1.016"},
    {"hexadecimal_ends_at_g", defines("1", "0xfg"), "1.015"},
    {"octal_seven", defines("1", "017"), "1.015"},
    {"semicolon_ends_number", defines("2;", "14;"), "2.014"},
    {"colon_ends_number", defines("2:", "19:"), "2.019"},
    {"suffix_ends_number", defines("2L", "14u"), "2.014"},
    {"minor_before_major", "#define XY_MINOR_VERSION 14\n#define XY_MAJOR_VERSION 2\n", "2.014"},
    {"minor_after_major_preferred", "#define A_MINOR_VERSION 9\n" + defines("2", "14"), "2.014"},
    {"names_going_on_in_any_name_character_passed_over",
     "#define XY_MAJOR_VERSIONa 9\n#define XY_MAJOR_VERSIONz 9\n#define XY_MAJOR_VERSIONA 9\n#define XY_MAJOR_VERSIONZ 9\n"
     "#define XY_MAJOR_VERSION0 9\n#define XY_MAJOR_VERSION9 9\n#define XY_MAJOR_VERSION_ 9\n" + defines("2", "14"), "2.014"},
    {"name_ends_at_at_sign", "#define XY_MAJOR_VERSION@ 9\n" + defines("2", "14"), "0.014"},
    {"name_ends_at_bracket", "#define XY_MAJOR_VERSION[ 9\n" + defines("2", "14"), "0.014"},
    {"name_ends_at_backquote", "#define XY_MAJOR_VERSION` 9\n" + defines("2", "14"), "0.014"},
    {"name_ends_at_brace", "#define XY_MAJOR_VERSION{ 9\n" + defines("2", "14"), "0.014"},
    {"name_ends_at_slash", "#define XY_MAJOR_VERSION/ 9\n" + defines("2", "14"), "0.014"},
    {"name_ends_at_colon", "#define XY_MAJOR_VERSION: 9\n" + defines("2", "14"), "0.014"},
    {"longer_names_passed_over",
     "#define XY_MAJOR_VERSION_STRING \"9.9\"\n#define XY_MINOR_VERSION_2 99\n" + defines("2", "14"), "2.014"},
    {"no_marker", "#define XY_VERSION 2\n", "0.000"},
    {"only_minor_marker", "#define XY_MINOR_VERSION 5\n", "0.000"},
    {"minor_marker_opens_text", "_MINOR_VERSION 7\n#define XY_MAJOR_VERSION 2\n", "2.007"},
    {"no_number_after_last_marker", "#define XY_MAJOR_VERSION 3\n#define XY_MINOR_VERSION", "3.000"},
    {"no_number_before_next_line", "#define XY_MAJOR_VERSION\n7\n#define XY_MINOR_VERSION 2\n", "0.002"},
    {"name_instead_of_number", defines("2", "XY_BASE"), "2.000"},
    {"empty_file", "", "0.000"},
    {"carriage_return_line_feed", "#define XY_MAJOR_VERSION 1\r\n#define XY_MINOR_VERSION 2\r\n", "1.002"},
    {"ctrl_z_ends_text", "#define XY_MAJOR_VERSION 1\n\x1A\n#define XY_MINOR_VERSION 2\n", "1.000"},
    {"binary_junk_before", binary_junk() + "\n" + major_1_minor_2, "1.002"},
    {"binary_junk_only", binary_junk(), "0.000"},
    {"number_is_10000th_character", ending_at(10000, "#define XY_MAJOR_VERSION 7", "\n"), "7.000"},
    {"number_is_10001st_character", ending_at(10001, "#define XY_MAJOR_VERSION 7", "\n"), "0.000"},
    {"limit_counted_after_translation", ending_at(10000, "#define XY_MAJOR_VERSION 7", "\r\n"), "7.000"},
    {"one_megabyte_after", major_1_minor_2 + one_megabyte, "1.002"},
    {"one_megabyte_before", one_megabyte + "\n" + major_1_minor_2, "0.000"},
    // The first definitions count, whatever they define: in headers of the IVI style an
    // attribute identifier, or the version of the instrument class, can come first.
    {"attribute_identifier_first",
     "#define XY123_ATTR_DRIVER_MAJOR_VERSION (XY123_ATTR_BASE + 503L)\n"
     "#define XY123_ATTR_DRIVER_MINOR_VERSION (XY123_ATTR_BASE + 504L)\n" + defines("(2)", "(14)"), "0.000"},
    {"instrument_class_version_first",
     "#define XY123_CLASS_SPEC_MAJOR_VERSION (4)\n#define XY123_CLASS_SPEC_MINOR_VERSION (1)\n" +
         defines("(2)", "(14)"), "4.001"},
    {"one_character_path_in_current_folder", major_1_minor_2, "1.002", "h"},
    // The header then gets descriptor 0, where the system numbers open files.
    {"host_without_standard_input", major_1_minor_2, "1.002", nullptr, true},
};

class DriverHeader : public ::testing::TestWithParam<HeaderCase> {};

TEST_P(DriverHeader, ReadsVersion) {
    const HeaderCase& c = GetParam();
    const bool in_current_folder = c.name_in_current_folder != nullptr;
    TemporaryFile header(c.contents, in_current_folder ? c.name_in_current_folder : "",
                         in_current_folder ? fs::current_path() : fs::temp_directory_path());
    testing_support::TestHost host("vantrel");
    ASSERT_TRUE(host.loaded());
    std::unique_ptr<testing_support::StandardInputClosed> closed;
    if (c.standard_input_closed) closed = std::make_unique<testing_support::StandardInputClosed>();
    EXPECT_EQ(driver_version(host, in_current_folder ? c.name_in_current_folder : header.path()), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, DriverHeader, ::testing::ValuesIn(header_cases), testing_support::by_label);

// A path as a script on Windows names it, and where a machine folder keeps that file: the
// stand-in's current folder stands for the machine's folder (a snapshot's, in a fleet). On
// Windows the file lies at the path itself.
struct WindowsPathCase {
    const char* label;
    const char* path;
    const char* place_in_machine_folder;
};

const WindowsPathCase windows_path_cases[] = {
    {"drive_letter", "C:\\vantrel_header_test\\Include\\a.h", "drive_c/vantrel_header_test/Include/a.h"},
    {"lower_case_drive_forward_slashes", "c:/vantrel_header_test/b.h", "drive_c/vantrel_header_test/b.h"},
    {"relative_with_backslashes", "vantrel_header_test\\c.h", "vantrel_header_test/c.h"},
#ifndef _WIN32
    {"another_drive", "D:\\vantrel_header_test\\d.h", "drive_d/vantrel_header_test/d.h"},
    {"share", "\\\\server\\share\\e.h", "unc/server/share/e.h"},
#endif
};

class DriverHeaderWindowsPath : public ::testing::TestWithParam<WindowsPathCase> {};

TEST_P(DriverHeaderWindowsPath, ReadWhereTheMachineKeepsIt) {
    const WindowsPathCase& c = GetParam();
#ifdef _WIN32
    const fs::path file = c.path;
#else
    const fs::path file = fs::current_path() / c.place_in_machine_folder;
#endif
    std::error_code ignored;
    fs::create_directories(file.parent_path(), ignored);
    {
        TemporaryFile header(major_1_minor_2, file.filename().string(), file.parent_path());
        testing_support::TestHost host("vantrel");
        ASSERT_TRUE(host.loaded());
        EXPECT_EQ(driver_version(host, c.path), "1.002");
    }
    // The folders made for the file, from the deepest; a folder not emptied stays.
    for (fs::path folder = file.parent_path(); folder.has_relative_path() && fs::remove(folder, ignored);) {
        folder = folder.parent_path();
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, DriverHeaderWindowsPath, ::testing::ValuesIn(windows_path_cases),
                         testing_support::by_label);

// Paths that name nothing readable give '0.000'.
struct PathCase {
    const char* label;
    std::string path;
};

const PathCase path_cases[] = {
    {"missing_file", (fs::temp_directory_path() / "driver_header_missing.h").string()},
    {"directory", fs::temp_directory_path().string()},
    {"empty_path", ""},
};

class DriverHeaderPath : public ::testing::TestWithParam<PathCase> {};

TEST_P(DriverHeaderPath, GivesZero) {
    testing_support::TestHost host("vantrel");
    EXPECT_EQ(driver_version(host, GetParam().path), "0.000");
}

INSTANTIATE_TEST_SUITE_P(Cases, DriverHeaderPath, ::testing::ValuesIn(path_cases), testing_support::by_label);

TEST(DriverHeaderState, UnsetPathGivesZero) {
    testing_support::TestHost host("vantrel");
    EXPECT_EQ(host.call("GetDriverVer"), 1);
    EXPECT_EQ(host.result(), "0.000");
}

// A path of 259 characters is read; one of 260, which a long-path-aware installer can
// name, is not read although the file is there, and is never opened cut to 259 either,
// though that cut names a header too.
TEST(DriverHeaderState, PathOf259CharactersAtMost) {
    const std::size_t folder_length = (fs::temp_directory_path() / "").string().size();
    TemporaryFile header(major_1_minor_2, std::string(259 - folder_length, 'h'));
    TemporaryFile longer(major_1_minor_2, std::string(259 - folder_length, 'h') + "x");
    ASSERT_EQ(header.path().size(), 259u);
    ASSERT_EQ(longer.path().size(), 260u);
    ASSERT_TRUE(fs::exists(longer.path()));
    testing_support::TestHost host("vantrel");
    EXPECT_EQ(driver_version(host, header.path()), "1.002");
    EXPECT_EQ(driver_version(host, longer.path()), "0.000");
}

// The header is closed after every call, and so is a folder opened in its place and found
// to be no file: under a limit of a few open files, many calls all read it, and the file
// can be deleted afterwards (Windows refuses while it is open).
TEST(DriverHeaderState, HeaderClosedAfterEveryCall) {
    TemporaryFile header(major_1_minor_2);
    const std::string path = header.path();
    const std::string folder = fs::temp_directory_path().string();
    testing_support::TestHost host("vantrel");
    {
        const testing_support::OpenFileLimit limit(4);
        for (int call = 0; call < 32; ++call) {
            ASSERT_EQ(driver_version(host, folder), "0.000") << "call " << call;
            ASSERT_EQ(driver_version(host, path), "1.002") << "call " << call;
        }
    }
    std::error_code error;
    EXPECT_TRUE(fs::remove(path, error)) << error.message();
}

// Every call starts afresh: nothing of an earlier header's text or answer is left over.
TEST(DriverHeaderState, NoStaleAnswer) {
    TemporaryFile long_header(std::string(5000, '/') + "\n" + defines("3", "4"));
    TemporaryFile short_header("#define XY 1\n");
    testing_support::TestHost host("vantrel");
    EXPECT_EQ(driver_version(host, long_header.path()), "3.004");
    EXPECT_EQ(driver_version(host, short_header.path()), "0.000");
    EXPECT_EQ(driver_version(host, long_header.path()), "3.004");
    EXPECT_EQ(driver_version(host, long_header.path() + ".missing"), "0.000");
}

}  // namespace

namespace {

// A path naming a pipe or device is not read, not even what the pipe already holds:
// reading it could wait for ever, and an installer waiting on it would hang.
TEST(DriverHeaderState, PipeIsNotRead) {
    testing_support::EndlessFile pipe;
    pipe.put(major_1_minor_2);
    testing_support::TestHost host("vantrel");
    host.set("DRIVER_PATH", pipe.path());
    EXPECT_EQ(host.call("GetDriverVer"), 1);
    EXPECT_EQ(host.result(), "0.000");
}

}  // namespace
