#pragma once
// Cutting one document object by the cutting meshes.
//
// Vocabulary: the *object* is the document object being drawn; its
// *source list* is the object itself, or the members of an instance
// reference, with breps split into their connected components; a *part*
// is one source mesh (a disjoint piece of a mesh, a healed copy of an open
// mesh of a solid, or a brep component's face meshes joined into one). Each
// part gets one cache entry, in part order.
//
// Intersection cutters keep what lies inside them, Difference cutters
// remove it. The Intersection cut runs first and the Difference cut runs on
// its result. A closed part is cut with a capped mesh boolean; an open part
// is only split along the cutter's surface. Whole objects are decided by
// bounding boxes before any boolean, and a part that no boolean cut because
// the surfaces do not meet is classified by one point test.
//
// Flawed meshes are cut as well as they can be, never guessed: a closed
// part the capped boolean refuses (a flaw the tools cannot repair, a
// self-intersection where the cut runs, a non-manifold result) is split
// along the cutter without caps instead, like an open one; a part that can
// be neither cut nor ruled out by some cutter is kept uncut, and the build
// says once on the command line which object and why.
//
// Cutters are the conduit's closed meshes; the builder may give them face
// normals but otherwise only reads them. Result meshes move into the
// entries, which own them.

#include <vector>

#include "rhinoSdk.h"
#include "section/mesh_cache.h"
#include "tl_mesh_boolean.h"

// What went wrong while cutting one part, for the message to the user.
struct CutTrouble {
  using Failure = TL_MeshBoolean::Failure;
  // Why the capped boolean refused a closed part that was then split
  // without caps (kNone when none was).
  Failure uncapped = Failure::kNone;
  // Why a cutter could neither cut the part nor be ruled out by the
  // surfaces not meeting (kNone when every cutter could).
  Failure failed = Failure::kNone;
  // No cutter cut the part and such a failure kept it uncut.
  bool kept_uncut = false;
  // A cut was made on a refined copy of a mesh that intersects itself.
  bool refined = false;

  // Keeps the first reason of each kind.
  void Merge(const CutTrouble& other);
};

// One object's build in three steps, so that the mesh work in the middle
// can run on any thread while the host's objects are only touched on the
// thread that draws:
//   1. the constructor gathers the object's parts (it reads the object and
//      may mesh it or the members it expands);
//   2. ClipPart(k) cuts part k, once for each k, on any thread; parts of
//      one build or of different builds may be cut at the same time. It
//      reads the part's source mesh and the cutters (which must already
//      have their face normals) and writes only what belongs to part k;
//   3. Finish hands the results to the entries, in part order, and
//      deletes the members and components the build made.
// Cutters must stay as they are from the constructor to the last ClipPart.
class SectionBuild {
public:
  struct ObjectPart;

  SectionBuild(const CRhinoDisplayPipeline& pipeline, const CRhinoObject& object,
               ON::mesh_type mesh_type, const ON_SimpleArray<ON_Mesh*>& intersection_cutters,
               const ON_SimpleArray<ON_Mesh*>& difference_cutters);
  // Whatever was not handed to entries is deleted.
  ~SectionBuild();
  SectionBuild(const SectionBuild&) = delete;
  SectionBuild& operator=(const SectionBuild&) = delete;

  const CRhinoObject& Object() const { return m_object; }
  int PartCount() const { return m_results.Count(); }
  void ClipPart(int k);
  // Fills one entry per part as BuildSectionCache does, and reports on the
  // command line a part that could not be cut as it should
  // (ReportCutTrouble); returns what was reported. Once only.
  CutTrouble Finish(ON_ClassArray<DS_MeshCache>& entries);
  // Deletes the parts and the objects the build made; on the drawing
  // thread, once no part is being cut.
  void ReleaseSources();

private:
  const CRhinoObject& m_object;
  const ON_SimpleArray<ON_Mesh*>& m_intersection_cutters;
  const ON_SimpleArray<ON_Mesh*>& m_difference_cutters;
  ON_SimpleArray<const CRhinoObject*> m_sources;
  ON_SimpleArray<ObjectPart*> m_parts;
  ON_BoundingBox m_object_box;
  // One per part, filled by ClipPart.
  ON_ClassArray<DS_MeshCache> m_results;
  std::vector<CutTrouble> m_troubles;
};

// Fills one entry per part of the object, in part order, reusing the
// entries already in the list (an invalidated cache keeps them, emptied).
// Only the pipeline's viewport is used (to expand instance references).
// The object's meshes of the type are made when it has none.
void BuildSectionCache(ON_ClassArray<DS_MeshCache>& entries, const CRhinoDisplayPipeline& pipeline,
                       const CRhinoObject& object, ON::mesh_type mesh_type,
                       const ON_SimpleArray<ON_Mesh*>& intersection_cutters,
                       const ON_SimpleArray<ON_Mesh*>& difference_cutters);

// Cuts W by one cutter into `result`: the capped intersection (bKeepInside)
// or difference of a closed W, and when that is refused for any reason but
// the surfaces not meeting, the part of W inside (outside) the cutter split
// off without caps; an open W is only split. False when nothing was cut;
// `trouble` (may be null) then learns whether the surfaces were known not to
// meet, and also hears of a closed W cut without caps.
bool CutByCutter(const ON_Mesh& W, bool bClosed, const ON_Mesh& cutter, bool bKeepInside,
                 ON_Mesh& result, CutTrouble* trouble);

// Appends to `output` one piece of M per cutter that cuts it (the capped
// intersection of a closed M, the inside part of an open M), in cutter
// order; sets bCut when any did. M is not changed beyond its face normals
// and caches. `trouble` as for CutByCutter.
void ClipIntersection(ON_Mesh& M, const ON_SimpleArray<ON_Mesh*>& cutters,
                      ON_SimpleArray<ON_Mesh*>& output, bool& bCut, CutTrouble* trouble = nullptr);

// Subtracts the cutters from M one after another (the capped
// difference of a closed remainder, the outside part of an open one) and
// appends the remainder when any cutter cut; sets bCut then. Cutters whose
// boxes miss M's box are passed over: their surfaces cannot meet M's. pbClosed,
// when given, is whether M is closed, so M need not find its topology.
// `trouble` as for CutByCutter.
void ClipDifference(const ON_Mesh& M, const ON_SimpleArray<ON_Mesh*>& cutters,
                    ON_SimpleArray<ON_Mesh*>& output, bool& bCut, const bool* pbClosed = nullptr,
                    CutTrouble* trouble = nullptr);

// Clip state of M when no boolean decided it. mode +1 keeps what is inside
// the cutters, -1 what is outside, 0 means the booleans decided (returns 0).
// One point of M is tested against the cutters (inside a cutter also where
// two of its closed shells overlap): a kept M is copied into `output` and 1
// returned; a removed one gives -1. Every mesh in `output` gets face
// normals.
int ClassifyUncut(const ON_Mesh& M, ON_SimpleArray<ON_Mesh*>& output,
                  const ON_SimpleArray<ON_Mesh*>& cutters, int mode);

// Says on the command line, once while the trouble lasts, that the object
// could not be cut (and is drawn uncut where no cutter could decide) or was
// cut without caps, and why. Nothing is said for an object without trouble,
// which forgets what was said of it. Safe on any thread.
void ReportCutTrouble(const CRhinoObject& object, const CutTrouble& trouble);

// Appends each non-null mesh to target, in order.
void AppendMeshes(ON_Mesh& target, int count, const ON_Mesh* const* meshes);
