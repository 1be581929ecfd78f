#pragma once
// Cut results kept across an invalidation of the section caches.
//
// Every rebuild of the cutting meshes invalidates every section cache, and
// most objects come out of their next build exactly as they went in: their
// meshes did not change, and the cutters that reach them did not either. So
// a cache built here records what its cut was made from (its *inputs*); an
// invalidation moves the results of every cache whose inputs are known into
// this store instead of deleting them, and the next build of the object
// takes them back, without a boolean, when its inputs are the same again.
//
// The inputs of one object's cut:
//   - the object (its runtime serial number: an edited object is a new
//     object), its mesh type, its meshes' content serial numbers (a mesh
//     replaced or changed in place has a new one), the document tolerance
//     a repair uses and, for objects meshed from their geometry, the
//     meshing parameters;
//   - whether there are Intersection cutters and whether there are
//     Difference cutters (the mode);
//   - the content of each cutting mesh whose box meets the object's box, in
//     list order. A cutter whose box misses the object's box changes
//     nothing of its cut (every test and boolean of the build skips it),
//     so a cutter that moves elsewhere leaves the object's result valid.
// Instance references are not kept: their members are made anew by every
// build and are drawn with the viewport's settings.
//
// Memory: results stay here only from one invalidation to the builds that
// follow it. Whatever an invalidation finds left over from the previous one
// (objects not built since, such as hidden ones) is deleted, and destroying
// the caches deletes everything. A kept result costs the record below
// beyond the meshes and outlines it holds, which it moves rather than
// copies.
//
// Threads: the drawing thread only, like the caches themselves.

#include <memory>
#include <unordered_map>
#include <vector>

#include "rhinoSdk.h"
#include "section/mesh_cache.h"
#include "section/section_builder.h"

class TV_SectionCache;

// A 128-bit digest of a cutting mesh's vertices and faces.
struct CutterContent {
  ON__UINT64 digest[2] = {0, 0};
  bool operator==(const CutterContent& other) const {
    return digest[0] == other.digest[0] && digest[1] == other.digest[1];
  }
};

// What one object's cut was made from (see the file comment).
struct SectionCutInputs {
  unsigned int object_serial = 0;
  int mesh_type = 0;
  double tolerance = 0.0;
  bool meshed_from_geometry = false;
  ON_MeshParameters parameters;
  std::vector<ON__UINT64> meshes;
  bool intersection_phase = false;
  bool difference_phase = false;
  std::vector<CutterContent> intersection_cutters;
  std::vector<CutterContent> difference_cutters;
  // What the build said of the cut, said again when the result is reused
  // (not an input: not compared).
  CutTrouble trouble;
};

class CutReuse {
public:
  CutReuse() = default;
  CutReuse(const CutReuse&) = delete;
  CutReuse& operator=(const CutReuse&) = delete;

  // The inputs of the object's cut by these cutters as they stand, or null
  // when its cut is not kept.
  std::shared_ptr<SectionCutInputs> InputsOf(const CRhinoObject& object, ON::mesh_type type,
                                             const ON_SimpleArray<ON_Mesh*>& intersection_cutters,
                                             const ON_SimpleArray<ON_Mesh*>& difference_cutters);

  // Starts an invalidation: what the last one kept and no build took is
  // deleted.
  void BeginKeeping();
  // Moves the cache's results here when its inputs are known; the caller
  // then invalidates the cache. True when it did.
  bool Keep(TV_SectionCache& cache);
  // Moves the result kept for the object into the cache's entries when it
  // was kept with the inputs the object has now under these cutters, and
  // records those inputs with the cache; true then. Whatever was kept for
  // the object under other inputs is deleted.
  bool Take(const CRhinoObject& object, ON::mesh_type type,
            const ON_SimpleArray<ON_Mesh*>& intersection_cutters,
            const ON_SimpleArray<ON_Mesh*>& difference_cutters, TV_SectionCache& cache);
  void DropAll();

  int KeptCount() const { return static_cast<int>(m_kept.size()); }
  // The bytes a kept result costs beyond the meshes and outlines it holds
  // (about: allocator overheads aside), and the part of them a built cache
  // holds all along (its inputs).
  static size_t KeptBytes(const SectionCutInputs& inputs, int entry_count);
  static size_t InputsBytes(const SectionCutInputs& inputs);

private:
  struct Kept {
    std::shared_ptr<const SectionCutInputs> inputs;
    ON_ClassArray<DS_MeshCache> entries;
  };
  // By object serial number.
  std::unordered_map<unsigned int, std::unique_ptr<Kept>> m_kept;

  // Digests of the cutting meshes, refreshed when a mesh's content serial
  // number changes.
  struct Known {
    ON__UINT64 serial = 0;
    CutterContent content;
  };
  std::unordered_map<const ON_Mesh*, Known> m_cutters;
  const CutterContent& ContentOf(const ON_Mesh& cutter);
  // Whether the object has these inputs now: InputsOf compared without
  // making a record, as most objects take their result back.
  bool HasInputs(const CRhinoObject& object, ON::mesh_type type,
                 const ON_SimpleArray<ON_Mesh*>& intersection_cutters,
                 const ON_SimpleArray<ON_Mesh*>& difference_cutters,
                 const SectionCutInputs& inputs);
  ON_SimpleArray<const ON_Mesh*> m_meshes; // reused by HasInputs
};
