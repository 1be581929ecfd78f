#pragma once
// ON_Viewport: a camera, its view frustum and the screen port it maps to.
//
// Coordinate systems (see ON::coordinate_system):
//   world   model coordinates
//   camera  origin at the camera location, x = CameraX() (right), y =
//           CameraY() (up), z = CameraZ(); the camera looks down -z, so
//           CameraZ() points from the target back toward the camera and
//           the view direction is -CameraZ(). CameraX/Y/Z are unit world
//           vectors forming a right-handed frame.
//   clip    the frustum mapped to [-1,1]^3 (OpenGL conventions: near plane
//           at z = -1, far plane at z = +1; points are homogeneous and
//           ON_Xform divides by w)
//   screen  pixels: x from port left to port right, y from port bottom
//           (clip y = -1) to port top (clip y = +1), z from port near to
//           port far. The default port has top 0 and bottom = height, so
//           y grows downward like window pixels, and z runs 0 to 1.
//
// The frustum is given in camera coordinates at the near plane: left <
// right, bottom < top, 0 < near < far for perspective views (parallel
// views allow any near < far). Changing near/far of a perspective view
// scales left/right/bottom/top so the viewing angles stay the same.

#include "opennurbs_bounding_box.h"
#include "opennurbs_geometry.h"
#include "opennurbs_plane.h"
#include "opennurbs_xform.h"

class ON_CLASS ON_Viewport : public ON_Geometry {
  ON_OBJECT_DECLARE(ON_Viewport);

public:
  // Perspective view from (0,0,100) looking down -z with y up, frustum
  // near 1, far 1000, about 53 degrees high, 640 x 480 pixel port.
  ON_Viewport();
  ON_Viewport(const ON_Viewport&) = default;
  ON_Viewport& operator=(const ON_Viewport&) = default;
  ~ON_Viewport() override = default;

  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  unsigned int SizeOf() const override;
  bool Write(ON_BinaryArchive& archive) const override;
  bool Read(ON_BinaryArchive& archive) override;
  // Box of the camera location and the frustum corners.
  bool GetBBox(ON_BoundingBox& bbox, bool bGrowBox = false) const override;
  // Moves the camera (location, direction, up) and target rigidly.
  bool Transform(const ON_Xform& xform) override;

  // ---- projection ----
  ON::view_projection Projection() const { return m_projection; }
  bool SetProjection(ON::view_projection projection);
  bool IsPerspectiveProjection() const { return m_projection == ON::perspective_view; }
  bool IsParallelProjection() const { return m_projection == ON::parallel_view; }
  // Keeps what is seen at the target distance the same size.
  bool ChangeToParallelProjection();
  bool ChangeToPerspectiveProjection(double target_distance);

  // ---- camera ----
  // Each setter refuses (false) invalid input: unset points, zero vectors,
  // an up vector parallel to the direction. A new direction parallel to
  // the current up vector is accepted and the up vector replaced by the
  // previous CameraY() (or a world axis), so the setters work in any order.
  bool SetCameraLocation(const ON_3dPoint& location);
  bool SetCameraDirection(const ON_3dVector& direction);
  bool SetCameraUp(const ON_3dVector& up);
  ON_3dPoint CameraLocation() const { return m_location; }
  ON_3dVector CameraDirection() const { return m_direction; }
  ON_3dVector CameraUp() const { return m_up; }
  ON_3dVector CameraX() const { return m_x; }
  ON_3dVector CameraY() const { return m_y; }
  ON_3dVector CameraZ() const { return m_z; }
  bool GetCameraFrame(ON_3dPoint& location, ON_3dVector& x, ON_3dVector& y, ON_3dVector& z) const;

  // The point the view turns about and zooms toward. When never set it
  // is the point on the view axis halfway between near and far.
  ON_3dPoint TargetPoint() const;
  bool SetTargetPoint(const ON_3dPoint& target);
  double TargetDistance() const;

