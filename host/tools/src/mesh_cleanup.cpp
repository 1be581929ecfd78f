#include "mesh_cleanup.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdint>
#include <unordered_map>

#include "joined_groups.h"

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
  for (int i = 0; i < n; ++i)
    remap[i] = i;
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
  for (int& c : mesh.tri)
    c = remap[c];
  DropCollapsedTriangles(mesh);
  RemoveUnusedVertices(mesh);
  return merged;
}

} // namespace

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
    for (int k = 0; k < 3; ++k)
      m = std::max(m, std::fabs(mesh.xyz[3 * c + k]));
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
    for (int k = 0; k < 3; ++k)
      ++uses[key(mesh.tri[3 * f + k], mesh.tri[3 * f + (k + 1) % 3])];
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
  for (int c : mesh.tri)
    renumber[c] = 0;
  int next = 0;
  for (int v = 0; v < mesh.VertexCount(); ++v) {
    if (renumber[v] < 0) continue;
    renumber[v] = next;
    if (next != v)
      for (int k = 0; k < 3; ++k)
        mesh.xyz[3 * next + k] = mesh.xyz[3 * v + k];
    ++next;
  }
  mesh.xyz.resize(3 * static_cast<std::size_t>(next));
  for (int& c : mesh.tri)
    c = renumber[c];
}

void RoundToSinglePrecision(TriMesh& mesh) {
  for (double& c : mesh.xyz)
    c = ToSinglePrecision(c);
}

void CleanRoundedSurface(TriMesh& mesh) {
  // Coordinates are floats here, so their differences and the products of
  // those are exact in double: the cross product is zero exactly when the
  // corners are collinear (or two of them coincide).
  auto flat = [&](std::size_t i) {
    const double* p = mesh.xyz.data();
    const double* a = p + 3 * mesh.tri[i];
    const double* b = p + 3 * mesh.tri[i + 1];
    const double* c = p + 3 * mesh.tri[i + 2];
    const double u[3] = {b[0] - a[0], b[1] - a[1], b[2] - a[2]};
    const double w[3] = {c[0] - a[0], c[1] - a[1], c[2] - a[2]};
    return u[1] * w[2] == u[2] * w[1] && u[2] * w[0] == u[0] * w[2] && u[0] * w[1] == u[1] * w[0];
  };
  bool any = false;
  for (std::size_t i = 0; i + 2 < mesh.tri.size() && !any; i += 3)
    any = flat(i);
  if (!any) return; // the usual case: nothing collapsed, no weld needed
  WeldVertices(mesh, 0.0);
  std::size_t out = 0;
  for (std::size_t i = 0; i + 2 < mesh.tri.size(); i += 3) {
    if (flat(i)) continue;
    for (int k = 0; k < 3; ++k)
      mesh.tri[out + k] = mesh.tri[i + k];
    out += 3;
  }
  mesh.tri.resize(out);
  RemoveUnusedVertices(mesh);
}

namespace {
bool BoxInside(const ShellMeasure& inner, const ShellMeasure& outer) {
  for (int k = 0; k < 3; ++k)
    if (inner.lo[k] < outer.lo[k] || inner.hi[k] > outer.hi[k]) return false;
  return true;
}
} // namespace

std::vector<int> CavityOwners(const std::vector<ShellMeasure>& shells) {
  std::vector<int> owner(shells.size(), -1);
  for (std::size_t c = 0; c < shells.size(); ++c) {
    if (shells[c].volume >= 0.0) continue;
    double best = 0.0;
    for (std::size_t d = 0; d < shells.size(); ++d) {
      if (d == c || shells[d].volume <= 0.0 || !BoxInside(shells[c], shells[d])) continue;
      if (owner[c] < 0 || shells[d].volume < best) {
        owner[c] = static_cast<int>(d);
        best = shells[d].volume;
      }
    }
  }
  return owner;
}

