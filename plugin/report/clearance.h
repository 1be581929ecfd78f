#pragma once
// Clearance: the pairs of candidates whose surfaces come closer than a
// given distance without clashing.

#include <vector>

#include "clash_report_data.h"
#include "report_candidates.h"

// Pairs (i < j, in candidate order, so A is met first as in the clash list)
// that are not among `clashing` and whose surfaces come closer than
// `distance`, with their smallest distance and the nearest point on each.
// Only pairs whose boxes, grown by `distance`, meet are measured. Nothing
// when `distance` is not positive. The numbers are left to the caller.
std::vector<ReportClearance> FindClearances(const std::vector<ReportCandidate>& candidates,
                                            const std::vector<ON_UuidPair>& clashing,
                                            double distance);
