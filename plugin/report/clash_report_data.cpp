// Names and ordering shared by the report writers.

#include "clash_report_data.h"

#include <algorithm>
#include <numeric>

const char* const kPenetrationDepthMethod =
    "largest distance from a point of the clash region (its vertices, a grid on each face and "
    "a climb from the deepest grid points) to the surface of the object it lies inside, by "
    "exact point-triangle distances; a lower bound of the deepest reach, exact at corners and "
    "at the middle of faces, as for boxes and sheets";

std::string ReportObject::Label() const {
  if (!name.empty()) return name;
  ON_wString text = ON_UuidToString(id);
  text.MakeUpper();
  return text.ToUtf8();
}

const char* ClashKindName(ClashKind kind) {
  switch (kind) {
  case ClashKind::boolean_region:
    return "boolean region";
  case ClashKind::split_region:
    return "split region";
  case ClashKind::containment:
    return "containment";
  case ClashKind::duplicate:
    return "duplicate";
  }
  return "unknown";
}

void RankBySeverity(std::vector<ReportClash>& clashes) {
  std::vector<size_t> order(clashes.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](size_t i, size_t j) {
    const ReportClash& a = clashes[i];
    const ReportClash& b = clashes[j];
    if (a.region_closed != b.region_closed) return a.region_closed;
    const double size_a = a.region_closed ? a.volume : a.area;
    const double size_b = b.region_closed ? b.volume : b.area;
    if (size_a != size_b) return size_a > size_b;
    return a.penetration_depth > b.penetration_depth;
  });
  for (size_t rank = 0; rank < order.size(); ++rank)
    clashes[order[rank]].severity_rank = static_cast<int>(rank) + 1;
}
