#include "near_copies.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace meshtools {
namespace {

using Triangle = std::array<int, 3>;

// The triangle starting at its smallest index, turning order kept.
Triangle Canonical(int a, int b, int c) {
  if (b < a && b < c) return {b, c, a};
  if (c < a && c < b) return {c, a, b};
  return {a, b, c};
}

std::uint64_t CellKey(std::int64_t i, std::int64_t j, std::int64_t k) {
  return static_cast<std::uint64_t>(i) * 73856093u ^ static_cast<std::uint64_t>(j) * 19349663u ^
         static_cast<std::uint64_t>(k) * 83492791u;
}

} // namespace

bool NearCopies::SeenBefore(const TriMesh& mesh) {
  Met m{&mesh, {HUGE_VAL, HUGE_VAL, HUGE_VAL}, {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL}};
  for (std::size_t i = 0; i < mesh.xyz.size(); ++i) {
    m.low[i % 3] = std::min(m.low[i % 3], mesh.xyz[i]);
    m.high[i % 3] = std::max(m.high[i % 3], mesh.xyz[i]);
  }
  const double drift = CopyDrift(mesh);
  // Boxes first: copies' boxes differ by the drift at most, and most meshes
  // that are not copies are told apart by them without building anything.
  for (const Met& other : met_) {
    bool boxes_match = other.mesh->TriangleCount() == mesh.TriangleCount();
    for (int k = 0; k < 3 && boxes_match; ++k)
      boxes_match = std::fabs(other.low[k] - m.low[k]) <= drift &&
                    std::fabs(other.high[k] - m.high[k]) <= drift;
    if (boxes_match && IsNearCopy(*other.mesh, mesh, drift)) return true;
  }
  met_.push_back(m);
  return false;
}

double CopyDrift(const TriMesh& mesh) {
  double largest = 0.0;
  for (double x : mesh.xyz)
    largest = std::max(largest, std::fabs(x));
  return 8.0 * FLT_EPSILON * largest;
}

bool IsNearCopy(const TriMesh& a, const TriMesh& b, double distance) {
  if (a.VertexCount() != b.VertexCount() || a.TriangleCount() != b.TriangleCount() ||
      !(distance > 0.0) || a.Empty())
    return false;
  // Vertices of `a` in cells twice the distance wide: a partner within the
  // distance lies in the cell of the point or a neighbouring one.
  const double cell = 2.0 * distance;
  auto cell_of = [cell](double x) { return static_cast<std::int64_t>(std::floor(x / cell)); };
  std::unordered_map<std::uint64_t, std::vector<int>> grid;
  grid.reserve(static_cast<std::size_t>(a.VertexCount()));
  for (int v = 0; v < a.VertexCount(); ++v) {
    const double* p = &a.xyz[3 * static_cast<std::size_t>(v)];
    if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return false;
    grid[CellKey(cell_of(p[0]), cell_of(p[1]), cell_of(p[2]))].push_back(v);
  }
  std::vector<int> partner(static_cast<std::size_t>(b.VertexCount()), -1);
  std::vector<char> taken(static_cast<std::size_t>(a.VertexCount()), 0);
  for (int v = 0; v < b.VertexCount(); ++v) {
    const double* q = &b.xyz[3 * static_cast<std::size_t>(v)];
    if (!std::isfinite(q[0]) || !std::isfinite(q[1]) || !std::isfinite(q[2])) return false;
    const std::int64_t ci = cell_of(q[0]), cj = cell_of(q[1]), ck = cell_of(q[2]);
    int found = -1;
    for (std::int64_t i = ci - 1; i <= ci + 1; ++i)
      for (std::int64_t j = cj - 1; j <= cj + 1; ++j)
        for (std::int64_t k = ck - 1; k <= ck + 1; ++k) {
          const auto it = grid.find(CellKey(i, j, k));
          if (it == grid.end()) continue;
          for (int w : it->second) {
            const double* p = &a.xyz[3 * static_cast<std::size_t>(w)];
            if (std::fabs(p[0] - q[0]) > distance || std::fabs(p[1] - q[1]) > distance ||
                std::fabs(p[2] - q[2]) > distance)
              continue;
            if (found >= 0) return false; // two candidates: not a copy we can be sure of
            found = w;
          }
        }
    if (found < 0 || taken[static_cast<std::size_t>(found)]) return false;
    taken[static_cast<std::size_t>(found)] = 1;
    partner[static_cast<std::size_t>(v)] = found;
  }
  auto sorted_triangles = [](const TriMesh& m, const std::vector<int>* map) {
    std::vector<Triangle> out;
    out.reserve(static_cast<std::size_t>(m.TriangleCount()));
    for (int t = 0; t < m.TriangleCount(); ++t) {
      int c[3];
      for (int k = 0; k < 3; ++k) {
        const int v = m.tri[3 * static_cast<std::size_t>(t) + k];
        if (v < 0 || v >= m.VertexCount()) return std::vector<Triangle>{};
        c[k] = map != nullptr ? (*map)[static_cast<std::size_t>(v)] : v;
      }
      out.push_back(Canonical(c[0], c[1], c[2]));
    }
    std::sort(out.begin(), out.end());
    return out;
  };
  const std::vector<Triangle> mine = sorted_triangles(a, nullptr);
  return !mine.empty() && mine == sorted_triangles(b, &partner);
}

} // namespace meshtools
