// The exports under each ANSI code page: registry names and values, DRIVER_PATH folders and
// header comments holding double-byte characters whose second byte is a backslash (5C), an
// '_' or an ASCII letter, in 932, 936, 949 and 950, and 1252 with ™ and – as the control;
// names of characters a code page lacks, read as Windows' best fit or "?" (the answers are
// Wine's); and UTF-8 itself, 65001. The text of a row is written here in UTF-8 and handed to the libraries in the row's code
// page. Natively the stand-in models each row's code page; on Windows a row runs only where
// the system's code page is the row's (under Wine: the locale the tests run in).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "support/case_label.h"
#include "support/registry_fixture.h"
#include "support/test_host.h"
#include "text/code_page.h"
#include "text/utf8.h"

namespace {

using testing_support::operator<<;

namespace fs = std::filesystem;

// A header file the row writes below the temporary folder: its path there and its text.
struct HeaderFile {
    std::string path;
    std::string text;
};

struct CodePageCase {
    const char* label;
    unsigned code_page;
    std::string registry;                                    // the body of an export, UTF-8
    std::vector<std::pair<std::string, std::string>> variables;  // set before the call, UTF-8
    const char* export_name;
    std::string expected;                                    // the answer, UTF-8
    std::int32_t returned = 1;
    HeaderFile header = {};                                  // none when its path is empty
};

const std::string key = "SOFTWARE\\VantrelTest\\Versions";

// "[HKEY_LOCAL_MACHINE\<key>\<name>]" with "Path" for each (name, path).
std::string subkeys(const std::vector<std::pair<std::string, std::string>>& paths, const std::string& under = key,
                    const std::string& value_name = "Path") {
    std::string text;
    for (const auto& [name, path] : paths) {
        text += "[HKEY_LOCAL_MACHINE\\" + under + "\\" + name + "]\r\n\"" + value_name + "\"=\"" + path + "\"\r\n\r\n";
    }
    return text;
}

// "[HKEY_LOCAL_MACHINE\<key>\<name>]" with a binary "Path" of the bytes given, for each
// (name, bytes): "43,83" is C and a lone lead byte of 932.
std::string binary_subkeys(const std::vector<std::pair<std::string, std::string>>& bytes) {
    std::string text;
    for (const auto& [name, hex] : bytes) text += "[HKEY_LOCAL_MACHINE\\" + key + "\\" + name + "]\r\n\"Path\"=hex:" + hex + "\r\n\r\n";
    return text;
}

// GetRegKeys on key, value Path.
std::vector<std::pair<std::string, std::string>> listing(const std::string& of = key, const std::string& value = "Path") {
    return {{"REGISTRY_KEY", of}, {"REGISTRY_CRT", value}};
}

// A header whose comment holds character, then "MAJOR_VERSION 9": read by bytes, a character
// whose second byte is '_' makes a marker of it.
HeaderFile header_with(const std::string& character) {
    return {"header.h", "// " + character + "MAJOR_VERSION 9\n#define D_MAJOR_VERSION 2\n#define D_MINOR_VERSION 14\n"};
}

const std::vector<std::pair<std::string, std::string>> driver_path = {{"DRIVER_PATH", "header.h"}};

// GetRegKey on the one subkey, named name: the name as the ANSI registry functions hand it
// over. expected holds only characters of the code page, so it is handed over as it is.
CodePageCase name_as_read(const char* label, unsigned code_page, const std::string& name, const char* expected) {
    return {label, code_page, subkeys({{name, "a"}}), {{"REGISTRY_KEY", key}, {"REGISTRY_ITER", "0"}}, "GetRegKey", expected};
}

std::vector<std::pair<std::string, std::string>> driver_in(const std::string& folder) {
    return {{"DRIVER_PATH", folder + "\\header.h"}};
}

const CodePageCase code_page_cases[] = {
    // Two paths that differ in the second byte of a character, 41 against 61: two values.
    {"cp932_second_byte_letters_not_folded", 932,
     subkeys({{"1.0", "C:\\\\ア"}, {"2.0", "C:\\\\ヂ"}, {"3.0", "C:\\\\表"}, {"表", "C:\\\\ソ"}}), listing(), "GetRegKeys",
     "表\r3.0\r2.0\r1.0\r"},
    {"cp936_second_byte_letters_not_folded", 936, subkeys({{"1.0", "C:\\\\丄"}, {"2.0", "C:\\\\乤"}, {"乗", "C:\\\\乢"}}),
     listing(), "GetRegKeys", "乗\r2.0\r1.0\r"},
    {"cp949_second_byte_letters_not_folded", 949, subkeys({{"1.0", "C:\\\\갂"}, {"2.0", "C:\\\\갵"}}), listing(),
     "GetRegKeys", "2.0\r1.0\r"},
    {"cp950_second_byte_letters_not_folded", 950, subkeys({{"1.0", "C:\\\\乙"}, {"2.0", "C:\\\\兀"}, {"功", "C:\\\\于"}}),
     listing(), "GetRegKeys", "功\r2.0\r1.0\r"},
    // ASCII letters are still folded, beside a double-byte character.
    {"cp932_ascii_still_folded", 932, subkeys({{"1.0", "C:\\\\ア\\\\A"}, {"2.0", "C:\\\\ア\\\\a"}}), listing(), "GetRegKeys",
     "2.0\r"},
    {"cp1252_ascii_still_folded", 1252, subkeys({{"1.0", "C:\\\\Pro™ A"}, {"2.0", "C:\\\\Pro™ a"}}), listing(),
     "GetRegKeys", "2.0\r"},
    // The Western control: ™ and – are one byte each (99, 96) and stay apart.
    {"cp1252_trade_mark_and_dash", 1252, subkeys({{"Pro™ 2.0", "C:\\\\Pro™"}, {"Pro– 1.0", "C:\\\\Pro–"}}), listing(),
     "GetRegKeys", "Pro™ 2.0\rPro– 1.0\r"},
    // Key paths and value names through the code page: 表's 5C is no separator.
    {"cp932_key_path_and_value_name", 932, subkeys({{"1.0", "a"}, {"2.0", "b"}}, key + "\\表", "パス"),
     listing(key + "\\表", "パス"), "GetRegKeys", "2.0\r1.0\r"},
    {"cp950_key_path_and_value_name", 950, subkeys({{"1.0", "a"}, {"2.0", "b"}}, key + "\\功", "山"),
     listing(key + "\\功", "山"), "GetRegKeys", "2.0\r1.0\r"},
    {"cp936_subkey_by_index", 936, subkeys({{"乗", "a"}}), {{"REGISTRY_KEY", key}, {"REGISTRY_ITER", "0"}}, "GetRegKey", "乗"},
    // Characters the code page lacks, with no best fit, read as "?": such a name opens
    // nothing, and two such values are one.
    {"cp1252_name_outside_code_page", 1252, subkeys({{"5.0", "a"}, {"表", "b"}}), listing(), "GetRegKeys", "5.0\r"},
    {"cp1252_name_outside_read_as_question_mark", 1252, subkeys({{"表", "b"}}), {{"REGISTRY_KEY", key}, {"REGISTRY_ITER", "0"}},
     "GetRegKey", "?"},
    {"cp932_values_outside_code_page_one_value", 932, subkeys({{"1.0", "C:\\\\한"}, {"2.0", "C:\\\\글"}}), listing(),
     "GetRegKeys", "2.0\r"},
    // MapRegKeys: the second byte of ア is 41, an 'A' only when read as a byte.
    {"cp932_selection_letter_in_second_byte", 932, "", {{"REGISTRY_KEYS", "a\rb\rc\r"}, {"REGISTRY_SEL", "アC"}},
     "MapRegKeys", "c&"},
    // A lead byte that ends a text is a character alone: the terminating zero is never
    // taken for its second byte and stepped over.
    {"cp932_selection_ends_in_lead_byte", 932, "", {{"REGISTRY_KEYS", "a\rb\rc\r"}, {"REGISTRY_SEL", "C\x83"}},
     "MapRegKeys", "c&"},
    {"cp932_binary_values_end_in_lead_byte", 932, binary_subkeys({{"1.0", "43,83,41,42"}, {"2.0", "43,83"}, {"3.0", "63,83"}}),
     listing(), "GetRegKeys", "3.0\r1.0\r"},
    {"cp936_selection_letter_in_second_byte", 936, "", {{"REGISTRY_KEYS", "a\rb\rc\r"}, {"REGISTRY_SEL", "丄C"}},
     "MapRegKeys", "c&"},
    {"cp949_selection_letter_in_second_byte", 949, "", {{"REGISTRY_KEYS", "a\rb\rc\r"}, {"REGISTRY_SEL", "갂C"}},
     "MapRegKeys", "c&"},
    {"cp950_selection_letter_in_second_byte", 950, "", {{"REGISTRY_KEYS", "a\rb\rc\r"}, {"REGISTRY_SEL", "乙C"}},
     "MapRegKeys", "c&"},
    {"cp1252_selection_around_trade_mark", 1252, "", {{"REGISTRY_KEYS", "a\rb\rc\r"}, {"REGISTRY_SEL", "™A–C"}},
     "MapRegKeys", "a&c&"},
    // GetQuendrix: a name holding a letter is passed over, and the second byte of ア is none.
    {"cp932_product_version_without_letter", 932,
     subkeys({{"5.0", "a"}, {"6.0 ア", "b"}, {"7.0b", "c"}}, "SOFTWARE\\Korvalis\\Quendrix"), {}, "GetQuendrix", "6.0 ア"},
    {"cp932_product_version_letter_after_double_byte", 932,
     subkeys({{"6.0", "a"}, {"7.0 アb", "b"}}, "SOFTWARE\\Korvalis\\Quendrix"), {}, "GetQuendrix", "6.0"},
    {"cp936_product_version_without_letter", 936, subkeys({{"5.0", "a"}, {"6.0 丄", "b"}}, "SOFTWARE\\Korvalis\\Quendrix"),
     {}, "GetQuendrix", "6.0 丄"},
    {"cp1252_product_version_with_trade_mark", 1252, subkeys({{"5.0", "a"}, {"6.0™", "b"}}, "SOFTWARE\\Korvalis\\Quendrix"),
     {}, "GetQuendrix", "6.0™"},
    // GetDriverVer: a comment's character whose second byte is '_' is no marker.
    {"cp932_header_comment", 932, "", driver_path, "GetDriverVer", "2.014", 1, header_with("ダ")},
    {"cp932_header_ends_in_lead_byte", 932, "", driver_path, "GetDriverVer", "2.014", 1,
     {"header.h", header_with("ダ").text + "// \x83"}},
    {"cp936_header_comment", 936, "", driver_path, "GetDriverVer", "2.014", 1, header_with("乢")},
    {"cp949_header_comment", 949, "", driver_path, "GetDriverVer", "2.014", 1, header_with("갂")},
    {"cp950_header_comment", 950, "", driver_path, "GetDriverVer", "2.014", 1, header_with("于")},
    {"cp1252_header_comment", 1252, "", driver_path, "GetDriverVer", "2.014", 1, header_with("™–")},
    // DRIVER_PATH folders whose names end in a 5C byte (949 has none, so a letter).
    {"cp932_driver_folder", 932, "", driver_in("表"), "GetDriverVer", "2.014", 1, {"表/header.h", header_with("ダ").text}},
    {"cp936_driver_folder", 936, "", driver_in("乗"), "GetDriverVer", "2.014", 1, {"乗/header.h", header_with("乢").text}},
    {"cp949_driver_folder", 949, "", driver_in("갂"), "GetDriverVer", "2.014", 1, {"갂/header.h", header_with("갂").text}},
    {"cp950_driver_folder", 950, "", driver_in("功"), "GetDriverVer", "2.014", 1, {"功/header.h", header_with("于").text}},
    {"cp1252_driver_folder", 1252, "", driver_in("Pro™"), "GetDriverVer", "2.014", 1, {"Pro™/header.h", header_with("™").text}},
    // A character the code page lacks reads as Windows' best fit where it has one, else "?"
    // (a character beyond U+FFFF is two UTF-16 units, "??"); one the page holds stays itself.
    name_as_read("cp1252_best_fit_fullwidth", 1252, "６.０ ＡａＢ－（）", "6.0 AaB-()"),
    name_as_read("cp1252_best_fit_latin_marks", 1252, "āłőřșğİčęŁ", "alor?gIceL"),
    name_as_read("cp1252_best_fit_cyrillic", 1252, "Дж", "??"),
    name_as_read("cp1252_best_fit_greek", 1252, "αβΓΔΩπΣ", "aßG?OpS"),
    name_as_read("cp1252_best_fit_beyond_bmp", 1252, "A😀", "A??"),
    name_as_read("cp932_best_fit_symbols", 932, "™–©®¥", "??cR\\"),
    name_as_read("cp932_best_fit_latin_marks", 932, "éüßāł", "eus??"),
    name_as_read("cp932_fullwidth_kept", 932, "６.０ Ａ", "６.０ Ａ"),
    name_as_read("cp936_best_fit_symbols", 936, "™–©", "?–?"),
    name_as_read("cp936_best_fit_latin_marks", 936, "āéłß", "āé??"),
    name_as_read("cp936_fullwidth_kept", 936, "６.０ Ａ", "６.０ Ａ"),
    {"cp1252_product_version_best_fit", 1252, subkeys({{"5.0", "a"}, {"６.０", "b"}}, "SOFTWARE\\Korvalis\\Quendrix"), {},
     "GetQuendrix", "6.0"},
    // UTF-8 as the code page: no byte of a character beyond ASCII is an ASCII letter, so
    // none is folded or selects, and every byte counts as a character of its own.
    {"cp65001_bytes_never_folded", 65001,
     subkeys({{"1.0", "C:\\\\é"}, {"2.0", "C:\\\\É"}, {"3.0", "C:\\\\ア\\\\A"}, {"4.0", "C:\\\\ア\\\\a"}}), listing(),
     "GetRegKeys", "4.0\r2.0\r1.0\r"},
    {"cp65001_selection_bytes_no_letters", 65001, "", {{"REGISTRY_KEYS", "a\rb\rc\r"}, {"REGISTRY_SEL", "ÁA"}}, "MapRegKeys",
     "a&"},
    {"cp65001_product_version_without_letter", 65001,
     subkeys({{"5.0", "a"}, {"6.0 é", "b"}, {"7.0b", "c"}}, "SOFTWARE\\Korvalis\\Quendrix"), {}, "GetQuendrix", "6.0 é"},
    {"cp65001_driver_folder", 65001, "", driver_in("表"), "GetDriverVer", "2.014", 1, {"表/header.h", header_with("表").text}},
};

// The text in the machine's code page. A byte that is no UTF-8 (a lone lead byte that a row
// ends in) is handed over as it is.
std::string in_code_page(const std::string& utf8_text, unsigned code_page) {
    std::string text;
    for (std::string_view rest(utf8_text); !rest.empty();) {
        std::size_t run = 0;
        for (std::size_t length; (length = utf8::well_formed_length(rest.substr(run))) > 0;) run += length;
        code_page::from_utf8(rest.substr(0, run), code_page, text);
        if (run < rest.size()) text += rest[run++];
        rest.remove_prefix(run);
    }
    return text;
}

// A folder of the row's own below the temporary folder, removed afterwards; the test runs in
// it, so that DRIVER_PATH is relative.
class RowFolder {
public:
    RowFolder() : previous_(fs::current_path()) {
        path_ = fs::temp_directory_path() / ("vantrel-code-page-" + std::to_string(std::random_device{}()));
        fs::create_directories(path_);
        fs::current_path(path_);
    }
    ~RowFolder() {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
        fs::remove_all(path_, ignored);
    }
    RowFolder(const RowFolder&) = delete;
    RowFolder& operator=(const RowFolder&) = delete;

