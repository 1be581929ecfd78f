#pragma once
// The toolbar's pictures, drawn in code so that every size comes from one
// drawing and nobody else's artwork is involved.
//
// Each icon is drawn on a 32 by 32 design grid (x right, y down) and
// rasterised at the requested cell size with 8 by 8 samples per pixel.
// Straight edges are snapped to the pixel grid of the cell size, so the
// 16-pixel icons stay crisp instead of smearing across pixel borders.

#include <cstdint>
#include <vector>

namespace kyrel_toolbar {

// The cells in the order of the collection's bitmap indices.
enum class Icon : int {
  toolbar = 0,         // a box cut open by a section plane
  mirror = 1,          // a shape and its reflection about a plane
  mirror_clear = 2,    // the mirror without its reflection, struck out
  clipping_object = 3, // a sphere biting into a box, the cut coloured
  clipping_clear = 4,  // the whole box again, struck out
  interfere_start = 5, // two overlapping solids, the overlap red, a play mark
  interfere_stop = 6,  // the same with a stop mark
  export_meshes = 7,   // a triangle mesh saved to disk
};
inline constexpr int kIconCount = 8;

// A square picture of `size` pixels: RGBA bytes (straight alpha), top row
// first; fully transparent where nothing is drawn.
std::vector<std::uint8_t> DrawIcon(Icon icon, int size);

// A strip of `cells` square cells of `size` pixels in a row; cell i holds
// DrawIcon(i) for i below kIconCount and is transparent after that.
std::vector<std::uint8_t> DrawStrip(int size, int cells);

} // namespace kyrel_toolbar
