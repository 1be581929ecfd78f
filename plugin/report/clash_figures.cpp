// The figures of one clash: kind, volume or area, box, centre, depth.

#include "clash_figures.h"

#include <algorithm>
#include <array>
#include <cmath>
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

// The region's faces as triangles (quads split along 0-2).
std::vector<std::array<ON_3dPoint, 3>> RegionTriangles(const ON_Mesh& region) {
  std::vector<std::array<ON_3dPoint, 3>> triangles;
  for (int f = 0; f < region.FaceCount(); ++f) {
    const ON_MeshFace& face = region.m_F[f];
    bool valid = true;
    for (int k = 0; k < 4; ++k)
      valid = valid && face.vi[k] >= 0 && face.vi[k] < region.VertexCount();
    if (!valid) continue;
    triangles.push_back(
        {region.Vertex(face.vi[0]), region.Vertex(face.vi[1]), region.Vertex(face.vi[2])});
    if (!face.IsTriangle())
      triangles.push_back(
          {region.Vertex(face.vi[0]), region.Vertex(face.vi[2]), region.Vertex(face.vi[3])});
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

ON_3dPoint OnTriangle(const std::array<ON_3dPoint, 3>& t, double u, double v) {
  return t[0] * (1.0 - u - v) + t[1] * u + t[2] * v;
}

// The deepest point of a barycentric grid of n steps on triangle t, as
// depth and (u, v).
struct GridBest {
  double depth = 0.0, u = 0.0, v = 0.0;
};
GridBest DeepestOnGrid(const ReportCandidate& a, const ReportCandidate& b,
                       const std::array<ON_3dPoint, 3>& t, int n) {
  GridBest best;
  for (int i = 0; i <= n; ++i)
    for (int j = 0; i + j <= n; ++j) {
      const double u = static_cast<double>(i) / n, v = static_cast<double>(j) / n;
      const double depth = DepthAt(a, b, OnTriangle(t, u, v));
      if (depth > best.depth) best = {depth, u, v};
    }
  return best;
}

// Climbs from a grid point: a 5 x 5 pattern around the best point so far,
// its step halved each round. The depth inside an object is a concave
// function where the object is convex, so the climb reaches a maximum
// that lies between grid points, such as the middle of a face.
constexpr int kClimbRounds = 24;
double ClimbFrom(const ReportCandidate& a, const ReportCandidate& b,
                 const std::array<ON_3dPoint, 3>& t, GridBest best, double step) {
  for (int round = 0; round < kClimbRounds; ++round, step *= 0.5) {
    const GridBest centre = best;
    for (int i = -2; i <= 2; ++i)
      for (int j = -2; j <= 2; ++j) {
        const double u = centre.u + i * step, v = centre.v + j * step;
        if (u < 0.0 || v < 0.0 || u + v > 1.0) continue;
        const double depth = DepthAt(a, b, OnTriangle(t, u, v));
        if (depth > best.depth) best = {depth, u, v};
      }
  }
  return best.depth;
}

// A first grid on every face within a budget of about this many points,
// then a climb on the faces that came within a tenth of the deepest.
constexpr int kSampleBudget = 10000;
constexpr int kCoarsestGrid = 1, kFinestGrid = 8;
constexpr size_t kClimbedFaces = 16;

double PenetrationDepth(const ReportCandidate& a, const ReportCandidate& b, const ON_Mesh& region) {
  double depth = 0.0;
  for (int i = 0; i < region.VertexCount(); ++i)
    depth = std::max(depth, DepthAt(a, b, region.Vertex(i)));
  const std::vector<std::array<ON_3dPoint, 3>> triangles = RegionTriangles(region);
  if (triangles.empty()) return depth;
  // A grid of n steps puts (n + 1)(n + 2) / 2 points on a triangle.
  const double per_triangle = static_cast<double>(kSampleBudget) / triangles.size();
  const int n =
      std::clamp(static_cast<int>(std::sqrt(2.0 * per_triangle)) - 1, kCoarsestGrid, kFinestGrid);
  std::vector<std::pair<GridBest, size_t>> deepest(triangles.size());
  for (size_t t = 0; t < triangles.size(); ++t) {
    deepest[t] = {DeepestOnGrid(a, b, triangles[t], n), t};
    depth = std::max(depth, deepest[t].first.depth);
  }
  std::sort(deepest.begin(), deepest.end(),
            [](const auto& x, const auto& y) { return x.first.depth > y.first.depth; });
  for (size_t k = 0; k < deepest.size() && k < kClimbedFaces; ++k) {
    if (deepest[k].first.depth < 0.9 * depth) break;
    depth =
        std::max(depth, ClimbFrom(a, b, triangles[deepest[k].second], deepest[k].first, 1.0 / n));
  }
  return depth;
}

} // namespace

void MeasureClash(const ReportCandidate& a, const ReportCandidate& b, const ON_Mesh& region,
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
  clash.penetration_depth = PenetrationDepth(a, b, region);
}
