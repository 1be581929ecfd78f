// The section builder. It gathers the object's source meshes into parts
// (see section_builder.h for the vocabulary), then cuts every part: first
// by the Intersection cutters, then the result by the Difference cutters,
// recording per part whether it was removed (-1), cut (0) or kept whole (1).

#include <cstring>
#include <optional>

#include "meshtools.h"
#include "section/mesh_types.h"
#include "section_builder.h"

namespace {

// The document's tolerance when the object has no document and no document
// is active (document-less objects in tests or tools).
constexpr double kFallbackAbsoluteTolerance = 0.001;

} // namespace

// One source mesh to cut. The mesh belongs to the part when bOwned.
struct SectionBuild::ObjectPart {
  ObjectPart(const CRhinoObject* object, const ON_Mesh* mesh, int mesh_index, bool bOwned)
      : m_object(object), m_mesh(mesh), m_mesh_index(mesh_index), m_bOwned(bOwned) {}
  ~ObjectPart() {
    if (m_bOwned) delete m_mesh;
  }
  ObjectPart(const ObjectPart&) = delete;
  ObjectPart& operator=(const ObjectPart&) = delete;

  const CRhinoObject* m_object; // always the object being cut
  const ON_Mesh* m_mesh;
  int m_mesh_index;
  bool m_bOwned;
};

using ObjectPart = SectionBuild::ObjectPart;

