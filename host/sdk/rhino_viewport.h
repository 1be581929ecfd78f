#pragma once
// CRhinoViewport: a view's camera (an ON_Viewport) and its target, plus
// RhinoDollyExtents, which frames a box.

#include "opennurbs.h"

class CRhinoViewport {
public:
  CRhinoViewport();
  explicit CRhinoViewport(const ON_Viewport& vp);

  const ON_Viewport& VP() const { return m_vp; }
  // Replaces the camera. bKeepScreenPort true: this viewport keeps its own
  // pixel size and adapts the new frustum to its aspect; false (0): vp is
  // taken as it is. False (nothing changes) for an invalid vp.
  bool SetVP(const ON_Viewport& vp, bool bKeepScreenPort = false);
  // Sets the target point. bMoveCamera true (1): the camera keeps its
  // direction and distance and moves with the target (a pan); false: only
  // the target point changes. False for an invalid point.
  bool SetTarget(const ON_3dPoint& target, bool bMoveCamera = true);
  ON_3dPoint Target() const { return m_vp.TargetPoint(); }

  int Width() const { return m_vp.ScreenPortWidth(); }
  int Height() const { return m_vp.ScreenPortHeight(); }
  // A width x height pixel port; false for sizes below 1.
  bool SetScreenSize(int width, int height);
  // Frames a world box (direction kept); false for an empty box.
  bool ZoomExtents(const ON_BoundingBox& world_box);
  // Counts every change of camera or port (lets caches notice changes).
  unsigned int ChangeCount() const { return m_change_count; }

private:
  ON_Viewport m_vp;
  unsigned int m_change_count = 0;
};

// Fills zoomed_vp with current_vp moved along its view direction (and, for
// parallel views, rescaled) so that camera_box, a box in current_vp's
// camera coordinates, fills the view with a 10% border and lies between the
// near and far planes; the box centre ends on the view axis and becomes the
// target. Returns false and leaves zoomed_vp untouched for an empty or
// invalid box or an invalid viewport.
bool RhinoDollyExtents(const ON_Viewport& current_vp, const ON_BoundingBox& camera_box,
                       ON_Viewport& zoomed_vp);
