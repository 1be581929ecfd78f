#pragma once
// The pairs of candidates whose bounding boxes meet, found by sorting the
// boxes along one axis and sweeping, so that a computation visits the
// pairs that can clash instead of all n(n-1)/2. Boxes that only touch
// meet, as in every box test of the host.

#include <vector>

#include "opennurbs.h"

class CandidatePairs {
public:
  // Boxes by candidate index; an invalid box (a candidate that takes no
  // part) meets nothing.
  explicit CandidatePairs(const std::vector<ON_BoundingBox>& boxes);

  // The candidates j > i whose boxes meet box i, in increasing order.
  const int* RowBegin(int i) const { return m_columns.data() + m_row_start[i]; }
  const int* RowEnd(int i) const { return m_columns.data() + m_row_start[i + 1]; }

private:
  // Rows stored one after another: row i is m_columns[m_row_start[i] ..
  // m_row_start[i + 1]).
  std::vector<int> m_row_start;
  std::vector<int> m_columns;
};