namespace {

bool IsDisjointFromAll(const ON_BoundingBox& box, const ON_SimpleArray<ON_Mesh*>& cutters) {
  for (int i = 0; i < cutters.Count(); ++i) {
    if (cutters[i] == nullptr) continue;
    ON_BoundingBox overlap;
    if (overlap.Intersection(box, cutters[i]->BoundingBox())) return false;
  }
  return true;
}

// The object itself, or the members of an instance reference that are
// meshable for the type. Entries other than the object are owned by the
// caller.
void CollectSources(const CRhinoObject& object, const CRhinoDisplayPipeline& pipeline,
                    ON::mesh_type type, ON_SimpleArray<const CRhinoObject*>& sources) {
  ON_SimpleArray<CRhinoObject*> members;
  if (object.ObjectType() == ON::instance_reference &&
      object.GetSubObjects(members, pipeline.GetRhinoVP()) != 0) {
    for (int i = 0; i < members.Count(); ++i) {
      if (members[i] != nullptr && !members[i]->IsMeshable(type)) {
        delete members[i];
        members[i] = nullptr;
      }
      sources.Append(members[i]);
    }
    return;
  }
  sources.Append(&object);
}

// Replaces every brep source by one new brep object per connected
// component (a brep of one lump gives one copy).
void SplitBrepComponents(const CRhinoObject& object, ON_SimpleArray<const CRhinoObject*>& sources) {
  const int initial_count = sources.Count();
  for (int i = 0; i < initial_count; ++i) {
    const auto* brep_object = dynamic_cast<const CRhinoBrepObject*>(sources[i]);
    if (brep_object == nullptr || brep_object->ObjectType() != ON::brep_object ||
        brep_object->Brep() == nullptr)
      continue;
    ON_SimpleArray<ON_Brep*> components;
    if (brep_object->Brep()->GetConnectedComponents(components, true) == 0) continue;
    for (int c = 0; c < components.Count(); ++c) {
      auto* component = new CRhinoBrepObject(brep_object->Attributes());
      component->SetBrep(components[c]);
      sources.Append(component);
    }
    sources[i] = nullptr;
    if (brep_object != &object) delete brep_object;
  }
}

// The source's meshes of the type, made first when it has none.
int SourceMeshes(const CRhinoObject& source, ON::mesh_type type,
                 ON_SimpleArray<const ON_Mesh*>& meshes) {
  if (source.GetMeshes(type, meshes) > 0) return meshes.Count();
  const ON_MeshParameters parameters = ObjectMeshParameters(source, type);
  // Display meshes are a cache of the object's geometry: making them does
  // not change the object as its document sees it.
  if (const_cast<CRhinoObject&>(source).CreateMeshes(type, parameters, false) != 0)
    source.GetMeshes(type, meshes);
  return meshes.Count();
}

// A closed repair of an open mesh of a solid, owned by the caller. When the
// repair fails the mesh is cut as it is (split without caps) rather than
// dropped, so the object does not vanish from the view.
ObjectPart* HealedOrPlainPart(const CRhinoObject& object, const ON_Mesh* mesh, int index,
                              double tolerance) {
  auto* healed = new ON_Mesh();
  if (TL_HealMesh(*mesh, *healed, tolerance, true, true))
    return new ObjectPart(&object, healed, index, true);
  delete healed;
  return new ObjectPart(&object, mesh, index, false);
}

void CollectParts(const CRhinoObject& object, const CRhinoObject& source, ON::mesh_type type,
                  double tolerance, ON_SimpleArray<ObjectPart*>& parts) {
  ON_SimpleArray<const ON_Mesh*> meshes;
  if (SourceMeshes(source, type, meshes) == 0) return;
  const bool solid = object.IsSolid();

  if (object.ObjectType() != ON::brep_object) {
    for (int i = 0; i < meshes.Count(); ++i) {
      const ON_Mesh* mesh = meshes[i];
      if (mesh == nullptr || mesh->FaceCount() == 0) continue;
      ON_SimpleArray<ON_Mesh*> pieces;
      if (RhinoSplitDisjointMesh(*mesh, pieces, true) >= 2) {
        RhinoSplitDisjointMesh(*mesh, pieces, false);
        for (int p = 0; p < pieces.Count(); ++p) {
          if (pieces[p] != nullptr && pieces[p]->FaceCount() > 0)
            parts.Append(new ObjectPart(&object, pieces[p], i, true));
          else
            delete pieces[p];
        }
      } else if (solid && !mesh->IsClosed()) {
        parts.Append(HealedOrPlainPart(object, mesh, i, tolerance));
      } else {
        parts.Append(new ObjectPart(&object, mesh, i, false));
      }
    }
    return;
  }

  if (meshes.Count() >= 2) {
    auto* joined = new ON_Mesh();
    AppendMeshes(*joined, meshes.Count(), meshes.Array());
    if (joined->FaceCount() == 0) {
      delete joined;
      return;
    }
    if (solid && !joined->IsClosed()) TL_HealMesh(*joined, *joined, tolerance, true, true);
    parts.Append(new ObjectPart(&object, joined, 0, true));
  } else if (meshes[0] != nullptr) {
    if (solid && !meshes[0]->IsClosed())
      parts.Append(HealedOrPlainPart(object, meshes[0], 0, tolerance));
    else
      parts.Append(new ObjectPart(&object, meshes[0], 0, false));
  }
}

// Whether two meshes have the same vertices and faces, bit for bit, and so
// the same topology and outline.
bool SameShape(const ON_Mesh& a, const ON_Mesh& b) {
  const int vc = a.m_V.Count();
  const int fc = a.m_F.Count();
  return vc == b.m_V.Count() && fc == b.m_F.Count() &&
         (vc == 0 || std::memcmp(a.m_V.Array(), b.m_V.Array(), sizeof(ON_3fPoint) * vc) == 0) &&
         (fc == 0 || std::memcmp(a.m_F.Array(), b.m_F.Array(), sizeof(ON_MeshFace) * fc) == 0);
}

// The outline of every mesh of the entry, kept with it for the frames. A
// piece kept whole is found from the part's own mesh: a document object's
// mesh keeps its topology from one build to the next, the fresh copy would
// have to find it again.
void FindOutlines(const ObjectPart& part, DS_MeshCache& entry) {
  entry.m_outlines.clear();
  entry.m_outlines.reserve(static_cast<size_t>(entry.m_meshes.Count()));
  for (int i = 0; i < entry.m_meshes.Count(); ++i) {
    const ON_Mesh* mesh = entry.m_meshes[i];
    if (mesh == nullptr)
      entry.m_outlines.emplace_back();
    else if (SameShape(*mesh, *part.m_mesh))
      entry.m_outlines.emplace_back(*part.m_mesh);
    else
      entry.m_outlines.emplace_back(*mesh);
  }
}

// A part that some cutter could neither cut nor rule out: drawn as it is,
// since nothing known about it says which of its pieces go.
int KeepUncut(const ON_Mesh& M, ON_SimpleArray<ON_Mesh*>& output) {
  auto* whole = new ON_Mesh(M);
  if (!whole->HasFaceNormals()) whole->ComputeFaceNormals();
  output.Append(whole);
  return 1;
}

// Cuts one part into its entry.
void ClipPart(const ObjectPart& part, const ON_BoundingBox& object_box,
              const ON_SimpleArray<ON_Mesh*>& intersection_cutters,
              const ON_SimpleArray<ON_Mesh*>& difference_cutters, DS_MeshCache& entry,
              CutTrouble& trouble) {
  // The part's own mesh is read as it stands until something must change
  // it (face normals to add, an Intersection result to cut on, vertices to
  // combine); only then is it copied. A difference of a large part reads
  // its mesh, box and topology without copying a million faces first.
  std::optional<ON_Mesh> copy;
  const ON_Mesh* M = part.m_mesh;
  auto own = [&]() -> ON_Mesh& {
    if (!copy) {
      copy.emplace(*part.m_mesh);
      M = &*copy;
    }
    return *copy;
  };
  ON_BoundingBox B = object_box;
  if (!M->HasFaceNormals()) own().ComputeFaceNormals();
  ON_SimpleArray<ON_Mesh*> output;

  if (intersection_cutters.Count() > 0 && B.IsValid()) {
    entry.m_bComputed = true;
    if (IsDisjointFromAll(B, intersection_cutters)) {
      entry.m_clip_state = -1;
    } else {
      bool bCut = false;
      CutTrouble found;
      ClipIntersection(own(), intersection_cutters, output, bCut, &found);
      found.kept_uncut = !bCut && found.failed != CutTrouble::Failure::kNone;
      trouble.Merge(found);
      entry.m_clip_state = found.kept_uncut
                               ? KeepUncut(*M, output)
                               : ClassifyUncut(*M, output, intersection_cutters, bCut ? 0 : +1);
    }
  }

  if (difference_cutters.Count() > 0 && !(entry.m_bComputed && entry.m_clip_state < 0)) {
    if (entry.m_bComputed) {
      B = ON_BoundingBox();
      for (int i = 0; i < output.Count(); ++i)
        if (output[i] != nullptr) B.Union(output[i]->BoundingBox());
    }
    if (B.IsValid()) {
      const bool disjoint = IsDisjointFromAll(B, difference_cutters);
      if (!disjoint && entry.m_bComputed) {
        // Cut the Intersection result as one mesh.
        own().Destroy();
        AppendMeshes(own(), output.Count(), output.Array());
        for (int i = 0; i < output.Count(); ++i)
          delete output[i];
        output.Empty();
      }
      if (disjoint) {
        if (!entry.m_bComputed) {
          entry.m_bComputed = true;
          entry.m_clip_state = 1;
          own().CombineIdenticalVertices(false, false);
          output.Append(new ON_Mesh(*M));
        }
      } else {
        bool bCut = false;
        // Unless the Intersection phase replaced it, M has the part's own
        // vertices and faces, whose topology a document mesh already keeps.
        const bool bPartClosed = !entry.m_bComputed && part.m_mesh->IsClosed();
        CutTrouble found;
        ClipDifference(*M, difference_cutters, output, bCut,
                       entry.m_bComputed ? nullptr : &bPartClosed, &found);
        found.kept_uncut = !bCut && found.failed != CutTrouble::Failure::kNone;
        trouble.Merge(found);
        entry.m_bComputed = true;
        const int state = found.kept_uncut
                              ? KeepUncut(*M, output)
                              : ClassifyUncut(*M, output, difference_cutters, bCut ? 0 : -1);
        if (state <= 0) entry.m_clip_state = state;
      }
    }
  }

  entry.m_object = part.m_object;
  entry.m_mesh_index = part.m_mesh_index;
  for (int i = 0; i < output.Count(); ++i)
    entry.m_meshes.Append(output[i]);
  FindOutlines(part, entry);
}

} // namespace

