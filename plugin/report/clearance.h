#pragma once
// Clearance: the pairs of candidates whose surfaces come closer than a
// given distance without clashing.

#include <cstddef>
#include <functional>
#include <vector>

#include "clash_report_data.h"
#include "report_candidates.h"

// Pairs (i < j, in candidate order, so A is met first as in the clash list)
// that are not among `clashing` and whose surfaces come closer than
// `distance`, with their smallest distance and the nearest point on each.
// Only pairs whose boxes, grown by `distance`, meet are measured, and only
// those `in_scope` (candidate indices i < j) accepts, when it is given.
// Nothing when `distance` is not positive. The numbers are left to the
// caller.
std::vector<ReportClearance>
FindClearances(const std::vector<ReportCandidate>& candidates,
               const std::vector<ON_UuidPair>& clashing, double distance,
               const std::function<bool(std::size_t, std::size_t)>& in_scope = {});
