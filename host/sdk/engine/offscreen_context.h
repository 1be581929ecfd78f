#pragma once
// One offscreen OpenGL context (Mesa's software rasteriser) with the colour
// buffer it draws into. GL and OSMesa headers stay in the .cpp; callers only
// see sizes and finished pictures.
//
// Threads: a context is current on one thread at a time; the engine uses it
// on the UI thread only and makes it current before drawing.

#include "rgb_image.h"

#include <memory>
#include <string>
#include <vector>

struct osmesa_context; // OSMesaContext is a pointer to this

namespace glengine {

class OffscreenContext {
public:
  // Null when the context cannot be created; the reason goes into `error`.
  static std::unique_ptr<OffscreenContext> Create(std::string& error);
  ~OffscreenContext();
  OffscreenContext(const OffscreenContext&) = delete;
  OffscreenContext& operator=(const OffscreenContext&) = delete;

  // Sizes the colour buffer (kept when unchanged, so the rasteriser's own
  // per-size buffers are not recreated every frame) and makes the context
  // current on the calling thread. False for sizes outside 1..MaxSize().
  bool Bind(int width, int height);
  // Makes the context current again if another context took over the
  // thread since Bind; false before the first successful Bind.
  bool EnsureCurrent();

  int Width() const { return width_; }
  int Height() const { return height_; }
  int MaxSize() const { return max_size_; }

  // Waits for drawing to finish and copies the buffer, top row first.
  void ReadPicture(RgbImage& picture);

private:
  OffscreenContext() = default;

  osmesa_context* context_ = nullptr;
  std::vector<unsigned char> rgba_; // the buffer the context draws into
  int width_ = 0;
  int height_ = 0;
  int max_size_ = 0;
};

} // namespace glengine
