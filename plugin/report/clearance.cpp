// Clearance pairs: a box test grown by the distance, then the exact
// smallest distance between the two surfaces.

#include "clearance.h"

#include <algorithm>
#include <cmath>

namespace {

bool BoxesWithin(const ON_BoundingBox& a, const ON_BoundingBox& b, double distance) {
  for (int k = 0; k < 3; ++k)
    if (a.m_min[k] - distance > b.m_max[k] || b.m_min[k] - distance > a.m_max[k]) return false;
  return true;
}

bool Clashing(const std::vector<ON_UuidPair>& clashing, const ON_UUID& a, const ON_UUID& b) {
  return std::any_of(clashing.begin(), clashing.end(), [&](const ON_UuidPair& p) {
    return (p.m_uuid[0] == a && p.m_uuid[1] == b) || (p.m_uuid[0] == b && p.m_uuid[1] == a);
  });
}

} // namespace

std::vector<ReportClearance>
FindClearances(const std::vector<ReportCandidate>& candidates,
               const std::vector<ON_UuidPair>& clashing, double distance,
               const std::function<bool(std::size_t, std::size_t)>& in_scope) {
  std::vector<ReportClearance> found;
  if (!(distance > 0.0 && std::isfinite(distance))) return found;
  for (size_t i = 0; i < candidates.size(); ++i)
    for (size_t j = i + 1; j < candidates.size(); ++j) {
      const ReportCandidate& a = candidates[i];
      const ReportCandidate& b = candidates[j];
      if (!BoxesWithin(a.box, b.box, distance) || Clashing(clashing, a.id, b.id)) continue;
      if (in_scope && !in_scope(i, j)) continue;
      ReportClearance clearance;
      if (!a.Surface().ClosestPoints(b.Surface(), distance, clearance.distance, clearance.point_a,
                                     clearance.point_b))
        continue;
      clearance.a.id = a.id;
      clearance.b.id = b.id;
      found.push_back(clearance);
    }
  return found;
}
