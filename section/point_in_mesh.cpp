// Ray-parity point test. For a target face i the ray runs from P
// (parameter 0) through the centroid G of the face's first three corners
// (parameter 1). Every face j is split into its triangles; a triangle whose
// plane the ray meets at t >= 0 inside the triangle is a crossing, one met
// on its border makes the ray ambiguous. Hits behind P (t < 0) do not
// count, but any hit on a plane that P itself lies on means P is on the
// surface, and the answer is "outside".

#include "point_in_mesh.h"

#include <cmath>

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;      // 2^-52
constexpr double kOnePlusEpsilon = 1.0000000000000002;  // 1 + 2^-52
constexpr double kOneMinusEpsilon = 0.9999999999999998; // 1 - 2^-52

// 100 x the square root of the double epsilon, computed the same way the
// mesh-boolean tolerance (10 x) is, so the two stay consistent.
const double kPlaneTolerance = 100.0 * 1.490116119385e-08;

enum class RayVerdict { keep_going, on_surface, ambiguous };

// Tests one triangle of a face against the ray; updates the crossing count
// and reports whether the ray must stop.
RayVerdict TestTriangle(const ON_Line& ray, const ON_3dPoint& P, const ON_3dPoint& A,
                        const ON_3dPoint& B, const ON_3dPoint& C, int& crossings) {
  const ON_Plane plane(A, B, C);
  const double distance = std::fabs(plane.DistanceTo(P));
  double t = ON_UNSET_VALUE;
  if (!ON_Intersect(ray, plane, &t)) {
    if (!(distance < kPlaneTolerance)) return RayVerdict::keep_going; // parallel, no hit
    t = 0.0;
  }
  const int cls = ClassifyPointInTriangle(ray.PointAt(t), A, B, C);
  if (cls == triangle_outside) return RayVerdict::keep_going; // no hit
  if (distance < kPlaneTolerance) return RayVerdict::on_surface;
  if (t < 0.0) return RayVerdict::keep_going; // behind P
  if (cls == triangle_inside) {
    ++crossings;
    return RayVerdict::keep_going;
  }
  return RayVerdict::ambiguous; // grazes an edge or a corner
}

} // namespace

int ClassifyBarycentric(double u, double v) {
  const double s = u + v;
  if (u < -kEpsilon || v < -kEpsilon || s > kOnePlusEpsilon) return triangle_outside;
  if (u > kEpsilon && v > kEpsilon && s < kOneMinusEpsilon) return triangle_inside;
  const bool a = u < kEpsilon;
  const bool b = v < kEpsilon;
  const bool c = s > kOneMinusEpsilon;
  if ((a && b) || (a && c) || (b && c)) return triangle_corner;
  return triangle_edge;
}

int ClassifyPointInTriangle(const ON_3dPoint& Q, const ON_3dPoint& T0, const ON_3dPoint& T1,
                            const ON_3dPoint& T2) {
  const ON_3dVector e0 = T2 - T0;
  const ON_3dVector e1 = T1 - T0;
  const ON_3dVector e2 = Q - T0;
  const double d00 = e0 * e0;
  const double d01 = e0 * e1;
  const double d02 = e0 * e2;
  const double d11 = e1 * e1;
  const double d12 = e1 * e2;
  const double k = 1.0 / (d00 * d11 - d01 * d01);
  const double u = (d11 * d02 - d01 * d12) * k;
  const double v = (d00 * d12 - d01 * d02) * k;
  return ClassifyBarycentric(u, v);
}

bool IsPointInsideMesh(const ON_Mesh& mesh, const ON_3dPoint& P) {
  if (!mesh.BoundingBox().IsPointIn(P)) return false;

  const int face_count = mesh.FaceCount();
  for (int target = 0; target < face_count; ++target) {
    const ON_MeshFace& tf = mesh.m_F[target];
    const ON_3dPoint G =
        (mesh.Vertex(tf.vi[0]) + mesh.Vertex(tf.vi[1]) + mesh.Vertex(tf.vi[2])) / 3.0;
    const ON_Line ray(P, G);

    int crossings = 0;
    bool ambiguous = false;
    for (int j = 0; j < face_count && !ambiguous; ++j) {
      const ON_MeshFace& f = mesh.m_F[j];
      const ON_3dPoint c0 = mesh.Vertex(f.vi[0]);
      const ON_3dPoint c2 = mesh.Vertex(f.vi[2]);
      RayVerdict verdict = TestTriangle(ray, P, c0, mesh.Vertex(f.vi[1]), c2, crossings);
      if (verdict == RayVerdict::keep_going && f.IsQuad())
        verdict = TestTriangle(ray, P, c0, c2, mesh.Vertex(f.vi[3]), crossings);
      if (verdict == RayVerdict::on_surface) return false;
      ambiguous = verdict == RayVerdict::ambiguous;
    }
    if (!ambiguous) return (crossings % 2) == 1;
  }
  return false;
}
