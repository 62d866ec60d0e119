// The .reg reader: the forms regedit writes, and the lines it skips with their line numbers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regfile/export_index.h"
#include "regfile/key_tree.h"
#include "support/case_label.h"
#include "support/registry_fixture.h"

namespace {

using testing_support::operator<<;

using Bytes = std::vector<unsigned char>;

const regfile::Key* find_path(const regfile::Key& root, std::vector<std::string> path) {
    const regfile::Key* key = &root;
    for (const std::string& name : path) {
        if (key == nullptr) return nullptr;
        key = key->find_subkey(name);
    }
    return key;
}

std::string utf16(const std::string& text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

// Names and text come out as UTF-8, an ANSI file read in code_page.
struct ValueCase {
    const char* label;
    std::string file;
    const char* value_name;
    std::uint32_t type;
    Bytes data;
    unsigned code_page = 1252;
};

const std::string v5 = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n";
const std::string v4 = "REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\n";

const ValueCase value_cases[] = {
    {"string", v5 + "\"Path\"=\"C:\\\\Dir \\\"x\\\"\"\r\n", "Path", 1, {'C', ':', '\\', 'D', 'i', 'r', ' ', '"', 'x', '"', 0}},
    {"default_value", v5 + "@=\"d\"\r\n", "", 1, {'d', 0}},
    {"dword", v5 + "\"N\"=dword:0000010a\r\n", "N", 4, {0x0A, 0x01, 0, 0}},
    {"binary_continued", v5 + "\"B\"=hex:01,02,\\\r\n  03,ff\r\n", "B", 3, {1, 2, 3, 0xFF}},
    {"expandable_utf16_narrowed", v5 + "\"E\"=hex(2):25,00,41,00,25,00,00,00\r\n", "E", 2, {'%', 'A', '%', 0}},
    {"multi_string_utf16_narrowed", v5 + "\"M\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n", "M", 7, {'a', 0, 'b', 0, 0}},
    {"qword", v5 + "\"Q\"=hex(b):01,00,00,00,00,00,00,80\r\n", "Q", 11, {1, 0, 0, 0, 0, 0, 0, 0x80}},
    {"other_type", v5 + "\"X\"=hex(0):\r\n", "X", 0, {}},
    {"regedit4_expandable_is_ansi", v4 + "\"E\"=hex(2):41,42,00\n", "E", 2, {'A', 'B', 0}},
    {"value_name_any_case", v5 + "\"Name\"=\"a\"\r\n", "NAME", 1, {'a', 0}},
    {"later_line_overrides", v5 + "\"N\"=\"a\"\r\n\"n\"=\"b\"\r\n", "N", 1, {'b', 0}},
    {"utf16_file", utf16(v5 + "\"S\"=\"\xE9t\xE9\"\r\n"), "S", 1, {0xC3, 0xA9, 't', 0xC3, 0xA9, 0}},
    {"ansi_file_in_code_page", v5 + "\"S\"=\"\x99\x96\"\r\n", "S", 1, {0xE2, 0x84, 0xA2, 0xE2, 0x80, 0x93, 0}},
    // In code page 932 表 is 95 5C: read as a byte, its 5C would escape the closing quote.
    {"regedit4_double_byte_string", v4 + "\"\x83\x70\x83\x58\"=\"C:\\\\\x95\x5C\"\n", "パス", 1,
     {'C', ':', '\\', 0xE8, 0xA1, 0xA8, 0}, 932},
    {"regedit4_expandable_in_code_page", v4 + "\"E\"=hex(2):95,5c,00\n", "E", 2, {0xE8, 0xA1, 0xA8, 0}, 932},
    {"regedit4_thai_code_page", v4 + "\"S\"=\"\xA1\"\n", "S", 1, {0xE0, 0xB8, 0x81, 0}, 874},
    // In 65001 an ANSI file is UTF-8: U+0080, é, 表, 한, an emoji and U+40000 stay as they
    // are; an overlong form, an encoded surrogate, FF and a sequence cut short are one U+FFFD
    // each for the longest start of a sequence they hold.
    {"regedit4_utf8_code_page", v4 + "\"S\"=\"\xC2\x80\xC3\xA9\xE8\xA1\xA8\xED\x95\x9C\xF0\x9F\x98\x80\xF1\x80\x80\x80\"\n",
     "S", 1, {0xC2, 0x80, 0xC3, 0xA9, 0xE8, 0xA1, 0xA8, 0xED, 0x95, 0x9C, 0xF0, 0x9F, 0x98, 0x80, 0xF1, 0x80, 0x80, 0x80, 0},
     65001},
    {"regedit4_utf8_code_page_not_utf8", v4 + "\"S\"=\"\xC0\xAF\xED\xA0\x80\xFF\xE8\xA1x\"\n", "S", 1,
     {0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD, 0xEF, 0xBF, 0xBD, 0xEF,
      0xBF, 0xBD, 'x', 0},
     65001},
    // A code page without a table here: every byte beyond ASCII is U+FFFD, none misread.
    {"ansi_file_in_code_page_without_table", v5 + "\"S\"=\"A\x99\"\r\n", "S", 1, {'A', 0xEF, 0xBF, 0xBD, 0}, 437},
    {"utf8_byte_order_mark", "\xEF\xBB\xBF" + v5 + "\"S\"=\"x\"\r\n", "S", 1, {'x', 0}},
    {"dword_of_nines", v5 + "\"N\"=dword:99999999\r\n", "N", 4, {0x99, 0x99, 0x99, 0x99}},
    {"comment_line_passed_over", v5 + "; a comment\r\n\"S\"=\"x\"\r\n", "S", 1, {'x', 0}},
    {"binary_blanks_around_bytes", v5 + "\"B\"=hex:01 ,\t02, 03\r\n", "B", 3, {1, 2, 3}},
    {"binary_trailing_comma", v5 + "\"B\"=hex:01,02,\r\n", "B", 3, {1, 2}},
    // A character beyond U+FFFF, a surrogate pair in UTF-16, is one character; half of a
    // pair alone is U+FFFD.
    {"utf16_surrogate_pair", utf16(v5 + "\"S\"=\"a").append("\x3D\xD8\x00\xDE", 4) + utf16("b\"\r\n").substr(2), "S", 1,
     {'a', 0xF0, 0x9F, 0x98, 0x80, 'b', 0}},
    {"utf16_lone_surrogate", utf16(v5 + "\"S\"=\"a").append("\x3D\xD8", 2) + utf16("b\"\r\n").substr(2), "S", 1,
     {'a', 0xEF, 0xBF, 0xBD, 'b', 0}},
    // Beyond what regedit reads: blanks after the header, and a UTF-8 mark before REGEDIT4.
    {"header_trailing_blanks", "Windows Registry Editor Version 5.00 \t\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\T]\r\n"
                               "\"S\"=\"x\"\r\n", "S", 1, {'x', 0}},
    {"utf8_byte_order_mark_regedit4", "\xEF\xBB\xBF" + v4 + "\"S\"=\"x\"\n", "S", 1, {'x', 0}},
};

class RegFileValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(RegFileValue, ReadsAsUnicode) {
    const ValueCase& c = GetParam();
    testing_support::RegistryFixture machine;
    if (!testing_support::use_code_page(c.code_page)) GTEST_SKIP() << "the system's code page is another";
    const regfile::ParseResult parsed = regfile::parse(c.file);
    ASSERT_TRUE(parsed.ok) << parsed.error_line << ": " << parsed.error;
    EXPECT_TRUE(parsed.warnings.empty()) << parsed.warnings.front().line << ": " << parsed.warnings.front().message;
    const regfile::Key* key = find_path(parsed.machine, {"SOFTWARE", "T"});
    ASSERT_NE(key, nullptr);
    const regfile::Value* value = key->find_value(c.value_name);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->type, c.type);
    EXPECT_EQ(value->data, c.data);
}

INSTANTIATE_TEST_SUITE_P(Cases, RegFileValue, ::testing::ValuesIn(value_cases), testing_support::by_label);

// Only a file without a registry header is refused whole.
struct ErrorCase {
    const char* label;
    std::string file;
    int line;
};

const ErrorCase error_cases[] = {
    {"no_header", "[HKEY_LOCAL_MACHINE\\A]\n", 1},
    {"empty_file", "", 1},
    {"blank_lines_only", "\n  \n", 1},
};

class RegFileError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RegFileError, ReportsLine) {
    const ErrorCase& c = GetParam();
    const regfile::ParseResult parsed = regfile::parse(c.file);
    EXPECT_FALSE(parsed.ok);
    EXPECT_EQ(parsed.error_line, c.line) << parsed.error;
    EXPECT_FALSE(parsed.error.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, RegFileError, ::testing::ValuesIn(error_cases), testing_support::by_label);

// A line that cannot be read is skipped with one warning naming its line (the first line
// of a continued value), and the file is read on: the value before it, the value after it
// (unless the skipped line was a key line, whose values belong to no key) and the next key.
struct SkippedLineCase {
    const char* label;
    std::string line;  // line 5 of the file, and any lines it continues onto
    bool value_after_kept;
};

const SkippedLineCase skipped_line_cases[] = {
    {"unknown_data", "\"A\"=wat:1\n", true},
    {"dword_nine_digits", "\"A\"=dword:123456789\n", true},
    {"dword_no_digits", "\"A\"=dword:\n", true},
    {"bad_hex_byte", "\"A\"=hex:01,zz\n", true},
    {"bad_hex_type", "\"A\"=hex(zz):01\n", true},
    {"bad_byte_on_continued_line", "\"A\"=hex:01,\\\n  zz\n", true},
    {"unclosed_string", "\"A\"=\"b\n", true},
    {"text_after_string", "\"A\"=\"b\" c\n", true},
    {"no_equals_sign", "\"A\" \"b\"\n", true},
    {"neither_key_nor_value", "A=b\n", true},
    {"unclosed_key", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\V\n", false},
    {"unknown_root", "[HKEY_NOWHERE\\V]\n", false},
    {"empty_key_name", "[HKEY_LOCAL_MACHINE\\SOFTWARE\\\\V]\n", false},
    {"whole_hive_deleted", "[-HKEY_LOCAL_MACHINE]\n", false},
};

class RegFileSkippedLine : public ::testing::TestWithParam<SkippedLineCase> {};

TEST_P(RegFileSkippedLine, WarnsAndReadsTheRest) {
    const SkippedLineCase& c = GetParam();
    const regfile::ParseResult parsed = regfile::parse(
        v4 + "\"Before\"=\"1\"\n" + c.line + "\"After\"=\"2\"\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\U]\n\"Last\"=\"3\"\n");
    ASSERT_TRUE(parsed.ok) << parsed.error_line << ": " << parsed.error;
    ASSERT_EQ(parsed.warnings.size(), 1u);
    EXPECT_EQ(parsed.warnings[0].line, 5);
    EXPECT_FALSE(parsed.warnings[0].message.empty());
    const regfile::Key* t = find_path(parsed.machine, {"SOFTWARE", "T"});
    ASSERT_NE(t, nullptr);
    EXPECT_NE(t->find_value("Before"), nullptr);
    EXPECT_EQ(t->find_value("A"), nullptr);
    EXPECT_EQ(t->find_value("After") != nullptr, c.value_after_kept);
    EXPECT_EQ(find_path(parsed.machine, {"SOFTWARE", "V"}), nullptr);
    const regfile::Key* u = find_path(parsed.machine, {"SOFTWARE", "U"});
    ASSERT_NE(u, nullptr);
    EXPECT_NE(u->find_value("Last"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, RegFileSkippedLine, ::testing::ValuesIn(skipped_line_cases), testing_support::by_label);

// Every skipped line is noted, in file order: a value before any key, and a value
// continued past the end of the file.
TEST(RegFileSkippedLines, EachNotedInOrder) {
    const regfile::ParseResult parsed = regfile::parse(
        "REGEDIT4\n\n\"A\"=\"b\"\n[HKEY_LOCAL_MACHINE\\T]\n\"C\"=\"d\"\n\"E\"=hex:01,\\\n");
    ASSERT_TRUE(parsed.ok);
    ASSERT_EQ(parsed.warnings.size(), 2u);
    EXPECT_EQ(parsed.warnings[0].line, 3);
    EXPECT_EQ(parsed.warnings[1].line, 6);
    const regfile::Key* t = find_path(parsed.machine, {"T"});
    ASSERT_NE(t, nullptr);
    EXPECT_NE(t->find_value("C"), nullptr);
    EXPECT_EQ(t->find_value("E"), nullptr);
}

TEST(RegFileKeys, DeletionsAndOrder) {
    const regfile::ParseResult parsed = regfile::parse(
        "REGEDIT4\n"
        "[HKEY_LOCAL_MACHINE\\S\\b]\n[HKEY_LOCAL_MACHINE\\S\\A]\n[HKEY_LOCAL_MACHINE\\S\\_x]\n"
        "[HKEY_LOCAL_MACHINE\\S\\Gone\\Child]\n[HKEY_LOCAL_MACHINE\\S\\Keep]\n\"v\"=\"1\"\n\"w\"=\"2\"\n"
        "[-HKEY_LOCAL_MACHINE\\S\\Gone]\n[HKEY_LOCAL_MACHINE\\S\\Keep]\n\"v\"=-\n"
        "[HKEY_CURRENT_USER\\S\\Elsewhere]\n\"v\"=\"1\"\n");
    ASSERT_TRUE(parsed.ok) << parsed.error_line << ": " << parsed.error;
    const regfile::Key* s = find_path(parsed.machine, {"s"});
    ASSERT_NE(s, nullptr);
    std::vector<std::string> names;
    for (const auto& entry : s->subkeys) names.push_back(entry.second.name);
    // Keys enumerate without regard to case, letters compared in upper case.
    EXPECT_EQ(names, (std::vector<std::string>{"A", "b", "Keep", "_x"}));
    EXPECT_EQ(s->find_subkey("KEEP")->find_value("v"), nullptr);
    EXPECT_NE(s->find_subkey("KEEP")->find_value("w"), nullptr);
    EXPECT_EQ(find_path(parsed.machine, {"S", "Elsewhere"}), nullptr);
}

}  // namespace

namespace {

// Exports made to break a reader, read by the index the stand-in serves: each is an error
// on its line or a set of keys with the lines skipped named, never a crash or a hang.
struct HostileCase {
    const char* label;
    std::string file;
    int error_line;              // 0: the file is read
    std::vector<int> warned;     // the lines skipped (the index notes them when checking every line)
    std::vector<std::string> path;  // a key that must be there, below HKEY_LOCAL_MACHINE
    std::size_t subkeys;         // its subkeys
    std::string last_subkey;     // the last of them in enumeration order
};

std::string numbered_subkeys(const std::string& parent, int count) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "[HKEY_LOCAL_MACHINE\\" + parent + "\\k" + std::to_string(1000000 + i) + "]\n";
    return lines;
}

std::string deep_path(int depth) {
    std::string path = "[HKEY_LOCAL_MACHINE";
    for (int i = 0; i < depth; ++i) path += "\\a";
    return path + "]\n";
}

const std::string megabyte_name(1 << 20, 'k');
const std::string v5_header = "Windows Registry Editor Version 5.00\r\n\r\n";

const HostileCase hostile_cases[] = {
    {"million_subkeys_of_one_key", "REGEDIT4\n" + numbered_subkeys("S", 1000000), 0, {}, {"S"}, 1000000, "k1999999"},
    {"key_line_of_1_mb", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\S\\" + megabyte_name + "]\n[HKEY_LOCAL_MACHINE\\S\\after]\n",
     0, {}, {"S"}, 2, megabyte_name},
    {"unclosed_key_line_of_1_mb", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\S\\" + megabyte_name + "\n[HKEY_LOCAL_MACHINE\\S\\after]\n",
     0, {2}, {"S"}, 1, "after"},
    {"path_half_a_million_keys_deep", "REGEDIT4\n" + deep_path(500000), 0, {}, {"a", "a", "a"}, 1, "a"},
    {"utf16_of_odd_length", utf16(v5_header + "[HKEY_LOCAL_MACHINE\\S\\a]\r\n") + "[", 0, {}, {"S"}, 1, "a"},
    {"utf16_cut_in_a_key_line", utf16(v5_header + "[HKEY_LOCAL_MACHINE\\S\\a]\r\n[HKEY_LOCAL_MACHINE\\S\\b"), 0, {4},
     {"S"}, 1, "a"},
    {"utf16_cut_in_a_continued_value",
     utf16(v5_header + "[HKEY_LOCAL_MACHINE\\S\\a]\r\n\"v\"=hex:01,\\\r\n") + "\x30", 0, {4}, {"S"}, 1, "a"},
    {"ansi_marked_as_utf16", "\xFF\xFEREGEDIT4\n[HKEY_LOCAL_MACHINE\\S\\a]\n", 1, {}, {}, 0, ""},
    // U+010A holds the byte of a line break; it is no line break, and reads as Ċ.
    {"line_break_byte_inside_a_utf16_unit",
     utf16(v5_header + "[HKEY_LOCAL_MACHINE\\S\\a") + std::string("\x0A\x01", 2) + utf16("]\r\n").substr(2), 0, {},
     {"S"}, 1, "a\xC4\x8A"},
};

class RegFileHostile : public ::testing::TestWithParam<HostileCase> {};

TEST_P(RegFileHostile, ErrorOrKeysWithSkippedLinesNamed) {
    const HostileCase& c = GetParam();
    const auto read = regfile::read_export(c.file, regfile::ValueCheck::every_line);
    EXPECT_EQ(read->ok(), c.error_line == 0) << read->error();
    EXPECT_EQ(read->error_line(), c.error_line);
    std::vector<int> warned;
    for (const regfile::Warning& warning : read->warnings()) warned.push_back(warning.line);
    EXPECT_EQ(warned, c.warned);
    const regfile::ExportKey* key = &read->machine();
    for (const std::string& name : c.path) key = key != nullptr ? read->find_subkey(*key, name) : nullptr;
    ASSERT_NE(key, nullptr);
    ASSERT_EQ(read->subkey_count(*key), c.subkeys);
    if (c.subkeys > 0) {
        EXPECT_EQ(read->subkey_at(*key, c.subkeys - 1)->name, c.last_subkey);
    }
    EXPECT_EQ(read->subkey_at(*key, c.subkeys), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Cases, RegFileHostile, ::testing::ValuesIn(hostile_cases), testing_support::by_label);

}  // namespace
