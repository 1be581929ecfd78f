#include "plain_cgal.h"

#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Polygon_mesh_processing/clip.h>
#include <CGAL/Polygon_mesh_processing/corefinement.h>
#include <CGAL/Surface_mesh.h>

namespace PMP = CGAL::Polygon_mesh_processing;

namespace bench {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Mesh = CGAL::Surface_mesh<Kernel::Point_3>;

class PlainMesh {
public:
  Mesh mesh;
};

void PlainMeshDeleter::operator()(PlainMesh* p) const {
  delete p;
}

PlainMeshPtr ToPlain(const ON_Mesh& on) {
  PlainMeshPtr p(new PlainMesh);
  Mesh& m = p->mesh;
  for (const ON_3fPoint& v : on.m_V)
    m.add_vertex(Kernel::Point_3(v.x, v.y, v.z));
  for (const ON_MeshFace& f : on.m_F) {
    m.add_face(Mesh::Vertex_index(f.vi[0]), Mesh::Vertex_index(f.vi[1]),
               Mesh::Vertex_index(f.vi[2]));
    if (f.IsQuad())
      m.add_face(Mesh::Vertex_index(f.vi[0]), Mesh::Vertex_index(f.vi[2]),
                 Mesh::Vertex_index(f.vi[3]));
  }
  return p;
}

void TimePlainBoolean(benchmark::State& state, const PlainMesh& a, const PlainMesh& b, PlainOp op) {
  for (auto _ : state) {
    state.PauseTiming();
    Mesh ca = a.mesh, cb = b.mesh, out;
    state.ResumeTiming();
    const bool ok = op == PlainOp::kIntersection
                        ? PMP::corefine_and_compute_intersection(ca, cb, out)
                        : PMP::corefine_and_compute_difference(ca, cb, out);
    benchmark::DoNotOptimize(ok);
    state.PauseTiming();
    // Freeing the copies is not part of the call.
    ca.clear();
    cb.clear();
    out.clear();
    state.ResumeTiming();
  }
}

void TimePlainBooleans(benchmark::State& state,
                       const std::vector<std::pair<const PlainMesh*, const PlainMesh*>>& pairs,
                       PlainOp op) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<Mesh> as, bs, outs(pairs.size());
    for (const auto& [a, b] : pairs) {
      as.push_back(a->mesh);
      bs.push_back(b->mesh);
    }
    state.ResumeTiming();
    for (std::size_t i = 0; i < pairs.size(); ++i) {
      const bool ok = op == PlainOp::kIntersection
                          ? PMP::corefine_and_compute_intersection(as[i], bs[i], outs[i])
                          : PMP::corefine_and_compute_difference(as[i], bs[i], outs[i]);
      benchmark::DoNotOptimize(ok);
    }
    state.PauseTiming();
    as.clear();
    bs.clear();
    outs.clear();
    state.ResumeTiming();
  }
}

void TimePlainSplit(benchmark::State& state, const PlainMesh& surface, const PlainMesh& solid) {
  for (auto _ : state) {
    state.PauseTiming();
    Mesh s = surface.mesh, c = solid.mesh;
    state.ResumeTiming();
    PMP::split(s, c);
    benchmark::DoNotOptimize(s.number_of_faces());
    state.PauseTiming();
    s.clear();
    c.clear();
    state.ResumeTiming();
  }
}

void TimePlainUnion(benchmark::State& state, const std::vector<const PlainMesh*>& solids) {
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<Mesh> copies;
    for (const PlainMesh* s : solids)
      copies.push_back(s->mesh);
    state.ResumeTiming();
    for (std::size_t i = 1; i < copies.size(); ++i)
      PMP::corefine_and_compute_union(copies[0], copies[i], copies[0]);
    benchmark::DoNotOptimize(copies[0].number_of_faces());
    state.PauseTiming();
    copies.clear();
    state.ResumeTiming();
  }
}

} // namespace bench
