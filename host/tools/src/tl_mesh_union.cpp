// TL_MeshBooleanUnion over the plain-mesh core.
#include "tl_mesh_union.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

#include "on_mesh_bridge.h"
#include "solid_ops.h"

bool TL_MeshBooleanUnion(const ON_SimpleArray<const ON_Mesh*>& sources, double tolerance1,
                         double tolerance2, bool* result_flag, ON_SimpleArray<ON_Mesh*>& output,
                         const ON_SimpleArray<const ON_3dmObjectAttributes*>* source_attributes,
                         ON_SimpleArray<ON_3dmObjectAttributes*>* output_attributes) {
  if (result_flag != nullptr) *result_flag = false;
  try {
    const double tolerance = std::fmax(tolerance1, tolerance2); // fmax ignores one NaN
    std::vector<meshtools::TriMesh> meshes(static_cast<std::size_t>(std::max(sources.Count(), 0)));
    std::vector<const meshtools::TriMesh*> usable;
    bool every = true;
    for (int i = 0; i < sources.Count(); ++i) {
      if (sources[i] == nullptr || !meshtools::ToTriMesh(*sources[i], meshes[i])) {
        every = false;
        continue;
      }
      usable.push_back(&meshes[i]); // exact copies are left out by the union itself
    }
    std::vector<meshtools::TriMesh> volumes;
    if (!meshtools::UniteSolids(usable, tolerance, volumes)) every = false;
    if (volumes.empty()) return false;

    // Build everything before handing anything over, so a failure part way
    // leaves the caller's list as it was.
    std::vector<std::unique_ptr<ON_Mesh>> made;
    for (const meshtools::TriMesh& v : volumes) {
      made.push_back(std::make_unique<ON_Mesh>());
      meshtools::ToONMesh(v, *made.back());
    }
    std::vector<std::unique_ptr<ON_3dmObjectAttributes>> attributes;
    if (source_attributes != nullptr && output_attributes != nullptr) {
      const ON_3dmObjectAttributes* first = nullptr;
      for (int i = 0; i < source_attributes->Count() && first == nullptr; ++i)
        first = (*source_attributes)[i];
      if (first != nullptr)
        for (std::size_t i = 0; i < made.size(); ++i)
          attributes.push_back(std::make_unique<ON_3dmObjectAttributes>(*first));
    }
    output.Reserve(output.Count() + static_cast<int>(made.size()));
    if (output_attributes != nullptr)
      output_attributes->Reserve(output_attributes->Count() + static_cast<int>(attributes.size()));
    for (auto& m : made)
      output.Append(m.release());
    for (auto& a : attributes)
      output_attributes->Append(a.release());
    if (result_flag != nullptr) *result_flag = every;
    return true;
  } catch (...) {
    return false;
  }
}
