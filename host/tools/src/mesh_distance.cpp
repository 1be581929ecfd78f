// Exact nearest points on triangle meshes: a point's on a nearest-first
// tree of its own (below), two surfaces' on CGAL's box tree.
//
// Two disjoint triangles come closest at a corner of one against the other
// triangle, or at a pair of their edges; triangles that cross are 0 apart
// where an edge of one passes through the other. ClosestPoints first takes
// every corner's nearest point on the other surface (a tree query each):
// that bounds the answer from above, so the triangle pairs that follow are
// only those whose boxes, grown by the bound so far, meet. The pair
// formulas are the classic closed forms (corner-triangle by regions of the
// triangle, segment-segment by clamped parameters), in double precision.

#include "tl_mesh_distance.h"

// Before any CGAL header: the box ids CGAL's code below must see.
#include "deterministic_boxes.h"

#include <CGAL/AABB_traits.h>
#include <CGAL/AABB_tree.h>
#include <CGAL/AABB_triangle_primitive.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Point = Kernel::Point_3;
using Triangle = Kernel::Triangle_3;
using Segment = Kernel::Segment_3;
using TriangleIt = std::vector<Triangle>::const_iterator;
using Primitive = CGAL::AABB_triangle_primitive<Kernel, TriangleIt>;
using AabbTree = CGAL::AABB_tree<CGAL::AABB_traits<Kernel, Primitive>>;