    // Writes the file, its path and text given in UTF-8, the text stored in code_page.
    void write(const HeaderFile& file, unsigned code_page) {
        const fs::path path = path_ / fs::u8path(file.path);
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << in_code_page(file.text, code_page);
    }

private:
    fs::path previous_;
    fs::path path_;
};

class CodePage : public ::testing::TestWithParam<CodePageCase> {};

TEST_P(CodePage, DoubleByteCharactersStayWhole) {
    const CodePageCase& c = GetParam();
    testing_support::RegistryFixture registry;
    // Where a run names the code page its locale must give, a locale that gave another fails
    // the run rather than skip every row.
    if (const char* expected = std::getenv("VANTREL_EXPECTED_CODE_PAGE")) {
        ASSERT_EQ(std::to_string(code_page::machine_code_page()), expected) << "the locale gave another code page";
    }
    if (!testing_support::use_code_page(c.code_page)) GTEST_SKIP() << "the system's code page is another";
    registry.install_export(c.registry);
    RowFolder folder;
    if (!c.header.path.empty()) folder.write(c.header, c.code_page);
    testing_support::TestHost host("vantrel");
    for (const auto& [name, value] : c.variables) host.set(name, in_code_page(value, c.code_page));
    EXPECT_EQ(host.call(c.export_name), c.returned);
    EXPECT_EQ(host.result(), in_code_page(c.expected, c.code_page));
}

INSTANTIATE_TEST_SUITE_P(Cases, CodePage, ::testing::ValuesIn(code_page_cases), testing_support::by_label);

}  // namespace
