#include "offscreen_context.h"

#include <GL/gl.h>
#include <GL/osmesa.h>

#include <algorithm>
#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/lsan_interface.h>
#endif

namespace glengine {

namespace {

// Mesa's offscreen driver keeps a small record per context and per picture
// size for the life of the process and never frees it. Under the leak
// checker those records would fail every program that renders, so their
// allocations are left out of the check; ours are still checked.
class IgnoreDriverRecords {
public:
#if defined(__SANITIZE_ADDRESS__)
  IgnoreDriverRecords() {
    __lsan_disable();
  }
  ~IgnoreDriverRecords() {
    __lsan_enable();
  }
#else
  IgnoreDriverRecords() = default;
#endif
  IgnoreDriverRecords(const IgnoreDriverRecords&) = delete;
  IgnoreDriverRecords& operator=(const IgnoreDriverRecords&) = delete;
};

// Pictures larger than this are refused before any memory is taken; the
// rasteriser's own limit may be lower and wins when it is.
constexpr int kLargestSide = 8192;

} // namespace

std::unique_ptr<OffscreenContext> OffscreenContext::Create(std::string& error) {
  std::unique_ptr<OffscreenContext> result(new OffscreenContext());
  // 24-bit depth for z-bias that stays small in world units, 8-bit stencil
  // for later use, no accumulation buffer.
  {
    [[maybe_unused]] IgnoreDriverRecords ignore;
    result->context_ = OSMesaCreateContextExt(OSMESA_RGBA, 24, 8, 0, nullptr);
  }
  if (result->context_ == nullptr) {
    error = "the offscreen OpenGL context could not be created";
    return nullptr;
  }
  result->max_size_ = kLargestSide;
  return result;
}

OffscreenContext::~OffscreenContext() {
  if (context_ == nullptr) return;
  // A context destroyed while current leaves the thread pointing at freed
  // state; release it first.
  if (OSMesaGetCurrentContext() == context_) OSMesaMakeCurrent(nullptr, nullptr, 0, 0, 0);
  OSMesaDestroyContext(context_);
}

bool OffscreenContext::Bind(int width, int height) {
  if (context_ == nullptr || width <= 0 || height <= 0 || width > max_size_ || height > max_size_)
    return false;
  const bool resized = width != width_ || height != height_;
  if (resized) {
    rgba_.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u, 0);
    width_ = width;
    height_ = height;
  }
  bool bound = false;
  {
    [[maybe_unused]] IgnoreDriverRecords ignore;
    bound = OSMesaMakeCurrent(context_, rgba_.data(), GL_UNSIGNED_BYTE, width_, height_) != 0;
  }
  if (!bound) {
    width_ = height_ = 0;
    rgba_.clear();
    return false;
  }
  if (resized) {
    GLint limit[2] = {0, 0};
    OSMesaGetIntegerv(OSMESA_MAX_WIDTH, &limit[0]);
    OSMesaGetIntegerv(OSMESA_MAX_HEIGHT, &limit[1]);
    if (limit[0] > 0 && limit[1] > 0) max_size_ = std::min({max_size_, limit[0], limit[1]});
  }
  // Row 0 of the buffer is the top row, as pictures are written.
  OSMesaPixelStore(OSMESA_Y_UP, 0);
  return true;
}

bool OffscreenContext::EnsureCurrent() {
  if (context_ == nullptr || rgba_.empty()) return false;
  if (OSMesaGetCurrentContext() == context_) return true;
  [[maybe_unused]] IgnoreDriverRecords ignore;
  return OSMesaMakeCurrent(context_, rgba_.data(), GL_UNSIGNED_BYTE, width_, height_) != 0;
}

void OffscreenContext::ReadPicture(RgbImage& picture) {
  picture = RgbImage{};
  if (!EnsureCurrent()) return;
  glFinish();
  const std::size_t count = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_);
  picture.width = width_;
  picture.height = height_;
  picture.rgb.resize(count * 3u);
  const unsigned char* from = rgba_.data();
  unsigned char* to = picture.rgb.data();
  for (std::size_t i = 0; i < count; ++i, from += 4, to += 3) {
    to[0] = from[0];
    to[1] = from[1];
    to[2] = from[2];
  }
}

} // namespace glengine
