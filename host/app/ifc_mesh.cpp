// Shells of an IFC element: weld each piece, split it where no vertex is
// shared, orient the closed shells outward and place everything in the
// world frame. See ifc_mesh.h for what stays apart and why.

#include "ifc_mesh.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <numeric>
#include <vector>

namespace kyrel::app {
namespace {

using Tri = std::array<std::uint32_t, 3>;

// Welded vertices (indices into the piece's positions) and triangles over
// them, degenerate ones left out.
struct Welded {
  std::vector<std::uint32_t> source; // welded vertex -> first piece vertex at that position
  std::vector<Tri> triangles;
};

Welded Weld(const IfcPiece& piece) {
  const std::size_t count = piece.positions.size() / 3;
  std::vector<std::uint32_t> order(count);
  std::iota(order.begin(), order.end(), 0u);
  auto at = [&](std::uint32_t v) {
    return std::array<float, 3>{piece.positions[3 * v], piece.positions[3 * v + 1],
                                piece.positions[3 * v + 2]};
  };
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    const auto pa = at(a), pb = at(b);
    return pa != pb ? pa < pb : a < b;
  });
  Welded w;
  std::vector<std::uint32_t> remap(count);
  for (std::size_t i = 0; i < count; ++i) {
    if (i == 0 || at(order[i]) != at(order[i - 1])) w.source.push_back(order[i]);
    remap[order[i]] = static_cast<std::uint32_t>(w.source.size() - 1);
  }
  for (std::size_t t = 0; t + 2 < piece.triangles.size(); t += 3) {
    const Tri tri{remap[piece.triangles[t]], remap[piece.triangles[t + 1]],
                  remap[piece.triangles[t + 2]]};
    if (tri[0] == tri[1] || tri[1] == tri[2] || tri[0] == tri[2]) continue;
    w.triangles.push_back(tri);
  }
  return w;
}

std::uint32_t Root(std::vector<std::uint32_t>& parent, std::uint32_t v) {
  while (parent[v] != v) {
    parent[v] = parent[parent[v]];
    v = parent[v];
  }
  return v;
}

// +1 when the triangle runs a -> b, -1 when it runs b -> a.
int Direction(const Tri& t, std::uint32_t a, std::uint32_t b) {
  for (int k = 0; k < 3; ++k)
    if (t[k] == a) return t[(k + 1) % 3] == b ? 1 : -1;
  return 1;
}

struct Edge {
  std::uint64_t key;
  std::uint32_t triangle;
};

std::uint64_t EdgeKey(std::uint32_t a, std::uint32_t b) {
  return (static_cast<std::uint64_t>(std::min(a, b)) << 32) | std::max(a, b);
}

// Orients the triangles of one shell alike, when they can be and the shell
// is closed, and outward by the sign of each edge-connected part's volume.
// Returns whether the shell is closed and whether anything was flipped.
struct ShellOutcome {
  bool closed = false, flipped = false;
};
ShellOutcome Orient(std::vector<Tri>& tris, const std::vector<ON_3dPoint>& world) {
  ShellOutcome outcome;
  std::vector<Edge> edges;
  edges.reserve(tris.size() * 3);
  for (std::uint32_t t = 0; t < tris.size(); ++t)
    for (int k = 0; k < 3; ++k)
      edges.push_back({EdgeKey(tris[t][k], tris[t][(k + 1) % 3]), t});
  std::sort(edges.begin(), edges.end(), [](const Edge& a, const Edge& b) {
    return a.key != b.key ? a.key < b.key : a.triangle < b.triangle;
  });
  bool closed = true;
  std::vector<std::vector<std::pair<std::uint32_t, std::uint64_t>>> neighbours(tris.size());
  for (std::size_t i = 0; i < edges.size();) {
    std::size_t j = i;
    while (j < edges.size() && edges[j].key == edges[i].key) ++j;
    if (j - i != 2) closed = false;
    if (j - i == 2) {
      neighbours[edges[i].triangle].push_back({edges[i + 1].triangle, edges[i].key});
      neighbours[edges[i + 1].triangle].push_back({edges[i].triangle, edges[i].key});
    }
    i = j;
  }
  outcome.closed = closed;
  if (!closed) return outcome;
  // Breadth-first over shared edges: a neighbour must run the shared edge
  // the other way.
  std::vector<int> sign(tris.size(), 0);
  std::vector<std::uint32_t> part;
  for (std::uint32_t seed = 0; seed < tris.size(); ++seed) {
    if (sign[seed] != 0) continue;
    part.clear();
    part.push_back(seed);
    sign[seed] = 1;
    for (std::size_t q = 0; q < part.size(); ++q) {
      const std::uint32_t t = part[q];
      for (const auto& [u, key] : neighbours[t]) {
        const auto a = static_cast<std::uint32_t>(key >> 32), b = static_cast<std::uint32_t>(key);
        const int want = -sign[t] * Direction(tris[t], a, b) * Direction(tris[u], a, b);
        if (sign[u] == 0) {
          sign[u] = want;
          part.push_back(u);
        } else if (sign[u] != want) {
          return outcome; // not orientable: left as it came
        }
      }
    }
    double volume = 0.0;
    for (std::uint32_t t : part) {
      const Tri& tri = tris[t];
      const ON_3dVector a(world[tri[0]]), b(world[tri[1]]), c(world[tri[2]]);
      volume += sign[t] * ON_DotProduct(a, ON_CrossProduct(b, c));
    }
    if (volume < 0)
      for (std::uint32_t t : part) sign[t] = -sign[t];
  }
  for (std::size_t t = 0; t < tris.size(); ++t)
    if (sign[t] < 0) {
      std::swap(tris[t][1], tris[t][2]);
      outcome.flipped = true;
    }
  return outcome;
}

