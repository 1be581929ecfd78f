// The OpenGL engine draws with the fixed-function pipeline of a
// compatibility context: lighting, user clip planes and polygon offset come
// for free, and what is left here is mostly state handling. Lights and
// materials live in gl_lighting.cpp, mesh arrays in mesh_arrays.cpp.
//
// Depth conventions: shaded meshes are always pushed back by one slope and
// one depth unit (polygon offset), so wires and edges drawn at the same
// depth stay visible; z-bias shifts whatever is drawn under it by a fixed
// amount of normalised depth toward (mode 1) or away from (-1) the viewer.

#include "engine/opengl_engine.h"

#include "gl_lighting.h"
#include "line_pattern.h"
#include "mesh_arrays.h"
#include "offscreen_context.h"
#include "png_writer.h"
#include "rgb_image.h"
#include "view_matrices.h"

#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace glengine {
namespace {

constexpr int kMaxClippingPlanes = 6;
// Normalised-depth shift of z-bias: about 70 steps of a 24-bit buffer,
// enough to lift a line off a face it lies on, small enough not to pull
// it through a face in front of it.
constexpr double kZBiasShift = 8.0e-6;
constexpr int kMaxLineThickness = 64;
constexpr int kMaxPointSize = 64;
constexpr int kMaxSupersampling = 4;

bool IsFinite(const ON_3dPoint& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

bool IsFinite(const ON_Xform& x) {
  for (const auto& row : x.m_xform)
    for (double v : row)
      if (!std::isfinite(v)) return false;
  return true;
}

void SetGlColor(ON_Color c) {
  glColor4ub(static_cast<GLubyte>(c.Red()), static_cast<GLubyte>(c.Green()),
             static_cast<GLubyte>(c.Blue()), 255);
}

double Determinant3(const ON_Xform& x) {
  const auto& m = x.m_xform;
  return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
         m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
         m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
}

// Each pixel of `to` the mean of a factor x factor block of `from`, whose
// sides are whole multiples of factor.
void BoxFilter(const RgbImage& from, int factor, RgbImage& to) {
  to = RgbImage{};
  if (from.Empty() || factor < 1) return;
  to.width = from.width / factor;
  to.height = from.height / factor;
  const std::size_t row = static_cast<std::size_t>(to.width) * 3u;
  to.rgb.assign(row * static_cast<std::size_t>(to.height), 0);
  std::vector<unsigned> sums(row);
  const unsigned count = static_cast<unsigned>(factor * factor);
  const std::size_t from_row = static_cast<std::size_t>(from.width) * 3u;
  for (int y = 0; y < to.height; ++y) {
    std::fill(sums.begin(), sums.end(), 0u);
    for (int sy = 0; sy < factor; ++sy) {
      const unsigned char* in =
          from.rgb.data() + static_cast<std::size_t>(y * factor + sy) * from_row;
      for (int x = 0; x < to.width; ++x)
        for (int sx = 0; sx < factor; ++sx, in += 3) {
          unsigned* sum = &sums[static_cast<std::size_t>(x) * 3u];
          sum[0] += in[0];
          sum[1] += in[1];
          sum[2] += in[2];
        }
    }
    unsigned char* out = to.rgb.data() + static_cast<std::size_t>(y) * row;
    for (std::size_t i = 0; i < row; ++i)
      out[i] = static_cast<unsigned char>((sums[i] + count / 2) / count);
  }
}

class OpenGLDisplayEngine final : public CRhinoDisplayEngine {
public:
  ~OpenGLDisplayEngine() override;

  bool BeginFrame(const ON_Viewport& viewport, ON_Color background) override;
  void EndFrame() override;
  void SetSupersampling(int factor) override {
    supersampling_ = std::clamp(factor, 1, kMaxSupersampling);
  }

  void SetModelTransform(const ON_Xform& xform) override;
  void SetZBias(int mode) override;
  void SetCullFaceMode(int mode) override;
  void SetClippingPlanes(const ON_SimpleArray<ON_PlaneEquation>& planes) override;

  void DrawShadedMesh(const ON_Mesh& mesh, const CDisplayEngineMaterial& material) override;
  void DrawMeshWires(const ON_Mesh& mesh, ON_Color color, int thickness) override;
  void DrawLine(const ON_3dPoint& from, const ON_3dPoint& to, ON_Color color, int thickness,
                unsigned int pattern) override;
  void DrawPolyline(const ON_3dPoint* points, int count, ON_Color color, int thickness,
                    unsigned int pattern) override;
  void DrawPoint(const ON_3dPoint& point, ON_Color color, int size) override;

  bool SaveFrameToPng(const std::string& utf8_path, std::string& error) const override;
  bool FramePixel(int x, int y, ON_Color& color) const override;

private:
  bool EnsureContext();
  void ResetFrameState(ON_Color background);
  // True when a primitive may be drawn now; loads pending matrix, clip and
  // culling state first.
  bool ReadyToDraw();
  void ApplyTransforms();
  void ApplyClippingPlanes();
  void ApplyCulling();
  void UsePatternTexture(unsigned int pattern);
  void DrawPatternedSegments(const ON_3dPoint* points, int count, unsigned int pattern);

  // Widths in pixels of the finished picture, as the context draws them.
  GLfloat Scaled(int pixels, int largest) const {
    return static_cast<GLfloat>(std::clamp(pixels, 1, largest) * samples_);
  }

  std::unique_ptr<OffscreenContext> context_;
  bool context_failed_ = false;
  bool in_frame_ = false;
  int supersampling_ = 1; // asked for
  int samples_ = 1;       // used by the current frame, per side of a pixel
  RgbImage samples_picture_;

  ViewMatrices view_;
  ON_Xform model_;
  int zbias_ = 0;
  int cull_ = 0;
  std::vector<std::array<double, 4>> planes_;
  bool transforms_dirty_ = true;
  bool planes_dirty_ = true;
  bool cull_dirty_ = true;

  GLuint pattern_texture_ = 0;
  unsigned int uploaded_pattern_ = 0;
  bool pattern_uploaded_ = false;

  RgbImage picture_; // the last finished frame
};

OpenGLDisplayEngine::~OpenGLDisplayEngine() {
  if (pattern_texture_ != 0 && context_ && context_->EnsureCurrent())
    glDeleteTextures(1, &pattern_texture_);
}

bool OpenGLDisplayEngine::EnsureContext() {
  if (context_) return true;
  if (context_failed_) return false;
  std::string reason;
  context_ = OffscreenContext::Create(reason);
  context_failed_ = !context_;
  return !context_failed_;
}

bool OpenGLDisplayEngine::BeginFrame(const ON_Viewport& viewport, ON_Color background) {
  in_frame_ = false;
  ViewMatrices view;
  if (!ComputeViewMatrices(viewport, view)) return false;
  if (!EnsureContext()) return false;
  int samples = supersampling_;
  while (samples > 1 && std::max(view.width, view.height) * samples > context_->MaxSize())
    --samples;
  if (!context_->Bind(view.width * samples, view.height * samples)) return false;
  samples_ = samples;
  view_ = view;
  in_frame_ = true;
  ResetFrameState(background);
  return true;
}

void OpenGLDisplayEngine::ResetFrameState(ON_Color background) {
  model_ = ON_Xform::IdentityTransformation;
  zbias_ = 0;
  cull_ = 0;
  planes_.clear();
  transforms_dirty_ = planes_dirty_ = cull_dirty_ = true;

  glViewport(0, 0, view_.width * samples_, view_.height * samples_);
  glDisable(GL_SCISSOR_TEST);
  glClearColor(static_cast<GLclampf>(background.FractionRed()),
               static_cast<GLclampf>(background.FractionGreen()),
               static_cast<GLclampf>(background.FractionBlue()), 1.0f);
  glClearDepth(1.0);
  glDepthMask(GL_TRUE);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_1D);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_LINE_SMOOTH);
  glDisable(GL_POINT_SMOOTH);
  glDisable(GL_LINE_STIPPLE);
  glDisable(GL_DITHER);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glPolygonOffset(1.0f, 1.0f);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  SetUpCameraLights();
  transforms_dirty_ = true; // the lights were placed with their own modelview
}

