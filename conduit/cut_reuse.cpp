// The store of cut results kept across an invalidation (see cut_reuse.h).

#include "conduit/cut_reuse.h"

#include <cmath>
#include <cstring>

#include "section/mesh_types.h"
#include "userdata/section_cache.h"

namespace {

// The document's tolerance when the object has no document and no document
// is active; the same fallback as the builder's.
constexpr double kFallbackAbsoluteTolerance = 0.001;

ON__UINT64 RotateLeft(ON__UINT64 x, int r) {
  return (x << r) | (x >> (64 - r));
}

// Two independent 64-bit lanes over the same words.
struct Digest {
  ON__UINT64 h[2] = {0x243F6A8885A308D3ull, 0x13198A2E03707344ull};
  void Word(ON__UINT64 w) {
    h[0] = (h[0] ^ w) * 0x9E3779B97F4A7C15ull;
    h[0] ^= h[0] >> 29;
    h[1] = RotateLeft(h[1] + w * 0xC2B2AE3D27D4EB4Full, 31) * 0x165667B19E3779F9ull;
  }
  void Bytes(const void* data, size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
      ON__UINT64 w;
      std::memcpy(&w, bytes + i, 8);
      Word(w);
    }
    ON__UINT64 tail = 0;
    std::memcpy(&tail, bytes + i, size - i);
    Word(tail ^ (static_cast<ON__UINT64>(size) << 56));
  }
};

// The object's box grown by a little, so that a cutter the build could
// find touching the object (after rounding) is never ruled out here.
ON_BoundingBox ReachOf(const CRhinoObject& object) {
  ON_BoundingBox box = object.BoundingBox();
  if (!box.IsValid()) return box;
  double size = 0.0;
  for (int i = 0; i < 3; ++i)
    size = std::fmax(size, std::fmax(std::fabs(box.m_min[i]), std::fabs(box.m_max[i])));
  const double margin = 1e-6 * (1.0 + size);
  const ON_3dVector grow(margin, margin, margin);
  return ON_BoundingBox(box.m_min - grow, box.m_max + grow);
}

} // namespace

const CutterContent& CutReuse::ContentOf(const ON_Mesh& cutter) {
  Known& known = m_cutters[&cutter];
  const ON__UINT64 serial = cutter.ContentSerialNumber();
  if (known.serial != serial) {
    Digest digest;
    const ON__UINT64 counts[2] = {static_cast<ON__UINT64>(cutter.m_V.Count()),
                                  static_cast<ON__UINT64>(cutter.m_F.Count())};
    digest.Bytes(counts, sizeof(counts));
    digest.Bytes(cutter.m_V.Array(), sizeof(ON_3fPoint) * static_cast<size_t>(cutter.m_V.Count()));
    digest.Bytes(cutter.m_F.Array(), sizeof(ON_MeshFace) * static_cast<size_t>(cutter.m_F.Count()));
    known.serial = serial;
    known.content.digest[0] = digest.h[0];
    known.content.digest[1] = digest.h[1];
  }
  return known.content;
}

std::shared_ptr<SectionCutInputs>
CutReuse::InputsOf(const CRhinoObject& object, ON::mesh_type type,
                   const ON_SimpleArray<ON_Mesh*>& intersection_cutters,
                   const ON_SimpleArray<ON_Mesh*>& difference_cutters) {
  const ON::object_type kind = object.ObjectType();
  if (kind != ON::mesh_object && kind != ON::brep_object) return nullptr;
  ON_SimpleArray<const ON_Mesh*> meshes;
  if (object.GetMeshes(type, meshes) == 0) return nullptr;
  const ON_BoundingBox reach = ReachOf(object);
  if (!reach.IsValid()) return nullptr;

  auto inputs = std::make_shared<SectionCutInputs>();
  inputs->object_serial = object.RuntimeSerialNumber();
  inputs->mesh_type = static_cast<int>(type);
  const CRhinoDoc* document = object.Document() ? object.Document() : RhinoApp().ActiveDoc();
  inputs->tolerance = document ? document->AbsoluteTolerance() : kFallbackAbsoluteTolerance;
  // A brep is cut through meshes of its components, which the build makes
  // with these parameters.
  inputs->meshed_from_geometry = kind != ON::mesh_object;
  if (inputs->meshed_from_geometry) inputs->parameters = ObjectMeshParameters(object, type);
  inputs->meshes.reserve(static_cast<size_t>(meshes.Count()));
  for (int i = 0; i < meshes.Count(); ++i)
    inputs->meshes.push_back(meshes[i] ? meshes[i]->ContentSerialNumber() : 0);

  inputs->intersection_phase = intersection_cutters.Count() > 0;
  inputs->difference_phase = difference_cutters.Count() > 0;
  const auto relevant = [&](const ON_SimpleArray<ON_Mesh*>& cutters,
                            std::vector<CutterContent>& out) {
    for (int i = 0; i < cutters.Count(); ++i) {
      const ON_Mesh* cutter = cutters[i];
      if (cutter == nullptr) continue;
      ON_BoundingBox overlap;
      if (overlap.Intersection(reach, cutter->BoundingBox())) out.push_back(ContentOf(*cutter));
    }
  };
  relevant(intersection_cutters, inputs->intersection_cutters);
  relevant(difference_cutters, inputs->difference_cutters);
  return inputs;
}

void CutReuse::BeginKeeping() {
  m_kept.clear();
  // Cutting meshes are made anew by every rebuild; the digests of those
  // gone are of no use any more.
  m_cutters.clear();
}

