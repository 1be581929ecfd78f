// Near triangles of the local road (see cgal_local_boolean.cpp for the
// whole idea): an input is read as given, closed and outward or declined,
// and the triangles of each surface that may meet the other are flagged,
// first by a grid over the overlap of the two boxes (cells a couple of
// triangles wide), then by a sweep over the candidates' boxes. Plain
// arrays only; the one exact predicate it needs lives with CGAL.
#include "near_triangles.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "mesh_cleanup.h"

namespace meshtools {
namespace {

constexpr double kEps = std::numeric_limits<double>::epsilon();

// Whether x is a float's value, read from its bits: a normal float has 24
// significant bits, so the low 29 of a double's 53 are zero. Only values
// below the normal floats go through a conversion.
bool IsSinglePrecision(double x) {
  std::uint64_t bits;
  std::memcpy(&bits, &x, sizeof bits);
  const int exponent = static_cast<int>((bits >> 52) & 0x7ff) - 1023;
  if (x == 0.0) return true;
  if (exponent > 127) return false; // too large, or not finite
  if (exponent >= -126) return (bits & ((std::uint64_t{1} << 29) - 1)) == 0;
  return ToSinglePrecision(x) == x;
}

} // namespace

// The floating-point cross product settles nearly every triangle; a
// near-zero one is left to the exact predicate.
bool Collinear(const double* p, const double* q, const double* r) {
  const double u[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
  const double w[3] = {r[0] - p[0], r[1] - p[1], r[2] - p[2]};
  for (int k = 0; k < 3; ++k) {
    const int i = (k + 1) % 3, j = (k + 2) % 3;
    const double a = u[i] * w[j], b = u[j] * w[i];
    if (std::fabs(a - b) > 4 * kEps * (std::fabs(a) + std::fabs(b))) return false;
  }
  return ExactlyCollinear(p, q, r);
}

bool ReadClosedInput(const TriMesh& m, ClosedInput& s) {
  s.mesh = &m;
  const int nv = m.VertexCount(), nt = m.TriangleCount(), nh = 3 * nt;
  if (nt < 4) return false;
  const int* tri = m.tri.data();
  // The halfedges leaving each vertex, in one row per vertex, each with the
  // vertex it runs to.
  std::vector<int> start(static_cast<std::size_t>(nv) + 1, 0);
  for (int c = 0; c < nh; c += 3) {
    const int p = tri[c], q = tri[c + 1], r = tri[c + 2];
    if (p == q || q == r || r == p) return false;
    ++start[p + 1];
    ++start[q + 1];
    ++start[r + 1];
  }
  for (int v = 0; v < nv; ++v) {
    if (start[v + 1] == 0) return false; // a vertex no triangle uses
    start[v + 1] += start[v];
  }
  struct Out {
    int to, halfedge;
  };
  // Every entry is written before it is read: left uninitialised rather
  // than cleared first.
  const std::unique_ptr<Out[]> rows(new Out[static_cast<std::size_t>(nh)]);
  {
    std::vector<int> fill(start.begin(), start.end() - 1);
    for (int c = 0; c < nh; c += 3)
      for (int k = 0; k < 3; ++k) {
        const int from = tri[c + k], to = tri[c + (k == 2 ? 0 : k + 1)];
        rows[fill[from]++] = Out{to, c + k};
      }
  }
  // The halfedge into v that comes before v's first outgoing one.
  s.into.resize(static_cast<std::size_t>(nv));
  for (int v = 0; v < nv; ++v) {
    const int c = rows[start[v]].halfedge;
    s.into[v] = c % 3 == 0 ? c + 2 : c - 1;
  }
  // Twins. Only the first match is taken, so a directed edge used twice
  // finds its twin taken and fails, as does an edge without a twin.
  s.opposite.assign(static_cast<std::size_t>(nh), -1);
  for (int c = 0; c < nh; c += 3)
    for (int k = 0; k < 3; ++k) {
      if (s.opposite[c + k] >= 0) continue;
      const int a = tri[c + k], b = tri[c + (k == 2 ? 0 : k + 1)];
      int twin = -1;
      for (int i = start[b], end = start[b + 1]; i < end; ++i)
        if (rows[i].to == a) {
          twin = rows[i].halfedge;
          break;
        }
      if (twin < 0 || s.opposite[twin] >= 0) return false;
      s.opposite[c + k] = twin;
      s.opposite[twin] = c + k;
    }
  const double* xyz = m.xyz.data();
  for (int k = 0; k < 3; ++k) {
    s.lo[k] = HUGE_VAL;
    s.hi[k] = -HUGE_VAL;
  }
  for (std::size_t i = 0; i < m.xyz.size(); i += 3)
    for (int k = 0; k < 3; ++k) {
      const double x = xyz[i + k];
      s.lo[k] = std::min(s.lo[k], x);
      s.hi[k] = std::max(s.hi[k], x);
      s.single_precision = s.single_precision && IsSinglePrecision(x);
    }
  // Outward: positive volume, summed about the box centre.
  const double centre[3] = {(s.lo[0] + s.hi[0]) / 2, (s.lo[1] + s.hi[1]) / 2,
                            (s.lo[2] + s.hi[2]) / 2};
  double volume = 0.0;
  for (int t = 0; t < nt; ++t) {
    const double* p = xyz + 3 * tri[3 * t];
    const double* q = xyz + 3 * tri[3 * t + 1];
    const double* r = xyz + 3 * tri[3 * t + 2];
    if (Collinear(p, q, r)) return false;
    const double a[3] = {p[0] - centre[0], p[1] - centre[1], p[2] - centre[2]};
    const double b[3] = {q[0] - centre[0], q[1] - centre[1], q[2] - centre[2]};
    const double c[3] = {r[0] - centre[0], r[1] - centre[1], r[2] - centre[2]};
    volume += a[0] * (b[1] * c[2] - b[2] * c[1]) - a[1] * (b[0] * c[2] - b[2] * c[0]) +
              a[2] * (b[0] * c[1] - b[1] * c[0]);
  }
  return volume > 0.0;
}

namespace {

// A grid over the overlap of the two solids' boxes. A triangle covers the
// cells its box spans; a large one only those its plane passes near. Two
// triangles that meet share the cell of a common point, so a triangle
// sharing no cell with the other surface cannot meet it.
class Grid {
public:
  static constexpr std::size_t kMostCells = std::size_t{1} << 22;

  Grid(const double* lo, const double* hi, double cell) {
    for (int k = 0; k < 3; ++k)
      lo_[k] = lo[k];
    for (;;) {
      std::size_t cells = 1;
      for (int k = 0; k < 3; ++k) {
        const double n = std::ceil((hi[k] - lo[k]) / cell);
        n_[k] = static_cast<int>(std::clamp(n, 1.0, 1024.0));
        cells *= static_cast<std::size_t>(n_[k]);
      }
      if (cells <= kMostCells) break;
      cell *= 1.26;
    }
    cell_ = cell;
    for (int k = 0; k < 3; ++k)
      magnitude_ = std::max({magnitude_, std::fabs(lo[k]), std::fabs(lo[k] + n_[k] * cell)});
  }

  std::size_t CellCount() const { return static_cast<std::size_t>(n_[0]) * n_[1] * n_[2]; }

  // Calls visit(cell index) for each cell triangle pqr covers; stops and
  // returns true as soon as visit does.
  template <class Visit>
  bool Cover(const double* p, const double* q, const double* r, Visit visit) const {
    int c0[3], c1[3];
    long span = 1;
    for (int k = 0; k < 3; ++k) {
      c0[k] = Cell(std::min({p[k], q[k], r[k]}), k);
      c1[k] = Cell(std::max({p[k], q[k], r[k]}), k);
      span *= c1[k] - c0[k] + 1;
    }
    // Large triangles keep only the cells near their plane. The margin is a
    // tenth of a cell, and what rounding at the grid's magnitude could add.
    double n[3] = {0, 0, 0}, reach = 0, offset = 0;
    const bool by_plane = span > 27;
    if (by_plane) {
      const double u[3] = {q[0] - p[0], q[1] - p[1], q[2] - p[2]};
      const double w[3] = {r[0] - p[0], r[1] - p[1], r[2] - p[2]};
      n[0] = u[1] * w[2] - u[2] * w[1];
      n[1] = u[2] * w[0] - u[0] * w[2];
      n[2] = u[0] * w[1] - u[1] * w[0];
      double big = magnitude_;
      for (int k = 0; k < 3; ++k)
        big = std::max({big, std::fabs(p[k]), std::fabs(q[k]), std::fabs(r[k])});
      // The normal itself is off by rounding too, which matters across the
      // triangle's whole box (a long sliver's normal is poorly known).
      const double eps = std::numeric_limits<double>::epsilon();
      double across = 0.0, lu = 0.0, lw = 0.0;
      for (int k = 0; k < 3; ++k) {
        across += (c1[k] - c0[k] + 2) * cell_;
        lu += std::fabs(u[k]);
        lw += std::fabs(w[k]);
      }
      reach =
          (0.6 * cell_ + 64 * eps * big) * (std::fabs(n[0]) + std::fabs(n[1]) + std::fabs(n[2])) +
          16 * eps * lu * lw * across;
      offset = n[0] * p[0] + n[1] * p[1] + n[2] * p[2];
    }
    for (int i = c0[0]; i <= c1[0]; ++i)
      for (int j = c0[1]; j <= c1[1]; ++j)
        for (int k = c0[2]; k <= c1[2]; ++k) {
          if (by_plane) {
            const double x = lo_[0] + (i + 0.5) * cell_, y = lo_[1] + (j + 0.5) * cell_,
                         z = lo_[2] + (k + 0.5) * cell_;
            if (std::fabs(n[0] * x + n[1] * y + n[2] * z - offset) > reach) continue;
          }
          if (visit((static_cast<std::size_t>(i) * n_[1] + j) * n_[2] + k)) return true;
        }
    return false;
  }

private:
  int Cell(double x, int k) const {
    const double c = (x - lo_[k]) / cell_;
    if (!(c > 0.0)) return 0;
    if (c >= n_[k]) return n_[k] - 1;
    return static_cast<int>(c);
  }

  double lo_[3];
  double cell_ = 1.0;
  double magnitude_ = 0.0; // largest coordinate the grid spans
  int n_[3] = {1, 1, 1};
};

// Mean box size of a sample of the mesh's triangles.
double TypicalTriangleSize(const TriMesh& m) {
  const int nt = m.TriangleCount();
  const int step = std::max(1, nt / 2048);
  double sum = 0.0;
  int count = 0;
  for (int t = 0; t < nt; t += step, ++count) {
    const double* p = &m.xyz[3 * m.tri[3 * t]];
    const double* q = &m.xyz[3 * m.tri[3 * t + 1]];
    const double* r = &m.xyz[3 * m.tri[3 * t + 2]];
    double size = 0.0;
    for (int k = 0; k < 3; ++k)
      size = std::max(size, std::max({p[k], q[k], r[k]}) - std::min({p[k], q[k], r[k]}));
    sum += size;
  }
  return count > 0 ? sum / count : 0.0;
}

bool BoxMeets(const TriMesh& m, int t, const double* lo, const double* hi) {
  for (int k = 0; k < 3; ++k) {
    const double a = m.xyz[3 * m.tri[3 * t] + k], b = m.xyz[3 * m.tri[3 * t + 1] + k],
                 c = m.xyz[3 * m.tri[3 * t + 2] + k];
    if (std::max({a, b, c}) < lo[k] || std::min({a, b, c}) > hi[k]) return false;
  }
  return true;
}

struct TriangleBox {
  double lo[3], hi[3];
  int triangle;
};

std::vector<TriangleBox> BoxesOfFlagged(const TriMesh& m, const std::vector<char>& flags) {
  std::vector<TriangleBox> boxes;
  for (int t = 0; t < m.TriangleCount(); ++t) {
    if (!flags[t]) continue;
    TriangleBox box;
    box.triangle = t;
    for (int k = 0; k < 3; ++k) {
      const double a = m.xyz[3 * m.tri[3 * t] + k], b = m.xyz[3 * m.tri[3 * t + 1] + k],
                   c = m.xyz[3 * m.tri[3 * t + 2] + k];
      box.lo[k] = std::min({a, b, c});
      box.hi[k] = std::max({a, b, c});
    }
    boxes.push_back(box);
  }
  std::sort(boxes.begin(), boxes.end(),
            [](const TriangleBox& x, const TriangleBox& y) { return x.lo[0] < y.lo[0]; });
  return boxes;
}

// Keeps flagged only the triangles whose box meets the box of a flagged
// triangle of the other surface: the grid's cells are coarse, and a large
// flat triangle (a cutter's side) covers a band of cells as wide as one.
// A sweep along x: of two boxes that meet, one starts within the other's
// x range, and is found from it.
void KeepMeetingBoxes(const TriMesh& a, const TriMesh& b, std::vector<char>& near_a,
                      std::vector<char>& near_b) {
  const std::vector<TriangleBox> ba = BoxesOfFlagged(a, near_a), bb = BoxesOfFlagged(b, near_b);
  std::vector<char> hit_a(ba.size(), 0), hit_b(bb.size(), 0);
  auto meet = [](const TriangleBox& x, const TriangleBox& y) {
    return x.lo[1] <= y.hi[1] && y.lo[1] <= x.hi[1] && x.lo[2] <= y.hi[2] && y.lo[2] <= x.hi[2];
  };
  std::size_t i = 0, j = 0;
  while (i < ba.size() && j < bb.size()) {
    if (ba[i].lo[0] <= bb[j].lo[0]) {
      for (std::size_t k = j; k < bb.size() && bb[k].lo[0] <= ba[i].hi[0]; ++k)
        if ((!hit_a[i] || !hit_b[k]) && meet(ba[i], bb[k])) hit_a[i] = hit_b[k] = 1;
      ++i;
    } else {
      for (std::size_t k = i; k < ba.size() && ba[k].lo[0] <= bb[j].hi[0]; ++k)
        if ((!hit_a[k] || !hit_b[j]) && meet(ba[k], bb[j])) hit_a[k] = hit_b[j] = 1;
      ++j;
    }
  }
  for (std::size_t k = 0; k < ba.size(); ++k)
    near_a[ba[k].triangle] = hit_a[k];
  for (std::size_t k = 0; k < bb.size(); ++k)
    near_b[bb[k].triangle] = hit_b[k];
}

} // namespace

// Candidates by the grid, then kept by the box sweep.
void SelectNear(const ClosedInput& a, const ClosedInput& b, std::vector<char>& near_a,
                std::vector<char>& near_b) {
  double lo[3], hi[3];
  for (int k = 0; k < 3; ++k) {
    lo[k] = std::max(a.lo[k], b.lo[k]);
    hi[k] = std::min(a.hi[k], b.hi[k]);
  }
  const double size = std::min(TypicalTriangleSize(*a.mesh), TypicalTriangleSize(*b.mesh));
  double extent = 0.0;
  for (int k = 0; k < 3; ++k)
    extent = std::max(extent, hi[k] - lo[k]);
  const Grid grid(lo, hi, std::max(2.0 * size, extent / 1024.0 + 1e-300));
  // The triangles whose boxes meet the overlap are the candidates.
  auto candidates = [&](const TriMesh& m) {
    std::vector<int> list;
    for (int t = 0; t < m.TriangleCount(); ++t)
      if (BoxMeets(m, t, lo, hi)) list.push_back(t);
    return list;
  };
  const std::vector<int> cand_a = candidates(*a.mesh), cand_b = candidates(*b.mesh);
  auto corners = [](const TriMesh& m, int t, const double** p) {
    for (int k = 0; k < 3; ++k)
      p[k] = &m.xyz[3 * m.tri[3 * t + k]];
  };
  auto mark = [&](const TriMesh& m, const std::vector<int>& list) {
    std::vector<std::uint64_t> bits((grid.CellCount() + 63) / 64, 0);
    const double* p[3];
    for (int t : list) {
      corners(m, t, p);
      grid.Cover(p[0], p[1], p[2], [&bits](std::size_t cell) {
        bits[cell >> 6] |= std::uint64_t{1} << (cell & 63);
        return false;
      });
    }
    return bits;
  };
  auto test = [&](const TriMesh& m, const std::vector<int>& list,
                  const std::vector<std::uint64_t>& other, std::vector<char>& near) {
    near.assign(static_cast<std::size_t>(m.TriangleCount()), 0);
    const double* p[3];
    for (int t : list) {
      corners(m, t, p);
      near[t] = grid.Cover(p[0], p[1], p[2], [&other](std::size_t cell) {
        return (other[cell >> 6] >> (cell & 63)) & 1;
      });
    }
  };
  const std::vector<std::uint64_t> bits_a = mark(*a.mesh, cand_a), bits_b = mark(*b.mesh, cand_b);
  test(*a.mesh, cand_a, bits_b, near_a);
  test(*b.mesh, cand_b, bits_a, near_b);
  KeepMeetingBoxes(*a.mesh, *b.mesh, near_a, near_b);
}

void CloseNearFans(const ClosedInput& s, std::vector<char>& near) {
  const int* tri = s.mesh->tri.data();
  std::vector<int> work;
  for (std::size_t t = 0; t < near.size(); ++t)
    if (near[t])
      for (int k = 0; k < 3; ++k)
        work.push_back(tri[3 * t + k]);
  std::vector<int> fan;
  while (!work.empty()) {
    const int v = work.back();
    work.pop_back();
    fan.clear();
    const int first = s.into[v];
    int h = first;
    do {
      fan.push_back(h / 3);
      h = s.opposite[NextCorner(h)];
    } while (h != first);
    int changes = 0;
    for (std::size_t i = 0; i < fan.size(); ++i)
      changes += near[fan[i]] != near[fan[(i + 1) % fan.size()]];
    if (changes <= 2) continue;
    for (int t : fan)
      if (!near[t]) {
        near[t] = 1;
        for (int k = 0; k < 3; ++k)
          work.push_back(tri[3 * t + k]);
      }
  }
}

} // namespace meshtools