void OpenGLDisplayEngine::EndFrame() {
  if (!in_frame_) return;
  in_frame_ = false;
  if (samples_ == 1) {
    context_->ReadPicture(picture_);
    return;
  }
  context_->ReadPicture(samples_picture_);
  BoxFilter(samples_picture_, samples_, picture_);
}

void OpenGLDisplayEngine::SetModelTransform(const ON_Xform& xform) {
  model_ = xform;
  transforms_dirty_ = true;
  cull_dirty_ = true; // a mirroring transform turns the winding around
}

void OpenGLDisplayEngine::SetZBias(int mode) {
  const int clamped = mode > 0 ? 1 : (mode < 0 ? -1 : 0);
  if (clamped == zbias_) return;
  zbias_ = clamped;
  transforms_dirty_ = true;
}

void OpenGLDisplayEngine::SetCullFaceMode(int mode) {
  cull_ = (mode == 1 || mode == 2) ? mode : 0;
  cull_dirty_ = true;
}

void OpenGLDisplayEngine::SetClippingPlanes(const ON_SimpleArray<ON_PlaneEquation>& planes) {
  planes_.clear();
  const int count = std::min(planes.Count(), kMaxClippingPlanes);
  for (int i = 0; i < count; ++i) {
    const ON_PlaneEquation& e = planes[i];
    // A plane with non-finite coefficients defines no half space; GL
    // would clip unpredictably with it, so it is left out.
    if (!std::isfinite(e.x) || !std::isfinite(e.y) || !std::isfinite(e.z) || !std::isfinite(e.d))
      continue;
    planes_.push_back({e.x, e.y, e.z, e.d});
  }
  planes_dirty_ = true;
}

