// Sort and sweep along the axis over which the boxes' centres spread
// most: each box is compared only with the boxes whose extent along that
// axis overlaps its own, then with the two other axes.

#include "interfere/broad_phase.h"

#include <algorithm>
#include <numeric>

namespace {

bool Meet(const ON_BoundingBox& a, const ON_BoundingBox& b) {
  return a.m_min.x <= b.m_max.x && b.m_min.x <= a.m_max.x && a.m_min.y <= b.m_max.y &&
         b.m_min.y <= a.m_max.y && a.m_min.z <= b.m_max.z && b.m_min.z <= a.m_max.z;
}

int SweepAxis(const std::vector<ON_BoundingBox>& boxes) {
  ON_BoundingBox centres;
  for (const ON_BoundingBox& box : boxes)
    if (box.IsValid()) centres.Set(box.Center(), true);
  if (!centres.IsValid()) return 0;
  const ON_3dVector spread = centres.m_max - centres.m_min;
  if (spread.x >= spread.y && spread.x >= spread.z) return 0;
  return spread.y >= spread.z ? 1 : 2;
}

double Low(const ON_BoundingBox& box, int axis) {
  return box.m_min[axis];
}
double High(const ON_BoundingBox& box, int axis) {
  return box.m_max[axis];
}

} // namespace

CandidatePairs::CandidatePairs(const std::vector<ON_BoundingBox>& boxes) {
  const int n = static_cast<int>(boxes.size());
  const int axis = SweepAxis(boxes);
  std::vector<int> order;
  order.reserve(n);
  for (int i = 0; i < n; ++i)
    if (boxes[i].IsValid()) order.push_back(i);
  std::sort(order.begin(), order.end(), [&](int a, int b) {
    return Low(boxes[a], axis) < Low(boxes[b], axis) ||
           (Low(boxes[a], axis) == Low(boxes[b], axis) && a < b);
  });

  // Each meeting pair once, as (lower index, higher index).
  std::vector<std::pair<int, int>> pairs;
  std::vector<int> active;
  for (const int current : order) {
    const double low = Low(boxes[current], axis);
    active.erase(std::remove_if(active.begin(), active.end(),
                                [&](int other) { return High(boxes[other], axis) < low; }),
                 active.end());
    for (const int other : active)
      if (Meet(boxes[current], boxes[other]))
        pairs.emplace_back(std::min(current, other), std::max(current, other));
    active.push_back(current);
  }
  std::sort(pairs.begin(), pairs.end());

  m_row_start.assign(n + 1, 0);
  for (const auto& pair : pairs)
    ++m_row_start[pair.first + 1];
  std::partial_sum(m_row_start.begin(), m_row_start.end(), m_row_start.begin());
  m_columns.reserve(pairs.size());
  for (const auto& pair : pairs)
    m_columns.push_back(pair.second);
}
