// The baseline: the same operations as plain CGAL calls on meshes already
// converted to CGAL's surface mesh, so the ratio shows what the tools' layer
// (conversion, checks, clean-up) costs on top. CGAL types stay in
// plain_cgal.cpp.
#pragma once

#include <benchmark/benchmark.h>

#include <memory>
#include <utility>
#include <vector>

#include "opennurbs_mesh.h"

namespace bench {

class PlainMesh;
struct PlainMeshDeleter {
  void operator()(PlainMesh* p) const;
};
using PlainMeshPtr = std::unique_ptr<PlainMesh, PlainMeshDeleter>;

// Quads are split along their 0-2 diagonal.
PlainMeshPtr ToPlain(const ON_Mesh& mesh);

enum class PlainOp { kIntersection, kDifference };

// Each iteration copies the operands (untimed: corefinement changes them)
// and times one corefinement call.
void TimePlainBoolean(benchmark::State& state, const PlainMesh& a, const PlainMesh& b, PlainOp op);
// The same for each pair in turn, every operand copied untimed first.
void TimePlainBooleans(benchmark::State& state,
                       const std::vector<std::pair<const PlainMesh*, const PlainMesh*>>& pairs,
                       PlainOp op);
// PMP::split of the surface by the solid.
void TimePlainSplit(benchmark::State& state, const PlainMesh& surface, const PlainMesh& solid);
// Running union, one corefine_and_compute_union per further solid.
void TimePlainUnion(benchmark::State& state, const std::vector<const PlainMesh*>& solids);

} // namespace bench
