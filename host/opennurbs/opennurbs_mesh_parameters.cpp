#include "opennurbs_mesh_parameters.h"

#include <algorithm>
#include <cmath>

namespace {

ON_MeshParameters MakeFast() {
  ON_MeshParameters mp;
  mp.m_style = 1;
  mp.m_refine_angle = 20.0 * ON_PI / 180.0;
  mp.m_grid_min_count = 16;
  mp.m_relative_tolerance = 0.0;
  return mp;
}

ON_MeshParameters MakeQuality() {
  ON_MeshParameters mp;
  mp.m_style = 2;
  mp.m_refine_angle = 10.0 * ON_PI / 180.0;
  mp.m_grid_min_count = 32;
  mp.m_relative_tolerance = 0.001;
  return mp;
}

bool On(double v) {
  return v > 0.0 && std::isfinite(v);
}

constexpr int kMaxSegments = 1024;

int CountFrom(double v) {
  if (!(v < kMaxSegments)) return kMaxSegments; // also NaN
  return static_cast<int>(std::ceil(v - 1e-9));
}

} // namespace

const ON_MeshParameters ON_MeshParameters::FastRenderMesh = MakeFast();
const ON_MeshParameters ON_MeshParameters::QualityRenderMesh = MakeQuality();
const ON_MeshParameters ON_MeshParameters::DefaultMesh;

bool ON_MeshParameters::operator==(const ON_MeshParameters& o) const {
  return m_bJaggedSeams == o.m_bJaggedSeams && m_bComputeCurvature == o.m_bComputeCurvature &&
         m_bSimplePlanes == o.m_bSimplePlanes && m_bRefine == o.m_bRefine && m_style == o.m_style &&
         m_relative_tolerance == o.m_relative_tolerance && m_tolerance == o.m_tolerance &&
         m_min_tolerance == o.m_min_tolerance && m_min_edge_length == o.m_min_edge_length &&
         m_max_edge_length == o.m_max_edge_length && m_grid_aspect_ratio == o.m_grid_aspect_ratio &&
         m_grid_min_count == o.m_grid_min_count && m_grid_max_count == o.m_grid_max_count &&
         m_grid_angle == o.m_grid_angle && m_refine_angle == o.m_refine_angle;
}

int ON_MeshParameters::CompareGeometrySettings(const ON_MeshParameters& other) const {
  const ON_MeshParameters a = Effective(), b = other.Effective();
  auto cmp = [](double x, double y) { return x < y ? -1 : (x > y ? 1 : 0); };
  int c = 0;
  if ((c = cmp(a.m_bJaggedSeams, b.m_bJaggedSeams))) return c;
  if ((c = cmp(a.m_bSimplePlanes, b.m_bSimplePlanes))) return c;
  if ((c = cmp(a.m_refine_angle, b.m_refine_angle))) return c;
  if ((c = cmp(a.m_max_edge_length, b.m_max_edge_length))) return c;
  if ((c = cmp(a.m_tolerance, b.m_tolerance))) return c;
  if ((c = cmp(a.m_relative_tolerance, b.m_relative_tolerance))) return c;
  if ((c = cmp(a.m_grid_min_count, b.m_grid_min_count))) return c;
  return cmp(a.m_grid_max_count, b.m_grid_max_count);
}

ON_MeshParameters ON_MeshParameters::Effective() const {
  if (m_style != 9) return *this;
  ON_MeshParameters mp = FastRenderMesh;
  mp.m_style = 9;
  mp.m_bJaggedSeams = m_bJaggedSeams;
  mp.m_bComputeCurvature = m_bComputeCurvature;
  return mp;
}

int ON_MeshParameters::CircleSegmentCount(double radius) const {
  const ON_MeshParameters mp = Effective();
  int n = 3;
  if (On(mp.m_refine_angle)) n = std::max(n, CountFrom(2.0 * ON_PI / mp.m_refine_angle));
  if (On(radius)) {
    if (On(mp.m_max_edge_length))
      n = std::max(n, CountFrom(2.0 * ON_PI * radius / mp.m_max_edge_length));
    double tol = 0.0;
    if (On(mp.m_tolerance)) tol = mp.m_tolerance;
    if (On(mp.m_relative_tolerance)) {
      const double rel = mp.m_relative_tolerance * radius;
      tol = (tol > 0.0) ? std::min(tol, rel) : rel;
    }
    // Sagitta r (1 - cos(pi / n)) <= tol.
    if (tol > 0.0 && tol < radius)
      n = std::max(n, CountFrom(ON_PI / std::acos(1.0 - tol / radius)));
  }
  if (mp.m_grid_min_count > 0) n = std::max(n, std::min(mp.m_grid_min_count, kMaxSegments));
  if (mp.m_grid_max_count > 0) n = std::min(n, mp.m_grid_max_count);
  return std::clamp(n, 3, kMaxSegments);
}

int ON_MeshParameters::LineSegmentCount(double length) const {
  const ON_MeshParameters mp = Effective();
  int n = 1;
  if (On(length) && On(mp.m_max_edge_length))
    n = std::max(n, CountFrom(length / mp.m_max_edge_length));
  if (mp.m_grid_max_count > 0) n = std::min(n, mp.m_grid_max_count);
  return std::clamp(n, 1, kMaxSegments);
}