bool CutReuse::Keep(TV_SectionCache& cache) {
  std::shared_ptr<const SectionCutInputs> inputs = std::move(cache.m_cut_inputs);
  cache.m_cut_inputs.reset();
  if (!inputs || !cache.m_phantom.m_bBuilt) return false;
  auto kept = std::make_unique<Kept>();
  kept->inputs = inputs;
  ON_ClassArray<DS_MeshCache>& entries = cache.m_phantom.m_caches;
  kept->entries.Reserve(entries.Count());
  for (int k = 0; k < entries.Count(); ++k) {
    DS_MeshCache& from = entries[k];
    DS_MeshCache& to = kept->entries.AppendNew();
    to = from; // the clip state, the object and the mesh index
    for (int i = 0; i < from.m_meshes.Count(); ++i)
      to.m_meshes.Append(from.m_meshes[i]);
    to.m_outlines = std::move(from.m_outlines);
    from.DestroyMeshes(false); // the meshes are the store's now
  }
  m_kept[inputs->object_serial] = std::move(kept);
  return true;
}

bool CutReuse::HasInputs(const CRhinoObject& object, ON::mesh_type type,
                         const ON_SimpleArray<ON_Mesh*>& intersection_cutters,
                         const ON_SimpleArray<ON_Mesh*>& difference_cutters,
                         const SectionCutInputs& inputs) {
  // The same tests, in the same order, as InputsOf.
  const ON::object_type kind = object.ObjectType();
  if (kind != ON::mesh_object && kind != ON::brep_object) return false;
  if (inputs.object_serial != object.RuntimeSerialNumber() ||
      inputs.mesh_type != static_cast<int>(type))
    return false;
  m_meshes.Empty();
  if (object.GetMeshes(type, m_meshes) != static_cast<int>(inputs.meshes.size())) return false;
  for (int i = 0; i < m_meshes.Count(); ++i)
    if ((m_meshes[i] ? m_meshes[i]->ContentSerialNumber() : 0) !=
        inputs.meshes[static_cast<size_t>(i)])
      return false;
  const ON_BoundingBox reach = ReachOf(object);
  if (!reach.IsValid()) return false;
  const CRhinoDoc* document = object.Document() ? object.Document() : RhinoApp().ActiveDoc();
  if ((document ? document->AbsoluteTolerance() : kFallbackAbsoluteTolerance) != inputs.tolerance)
    return false;
  if (inputs.meshed_from_geometry != (kind != ON::mesh_object)) return false;
  if (inputs.meshed_from_geometry &&
      ObjectMeshParameters(object, type).CompareGeometrySettings(inputs.parameters) != 0)
    return false;
  if (inputs.intersection_phase != (intersection_cutters.Count() > 0) ||
      inputs.difference_phase != (difference_cutters.Count() > 0))
    return false;
  const auto same = [&](const ON_SimpleArray<ON_Mesh*>& cutters,
                        const std::vector<CutterContent>& kept) {
    size_t n = 0;
    for (int i = 0; i < cutters.Count(); ++i) {
      const ON_Mesh* cutter = cutters[i];
      if (cutter == nullptr) continue;
      ON_BoundingBox overlap;
      if (!overlap.Intersection(reach, cutter->BoundingBox())) continue;
      if (n == kept.size() || !(ContentOf(*cutter) == kept[n])) return false;
      ++n;
    }
    return n == kept.size();
  };
  return same(intersection_cutters, inputs.intersection_cutters) &&
         same(difference_cutters, inputs.difference_cutters);
}

bool CutReuse::Take(const CRhinoObject& object, ON::mesh_type type,
                    const ON_SimpleArray<ON_Mesh*>& intersection_cutters,
                    const ON_SimpleArray<ON_Mesh*>& difference_cutters, TV_SectionCache& cache) {
  const auto found = m_kept.find(object.RuntimeSerialNumber());
  if (found == m_kept.end()) return false;
  std::unique_ptr<Kept> kept = std::move(found->second);
  m_kept.erase(found);
  if (!HasInputs(object, type, intersection_cutters, difference_cutters, *kept->inputs))
    return false;
  ON_ClassArray<DS_MeshCache>& entries = cache.m_phantom.m_caches;
  for (int k = 0; k < kept->entries.Count(); ++k) {
    DS_MeshCache& from = kept->entries[k];
    DS_MeshCache& to = k < entries.Count() ? entries[k] : entries.AppendNew();
    to = from;
    for (int i = 0; i < from.m_meshes.Count(); ++i)
      to.m_meshes.Append(from.m_meshes[i]);
    to.m_outlines = std::move(from.m_outlines);
    from.DestroyMeshes(false);
  }
  cache.m_cut_inputs = kept->inputs;
  return true;
}

void CutReuse::DropAll() {
  m_kept.clear();
  m_cutters.clear();
}

size_t CutReuse::InputsBytes(const SectionCutInputs& inputs) {
  // The record in the shared pointer's block (with its two counts), and
  // the lists' storage.
  return sizeof(SectionCutInputs) + 2 * sizeof(long) +
         inputs.meshes.capacity() * sizeof(ON__UINT64) +
         (inputs.intersection_cutters.capacity() + inputs.difference_cutters.capacity()) *
             sizeof(CutterContent);
}

size_t CutReuse::KeptBytes(const SectionCutInputs& inputs, int entry_count) {
  // The map's node (key, pointer, next and hash) and the record; the
  // entries the cache had, moved; the inputs, shared with the cache that
  // made the result.
  return 4 * sizeof(void*) + sizeof(Kept) +
         static_cast<size_t>(entry_count) * sizeof(DS_MeshCache) + InputsBytes(inputs);
}
