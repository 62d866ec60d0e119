// What a fleet's run hands on and writes, below the files themselves: the records a machine's
// row crosses between processes in (whole, and cut short at every byte, as when the
// machine's process dies while it sends), the text that goes into a report, and the
// progress line.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "hostsim/progress.h"
#include "hostsim/report_text.h"
#include "hostsim/row_records.h"
#include "support/case_label.h"

namespace {

using hostsim::MachineRow;
using hostsim::Outcome;
using hostsim::StepEnd;
using hostsim::StepTrace;
using testing_support::operator<<;

// Every field of a row, one after another, each fenced so that no two rows read alike.
std::string every_field(const MachineRow& row) {
    std::string fields = "[" + row.name + "][" + row.kind + "][" + row.code_page + "][" + row.error + "]";
    for (const Outcome outcome : row.outcomes) fields += std::to_string(static_cast<int>(outcome));
    for (const std::string& value : row.values) fields += "[v " + value + "]";
    for (const auto& [name, value] : row.description) fields += "[d " + name + "=" + value + "]";
    for (const StepTrace& step : row.steps) {
        fields += "[s " + std::to_string(step.line) + " " + std::to_string(static_cast<int>(step.end));
        for (const auto& read : step.read) fields += "[r " + read.name + "=" + read.value + (read.set ? "" : " unset") + "]";
        fields += "[" + step.returned + "][" + step.answer_name + "][" + step.answer + "][" + step.expected + "][" +
                  step.found + "][" + step.error + "]]";
    }
    return fields;
}

// A row as its machine's process makes it; the fleet's process knows the name and how
// many expectations the script has.
MachineRow sent_row(const std::function<void(MachineRow&)>& fill) {
    MachineRow row;
    row.name = "machine";
    row.outcomes.assign(3, Outcome::not_reached);
    fill(row);
    return row;
}

MachineRow as_received(const MachineRow& sent) {
    MachineRow row;
    row.name = sent.name;
    row.outcomes.assign(sent.outcomes.size(), Outcome::not_reached);
    return row;
}

struct RecordCase {
    const char* label;
    MachineRow row;
};

const RecordCase record_cases[] = {
    {"every_field", sent_row([](MachineRow& row) {
         row.kind = "64-bit";
         row.code_page = "932";
         row.outcomes = {Outcome::met, Outcome::missed, Outcome::not_reached};
         row.values = {"6.0", "GPIB0::22::INSTR\r\nASRL1::INSTR"};
         row.description = {{"windows", "64-bit"}, {"taken", "2024-05-01T10:00:00Z"}};
         row.error = "install.script:9: no export NoSuchExport";
         StepTrace call{7, StepEnd::met, {{"REGISTRY_KEY", "SOFTWARE\\\\K", true}, {"REGISTRY_VIEW", "", false}},
                        "1", "KEYS", "5.5\\r", "1", "1", ""};
         StepTrace expect{8, StepEnd::missed, {}, "", "", "", "KEYS = \"6.0\"", "KEYS = \"5.5\"", "expected ..."};
         StepTrace failed{9, StepEnd::failed, {}, "", "", "", "", "", "no export NoSuchExport"};
         row.steps = {call, expect, failed};
     })},
    // Fields whose bytes look like the records' own: lengths, colons, type letters, a zero byte.
    {"fields_like_records", sent_row([](MachineRow& row) {
         row.kind = "3:abc";
         row.code_page = "r";
         row.values = {"12:", ":", std::string("a\0b", 3), "k1:x"};
         row.description = {{"0:", "9999999999:"}};
         row.steps = {StepTrace{12, StepEnd::ran, {{"1:", ":1", true}}, "r", "k", "", "", "", ""}};
     })},
    // A machine that could not run: nothing shown, every field empty.
    {"nothing_known", sent_row([](MachineRow& row) { row.error = "cannot read registry.reg"; })},
};

class RowRecords : public ::testing::TestWithParam<RecordCase> {};

TEST_P(RowRecords, ArriveWholeOrNotAtAll) {
    const MachineRow& sent = GetParam().row;
    const std::string kind = hostsim::kind_record(sent);
    const std::string records = kind + hostsim::row_record(sent);
    MachineRow received = as_received(sent);
    ASSERT_TRUE(hostsim::read_records(records, received));
    EXPECT_EQ(every_field(received), every_field(sent));

    // Cut anywhere, the row is not whole; once the first record is, its kind and code page count.
    for (std::size_t length = 0; length < records.size(); ++length) {
        MachineRow cut = as_received(sent);
        EXPECT_FALSE(hostsim::read_records(records.substr(0, length), cut)) << "cut after " << length << " bytes";
        EXPECT_EQ(cut.kind, length >= kind.size() ? sent.kind : "") << "cut after " << length << " bytes";
        EXPECT_EQ(cut.code_page, length >= kind.size() ? sent.code_page : "") << "cut after " << length << " bytes";
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, RowRecords, ::testing::ValuesIn(record_cases), testing_support::by_label);

// Bytes as the report receives them, and as it holds them: UTF-8 that XML and HTML can hold.
struct ReportTextCase {
    const char* label;
    std::string text;
    std::string fit;
};

const std::string fffd = "\xEF\xBF\xBD";

const ReportTextCase report_text_cases[] = {
    {"ascii", "GPIB0::22::INSTR", "GPIB0::22::INSTR"},
    {"markup_kept_for_the_escapers", "<img src=x>&\"'", "<img src=x>&\"'"},
    {"tab_line_feed_carriage_return", "a\tb\nc\rd", "a\tb\nc\rd"},
    {"other_controls", std::string("a\x01" "b\x1F" "c\x7F" "d\0e", 9), "a" + fffd + "b" + fffd + "c" + fffd + "d" + fffd + "e"},
    {"two_bytes", "Pro\xE2\x84\xA2 \xC3\xA9", "Pro\xE2\x84\xA2 \xC3\xA9"},
    {"three_bytes", "\xE8\xA1\xA8", "\xE8\xA1\xA8"},
    {"four_bytes_lowest_and_highest", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF"},
    {"beyond_u10ffff", "\xF4\x90\x80\x80", fffd + fffd + fffd + fffd},
    {"lead_f5", "\xF5\x80\x80\x80", fffd + fffd + fffd + fffd},
    {"stray_continuation", "a\x80z", "a" + fffd + "z"},
    {"cut_short_at_the_end", "a\xE8\xA1", "a" + fffd},
    {"cut_short_before_ascii", "\xE8\xA1<", fffd + "<"},
    {"overlong_two_bytes", "\xC0\xBC", fffd + fffd},
    {"overlong_three_bytes", "\xE0\x80\xBC", fffd + fffd + fffd},
    {"surrogate", "\xED\xA0\x80", fffd + fffd + fffd},
    {"last_before_surrogates", "\xED\x9F\xBF", "\xED\x9F\xBF"},
    {"noncharacters_fffe_ffff", "\xEF\xBF\xBE\xEF\xBF\xBF", fffd + fffd},
    {"replacement_itself", fffd, fffd},
};

class ReportText : public ::testing::TestWithParam<ReportTextCase> {};

TEST_P(ReportText, HoldsOnlyWhatXmlAndHtmlCan) {
    EXPECT_EQ(hostsim::fit_for_report(GetParam().text), GetParam().fit);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReportText, ::testing::ValuesIn(report_text_cases), testing_support::by_label);

struct ProgressCase {
    const char* label;
    std::size_t done;
    std::size_t total;
    long long seconds;
    const char* text;
};

const ProgressCase progress_cases[] = {
    {"start", 0, 7, 0, "0 of 7 machines done, 0:00 so far"},
    {"nine_seconds", 3, 7, 9, "3 of 7 machines done, 0:09 so far"},
    {"ten_seconds", 3, 7, 10, "3 of 7 machines done, 0:10 so far"},
    {"minutes", 120, 200, 41 * 60 + 5, "120 of 200 machines done, 41:05 so far"},
    {"last_before_an_hour", 199, 200, 3599, "199 of 200 machines done, 59:59 so far"},
    {"an_hour", 200, 200, 3600, "200 of 200 machines done, 1:00:00 so far"},
    {"hours", 1999, 2000, 2 * 3600 + 7 * 60 + 30, "1999 of 2000 machines done, 2:07:30 so far"},
};

class ProgressLine : public ::testing::TestWithParam<ProgressCase> {};

TEST_P(ProgressLine, SaysMachinesDoneAndTime) {
    const ProgressCase& c = GetParam();
    EXPECT_EQ(hostsim::progress_text(c.done, c.total, std::chrono::seconds(c.seconds)), c.text);
}

INSTANTIATE_TEST_SUITE_P(Cases, ProgressLine, ::testing::ValuesIn(progress_cases), testing_support::by_label);

}  // namespace
