// CRhinoView::Pick: hit tests at a pixel, nearest first, through the pick
// filters.

#include <algorithm>

#include "rhino_clipping_plane_object.h"
#include "rhino_curve_object.h"
#include "rhino_doc.h"
#include "rhino_view.h"

namespace {

// Best hit of one object, or false.
bool HitObject(const CRhinoPickContext& ctx, const CRhinoObject& object, bool bShaded,
               CRhinoPickHit& hit) {
  bool bHit = false;
  auto consider = [&](const ON_3dPoint& p, double depth, double distance) {
    if (bHit && (distance > hit.m_distance || (distance == hit.m_distance && depth >= hit.m_depth)))
      return;
    bHit = true;
    hit.m_point = p;
    hit.m_depth = depth;
    hit.m_distance = distance;
  };
  if (const auto* curve = dynamic_cast<const CRhinoCurveObject*>(&object)) {
    if (const ON_PolylineCurve* c = curve->Curve()) {
      for (int i = 1; i < c->m_pline.Count(); ++i) {
        ON_3dPoint p;
        double depth = 0, distance = 0;
        if (ctx.PickSegment(c->m_pline[i - 1], c->m_pline[i], &p, &depth, &distance))
          consider(p, depth, distance);
      }
    }
    return bHit;
  }
  if (const auto* plane = dynamic_cast<const CRhinoClippingPlaneObject*>(&object)) {
    ON_3dPoint c[4];
    plane->GetCorners(c);
    for (int i = 0; i < 4; ++i) {
      ON_3dPoint p;
      double depth = 0, distance = 0;
      if (ctx.PickSegment(c[i], c[(i + 1) % 4], &p, &depth, &distance))
        consider(p, depth, distance);
    }
    return bHit;
  }
  if (!object.IsMeshable(ON::render_mesh)) return false;
  if (object.MeshCount(ON::render_mesh, nullptr) == 0)
    const_cast<CRhinoObject&>(object).CreateMeshes(ON::render_mesh,
                                                   object.GetRenderMeshParameters());
  ON_SimpleArray<const ON_Mesh*> meshes;
  object.GetMeshes(ON::render_mesh, meshes);
  const int mode =
      bShaded ? CRhinoPickContext::pick_mesh_shaded : CRhinoPickContext::pick_mesh_wires;
  for (const ON_Mesh* m : meshes) {
    ON_3dPoint p;
    double depth = 0, distance = 0;
    if (ctx.PickMesh(m, mode, &p, nullptr, nullptr, &depth, &distance, nullptr, nullptr))
      consider(p, depth, distance);
  }
  return bHit;
}

} // namespace

std::vector<CRhinoPickHit> CRhinoView::Pick(int x, int y, double pixel_tolerance) {
  std::vector<CRhinoPickHit> hits;
  if (m_doc == nullptr) return hits;
  ON_Viewport vp = m_viewport.VP();
  // The pick line runs through the whole model, not just the default frustum.
  const ON_BoundingBox box = m_doc->BoundingBox();
  if (box.IsValid()) {
    ON_Viewport sized(vp);
    if (sized.SetFrustumNearFar(box)) vp = sized;
  }
  CRhinoPickContext ctx;
  ctx.m_view = this;
  if (!ctx.SetPickPoint(vp, x, y, pixel_tolerance)) return hits;
  const bool bShaded = DisplayMode().m_bShadeSurface;

  CRhinoDoc::IterationGuard guard(*m_doc);
  const size_t count = m_doc->ObjectList().size();
  for (size_t i = 0; i < count && i < m_doc->ObjectList().size(); ++i) {
    const CRhinoObject* object = m_doc->ObjectList()[i];
    if (!object->IsVisible() || object->IsLocked()) continue;
    CRhinoPickHit hit;
    hit.m_object = object;
    if (HitObject(ctx, *object, bShaded, hit)) hits.push_back(hit);
  }
  // Face hits (distance 0) and near wires first by depth.
  std::stable_sort(hits.begin(), hits.end(), [](const CRhinoPickHit& a, const CRhinoPickHit& b) {
    return a.m_depth < b.m_depth;
  });
  std::vector<CRhinoPickHit> kept;
  for (const CRhinoPickHit& h : hits)
    if (rhino_sdk_internal::RunPickFilters(ctx, h.m_object)) kept.push_back(h);
  return kept;
}