struct Vec {
  double x, y, z;
};
Vec V(const Point& p) {
  return {p.x(), p.y(), p.z()};
}
Vec operator-(Vec a, Vec b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Vec operator+(Vec a, Vec b) {
  return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Vec operator*(double s, Vec a) {
  return {s * a.x, s * a.y, s * a.z};
}
double Dot(Vec a, Vec b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
double Squared(Vec a) {
  return Dot(a, a);
}

// The point of triangle abc nearest to p (by the Voronoi regions of its
// corners and edges, then the face).
Vec ClosestOnTriangle(Vec p, Vec a, Vec b, Vec c) {
  const Vec ab = b - a, ac = c - a, ap = p - a;
  const double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
  if (d1 <= 0 && d2 <= 0) return a;
  const Vec bp = p - b;
  const double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
  if (d3 >= 0 && d4 <= d3) return b;
  const double vc = d1 * d4 - d3 * d2;
  if (vc <= 0 && d1 >= 0 && d3 <= 0) return a + (d1 / (d1 - d3)) * ab;
  const Vec cp = p - c;
  const double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
  if (d6 >= 0 && d5 <= d6) return c;
  const double vb = d5 * d2 - d1 * d6;
  if (vb <= 0 && d2 >= 0 && d6 <= 0) return a + (d2 / (d2 - d6)) * ac;
  const double va = d3 * d6 - d5 * d4;
  if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0)
    return b + ((d4 - d3) / ((d4 - d3) + (d5 - d6))) * (c - b);
  const double denom = 1.0 / (va + vb + vc);
  return a + (vb * denom) * ab + (vc * denom) * ac;
}

// The nearest points of segments p1q1 and p2q2.
void ClosestOnSegments(Vec p1, Vec q1, Vec p2, Vec q2, Vec& c1, Vec& c2) {
  const Vec d1 = q1 - p1, d2 = q2 - p2, r = p1 - p2;
  const double a = Squared(d1), e = Squared(d2), f = Dot(d2, r);
  double s = 0, t = 0;
  if (a <= 0 && e <= 0) {
    // both points
  } else if (a <= 0) {
    t = std::clamp(f / e, 0.0, 1.0);
  } else {
    const double c = Dot(d1, r);
    if (e <= 0) {
      s = std::clamp(-c / a, 0.0, 1.0);
    } else {
      const double b = Dot(d1, d2), denom = a * e - b * b;
      s = denom > 0 ? std::clamp((b * f - c * e) / denom, 0.0, 1.0) : 0.0;
      t = (b * s + f) / e;
      if (t < 0) {
        t = 0;
        s = std::clamp(-c / a, 0.0, 1.0);
      } else if (t > 1) {
        t = 1;
        s = std::clamp((b - c) / a, 0.0, 1.0);
      }
    }
  }
  c1 = p1 + s * d1;
  c2 = p2 + t * d2;
}

struct Nearest {
  double squared = std::numeric_limits<double>::infinity();
  Vec here{0, 0, 0}, there{0, 0, 0};
  void Offer(Vec h, Vec t) {
    const double d = Squared(h - t);
    if (d < squared) {
      squared = d;
      here = h;
      there = t;
    }
  }
};

// Offers the nearest points of triangles s (here) and t (there).
void OfferTrianglePair(const Triangle& s, const Triangle& t, Nearest& nearest) {
  const Vec sv[3] = {V(s[0]), V(s[1]), V(s[2])};
  const Vec tv[3] = {V(t[0]), V(t[1]), V(t[2])};
  for (int i = 0; i < 3; ++i) {
    nearest.Offer(sv[i], ClosestOnTriangle(sv[i], tv[0], tv[1], tv[2]));
    nearest.Offer(ClosestOnTriangle(tv[i], sv[0], sv[1], sv[2]), tv[i]);
  }
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) {
      Vec c1, c2;
      ClosestOnSegments(sv[i], sv[(i + 1) % 3], tv[j], tv[(j + 1) % 3], c1, c2);
      nearest.Offer(c1, c2);
    }
  if (nearest.squared == 0 || s.is_degenerate() || t.is_degenerate()) return;
  // Crossing triangles: an edge of one passes through the other.
  for (int k = 0; k < 2; ++k) {
    const Triangle& edges_of = k == 0 ? s : t;
    const Triangle& face = k == 0 ? t : s;
    for (int i = 0; i < 3; ++i) {
      const Segment edge(edges_of[i], edges_of[(i + 1) % 3]);
      if (edge.is_degenerate() || !CGAL::do_intersect(edge, face)) continue;
      const auto hit = CGAL::intersection(edge, face);
      const Point* point = hit ? boost::get<Point>(&*hit) : nullptr;
      const Vec at = point ? V(*point) : V(edge.source());
      nearest.Offer(at, at);
      return;
    }
  }
}

ON_3dPoint On(Vec v) {
  return ON_3dPoint(v.x, v.y, v.z);
}

// A bounding-volume hierarchy for nearest-point queries from one point:
// nodes are visited nearest box first and skipped once their box lies
// farther than the nearest triangle found, which for points deep inside a
// closed surface (a clash's depth) visits far fewer triangles than a
// traversal in fixed order. The nearest triangle is the one of least
// distance by the closed form above, so the answer is that of comparing
// every triangle.
class NearestTree {
public:
  void Build(const std::vector<Triangle>& triangles) {
    corners_.clear();
    for (const Triangle& t : triangles)
      corners_.push_back({V(t[0]), V(t[1]), V(t[2])});
    order_.resize(triangles.size());
    for (size_t i = 0; i < order_.size(); ++i)
      order_[i] = static_cast<int>(i);
    nodes_.clear();
    if (!order_.empty()) Split(0, static_cast<int>(order_.size()));
  }

  // Squared distance, nearest point and triangle.
  double Nearest(Vec p, Vec& at) const {
    double best = std::numeric_limits<double>::infinity();
    struct Pending {
      int node;
      double squared;
    };
    Pending stack[128];
    int top = 0;
    stack[top++] = {0, BoxSquared(nodes_[0], p)};
    while (top > 0) {
      const Pending pending = stack[--top];
      // A little slack: a box never hides a triangle its rounding made look
      // farther than it is.
      if (pending.squared > best * (1.0 + 1e-12)) continue;
      const Node& node = nodes_[static_cast<size_t>(pending.node)];
      if (node.count > 0) {
        for (int k = node.first; k < node.first + node.count; ++k) {
          const auto& c = corners_[static_cast<size_t>(order_[static_cast<size_t>(k)])];
          const Vec q = ClosestOnTriangle(p, c[0], c[1], c[2]);
          const double d = Squared(q - p);
          if (d < best) {
            best = d;
            at = q;
          }
        }
        continue;
      }
      const double l = BoxSquared(nodes_[static_cast<size_t>(node.left)], p);
      const double r = BoxSquared(nodes_[static_cast<size_t>(node.right)], p);
      // The nearer child goes on top, so it is visited first.
      if (top + 2 > 128) continue; // deeper than any tree built here
      if (l <= r) {
        stack[top++] = {node.right, r};
        stack[top++] = {node.left, l};
      } else {
        stack[top++] = {node.left, l};
        stack[top++] = {node.right, r};
      }
    }
    return best;
  }

private:
  struct Node {
    double lo[3], hi[3];
    int left = -1, right = -1, first = 0, count = 0;
  };

  static double BoxSquared(const Node& n, Vec p) {
    const double c[3] = {p.x, p.y, p.z};
    double s = 0.0;
    for (int k = 0; k < 3; ++k) {
      const double d = c[k] < n.lo[k] ? n.lo[k] - c[k] : (c[k] > n.hi[k] ? c[k] - n.hi[k] : 0.0);
      s += d * d;
    }
    return s;
  }

  int Split(int first, int count) {
    const int index = static_cast<int>(nodes_.size());
    nodes_.emplace_back();
    Node node;
    for (int k = 0; k < 3; ++k) {
      node.lo[k] = std::numeric_limits<double>::infinity();
      node.hi[k] = -std::numeric_limits<double>::infinity();
    }
    double clo[3] = {node.lo[0], node.lo[1], node.lo[2]}, chi[3] = {node.hi[0], node.hi[1], node.hi[2]};
    for (int i = first; i < first + count; ++i) {
      const auto& c = corners_[static_cast<size_t>(order_[static_cast<size_t>(i)])];
      for (const Vec& v : c) {
        const double xyz[3] = {v.x, v.y, v.z};
        for (int k = 0; k < 3; ++k) {
          node.lo[k] = std::min(node.lo[k], xyz[k]);
          node.hi[k] = std::max(node.hi[k], xyz[k]);
        }
      }
      const Vec m = Centroid(c);
      const double xyz[3] = {m.x, m.y, m.z};
      for (int k = 0; k < 3; ++k) {
        clo[k] = std::min(clo[k], xyz[k]);
        chi[k] = std::max(chi[k], xyz[k]);
      }
    }
    // Leaves of a few triangles; the tree's depth stays near log2 of the
    // count, far below the query's stack.
    if (count <= 4) {
      node.first = first;
      node.count = count;
      nodes_[static_cast<size_t>(index)] = node;
      return index;
    }
    int axis = 0;
    for (int k = 1; k < 3; ++k)
      if (chi[k] - clo[k] > chi[axis] - clo[axis]) axis = k;
    const int half = count / 2;
    std::nth_element(order_.begin() + first, order_.begin() + first + half,
                     order_.begin() + first + count, [&](int x, int y) {
                       const Vec a = Centroid(corners_[static_cast<size_t>(x)]);
                       const Vec b = Centroid(corners_[static_cast<size_t>(y)]);
                       const double ca[3] = {a.x, a.y, a.z}, cb[3] = {b.x, b.y, b.z};
                       return ca[axis] < cb[axis];
                     });
    node.left = Split(first, half);
    node.right = Split(first + half, count - half);
    nodes_[static_cast<size_t>(index)] = node;
    return index;
  }

  static Vec Centroid(const std::array<Vec, 3>& c) {
    return (1.0 / 3.0) * (c[0] + c[1] + c[2]);
  }

  std::vector<std::array<Vec, 3>> corners_;
  std::vector<int> order_;
  std::vector<Node> nodes_;
};

} // namespace

