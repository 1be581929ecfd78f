#pragma once
// The drawing back end of the host's display pipeline.
//
// The pipeline (CRhinoDisplayPipeline) decides what is drawn and in which
// pass; an engine only turns primitives into pixels, or, for the recording
// engine used by tests, into a list of calls. Everything the pipeline hands
// over is in world coordinates; the engine applies the model transform, the
// viewport's projection, the z-bias, face culling and the clipping planes that
// are current when a primitive arrives.
//
// Ownership: the engine never keeps pointers to the meshes it is given beyond
// the call (the recording engine keeps copies of what it needs).

#include "opennurbs.h"

#include <string>

// How a shaded mesh looks. Colours are ON_Color (red in bits 0-7).
struct CDisplayEngineMaterial {
  ON_Color m_diffuse = ON_Color(200, 200, 200);
  ON_Color m_specular = ON_Color(255, 255, 255);
  ON_Color m_emission = ON_Color(0, 0, 0);
  double m_shine = 0.25;       // 0 (dull) to 1 (mirror-like highlight)
  double m_transparency = 0.0; // 0 opaque, 1 invisible
  bool m_bLighting = true;     // false: flat diffuse colour, no shading
};

// Face culling: 0 none, 1 cull back faces, 2 cull front faces.
// Z-bias: 0 none, 1 toward the viewer (lines drawn over coplanar surfaces),
// -1 away from the viewer.
class CRhinoDisplayEngine {
public:
  virtual ~CRhinoDisplayEngine() = default;

  // A frame: the viewport gives camera, projection and the pixel size of the
  // picture; every primitive between the two calls belongs to that frame.
  // False when the viewport cannot be drawn (no usable camera or frustum, a
  // picture too large) or no drawing context exists; primitives are then
  // ignored until the next successful BeginFrame, and the last finished
  // frame stays as it was.
  virtual bool BeginFrame(const ON_Viewport& viewport, ON_Color background) = 0;
  virtual void EndFrame() = 0;

  // Smoothed edges for the frames that follow: each pixel is the average
  // of factor x factor samples (1: no smoothing, the default). Line widths,
  // point sizes and dash lengths stay in pixels of the finished picture.
  // Engines that draw no pixels ignore it; a factor whose enlarged picture
  // would exceed the engine's limit is lowered until it fits.
  virtual void SetSupersampling(int factor) { (void)factor; }

  // State, kept until changed or until the next BeginFrame resets it
  // (identity transform, z-bias 0, no culling, no clipping planes).
  // A model transform that mirrors keeps front faces in front, so culling
  // a mirrored closed mesh still shows its outside; a transform with
  // non-finite entries draws nothing.
  virtual void SetModelTransform(const ON_Xform& xform) = 0;
  virtual void SetZBias(int mode) = 0;
  virtual void SetCullFaceMode(int mode) = 0;
  // Each plane keeps the half space where a*x + b*y + c*z + d >= 0 (world
  // coordinates); at most 6 planes are applied, further ones are ignored.
  virtual void SetClippingPlanes(const ON_SimpleArray<ON_PlaneEquation>& planes) = 0;

  // Primitives. Faces whose indices fall outside the vertex array are
  // skipped; thickness and size below 1 draw 1 pixel wide.
  virtual void DrawShadedMesh(const ON_Mesh& mesh, const CDisplayEngineMaterial& material) = 0;
  virtual void DrawMeshWires(const ON_Mesh& mesh, ON_Color color, int thickness) = 0;
  // pattern: 32-bit stipple, bit 0 first, one bit per pixel along the line;
  // 0xFFFFFFFF (or 0) is a solid line.
  virtual void DrawLine(const ON_3dPoint& from, const ON_3dPoint& to, ON_Color color, int thickness,
                        unsigned int pattern) = 0;
  // A connected run of count - 1 segments through `points` (null or fewer
  // than two points draw nothing). The pattern runs on across the vertices
  // instead of restarting at each one, so a curve made of segments a few
  // pixels long still shows its dashes. Engines that cannot do better draw
  // it segment by segment.
  virtual void DrawPolyline(const ON_3dPoint* points, int count, ON_Color color, int thickness,
                            unsigned int pattern) {
    if (points == nullptr) return;
    for (int i = 1; i < count; ++i)
      DrawLine(points[i - 1], points[i], color, thickness, pattern);
  }
  virtual void DrawPoint(const ON_3dPoint& point, ON_Color color, int size) = 0;

  // The last finished frame as a PNG file (8-bit RGB). Written to a
  // temporary file and renamed into place; false with the reason in `error`.
  virtual bool SaveFrameToPng(const std::string& utf8_path, std::string& error) const = 0;
  // Colour of one pixel of the last finished frame (x right, y down from
  // the top-left corner); false outside the picture or without a frame.
  virtual bool FramePixel(int x, int y, ON_Color& color) const = 0;
};