bool FindInvertedShells(const TriMesh& mesh, std::vector<char>& flip, int* shell_count) {
  const int nv = mesh.VertexCount(), nt = mesh.TriangleCount();
  JoinedGroups<int> joined(static_cast<std::size_t>(nv));
  int parts = nv;
  for (int t = 0; t < nt; ++t)
    for (int k = 1; k < 3; ++k)
      if (joined.Join(mesh.tri[3 * t], mesh.tri[3 * t + k])) --parts;
  if (shell_count != nullptr) *shell_count = parts;
  if (parts == 1 && nt > 0) {
    // One shell, the usual case: no cavities to tell apart, so its volume
    // alone decides, summed about one of its own corners for precision.
    const double* o = mesh.xyz.data() + 3 * mesh.tri[0];
    double volume = 0.0;
    for (int t = 0; t < nt; ++t) {
      const double* a = mesh.xyz.data() + 3 * mesh.tri[3 * t];
      const double* b = mesh.xyz.data() + 3 * mesh.tri[3 * t + 1];
      const double* c = mesh.xyz.data() + 3 * mesh.tri[3 * t + 2];
      const double p[3] = {a[0] - o[0], a[1] - o[1], a[2] - o[2]};
      const double q[3] = {b[0] - o[0], b[1] - o[1], b[2] - o[2]};
      const double r[3] = {c[0] - o[0], c[1] - o[1], c[2] - o[2]};
      volume += p[0] * (q[1] * r[2] - q[2] * r[1]) - p[1] * (q[0] * r[2] - q[2] * r[0]) +
                p[2] * (q[0] * r[1] - q[1] * r[0]);
    }
    flip.assign(static_cast<std::size_t>(nt), volume < 0.0 ? 1 : 0);
    return volume < 0.0;
  }
  std::vector<int> shell_of_root(static_cast<std::size_t>(nv), -1);
  std::vector<int> shell(static_cast<std::size_t>(nt));
  std::vector<ShellMeasure> shells;
  // Volumes about the mesh's centre, so far offsets do not swamp the sum.
  double lo[3] = {HUGE_VAL, HUGE_VAL, HUGE_VAL}, hi[3] = {-HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (int c : mesh.tri)
    for (int k = 0; k < 3; ++k) {
      lo[k] = std::min(lo[k], mesh.xyz[3 * c + k]);
      hi[k] = std::max(hi[k], mesh.xyz[3 * c + k]);
    }
  const double centre[3] = {(lo[0] + hi[0]) / 2, (lo[1] + hi[1]) / 2, (lo[2] + hi[2]) / 2};
  for (int t = 0; t < nt; ++t) {
    int& s = shell_of_root[joined.Root(mesh.tri[3 * t])];
    if (s < 0) {
      s = static_cast<int>(shells.size());
      shells.emplace_back();
      for (int k = 0; k < 3; ++k) {
        shells.back().lo[k] = HUGE_VAL;
        shells.back().hi[k] = -HUGE_VAL;
      }
    }
    shell[t] = s;
    ShellMeasure& m = shells[s];
    double p[3][3];
    for (int i = 0; i < 3; ++i)
      for (int k = 0; k < 3; ++k) {
        const double x = mesh.xyz[3 * mesh.tri[3 * t + i] + k];
        m.lo[k] = std::min(m.lo[k], x);
        m.hi[k] = std::max(m.hi[k], x);
        p[i][k] = x - centre[k];
      }
    m.volume += (p[0][0] * (p[1][1] * p[2][2] - p[1][2] * p[2][1]) -
                 p[0][1] * (p[1][0] * p[2][2] - p[1][2] * p[2][0]) +
                 p[0][2] * (p[1][0] * p[2][1] - p[1][1] * p[2][0])) /
                6.0;
  }
  const std::vector<int> owner = CavityOwners(shells);
  bool any = false;
  flip.assign(static_cast<std::size_t>(nt), 0);
  for (int t = 0; t < nt; ++t)
    if (shells[shell[t]].volume < 0.0 && owner[shell[t]] < 0) flip[t] = any = true;
  return any;
}

} // namespace meshtools