SectionBuild::SectionBuild(const CRhinoDisplayPipeline& pipeline, const CRhinoObject& object,
                           ON::mesh_type mesh_type,
                           const ON_SimpleArray<ON_Mesh*>& intersection_cutters,
                           const ON_SimpleArray<ON_Mesh*>& difference_cutters)
    : m_object(object), m_intersection_cutters(intersection_cutters),
      m_difference_cutters(difference_cutters) {
  const CRhinoDoc* document = object.Document() ? object.Document() : RhinoApp().ActiveDoc();
  const double tolerance = document ? document->AbsoluteTolerance() : kFallbackAbsoluteTolerance;

  CollectSources(object, pipeline, mesh_type, m_sources);
  SplitBrepComponents(object, m_sources);
  for (int i = 0; i < m_sources.Count(); ++i)
    if (m_sources[i] != nullptr) CollectParts(object, *m_sources[i], mesh_type, tolerance, m_parts);

  m_object_box = object.BoundingBox();
  for (int k = 0; k < m_parts.Count(); ++k)
    m_results.AppendNew();
  m_troubles.resize(static_cast<size_t>(m_parts.Count()));
}

SectionBuild::~SectionBuild() {
  ReleaseSources();
}

void SectionBuild::ClipPart(int k) {
  if (k < 0 || k >= m_parts.Count() || m_parts[k] == nullptr) return;
  ::ClipPart(*m_parts[k], m_object_box, m_intersection_cutters, m_difference_cutters, m_results[k],
             m_troubles[static_cast<size_t>(k)]);
  delete m_parts[k];
  m_parts[k] = nullptr;
}