bool OpenGLDisplayEngine::ReadyToDraw() {
  if (!in_frame_ || !context_->EnsureCurrent()) return false;
  if (!IsFinite(model_)) return false;
  if (planes_dirty_) ApplyClippingPlanes();
  if (transforms_dirty_) ApplyTransforms();
  if (cull_dirty_) ApplyCulling();
  return true;
}

void OpenGLDisplayEngine::ApplyTransforms() {
  ON_Xform projection = view_.eye_to_clip;
  if (zbias_ != 0) {
    // z_clip -= shift * w_clip moves normalised depth by a constant.
    ON_Xform shift = ON_Xform::IdentityTransformation;
    shift.m_xform[2][3] = -kZBiasShift * zbias_;
    projection = shift * projection;
  }
  double gl[16];
  glMatrixMode(GL_PROJECTION);
  ToGlMatrix(projection, gl);
  glLoadMatrixd(gl);
  glMatrixMode(GL_MODELVIEW);
  ToGlMatrix(view_.world_to_eye * model_, gl);
  glLoadMatrixd(gl);
  transforms_dirty_ = false;
}

void OpenGLDisplayEngine::ApplyClippingPlanes() {
  // GL keeps clip planes in eye space, converting them with the modelview
  // matrix current when they are given; planes are in world coordinates,
  // so that matrix must be the camera alone, without the model transform.
  glMatrixMode(GL_MODELVIEW);
  double gl[16];
  ToGlMatrix(view_.world_to_eye, gl);
  glLoadMatrixd(gl);
  for (int i = 0; i < kMaxClippingPlanes; ++i) {
    const GLenum id = static_cast<GLenum>(GL_CLIP_PLANE0 + i);
    if (i < static_cast<int>(planes_.size())) {
      glClipPlane(id, planes_[static_cast<std::size_t>(i)].data());
      glEnable(id);
    } else {
      glDisable(id);
    }
  }
  planes_dirty_ = false;
  transforms_dirty_ = true;
}

