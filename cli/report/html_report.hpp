#pragma once

#include <string>
#include <string_view>

#include "report/report_data.hpp"

namespace cvn::cli {

// The run as one self-contained HTML page: inline CSS and SVG, readable without JavaScript;
// a small inline script only adds the filters of the file table.
std::string renderHtmlReport(const ReportData& data);

// Text as HTML shows it literally.
std::string escapeHtml(std::string_view text);

}  // namespace cvn::cli
