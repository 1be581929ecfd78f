#pragma once
// What the user sees of chosen objects, as meshes: the shared part of
// "kyExtractMesh" and "kyExportClippedMeshes". Both commands reuse the
// clipped meshes the display service caches on each object when it draws
// it; nothing is cut here.
//
// An object is "handled by its cache" when one computed entry of its
// section cache is cut (clip state 0) or removed (-1). Such an object gives
// one joined mesh per computed entry that still shows something: the cut
// entries, and also the untouched entries (state 1) of an object that is
// only partly cut (some of its separate parts meet a cutter, others do
// not), so that nothing the display shows goes missing. Every other
// object that is not a cutting object gives its render meshes.
//
// Ownership: the joined meshes belong to this collection and live until
// it is destroyed; the pairs only point at them. Source objects are
// borrowed from their document.

#include "rhinoSdk.h"

// Runs the object getter both commands share: surfaces, polysurfaces,
// meshes and block instances, whole objects only, one or more.
CRhinoGet::result GetObjectsToMesh(CRhinoGetObject& go);

class CKyrelClippedMeshes {
public:
  // Draws the document's views once first: the section caches are built by
  // drawing, and a change since the last frame (a cutter moved by a script,
  // an object never drawn since it was cut) would otherwise leave them
  // stale or empty, and the collection would not be what the views show.
  explicit CKyrelClippedMeshes(CRhinoDoc& doc);
  ~CKyrelClippedMeshes();
  CKyrelClippedMeshes(const CKyrelClippedMeshes&) = delete;
  CKyrelClippedMeshes& operator=(const CKyrelClippedMeshes&) = delete;

  // Takes one chosen object (null is skipped): cutting objects give
  // nothing, objects handled by their cache give their joined entries at
  // once, the others are kept for AddRenderMeshes.
  void Collect(const CRhinoObject* object);
  // Appends the render meshes of the objects Collect kept, making them
  // where they are missing (for those objects only).
  void AddRenderMeshes();
  // Adds to the document one mesh object per collected mesh with faces,
  // with its source's attributes, in collection order. Section caches the
  // new objects carry are dropped: they describe the source, not the new
  // mesh. Returns the new objects.
  ON_SimpleArray<CRhinoObject*> AddMeshObjects() const;

private:
  // Appends one pair per showing entry when the cache handles the object;
  // false when the object is to be meshed the ordinary way.
  bool CollectCachedMeshes(const CRhinoObject& object);

  CRhinoDoc& m_doc;
  ON_SimpleArray<const CRhinoObject*> m_plain_objects;
  // (source object, mesh) in collection order: joined entries of objects
  // in the order they were collected, then render meshes.
  ON_ClassArray<CRhinoObjRef> m_pairs;
  ON_SimpleArray<ON_Mesh*> m_joined_meshes; // owned
};
