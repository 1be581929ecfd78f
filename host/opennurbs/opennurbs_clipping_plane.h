#pragma once
// ON_ClippingPlaneInfo: one clipping plane handed to the display.
// Points with plane equation value < 0 are clipped away; the value >= 0 side
// stays visible.

#include "opennurbs_plane.h"
#include "opennurbs_uuid.h"

class ON_CLASS ON_ClippingPlaneInfo {
public:
  ON_PlaneEquation m_plane_equation;
  ON_UUID m_plane_id; // nil unless set
  bool m_bEnabled = false;

  ON_ClippingPlaneInfo() = default;
  bool operator==(const ON_ClippingPlaneInfo& o) const {
    return m_plane_equation == o.m_plane_equation && m_plane_id == o.m_plane_id &&
           m_bEnabled == o.m_bEnabled;
  }
};