bool ToWorld(const double m[16], const float* p, ON_3dPoint& out) {
  const double x = p[0], y = p[1], z = p[2];
  const double w = m[3] * x + m[7] * y + m[11] * z + m[15];
  if (!(w > 0.0) || !std::isfinite(w)) return false;
  out.x = (m[0] * x + m[4] * y + m[8] * z + m[12]) / w;
  out.y = (m[1] * x + m[5] * y + m[9] * z + m[13]) / w;
  out.z = (m[2] * x + m[6] * y + m[10] * z + m[14]) / w;
  for (double c : {out.x, out.y, out.z})
    if (!std::isfinite(c) || std::fabs(c) > kMaxIfcCoordinate) return false;
  return true;
}

} // namespace

bool BuildIfcElementMesh(const IfcElementRecord& element, ON_Mesh& mesh, std::string& why,
                         IfcMeshCounts* counts) {
  IfcMeshCounts local;
  for (const IfcPiece& piece : element.pieces) {
    // Sorting compares coordinates: none may be NaN.
    const auto finite = [](auto v) { return std::isfinite(v); };
    if (!std::all_of(piece.positions.begin(), piece.positions.end(), finite) ||
        !std::all_of(std::begin(piece.xform), std::end(piece.xform), finite)) {
      why = "a coordinate or its placement is not a number";
      return false;
    }
    const Welded welded = Weld(piece);
    std::vector<ON_3dPoint> world(welded.source.size());
    for (std::size_t v = 0; v < welded.source.size(); ++v)
      if (!ToWorld(piece.xform, &piece.positions[3 * welded.source[v]], world[v])) {
        why = "a vertex is not a number or lies more than " +
              std::to_string(static_cast<long long>(kMaxIfcCoordinate / 1000)) +
              " km from the origin";
        return false;
      }
    // Shells: triangles that share no vertex stay apart.
    std::vector<std::uint32_t> parent(welded.source.size());
    std::iota(parent.begin(), parent.end(), 0u);
    for (const Tri& t : welded.triangles) {
      const std::uint32_t a = Root(parent, t[0]);
      parent[Root(parent, t[1])] = a;
      parent[Root(parent, t[2])] = a;
    }
    std::vector<std::vector<Tri>> shells;
    std::vector<int> shell_of(welded.source.size(), -1);
    for (const Tri& t : welded.triangles) {
      const std::uint32_t r = Root(parent, t[0]);
      if (shell_of[r] < 0) {
        shell_of[r] = static_cast<int>(shells.size());
        shells.emplace_back();
      }
      shells[static_cast<std::size_t>(shell_of[r])].push_back(t);
    }
    for (std::vector<Tri>& shell : shells) {
      const ShellOutcome outcome = Orient(shell, world);
      ++local.shells;
      if (outcome.closed) ++local.closed_shells;
      if (outcome.flipped) ++local.flipped_shells;
      // The shell's own vertices, numbered afresh in the element's mesh.
      std::vector<int> index(world.size(), -1);
      for (const Tri& t : shell) {
        int v[3];
        for (int k = 0; k < 3; ++k) {
          if (index[t[k]] < 0) index[t[k]] = mesh.AppendVertex(world[t[k]]);
          v[k] = index[t[k]];
        }
        mesh.AppendTriangle(v[0], v[1], v[2]);
      }
    }
  }
  if (mesh.FaceCount() == 0) {
    why = "it has no triangles";
    return false;
  }
  mesh.ComputeVertexNormals();
  if (counts) *counts = local;
  return true;
}

} // namespace kyrel::app