void SectionBuild::ReleaseSources() {
  for (int k = 0; k < m_parts.Count(); ++k)
    delete m_parts[k];
  m_parts.Empty();
  for (int i = 0; i < m_sources.Count(); ++i)
    if (m_sources[i] != &m_object) delete m_sources[i];
  m_sources.Empty();
}

CutTrouble SectionBuild::Finish(ON_ClassArray<DS_MeshCache>& entries) {
  ReleaseSources();
  for (int k = 0; k < m_results.Count(); ++k) {
    DS_MeshCache& result = m_results[k];
    DS_MeshCache& entry = k < entries.Count() ? entries[k] : entries.AppendNew();
    entry = result; // the clip state, the object and the mesh index
    for (int i = 0; i < result.m_meshes.Count(); ++i)
      entry.m_meshes.Append(result.m_meshes[i]);
    entry.m_outlines = std::move(result.m_outlines);
    result.DestroyMeshes(false); // the meshes are the entry's now
  }
  m_results.Empty();
  CutTrouble trouble;
  for (const CutTrouble& part : m_troubles)
    trouble.Merge(part);
  m_troubles.clear();
  ReportCutTrouble(m_object, trouble);
  return trouble;
}

void BuildSectionCache(ON_ClassArray<DS_MeshCache>& entries, const CRhinoDisplayPipeline& pipeline,
                       const CRhinoObject& object, ON::mesh_type mesh_type,
                       const ON_SimpleArray<ON_Mesh*>& intersection_cutters,
                       const ON_SimpleArray<ON_Mesh*>& difference_cutters) {
  SectionBuild build(pipeline, object, mesh_type, intersection_cutters, difference_cutters);
  for (int k = 0; k < build.PartCount(); ++k)
    build.ClipPart(k);
  build.Finish(entries);
}
