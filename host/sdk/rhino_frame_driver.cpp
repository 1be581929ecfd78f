// The frame driver: one frame of a document through the conduits and the
// engine.
//
//   1. notification 4 to every enabled conduit (registration order, each
//      one's enabled state checked when it is reached);
//   2. channel 0x8 with the document's box, which then sizes the frame's
//      near and far planes; channel 0x2, whose clipping planes the engine
//      applies to the whole frame; channel 0x80 once;
//   3. the surface pass (modes that shade) and the wire pass, each over the
//      visible objects in document order. Per object: channel attributes
//      reset, a per-object copy of the display attributes bound, then
//      0x4000, 0x4, 0x100; if the draw flag is still set the channel's
//      current object (a substitute, if a conduit set one) is drawn: its
//      meshes shaded with MeshDisplayAttributes in the surface pass, its Draw
//      in the wire pass. An instance reference nobody handled is drawn by
//      running its definition's members through the same channels under the
//      instance transform, with the owner index set;
//   4. channel 0x200, then notification 5.
// A conduit that sets the terminate flag stops later conduits from hearing
// that channel for that object.

#include <optional>

#include "rhino_display_conduit.h"
#include "rhino_display_pipeline.h"
#include "rhino_doc.h"
#include "rhino_instance.h"
#include "rhino_object.h"
#include "rhino_viewport.h"

namespace {

struct NotifyContext {
  CRhinoDisplayPipeline* pipeline;
  int code;
  void (*bind)(CRhinoDisplayPipeline&, CRhinoDisplayConduit&);
};

struct ChannelContext {
  CRhinoDisplayPipeline* pipeline;
  unsigned int channel;
  bool bStop;
  void (*bind)(CRhinoDisplayPipeline&, CRhinoDisplayConduit&);
};

} // namespace

void CRhinoDisplayPipeline::BindConduit(CRhinoDisplayConduit& conduit) {
  conduit.m_pDoc = m_doc;
  conduit.m_pVP = GetRhinoVP();
  conduit.m_pChannelAttrs = &m_channel;
  conduit.m_pDisplayAttrs = m_object_attrs != nullptr ? m_object_attrs : &m_frame_attrs;
  conduit.m_pPipeline = this;
}

void CRhinoDisplayPipeline::UnbindConduit(CRhinoDisplayConduit& conduit) {
  conduit.m_pDoc = nullptr;
  conduit.m_pVP = nullptr;
  conduit.m_pChannelAttrs = nullptr;
  conduit.m_pDisplayAttrs = nullptr;
  conduit.m_pPipeline = nullptr;
}

void CRhinoDisplayPipeline::Notify(int notification) {
  NotifyContext ctx{this, notification,
                    [](CRhinoDisplayPipeline& p, CRhinoDisplayConduit& c) { p.BindConduit(c); }};
  rhino_sdk_internal::ForEachEnabledConduit(
      [](CRhinoDisplayConduit& conduit, void* context) {
        auto* nc = static_cast<NotifyContext*>(context);
        nc->bind(*nc->pipeline, conduit);
        conduit.NotifyConduit(nc->code, *nc->pipeline);
        UnbindConduit(conduit);
      },
      &ctx);
}

void CRhinoDisplayPipeline::RunChannel(unsigned int channel) {
  m_channel.m_channel = channel;
  ChannelContext ctx{this, channel, false,
                     [](CRhinoDisplayPipeline& p, CRhinoDisplayConduit& c) { p.BindConduit(c); }};
  rhino_sdk_internal::ForEachEnabledConduit(
      [](CRhinoDisplayConduit& conduit, void* context) {
        auto* cc = static_cast<ChannelContext*>(context);
        if (cc->bStop || !conduit.WantsChannel(cc->channel)) return;
        cc->bind(*cc->pipeline, conduit);
        bool bTerminate = false;
        conduit.ExecConduit(*cc->pipeline, cc->channel, bTerminate);
        UnbindConduit(conduit);
        if (bTerminate) cc->bStop = true;
      },
      &ctx);
}

bool CRhinoDisplayPipeline::DrawFrame() {
  if (m_bInFrame) return false;
  m_bInFrame = true;
  CRhinoDisplayEngine* engine = Engine();
  m_attrs_cache.clear();
  m_object_attrs = nullptr;
  m_current_object = nullptr;
  m_owners.clear();
  m_frame_attrs = m_mode_attrs;
  m_channel = CChannelAttributes();
  m_state.Reset(nullptr);
  // Objects deleted while the frame runs stay alive until it ends.
  std::optional<CRhinoDoc::IterationGuard> guard;
  if (m_doc != nullptr) guard.emplace(*m_doc);

  Notify(CRhinoDisplayConduit::notify_frame_begins);

  m_channel.m_bounding_box = m_doc != nullptr ? m_doc->BoundingBox() : ON_BoundingBox();
  RunChannel(CRhinoDisplayConduit::channel_bounding_box);
  ON_Viewport vp = (m_viewport != nullptr ? m_viewport : m_default_viewport.get())->VP();
  if (m_channel.m_bounding_box.IsValid()) {
    ON_Viewport sized(vp);
    if (sized.SetFrustumNearFar(m_channel.m_bounding_box)) vp = sized;
  }
  m_frame_viewport = std::make_unique<CRhinoViewport>(vp);

  m_channel.m_clipping_planes.Empty();
  RunChannel(CRhinoDisplayConduit::channel_clipping_planes);

  if (!engine->BeginFrame(vp, m_frame_attrs.m_background_color)) {
    Notify(CRhinoDisplayConduit::notify_frame_ends);
    m_frame_viewport.reset();
    m_bInFrame = false;
    return false;
  }
  m_state.Reset(engine);
  ON_SimpleArray<ON_PlaneEquation> planes;
  for (const ON_ClippingPlaneInfo& info : m_channel.m_clipping_planes)
    if (info.m_bEnabled && info.m_plane_equation.IsValid()) planes.Append(info.m_plane_equation);
  if (planes.Count() > 0) engine->SetClippingPlanes(planes);

  RunChannel(CRhinoDisplayConduit::channel_pre_objects);
  if (m_frame_attrs.m_bShadeSurface) DrawPass(CRhinoPipelineState::surface_pass);
  DrawPass(CRhinoPipelineState::wire_pass);
  m_state.SetPass(CRhinoPipelineState::no_pass);
  m_channel.ResetForObject(nullptr, -1);
  RunChannel(CRhinoDisplayConduit::channel_post_objects);

  Notify(CRhinoDisplayConduit::notify_frame_ends);
  engine->EndFrame();
  m_frame_viewport.reset();
  m_attrs_cache.clear();
  ++m_frame_count;
  m_bInFrame = false;
  return true;
}