struct TL_MeshDistance::Tree {
  std::vector<Triangle> triangles;
  std::vector<Point> corners;
  AabbTree tree;
  NearestTree nearest;
};

TL_MeshDistance::TL_MeshDistance(const ON_Mesh& mesh) : m_tree(std::make_unique<Tree>()) {
  auto point = [&](int i) {
    const ON_3dPoint p = mesh.Vertex(i);
    return Point(p.x, p.y, p.z);
  };
  const int vertex_count = mesh.VertexCount();
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const ON_MeshFace& face = mesh.m_F[f];
    bool valid = true;
    for (int k = 0; k < 4; ++k)
      valid = valid && face.vi[k] >= 0 && face.vi[k] < vertex_count;
    if (!valid) continue;
    m_tree->triangles.emplace_back(point(face.vi[0]), point(face.vi[1]), point(face.vi[2]));
    if (!face.IsTriangle())
      m_tree->triangles.emplace_back(point(face.vi[0]), point(face.vi[2]), point(face.vi[3]));
  }
  if (m_tree->triangles.empty()) return;
  for (int i = 0; i < vertex_count; ++i)
    m_tree->corners.push_back(point(i));
  m_tree->tree.insert(m_tree->triangles.begin(), m_tree->triangles.end());
  m_tree->tree.build();
  m_tree->tree.accelerate_distance_queries();
  m_tree->nearest.Build(m_tree->triangles);
}

