// The HTML report's page, which holds no data: its markup, style and script before and after
// the JSON of the results (html_report.cpp writes that between them).
#pragma once

namespace hostsim {

extern const char* const report_page_before_data;
extern const char* const report_page_after_data;

}  // namespace hostsim
