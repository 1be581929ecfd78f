#pragma once
// CKyrelConduit: the display conduit through which the service changes how
// the host draws a document: objects cut by the cutting objects, cutting
// objects ghosted, the mirrored model and the clash meshes.
//
// One process-wide object, made by the first Instance() call and
// destroyed when the library is unloaded. It starts disabled; the display
// service enables it at the start of a frame when there is something to
// cut, mirror or show as a clash, and disables it at the frame's end.
//
// Ownership: the conduit owns every mesh in m_intersection_meshes and
// m_difference_meshes; registered clipping objects belong to their
// clients; section caches belong to the objects that carry them.
//
// Where the bodies live: conduit_frame.cpp (construction, supported
// pipelines, the notification counter), channels.cpp (channel dispatch),
// cutting_meshes.cpp, section_caches.cpp, mirror.cpp (mirror settings),
// object_cache.cpp, draw_object.cpp, section_drawing.cpp,
// mirror_drawing.cpp and interference_drawing.cpp.

#include "rhinoSdk.h"
#include "api/service_interface.h"

class TV_SectionCache;
class TV_SectionGeometry;
class CKyrelService;

class CKyrelConduit : public CRhinoDisplayConduit {
public:
  // The clash engine embedded in the conduit. Detection is not part of
  // the library yet: this stand-in only holds the switch, which stays off,
  // so the conduit's clash paths are already wired to it.
  class InterfereEngine {
  public:
    explicit InterfereEngine(CKyrelConduit* conduit) : m_pConduit(conduit) {}
    bool m_bEnabled = false;
    CKyrelConduit* m_pConduit; // the owning conduit, not owned
  };

  // The conduit; made on the first call, never null.
  static CKyrelConduit* Instance();

  CKyrelConduit(const CKyrelConduit&) = delete;
  CKyrelConduit& operator=(const CKyrelConduit&) = delete;

  bool ExecConduit(CRhinoDisplayPipeline& pipeline, unsigned int channel,
                   bool& bTerminateChannel) override;
  // Counts the frames that may stamp cutting objects (see m_notify_count).
  void NotifyConduit(int notification, CRhinoDisplayPipeline& pipeline) override;

  // Every display mode but the host's plain Wireframe.
  static bool IsSupportedPipeline(const CRhinoDisplayPipeline& pipeline);

  // ---- section caches of a document ----
  // Unbuilds (deleting their meshes) every section cache of the document's
  // objects; the caches stay attached and are rebuilt when next drawn.
  static void InvalidateCaches(CRhinoDoc& doc);
  // Detaches and deletes every section cache of the document's objects.
  static void DestroyCaches(CRhinoDoc& doc);

  // ---- mirrored display ----
  void EnableMirroring(bool bEnable);
  bool IsMirroringEnabled() const;
  void SetMirrorPosition(const ON_3dPoint& position);
  ON_3dPoint MirrorPosition() const;
  // Stored and used as given (not unitized).
  void SetMirrorDirection(const ON_3dVector& direction);
  ON_3dVector MirrorDirection() const;

  // ---- clash detection ----
  bool IsInterfereEnabled() const { return m_interfere.m_bEnabled; }

  // Intersection cutters exist, or Difference cutters while clashes are
  // not shown.
  bool IsCuttingActive() const;

  // ---- state (members in this order, defaults as initialised) ----
  // Frames counted by NotifyConduit; cutting objects are stamped with it.
  ON__UINT32 m_notify_count = 0;
  // Client switch: registered clipping objects alone keep the display on.
  bool m_bClippingEnabled = true;
  // Registered client cutters, not owned, no duplicates, never null.
  ON_SimpleArray<Tarvik::Vantrel::IClippingObject*> m_clipping_objects;
  // Owned: the union of every Intersection cutter.
  ON_SimpleArray<ON_Mesh*> m_intersection_meshes;
  // Owned: the union of every Difference cutter.
  ON_SimpleArray<ON_Mesh*> m_difference_meshes;
  // 0: nothing pending; 1 or more: the next update rebuilds the cutting
  // meshes and invalidates every section cache.
  int m_rebuild_level = 2;
  bool m_bMirroring = false;
  ON_3dPoint m_mirror_position = ON_3dPoint(0.0, 0.0, 0.0);
  ON_3dVector m_mirror_direction = ON_3dVector(1.0, 0.0, 0.0);
  // Always the mirror through m_mirror_position with normal
  // m_mirror_direction.
  ON_Xform m_mirror_xform;
  InterfereEngine m_interfere;

protected:
  CKyrelConduit();
  ~CKyrelConduit() override;

  // Rebuilds the cutting meshes from the cutting objects of the current
  // document (m_pDoc, which the caller sets) and the registered clipping
  // objects, when anything changed. Does nothing without a document.
  void UpdateCuttingMeshes(ON::mesh_type type);
  // Deletes every cutting mesh and releases both lists' storage.
  void DiscardCuttingMeshes();

  // The object's section cache, built if needed, or null.
  TV_SectionCache* ObjectCache(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object);
  // Draw-object channel: true when the object is handled, either drawn
  // here or replaced by a substitute in the channel attributes.
  bool DrawObject(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object);
  // Draws a cutting object from its cutting mesh; true when it did.
  bool DrawSectionGeometry(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object,
                           const CDisplayPipelineAttributes* attrs,
                           const TV_SectionGeometry* geometry);
  // Edges of a mesh with the edge settings of attrs (mesh set when
  // bMeshObject, surface set otherwise). mesh and attrs may be null.
  void DrawObjectEdges(CRhinoDisplayPipeline& pipeline, const ON_Mesh* mesh,
                       const CDisplayPipelineAttributes* attrs, bool bMeshObject);
  // The object once more, reflected in the mirror plane.
  void DrawMirroredObject(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object);
  // The clash meshes, after all objects.
  void DrawInterferences(CRhinoDisplayPipeline& pipeline);

private:
  friend class CKyrelService;

  // Channel bodies (channels.cpp).
  void ClippingPlanesChannel();
  void CullingChannel(CRhinoDisplayPipeline& pipeline, bool& bTerminateChannel);
  void BoundingBoxChannel();
  void DrawObjectChannel(CRhinoDisplayPipeline& pipeline);
  void ObjectDisplayAttributesChannel(bool bSupported);
};

// True when the object carries a cutting definition (it is a cutting
// object). Null is not one.
bool IsCuttingObject(const CRhinoObject* object);
