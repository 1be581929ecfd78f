// The figures of one clash: kind, volume or area, box, centre, depth.

#include "clash_figures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <queue>
#include <utility>
#include <vector>

namespace {

bool SameMesh(const ON_Mesh& x, const ON_Mesh& y) {
  if (x.VertexCount() != y.VertexCount() || x.FaceCount() != y.FaceCount()) return false;
  for (int i = 0; i < x.VertexCount(); ++i)
    if (!(x.m_V[i] == y.m_V[i])) return false;
  for (int f = 0; f < x.FaceCount(); ++f)
    for (int k = 0; k < 4; ++k)
      if (x.m_F[f].vi[k] != y.m_F[f].vi[k]) return false;
  return true;
}

// Whether two closed objects are one solid twice (their surfaces coincide):
// the region then fills each of them. Volumes agree to rounding only, as
// the two may list their faces in other orders or be triangulated apart.
bool SameSolid(const ON_Mesh& a, const ON_Mesh& b, const ON_Mesh& region) {
  if (!a.IsClosed() || !b.IsClosed() || !region.IsClosed()) return false;
  const double va = std::fabs(a.Volume()), vb = std::fabs(b.Volume());
  const double vr = std::fabs(region.Volume());
  const double tolerance = 1e-6 * std::max(va, vb);
  return va > 0.0 && std::fabs(va - vb) <= tolerance && std::fabs(vr - va) <= tolerance;
}

// The region's faces as triangles of vertex indices (quads split along
// 0-2).
std::vector<std::array<int, 3>> RegionTriangles(const ON_Mesh& region) {
  std::vector<std::array<int, 3>> triangles;
  for (int f = 0; f < region.FaceCount(); ++f) {
    const ON_MeshFace& face = region.m_F[f];
    bool valid = true;
    for (int k = 0; k < 4; ++k)
      valid = valid && face.vi[k] >= 0 && face.vi[k] < region.VertexCount();
    if (!valid) continue;
    triangles.push_back({face.vi[0], face.vi[1], face.vi[2]});
    if (!face.IsTriangle()) triangles.push_back({face.vi[0], face.vi[2], face.vi[3]});
  }
  return triangles;
}

// How far `point` lies inside the object whose surface it is not on.
double DepthAt(const ReportCandidate& a, const ReportCandidate& b, const ON_3dPoint& point) {
  double to_a = 0.0, to_b = 0.0;
  ON_3dPoint closest;
  if (!a.Surface().DistanceTo(point, to_a, closest)) to_a = 0.0;
  if (!b.Surface().DistanceTo(point, to_b, closest)) to_b = 0.0;
  return std::max(to_a, to_b);
}

using Corners = std::array<ON_3dPoint, 3>;

// The finest grid has this many points in a row.
constexpr int kFinestGrid = 8;
constexpr size_t kFinestGridPoints = kFinestGrid + 1;

ON_3dPoint OnTriangle(const Corners& t, double u, double v) {
  return t[0] * (1.0 - u - v) + t[1] * u + t[2] * v;
}

// The deepest point of a barycentric grid of n steps on triangle t, as
// depth and (u, v). The grid's corners are the triangle's own, whose
// depths are known already. With `skip`, a point whose neighbour before it
// (in its row, or in the row before) bounds it to no more than the best so
// far is not measured: it could not have become the best (only a deeper
// point does), so the result is the same; its bound stands in for its
// depth when it bounds the points after it.
struct GridBest {
  double depth = 0.0, u = 0.0, v = 0.0;
};
GridBest DeepestOnGrid(const ReportCandidate& a, const ReportCandidate& b, const Corners& t,
                       const std::array<double, 3>& corner_depth, int n, bool skip) {
  // Steps between neighbours along u, along v and from (i - 1, j + 1), with
  // a little slack for the rounding of the points and their depths.
  const double slack = 1.0 + 1e-9;
  const double along_u = t[0].DistanceTo(t[1]) / n * slack + 1e-12;
  const double along_v = t[0].DistanceTo(t[2]) / n * slack + 1e-12;
  const double across = t[1].DistanceTo(t[2]) / n * slack + 1e-12;
  std::array<double, kFinestGridPoints> before{}, row{};
  GridBest best;
  for (int i = 0; i <= n; ++i) {
    for (int j = 0; i + j <= n; ++j) {
      const double u = static_cast<double>(i) / n, v = static_cast<double>(j) / n;
      double depth;
      if (i == 0 && j == 0) {
        depth = corner_depth[0];
      } else if (i == n) {
        depth = corner_depth[1];
      } else if (j == n) {
        depth = corner_depth[2];
      } else {
        double bound = std::numeric_limits<double>::infinity();
        if (skip && j > 0) bound = std::min(bound, row[static_cast<size_t>(j - 1)] + along_v);
        if (skip && i > 0) {
          bound = std::min(bound, before[static_cast<size_t>(j)] + along_u);
          bound = std::min(bound, before[static_cast<size_t>(j + 1)] + across);
        }
        if (bound <= best.depth) {
          row[static_cast<size_t>(j)] = bound;
          continue;
        }
        depth = DepthAt(a, b, OnTriangle(t, u, v));
      }
      row[static_cast<size_t>(j)] = depth;
      if (depth > best.depth) best = {depth, u, v};
    }
    before = row;
  }
  return best;
}

// Climbs from a grid point: a 5 x 5 pattern around the best point so far,
// its step halved each round. The depth inside an object is a concave
// function where the object is convex, so the climb reaches a maximum
// that lies between grid points, such as the middle of a face. Every
// point the remaining rounds can visit lies within 4 steps of the edges'
// lengths of the centre, and no deeper than the centre by more than that:
// once that cannot pass `deepest` (the deepest point known anywhere; a
// negative value turns this off) the climb stops, for it cannot change
// the result.
constexpr int kClimbRounds = 24;
double ClimbFrom(const ReportCandidate& a, const ReportCandidate& b, const Corners& t,
                 GridBest best, double step, double deepest) {
  const double reach = t[0].DistanceTo(t[1]) + t[0].DistanceTo(t[2]);
  // A round whose centre stayed put meets some points of the round before
  // at the very same (u, v) (halving the step is exact): their depths are
  // taken from there.
  GridBest last[24], seen[24];
  int last_count = 0;
  for (int round = 0; round < kClimbRounds; ++round, step *= 0.5) {
    if (deepest >= 0.0 && best.depth + 4.0 * step * reach <= deepest) break;
    const GridBest centre = best;
    int seen_count = 0;
    for (int i = -2; i <= 2; ++i)
      for (int j = -2; j <= 2; ++j) {
        if (i == 0 && j == 0) continue; // the centre itself: its depth is known
        const double u = centre.u + i * step, v = centre.v + j * step;
        if (u < 0.0 || v < 0.0 || u + v > 1.0) continue;
        double depth = -1.0;
        for (int k = 0; k < last_count && depth < 0.0; ++k)
          if (last[k].u == u && last[k].v == v) depth = last[k].depth;
        if (depth < 0.0) depth = DepthAt(a, b, OnTriangle(t, u, v));
        seen[seen_count++] = {depth, u, v};
        if (depth > best.depth) best = {depth, u, v};
      }
    std::copy(seen, seen + seen_count, last);
    last_count = seen_count;
  }
  return best.depth;
}

// A first grid on every face within a budget of about this many points,
// then a climb on the faces that came within a tenth of the deepest.
constexpr int kSampleBudget = 10000;
constexpr int kCoarsestGrid = 1;
constexpr size_t kClimbedFaces = 16;
constexpr double kClimbShare = 0.9;

} // namespace