void OpenGLDisplayEngine::ApplyCulling() {
  // Faces wound counter-clockwise face the viewer, unless the transform
  // into eye space mirrors them.
  const bool mirrored = Determinant3(view_.world_to_eye * model_) < 0.0;
  glFrontFace(mirrored ? GL_CW : GL_CCW);
  if (cull_ == 0) {
    glDisable(GL_CULL_FACE);
  } else {
    glEnable(GL_CULL_FACE);
    glCullFace(cull_ == 1 ? GL_BACK : GL_FRONT);
  }
  cull_dirty_ = false;
}

void OpenGLDisplayEngine::DrawShadedMesh(const ON_Mesh& mesh,
                                         const CDisplayEngineMaterial& material) {
  const double transparency =
      std::isfinite(material.m_transparency) ? material.m_transparency : 0.0;
  const float alpha = static_cast<float>(1.0 - std::clamp(transparency, 0.0, 1.0));
  if (alpha <= 0.0f) return; // fully transparent: nothing to see
  ShadedMeshArrays arrays;
  if (!BuildShadedMeshArrays(mesh, arrays)) return;
  if (!ReadyToDraw()) return;

  ApplyMaterial(material, alpha);

  const bool transparent = alpha < 1.0f;
  if (transparent) {
    // Blended over what is already drawn; depth writes stay off so a
    // transparent mesh never hides what is drawn after it.
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDepthMask(GL_FALSE);
  }
  glEnable(GL_POLYGON_OFFSET_FILL);

  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, arrays.positions);
  glEnableClientState(GL_NORMAL_ARRAY);
  glNormalPointer(GL_FLOAT, 0, arrays.normals);
  glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(arrays.triangles.size()), GL_UNSIGNED_INT,
                 arrays.triangles.data());
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_VERTEX_ARRAY);

  glDisable(GL_POLYGON_OFFSET_FILL);
  if (transparent) {
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
  }
  glDisable(GL_LIGHTING);
}

void OpenGLDisplayEngine::DrawMeshWires(const ON_Mesh& mesh, ON_Color color, int thickness) {
  std::vector<unsigned int> segments;
  if (!BuildMeshWireIndices(mesh, segments)) return;
  if (!ReadyToDraw()) return;
  glDisable(GL_LIGHTING);
  SetGlColor(color);
  // Thickness 0 asks for the default, a one-pixel wire.
  glLineWidth(Scaled(thickness, kMaxLineThickness));
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, 0, &mesh.m_V.Array()->x);
  glDrawElements(GL_LINES, static_cast<GLsizei>(segments.size()), GL_UNSIGNED_INT, segments.data());
  glDisableClientState(GL_VERTEX_ARRAY);
}

void OpenGLDisplayEngine::DrawLine(const ON_3dPoint& from, const ON_3dPoint& to, ON_Color color,
                                   int thickness, unsigned int pattern) {
  const ON_3dPoint ends[2] = {from, to};
  DrawPolyline(ends, 2, color, thickness, pattern);
}

void OpenGLDisplayEngine::DrawPolyline(const ON_3dPoint* points, int count, ON_Color color,
                                       int thickness, unsigned int pattern) {
  if (points == nullptr || count < 2) return;
  if (!ReadyToDraw()) return;
  glDisable(GL_LIGHTING);
  SetGlColor(color);
  glLineWidth(Scaled(thickness, kMaxLineThickness));
  if (IsSolidLinePattern(pattern)) {
    glBegin(GL_LINES);
    for (int i = 1; i < count; ++i) {
      const ON_3dPoint& a = points[i - 1];
      const ON_3dPoint& b = points[i];
      if (!IsFinite(a) || !IsFinite(b)) continue;
      glVertex3d(a.x, a.y, a.z);
      glVertex3d(b.x, b.y, b.z);
    }
    glEnd();
    return;
  }
  DrawPatternedSegments(points, count, pattern);
}

