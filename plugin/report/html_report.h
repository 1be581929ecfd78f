#pragma once
// The clash report as one self-contained HTML page: the clashes with their
// snapshots (embedded) and figures, sortable by clicking a column heading,
// then the clearance issues.

#include <string>

#include "clash_report_data.h"

std::string ClashReportHtml(const ClashReport& report);
