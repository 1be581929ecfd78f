#pragma once
// Line patterns of 32 bits, bit 0 first, one bit per pixel along the line.
//
// The legacy GL stipple only holds 16 bits, so the engine lays the pattern
// out as a 32-texel 1D texture instead and gives each line end its distance
// from the line's start in pixels: any 32-bit pattern then repeats exactly.
// This file holds the arithmetic; the GL calls live in the engine.

namespace glengine {

// 0 and 0xFFFFFFFF draw solid lines without the texture.
bool IsSolidLinePattern(unsigned int pattern);

// texels[i] = 255 where bit i of the pattern is set, else 0.
void LinePatternTexels(unsigned int pattern, unsigned char texels[32]);

// A point in GL clip coordinates.
struct ClipPoint {
  double x = 0.0, y = 0.0, z = 0.0, w = 1.0;
};

// Restricts the segment a-b (parameters 0 and 1) to the part in front of
// the near plane (z >= -w) with w > 0, where the pixel distances below are
// meaningful. Returns false when nothing is left; otherwise t0 <= t1 are
// the parameters of the part that is kept.
bool ClipSegmentToNearPlane(const ClipPoint& a, const ClipPoint& b, double& t0, double& t1);

ClipPoint LerpClip(const ClipPoint& a, const ClipPoint& b, double t);

// Distance in pixels between two clip points (both with w > 0) on a
// picture of the given size.
double PixelDistance(const ClipPoint& a, const ClipPoint& b, int width, int height);

} // namespace glengine