void OpenGLDisplayEngine::UsePatternTexture(unsigned int pattern) {
  if (pattern_texture_ == 0) glGenTextures(1, &pattern_texture_);
  glBindTexture(GL_TEXTURE_1D, pattern_texture_);
  if (!pattern_uploaded_ || uploaded_pattern_ != pattern) {
    unsigned char texels[32];
    LinePatternTexels(pattern, texels);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_ALPHA, 32, 0, GL_ALPHA, GL_UNSIGNED_BYTE, texels);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    uploaded_pattern_ = pattern;
    pattern_uploaded_ = true;
  }
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void OpenGLDisplayEngine::DrawPatternedSegments(const ON_3dPoint* points, int count,
                                                unsigned int pattern) {
  // The pattern texture repeats every 32 pixels along the line. The
  // texture coordinate carries the pixel distance premultiplied by clip w,
  // with w as q: GL's perspective-correct interpolation then divides the
  // w back out and the distance runs linearly across the screen, as a
  // stipple does. The distance runs on from one segment into the next, so
  // a curve made of short segments is dashed like one long line.
  const ON_Xform model_to_clip = view_.eye_to_clip * view_.world_to_eye * model_;
  const auto to_clip = [&model_to_clip](const ON_3dPoint& p) {
    const ON_4dPoint c = model_to_clip * ON_4dPoint(p);
    return ClipPoint{c.x, c.y, c.z, c.w};
  };

  UsePatternTexture(pattern);
  glEnable(GL_TEXTURE_1D);
  glEnable(GL_ALPHA_TEST);
  glAlphaFunc(GL_GREATER, 0.5f);
  glBegin(GL_LINES);
  double travelled = 0.0; // pixels from the start, kept within one period
  for (int i = 1; i < count; ++i) {
    const ON_3dPoint& from = points[i - 1];
    const ON_3dPoint& to = points[i];
    if (!IsFinite(from) || !IsFinite(to)) continue;
    const ClipPoint a = to_clip(from);
    const ClipPoint b = to_clip(to);
    double t0 = 0.0, t1 = 1.0;
    if (!ClipSegmentToNearPlane(a, b, t0, t1)) continue; // wholly behind the camera
    const ClipPoint ca = LerpClip(a, b, t0);
    const ClipPoint cb = LerpClip(a, b, t1);
    const ON_3dPoint pa = from + (to - from) * t0;
    const ON_3dPoint pb = from + (to - from) * t1;
    const double length = PixelDistance(ca, cb, view_.width, view_.height);
    const double s0 = travelled / 32.0;
    const double s1 = (travelled + length) / 32.0;
    glTexCoord4d(s0 * ca.w, 0.0, 0.0, ca.w);
    glVertex3d(pa.x, pa.y, pa.z);
    glTexCoord4d(s1 * cb.w, 0.0, 0.0, cb.w);
    glVertex3d(pb.x, pb.y, pb.z);
    travelled = std::fmod(travelled + length, 32.0);
  }
  glEnd();
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_TEXTURE_1D);
}

void OpenGLDisplayEngine::DrawPoint(const ON_3dPoint& point, ON_Color color, int size) {
  if (!IsFinite(point)) return;
  if (!ReadyToDraw()) return;
  glDisable(GL_LIGHTING);
  SetGlColor(color);
  glPointSize(Scaled(size, kMaxPointSize));
  glBegin(GL_POINTS);
  glVertex3d(point.x, point.y, point.z);
  glEnd();
}

bool OpenGLDisplayEngine::SaveFrameToPng(const std::string& utf8_path, std::string& error) const {
  if (picture_.Empty()) {
    error = "no frame has been drawn yet";
    return false;
  }
  return WriteRgbPng(utf8_path, picture_, error);
}

bool OpenGLDisplayEngine::FramePixel(int x, int y, ON_Color& color) const {
  unsigned char r = 0, g = 0, b = 0;
  if (!picture_.Pixel(x, y, r, g, b)) return false;
  color = ON_Color(r, g, b);
  return true;
}

} // namespace
} // namespace glengine

std::unique_ptr<CRhinoDisplayEngine> CreateOpenGLDisplayEngine() {
  return std::make_unique<glengine::OpenGLDisplayEngine>();
}