void CRhinoDisplayPipeline::DrawPass(CRhinoPipelineState::pass pass) {
  m_state.SetPass(pass);
  if (m_doc == nullptr) return;
  // Objects added during the pass are drawn in the next frame.
  const size_t count = m_doc->ObjectList().size();
  DrawProgress progress = s_draw_progress;
  if (progress) progress(pass, 0, count);
  for (size_t i = 0; i < count && i < m_doc->ObjectList().size(); ++i) {
    const CRhinoObject* object = m_doc->ObjectList()[i];
    if (object->IsVisible()) DrawDocumentObject(*object, -1, 0);
    if (progress) progress(pass, i + 1, count);
  }
}

void CRhinoDisplayPipeline::DrawDocumentObject(const CRhinoObject& object, int owner_index,
                                               int depth) {
  // Document objects and block members (owned by the document's
  // definitions) are meshed on first display with their own settings.
  if ((object.Document() != nullptr || owner_index >= 0) && object.IsMeshable(ON::render_mesh) &&
      object.MeshCount(ON::render_mesh, nullptr) == 0) {
    const_cast<CRhinoObject&>(object).CreateMeshes(ON::render_mesh,
                                                   object.GetRenderMeshParameters());
  }

  CDisplayPipelineAttributes attrs;
  MakeObjectDisplayAttributes(object, attrs);
  CDisplayPipelineAttributes* const outer_attrs = m_object_attrs;
  const CRhinoObject* const outer_object = m_current_object;
  if (owner_index >= 0 && outer_attrs != nullptr &&
      object.Attributes().ColorSource() == ON::color_from_parent) {
    attrs.m_display_color = outer_attrs->m_display_color;
    attrs.m_material = outer_attrs->m_material;
  }
  m_object_attrs = &attrs;
  m_current_object = &object;

  m_channel.ResetForObject(&object, owner_index);
  RunChannel(CRhinoDisplayConduit::channel_object_display_attrs);
  if (m_channel.m_bDrawObject) RunChannel(CRhinoDisplayConduit::channel_object_culling);
  if (m_channel.m_bDrawObject) RunChannel(CRhinoDisplayConduit::channel_draw_object);

  if (m_channel.m_bDrawObject) {
    const CRhinoObject* target = m_channel.m_pObject != nullptr ? m_channel.m_pObject : &object;
    const auto* instance = dynamic_cast<const CRhinoInstanceObject*>(&object);
    if (target == &object && instance != nullptr) {
      const CRhinoInstanceDefinition* def = instance->InstanceDefinition();
      if (def != nullptr && depth < kMaxInstanceDepth) {
        m_owners.push_back(&object);
        const int index = static_cast<int>(m_owners.size()) - 1;
        const ON_Xform saved = ModelTransform();
        SetModelTransform(saved * instance->InstanceXform());
        for (int i = 0; i < def->ObjectCount(); ++i) {
          const CRhinoObject* member = def->Object(i);
          if (member == nullptr || member->Attributes().Mode() == ON::hidden_object) continue;
          DrawDocumentObject(*member, index, depth + 1);
        }
        SetModelTransform(saved);
        m_owners.pop_back();
      }
    } else {
      DrawWithAttributes(*target, attrs);
    }
  }

  m_object_attrs = outer_attrs;
  m_current_object = outer_object;
}

void CRhinoDisplayPipeline::DrawWithAttributes(const CRhinoObject& object,
                                               const CDisplayPipelineAttributes& attrs) {
  if (DrawingSurfaces()) {
    ON_SimpleArray<const ON_Mesh*> meshes;
    object.GetMeshes(ON::render_mesh, meshes);
    if (meshes.Count() == 0) return;
    if (attrs.m_bCullBackfaces) PushCullFaceMode(1);
    for (int i = 0; i < meshes.Count(); ++i) {
      const ON_Mesh* mesh = meshes[i];
      if (mesh == nullptr || mesh->FaceCount() == 0) continue;
      const CDisplayPipelineAttributes& a = object.MeshDisplayAttributes(i, *mesh, attrs);
      Engine()->DrawShadedMesh(*mesh, a.m_material);
    }
    if (attrs.m_bCullBackfaces) PopCullFaceMode();
    return;
  }
  object.Draw(*this);
}

void CRhinoDisplayPipeline::DrawObject(const CRhinoObject& object) {
  const CDisplayPipelineAttributes* attrs = GetObjectDisplayAttrs(&object);
  if (attrs == nullptr) return;
  // The object's attributes are the current ones while it draws, as in a frame.
  CDisplayPipelineAttributes local(*attrs);
  CDisplayPipelineAttributes* const outer = m_object_attrs;
  m_object_attrs = &local;
  DrawWithAttributes(object, local);
  m_object_attrs = outer;
}