  // ---- frustum ----
  bool SetFrustum(double left, double right, double bottom, double top, double near_dist,
                  double far_dist);
  bool GetFrustum(double* left, double* right, double* bottom, double* top,
                  double* near_dist = nullptr, double* far_dist = nullptr) const;
  double FrustumLeft() const { return m_frus_left; }
  double FrustumRight() const { return m_frus_right; }
  double FrustumBottom() const { return m_frus_bottom; }
  double FrustumTop() const { return m_frus_top; }
  double FrustumNear() const { return m_frus_near; }
  double FrustumFar() const { return m_frus_far; }
  double FrustumWidth() const { return m_frus_right - m_frus_left; }
  double FrustumHeight() const { return m_frus_top - m_frus_bottom; }
  // False for near >= far, or near <= 0 in a perspective view.
  bool SetFrustumNearFar(double near_dist, double far_dist);
  // Near and far planes that enclose the world box with a small margin;
  // false for an empty box or one wholly behind a perspective camera.
  bool SetFrustumNearFar(const ON_BoundingBox& world_box);
  // Width / height of the frustum.
  double FrustumAspect() const;
  // Widens or heightens the frustum about its centre to the aspect.
  bool SetFrustumAspect(double width_over_height);

  // ---- screen port ----
  bool SetScreenPort(int port_left, int port_right, int port_bottom, int port_top,
                     int port_near = 0, int port_far = 1);
  bool GetScreenPort(int* left, int* right, int* bottom, int* top, int* port_near = nullptr,
                     int* port_far = nullptr) const;
  // A width x height pixel port (top 0, bottom height) with the frustum
  // adjusted to its aspect.
  bool SetScreenSize(int width, int height);
  int ScreenPortWidth() const;
  int ScreenPortHeight() const;

  // ---- transforms ----
  // Transform taking points from one coordinate system to another. False
  // when the viewport is not valid.
  bool GetXform(ON::coordinate_system from, ON::coordinate_system to, ON_Xform& xform) const;
  // World line through the screen point, from the near plane (parameter
  // 0) to the far plane (1). Used for picking.
  bool GetFrustumLine(double screen_x, double screen_y, ON_Line& world_line) const;
  // Screen position of a world point (z in port near..far); false when the
  // point is at the camera plane of a perspective view.
  bool GetScreenCoordinates(const ON_3dPoint& world_point, ON_3dPoint& screen_point) const;
  // World units per pixel at the given camera depth (distance in front of
  // the camera); for parallel views depth is ignored.
  double WorldUnitsPerPixel(double depth) const;

  // ---- framing ----
  // Moves the camera along its view axis (direction kept) so the world box
  // fills the view, sets the target to the box centre and near/far around
  // the box. A parallel view also scales its frustum. border >= 1 leaves
  // that much room (1.1 = 10%). False for an empty box.
  bool DollyExtents(const ON_BoundingBox& world_box, double border = 1.1);

private:
  bool UpdateFrame();
  ON_Xform WorldToCamera() const;
  ON_Xform CameraToClip() const;
  ON_Xform ClipToScreen() const;

  ON::view_projection m_projection = ON::perspective_view;
  ON_3dPoint m_location{0.0, 0.0, 100.0};
  ON_3dVector m_direction{0.0, 0.0, -1.0};
  ON_3dVector m_up{0.0, 1.0, 0.0};
  ON_3dVector m_x{1.0, 0.0, 0.0};
  ON_3dVector m_y{0.0, 1.0, 0.0};
  ON_3dVector m_z{0.0, 0.0, 1.0};
  ON_3dPoint m_target = ON_3dPoint::UnsetPoint;
  double m_frus_left = -2.0 / 3.0, m_frus_right = 2.0 / 3.0;
  double m_frus_bottom = -0.5, m_frus_top = 0.5;
  double m_frus_near = 1.0, m_frus_far = 1000.0;
  int m_port_left = 0, m_port_right = 640, m_port_bottom = 480, m_port_top = 0;
  int m_port_near = 0, m_port_far = 1;
};