TL_MeshDistance::~TL_MeshDistance() = default;

bool TL_MeshDistance::IsEmpty() const {
  return m_tree->triangles.empty();
}

bool TL_MeshDistance::DistanceTo(const ON_3dPoint& point, double& distance,
                                 ON_3dPoint& closest) const {
  if (IsEmpty() || !point.IsValid()) return false;
  Vec at{0, 0, 0};
  const double squared = m_tree->nearest.Nearest({point.x, point.y, point.z}, at);
  closest = On(at);
  distance = std::sqrt(squared);
  return true;
}

bool TL_MeshDistance::ClosestPoints(const TL_MeshDistance& other, double limit, double& distance,
                                    ON_3dPoint& here, ON_3dPoint& there) const {
  if (IsEmpty() || other.IsEmpty() || !(limit > 0 && std::isfinite(limit))) return false;
  Nearest nearest;
  nearest.squared = limit * limit;
  bool found = false;
  auto offer_corners = [&](const Tree& from, const Tree& to, bool from_here) {
    for (const Point& corner : from.corners) {
      const auto hit = to.tree.closest_point_and_primitive(corner);
      const Triangle& t = *hit.second;
      const Vec at = ClosestOnTriangle(V(corner), V(t[0]), V(t[1]), V(t[2]));
      const double before = nearest.squared;
      if (from_here)
        nearest.Offer(V(corner), at);
      else
        nearest.Offer(at, V(corner));
      found = found || nearest.squared < before;
    }
  };
  offer_corners(*m_tree, *other.m_tree, true);
  offer_corners(*other.m_tree, *m_tree, false);

  std::vector<TriangleIt> meeting;
  for (const Triangle& s : m_tree->triangles) {
    const double grow = std::sqrt(nearest.squared);
    const CGAL::Bbox_3 b = s.bbox();
    const CGAL::Bbox_3 grown(b.xmin() - grow, b.ymin() - grow, b.zmin() - grow, b.xmax() + grow,
                             b.ymax() + grow, b.zmax() + grow);
    meeting.clear();
    other.m_tree->tree.all_intersected_primitives(grown, std::back_inserter(meeting));
    for (TriangleIt t : meeting) {
      const double before = nearest.squared;
      OfferTrianglePair(s, *t, nearest);
      found = found || nearest.squared < before;
    }
  }
  if (!found) return false;
  distance = std::sqrt(nearest.squared);
  here = On(nearest.here);
  there = On(nearest.there);
  return true;
}
