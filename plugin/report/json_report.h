#pragma once
// The clash report as JSON: the model, the date, the tolerances, how many
// objects and pairs were tested, then the clashes in the panel's order
// with their severity figures, then the clearance issues.

#include <string>

#include "clash_report_data.h"

std::string ClashReportJson(const ClashReport& report);
