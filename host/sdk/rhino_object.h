#pragma once
// CRhinoObject: the base of every object a document holds (and of
// document-less objects such as instance-definition members, sub-objects
// handed out by GetSubObjects and display-only objects).
//
// Ownership: an object added to a document belongs to the document; a
// document-less object belongs to whoever made it and is deleted through
// the virtual destructor. Attributes (with their user data) and the object's
// own user data (ON_Object user data) belong to the object.
//
// Meshes: an object owns its display meshes per mesh type (render,
// analysis, preview). GetMeshes hands out pointers the object keeps; they
// stay valid until the meshes are destroyed or remade.
//
// Marks: every object carries a display mark (0 initially). The
// process-wide m_no_show_mark names the mark value that is not shown:
// objects whose mark equals it are left out of display, picking and file
// writing. Host decision: a no-show mark of 0 hides nothing.

#include <vector>

#include "opennurbs.h"

class CRhinoDoc;
class CRhinoDisplayPipeline;
class CDisplayPipelineAttributes;
class CRhinoViewport;

// A visual analysis mode an object can be shown in.
struct CRhinoVisualAnalysisMode {
  ON_UUID m_id;
  bool m_bShaded = false; // the mode replaces the object's shading
};

class CRhinoObject : public ON_Object {
public:
  CRhinoObject();
  explicit CRhinoObject(const ON_3dmObjectAttributes& attributes);
  // A document-less copy: same attributes (and attribute user data with a
  // copy count of 1 or more), new runtime serial number, not selected,
  // mark 0; object user data follows ON_Object's copy rules.
  CRhinoObject(const CRhinoObject& src);
  CRhinoObject& operator=(const CRhinoObject&) = delete;
  ~CRhinoObject() override;

  // ---- ON_Object ----
  ON::object_type ObjectType() const override; // unknown_object_type here
  // The id in the attributes.
  ON_UUID ModelObjectId() const override;
  unsigned int SizeOf() const override;

  // ---- identity ----
  // Unique for the life of the process, never 0.
  unsigned int RuntimeSerialNumber() const { return m_runtime_serial_number; }
  // The document the object belongs to, or null.
  CRhinoDoc* Document() const { return m_doc; }
  // Added as a reference object (from a linked file); iterators list those
  // in the reference category only.
  bool IsReference() const { return m_bReference; }
  // Deleted from its document (kept there for undo and undelete).
  bool IsDeleted() const { return m_bDeleted; }
  // A document-less copy of this object (caller owns it), or null when the
  // type cannot be copied.
  virtual CRhinoObject* DuplicateRhinoObject() const;
  // Moves the geometry (and drops meshes that no longer fit). False when the
  // object has no geometry that can move.
  virtual bool TransformGeometry(const ON_Xform& xform);
  // The object's geometry, or null.
  virtual const ON_Geometry* Geometry() const;

  // ---- attributes ----
  virtual const ON_3dmObjectAttributes& Attributes() const;
  // Replaces the attributes of a document-less object. Objects in a document
  // change attributes through CRhinoDoc::ModifyObjectAttributes, which keeps
  // undo and events right; for them this forwards to the document.
  bool SetAttributes(const ON_3dmObjectAttributes& attributes);

  // Attribute user data: the record with that uuid owned by the attributes
  // (writes through the pointer reach the record itself), or null.
  ON_UserData* GetAttributeUserData(const ON_UUID& userdata_uuid) const;
  // The attributes take ownership. For an object in a document the change
  // is recorded for undo and reported with OnModifyObjectAttributes. False
  // (caller keeps ownership) for null, a record attached elsewhere, or when
  // a record with the same uuid is attached.
  bool AttachAttributeUserData(ON_UserData* user_data);
  // Removes and deletes the record with that uuid, reported like an attach.
  // False when there is none.
  bool DeleteAttributeUserData(const ON_UUID& userdata_uuid);

  // ---- state ----
  // Mode from the attributes, with the layer's state applied: hidden when
  // the object or its layer is hidden, locked when either is locked.
  ON::object_mode Mode() const;
  bool IsHidden() const { return Mode() == ON::hidden_object; }
  bool IsLocked() const { return Mode() == ON::locked_object; }
  // Normal or locked, not deleted and not hidden by the no-show mark.
  bool IsVisible() const;

  // Selection. Returns the new selection state (0 unselected, 1 selected,
  // 2 persistently selected), or 0 without change when the object cannot be
  // selected (deleted, hidden, or locked and bIgnoreModes false). Reported
  // with OnSelectObject / OnDeselectObject for document objects.
  int Select(bool bSelect = true, bool bSynchHighlight = true, bool bPersistentSelect = true,
             bool bIgnoreGripsState = false, bool bIgnoreModes = false) const;
  int IsSelected() const { return m_selection; }

