#include "mesh_cleanup.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <unordered_map>

namespace meshtools {
namespace {

struct CellKey {
  std::int64_t x, y, z;
  bool operator==(const CellKey&) const = default;
};

struct CellKeyHash {
  std::size_t operator()(const CellKey& k) const {
    std::uint64_t h = static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<std::uint64_t>(k.y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
    h ^= static_cast<std::uint64_t>(k.z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
    return static_cast<std::size_t>(h);
  }
};

// Greedy weld of the vertices whose flag is set (all when `only` is empty).
// Fills `remap` with the surviving vertex of every vertex; returns the number
// of vertices merged away.
int BuildWeldMap(const TriMesh& mesh, double distance, const std::vector<char>& only,
                 std::vector<int>& remap) {
  const int n = mesh.VertexCount();
  remap.resize(n);
  for (int i = 0; i < n; ++i) remap[i] = i;
  if (!(distance > 0.0)) distance = 0.0;
  // Cells twice the weld distance wide: a partner within the distance lies in
  // this cell or in a neighbour the point is close to, so most points look up
  // one cell only.
  const double cell = distance > 0.0 ? 2.0 * distance : 1.0;
  std::unordered_map<CellKey, std::vector<int>, CellKeyHash> grid;
  grid.reserve(static_cast<std::size_t>(n));
  int merged = 0;
  const double* p = mesh.xyz.data();
  for (int v = 0; v < n; ++v) {
    if (!only.empty() && !only[v]) continue;
    const double x = p[3 * v], y = p[3 * v + 1], z = p[3 * v + 2];
    const double fx = x / cell, fy = y / cell, fz = z / cell;
    const CellKey home{static_cast<std::int64_t>(std::floor(fx)),
                       static_cast<std::int64_t>(std::floor(fy)),
                       static_cast<std::int64_t>(std::floor(fz))};
    // Which neighbours can hold a partner: only those on a side the point is
    // within `distance` of.
    auto span = [&](double f, std::int64_t c, int& lo, int& hi) {
      const double frac = (f - static_cast<double>(c)) * cell;
      lo = frac <= distance ? -1 : 0;
      hi = cell - frac <= distance ? 1 : 0;
    };
    int lx, hx, ly, hy, lz, hz;
    span(fx, home.x, lx, hx);
    span(fy, home.y, ly, hy);
    span(fz, home.z, lz, hz);
    int found = -1;
    for (int dx = lx; dx <= hx && found < 0; ++dx)
      for (int dy = ly; dy <= hy && found < 0; ++dy)
        for (int dz = lz; dz <= hz && found < 0; ++dz) {
          auto it = grid.find(CellKey{home.x + dx, home.y + dy, home.z + dz});
          if (it == grid.end()) continue;
          for (int r : it->second) {
            if (std::fabs(p[3 * r] - x) <= distance && std::fabs(p[3 * r + 1] - y) <= distance &&
                std::fabs(p[3 * r + 2] - z) <= distance) {
              found = r;
              break;
            }
          }
        }
    if (found >= 0) {
      remap[v] = found;
      ++merged;
    } else {
      grid[home].push_back(v);
    }
  }
  return merged;
}

int ApplyWeldMap(TriMesh& mesh, const std::vector<int>& remap, int merged) {
  if (merged == 0) return 0;
  for (int& c : mesh.tri) c = remap[c];
  DropCollapsedTriangles(mesh);
  RemoveUnusedVertices(mesh);
  return merged;
}

}  // namespace

bool IsWellFormed(const TriMesh& mesh) {
  if (mesh.xyz.size() % 3 != 0 || mesh.tri.size() % 3 != 0) return false;
  for (double c : mesh.xyz)
    if (!std::isfinite(c) || std::fabs(c) > kMaxCoordinate) return false;
  const int n = mesh.VertexCount();
  for (int c : mesh.tri)
    if (c < 0 || c >= n) return false;
  return true;
}

double UsedMagnitude(const TriMesh& mesh) {
  double m = 0.0;
  for (int c : mesh.tri)
    for (int k = 0; k < 3; ++k) m = std::max(m, std::fabs(mesh.xyz[3 * c + k]));
  return m;
}

double WeldDistance(const TriMesh& mesh, double tolerance) {
  if (!std::isfinite(tolerance) || tolerance < 0.0) tolerance = 0.0;
  return std::max(tolerance, 2.0 * FLT_EPSILON * UsedMagnitude(mesh));
}

int WeldVertices(TriMesh& mesh, double distance) {
  std::vector<int> remap;
  const int merged = BuildWeldMap(mesh, distance, {}, remap);
  return ApplyWeldMap(mesh, remap, merged);
}

int WeldBoundaryVertices(TriMesh& mesh, double distance) {
  // An edge is naked when it is used once, in either direction.
  std::unordered_map<std::uint64_t, int> uses;
  uses.reserve(mesh.tri.size());
  auto key = [](int a, int b) {
    if (a > b) std::swap(a, b);
    return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(a)) << 32) |
           static_cast<std::uint32_t>(b);
  };
  const int t = mesh.TriangleCount();
  for (int f = 0; f < t; ++f)
    for (int k = 0; k < 3; ++k) ++uses[key(mesh.tri[3 * f + k], mesh.tri[3 * f + (k + 1) % 3])];
  std::vector<char> naked(mesh.VertexCount(), 0);
  for (int f = 0; f < t; ++f)
    for (int k = 0; k < 3; ++k) {
      const int a = mesh.tri[3 * f + k], b = mesh.tri[3 * f + (k + 1) % 3];
      if (uses[key(a, b)] == 1) naked[a] = naked[b] = 1;
    }
  std::vector<int> remap;
  const int merged = BuildWeldMap(mesh, distance, naked, remap);
  return ApplyWeldMap(mesh, remap, merged);
}

int DropCollapsedTriangles(TriMesh& mesh) {
  std::size_t out = 0;
  const std::size_t n = mesh.tri.size();
  for (std::size_t i = 0; i + 2 < n; i += 3) {
    const int a = mesh.tri[i], b = mesh.tri[i + 1], c = mesh.tri[i + 2];
    if (a == b || b == c || a == c) continue;
    mesh.tri[out] = a;
    mesh.tri[out + 1] = b;
    mesh.tri[out + 2] = c;
    out += 3;
  }
  mesh.tri.resize(out);
  return static_cast<int>((n - out) / 3);
}

void RemoveUnusedVertices(TriMesh& mesh) {
  std::vector<int> renumber(mesh.VertexCount(), -1);
  for (int c : mesh.tri) renumber[c] = 0;
  int next = 0;
  for (int v = 0; v < mesh.VertexCount(); ++v) {
    if (renumber[v] < 0) continue;
    renumber[v] = next;
    if (next != v)
      for (int k = 0; k < 3; ++k) mesh.xyz[3 * next + k] = mesh.xyz[3 * v + k];
    ++next;
  }
  mesh.xyz.resize(3 * static_cast<std::size_t>(next));
  for (int& c : mesh.tri) c = renumber[c];
}

void RoundToSinglePrecision(TriMesh& mesh) {
  for (double& c : mesh.xyz) c = static_cast<double>(static_cast<float>(c));
}

}  // namespace meshtools
