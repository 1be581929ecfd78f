#pragma once
// CChannelAttributes: the record the pipeline binds to a conduit for each
// channel call. One record per pipeline; its per-object fields are reset
// before the channels of every object run.

#include "opennurbs.h"

class CRhinoObject;

class CChannelAttributes {
public:
  // The channel being called (one of CRhinoDisplayConduit's channel values).
  unsigned int m_channel = 0;

  // Bounding-box channel: the box the frame's near and far planes are sized
  // to. Conduits may replace or grow it.
  ON_BoundingBox m_bounding_box;

  // Clipping-plane channel: extra clipping planes conduits append; every
  // enabled one is applied to the whole frame (each keeps the half space
  // where its equation is >= 0). The engine applies at most 6.
  ON_SimpleArray<ON_ClippingPlaneInfo> m_clipping_planes;

  // ---- per object (reset before the channels of each object run) ----
  // false: the host does not draw the current object.
  bool m_bDrawObject = true;
  // true: a conduit replaced m_pObject; the host draws the substitute.
  bool m_bObjectSubstituted = false;
  // Index of the owner of the current object (an instance reference whose
  // member is being drawn) for CRhinoDisplayPipeline::GetObjectOwner, or -1.
  int m_object_owner_index = -1;
  // The object the host draws when the flag stays true: the object being
  // drawn, or the substitute a conduit put here. Not owned; a substitute
  // must outlive the frame's call for that object.
  const CRhinoObject* m_pObject = nullptr;

  void ResetForObject(const CRhinoObject* object, int owner_index) {
    m_bDrawObject = true;
    m_bObjectSubstituted = false;
    m_object_owner_index = owner_index;
    m_pObject = object;
  }
};