  // ---- marks ----
  void Mark(int mark_value) const { m_mark = mark_value; }
  int IsMarked() const { return m_mark; }
  // The process-wide no-show mark value (0: nothing is hidden by marks).
  static int m_no_show_mark;
  // True when the object's mark equals a non-zero no-show mark value.
  bool IsHiddenByMark() const { return m_no_show_mark != 0 && m_mark == m_no_show_mark; }

  // ---- geometry queries ----
  // World box of the object; empty when it has no geometry.
  virtual ON_BoundingBox BoundingBox() const;
  // Box of the object's geometry, optionally transformed first (xform may be
  // null) and optionally grown into box. False when the object has none.
  virtual bool GetTightBoundingBox(ON_BoundingBox& box, bool bGrowBox = false,
                                   const ON_Xform* xform = nullptr) const;
  // The object is a closed solid.
  virtual bool IsSolid() const;

  // ---- meshes ----
  virtual bool IsMeshable(ON::mesh_type mesh_type) const;
  // Number of meshes of the type the object holds; 0 when there are none
  // or, with mp given, when they were made with other geometry settings.
  virtual int MeshCount(ON::mesh_type mesh_type, const ON_MeshParameters* mp = nullptr) const;
  // Makes the meshes of the type with mp (replacing old ones). Returns the
  // number made, 0 when the object cannot be meshed. bIgnoreCustom true:
  // use mp even where the object has custom render mesh parameters.
  virtual int CreateMeshes(ON::mesh_type mesh_type, const ON_MeshParameters& mp,
                           bool bIgnoreCustom = false);
  // Drops the meshes of the type (any_mesh: every type). bDeleteMeshes false
  // forgets them without deleting (the caller took them over).
  virtual void DestroyMeshes(ON::mesh_type mesh_type, bool bDeleteMeshes = true);
  // Appends the meshes of the type (the object keeps them) and returns how
  // many were appended.
  virtual int GetMeshes(ON::mesh_type mesh_type, ON_SimpleArray<const ON_Mesh*>& meshes) const;
  // The object's own render mesh parameters: its custom ones when set,
  // otherwise its document's render mesh settings, otherwise the default.
  ON_MeshParameters GetRenderMeshParameters() const;
  // Custom render mesh parameters (null clears them).
  void SetCustomRenderMeshParameters(const ON_MeshParameters* mp);
  bool HasCustomRenderMeshParameters() const { return m_bCustomMeshParameters; }
  // The display attributes mesh mesh_index is drawn with (default: attrs).
  virtual const CDisplayPipelineAttributes&
  MeshDisplayAttributes(int mesh_index, const ON_Mesh& mesh,
                        const CDisplayPipelineAttributes& attrs) const;

  // Instance references: appends new document-less objects (caller owns
  // them) and returns their count; 0 for other objects. viewport may be null.
  virtual int GetSubObjects(ON_SimpleArray<CRhinoObject*>& sub_objects,
                            const CRhinoViewport* viewport = nullptr) const;

  // ---- analysis modes ----
  bool InAnalysisMode() const { return !m_analysis_modes.empty(); }
  // The first shaded analysis mode the object is in, or null.
  const CRhinoVisualAnalysisMode* InShadedAnalysisMode() const;
  bool EnableAnalysisMode(const CRhinoVisualAnalysisMode& mode, bool bEnable);

  // ---- drawing ----
  // Wires, edges and curves of the object, under the pipeline's model
  // transform, with the pipeline's current display attributes.
  virtual void Draw(CRhinoDisplayPipeline& pipeline) const;

protected:
  // For derived objects that build their attributes in place.
  ON_3dmObjectAttributes& WritableAttributes() { return m_attributes; }

private:
  friend class CRhinoDoc;
  friend class CRhinoUndoRecord;

  ON_3dmObjectAttributes m_attributes;
  CRhinoDoc* m_doc = nullptr;
  unsigned int m_runtime_serial_number;
  bool m_bReference = false;
  bool m_bDeleted = false;
  bool m_bCustomMeshParameters = false;
  int m_undo_references = 0; // undo and redo records that hold the object
  mutable int m_mark = 0;
  mutable int m_selection = 0;
  ON_MeshParameters m_custom_mesh_parameters;
  std::vector<CRhinoVisualAnalysisMode> m_analysis_modes;
};