// The depth is 1-Lipschitz: a point lies no deeper than a point of known
// depth plus its distance from it. Only two things of a face's grid matter:
// whether it holds the deepest point, and whether it is among the faces
// climbed (the kClimbedFaces deepest, within kClimbShare of the deepest).
// With `prune`, faces go in the order of a bound from their corners; a face
// whose bound (tightened by its centroid's depth) stays below both the
// share and the depth of the climbed faces' last is skipped, and once the
// corner bound drops below, so are all faces after it. Climbs stop once
// they cannot pass the deepest point. The result is the full search's.
double PenetrationDepth(const ReportCandidate& a, const ReportCandidate& b, const ON_Mesh& region,
                        bool prune) {
  std::vector<double> vertex_depth(static_cast<size_t>(region.VertexCount()));
  double depth = 0.0;
  for (int i = 0; i < region.VertexCount(); ++i) {
    vertex_depth[static_cast<size_t>(i)] = DepthAt(a, b, region.Vertex(i));
    depth = std::max(depth, vertex_depth[static_cast<size_t>(i)]);
  }
  const std::vector<std::array<int, 3>> triangles = RegionTriangles(region);
  if (triangles.empty()) return depth;
  // A grid of n steps puts (n + 1)(n + 2) / 2 points on a triangle.
  const double per_triangle = static_cast<double>(kSampleBudget) / triangles.size();
  const int n =
      std::clamp(static_cast<int>(std::sqrt(2.0 * per_triangle)) - 1, kCoarsestGrid, kFinestGrid);

  std::vector<Corners> corners(triangles.size());
  std::vector<std::array<double, 3>> corner_depths(triangles.size());
  std::vector<double> bound(triangles.size());
  for (size_t t = 0; t < triangles.size(); ++t) {
    double b_t = std::numeric_limits<double>::infinity();
    for (int k = 0; k < 3; ++k) {
      corners[t][k] = region.Vertex(triangles[t][k]);
      corner_depths[t][k] = vertex_depth[static_cast<size_t>(triangles[t][k])];
    }
    for (int k = 0; k < 3; ++k) {
      const double reach = std::max(corners[t][k].DistanceTo(corners[t][(k + 1) % 3]),
                                    corners[t][k].DistanceTo(corners[t][(k + 2) % 3]));
      b_t = std::min(b_t, corner_depths[t][k] + reach);
    }
    bound[t] = b_t;
  }
  std::vector<size_t> order(triangles.size());
  std::iota(order.begin(), order.end(), size_t{0});
  if (prune)
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t x, size_t y) { return bound[x] > bound[y]; });

  // The grid depths of the faces climbed so far, shallowest on top.
  std::priority_queue<double, std::vector<double>, std::greater<>> climbed;
  auto needed = [&] {
    const double last = climbed.size() < kClimbedFaces ? 0.0 : climbed.top();
    return std::max(kClimbShare * depth, last);
  };
  std::vector<std::pair<GridBest, size_t>> deepest;
  deepest.reserve(triangles.size());
  for (size_t t : order) {
    if (prune) {
      if (bound[t] < needed()) break;
      const ON_3dPoint centroid = (corners[t][0] + corners[t][1] + corners[t][2]) / 3.0;
      double reach = 0.0;
      for (int k = 0; k < 3; ++k)
        reach = std::max(reach, centroid.DistanceTo(corners[t][k]));
      if (DepthAt(a, b, centroid) + reach < needed()) continue;
    }
    deepest.push_back({DeepestOnGrid(a, b, corners[t], corner_depths[t], n, prune), t});
    depth = std::max(depth, deepest.back().first.depth);
    climbed.push(deepest.back().first.depth);
    if (climbed.size() > kClimbedFaces) climbed.pop();
  }
  // Deepest first; equal depths in face order, so the faces climbed do not
  // depend on the order the grids were taken in.
  std::sort(deepest.begin(), deepest.end(), [](const auto& x, const auto& y) {
    return x.first.depth != y.first.depth ? x.first.depth > y.first.depth : x.second < y.second;
  });
  for (size_t k = 0; k < deepest.size() && k < kClimbedFaces; ++k) {
    if (deepest[k].first.depth < kClimbShare * depth) break;
    depth = std::max(depth, ClimbFrom(a, b, corners[deepest[k].second], deepest[k].first,
                                      1.0 / n, prune ? depth : -1.0));
  }
  return depth;
}

void MeasureClash(const ReportCandidate& a, const ReportCandidate& b, const ON_Mesh& region,
                  ReportClash& clash) {
  MeasureClashRegion(a, b, region, clash);
  clash.penetration_depth = PenetrationDepth(a, b, region);
}

void MeasureClashRegion(const ReportCandidate& a, const ReportCandidate& b, const ON_Mesh& region,
                        ReportClash& clash) {
  if (SameSolid(*a.mesh, *b.mesh, region))
    clash.kind = ClashKind::duplicate;
  else if (SameMesh(region, *a.mesh) || SameMesh(region, *b.mesh))
    clash.kind = ClashKind::containment;
  else if (a.mesh->IsClosed() && b.mesh->IsClosed())
    clash.kind = ClashKind::boolean_region;
  else
    clash.kind = ClashKind::split_region;

  clash.region_closed = region.IsClosed();
  clash.area = region.Area();
  clash.volume = clash.region_closed ? std::fabs(region.Volume()) : 0.0;
  clash.box = region.BoundingBox();
  clash.centre = clash.box.IsValid() ? clash.box.Center() : ON_3dPoint::Origin;
}
