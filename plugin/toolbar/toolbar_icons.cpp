// Toolbar pictures: a small coverage rasteriser and the eight drawings.
//
// Shapes are tests "is this point inside?" in pixel coordinates. A pixel
// takes the share of its 8 by 8 samples that fall inside, and the colour is
// laid over what is there already (premultiplied "over"), so shapes drawn
// later cover earlier ones with anti-aliased edges.

#include "toolbar_icons.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>

namespace kyrel_toolbar {

namespace {

constexpr int kSamples = 8;      // per pixel and axis
constexpr double kDesign = 32.0; // the design grid the drawings use

struct Pt {
  double x, y;
};

struct Colour {
  double r, g, b, a;
};

Colour Hex(std::uint32_t rgb, double alpha = 1.0) {
  return {((rgb >> 16) & 0xFF) / 255.0, ((rgb >> 8) & 0xFF) / 255.0, (rgb & 0xFF) / 255.0, alpha};
}

using Inside = std::function<bool(double, double)>;

bool InPolygon(const std::vector<Pt>& poly, double x, double y) {
  bool in = false;
  for (std::size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
    const Pt& a = poly[i];
    const Pt& b = poly[j];
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) in = !in;
  }
  return in;
}

double SegmentDistance(Pt a, Pt b, double x, double y) {
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double length2 = dx * dx + dy * dy;
  double t = length2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / length2 : 0.0;
  t = std::clamp(t, 0.0, 1.0);
  return std::hypot(x - (a.x + t * dx), y - (a.y + t * dy));
}

Inside Both(Inside a, Inside b) {
  return [a, b](double x, double y) { return a(x, y) && b(x, y); };
}

Inside Except(Inside a, Inside b) {
  return [a, b](double x, double y) { return a(x, y) && !b(x, y); };
}

// Shapes are made in design units and tested in pixels of one cell size.
class Canvas {
public:
  explicit Canvas(int size)
      : size_(size), scale_(size / kDesign),
        pixels_(static_cast<std::size_t>(size) * static_cast<std::size_t>(size), {0, 0, 0, 0}) {}

  // Corners on whole pixels, so that faces sharing an edge meet exactly.
  Inside Poly(const std::vector<Pt>& design) const {
    std::vector<Pt> poly;
    for (Pt p : design)
      poly.push_back({std::round(p.x * scale_), std::round(p.y * scale_)});
    return [poly](double x, double y) { return InPolygon(poly, x, y); };
  }

  // A path `width` design units wide (at least one pixel), centred on the
  // pixel grid so that one-pixel lines cover whole pixels.
  Inside Stroke(const std::vector<Pt>& design, double width, bool closed = false) const {
    const double px = std::max(1.0, std::round(width * scale_));
    const bool odd = static_cast<int>(px) % 2 == 1;
    std::vector<Pt> path;
    for (Pt p : design)
      path.push_back({Snap(p.x * scale_, odd), Snap(p.y * scale_, odd)});
    if (closed && !path.empty()) path.push_back(path.front());
    const double half = px / 2.0;
    return [path, half](double x, double y) {
      for (std::size_t i = 0; i + 1 < path.size(); ++i)
        if (SegmentDistance(path[i], path[i + 1], x, y) <= half) return true;
      return false;
    };
  }

  Inside Disc(Pt centre, double radius) const {
    const Pt c{centre.x * scale_, centre.y * scale_};
    const double r = radius * scale_;
    return [c, r](double x, double y) { return std::hypot(x - c.x, y - c.y) <= r; };
  }

  // A circle's outline, `width` design units wide (at least one pixel).
  Inside Circle(Pt centre, double radius, double width) const {
    const Pt c{centre.x * scale_, centre.y * scale_};
    const double r = radius * scale_, half = std::max(1.0, width * scale_) / 2.0;
    return [c, r, half](double x, double y) {
      return std::abs(std::hypot(x - c.x, y - c.y) - r) <= half;
    };
  }

  void Fill(const Inside& inside, Colour colour) {
    for (int py = 0; py < size_; ++py)
      for (int px = 0; px < size_; ++px) {
        int hits = 0;
        for (int sy = 0; sy < kSamples; ++sy)
          for (int sx = 0; sx < kSamples; ++sx)
            if (inside(px + (sx + 0.5) / kSamples, py + (sy + 0.5) / kSamples)) ++hits;
        if (hits == 0) continue;
        const double cover = colour.a * hits / double(kSamples * kSamples);
        Colour& d = pixels_[static_cast<std::size_t>(py * size_ + px)];
        d.r = colour.r * cover + d.r * (1 - cover);
        d.g = colour.g * cover + d.g * (1 - cover);
        d.b = colour.b * cover + d.b * (1 - cover);
        d.a = cover + d.a * (1 - cover);
      }
  }

  // A filled polygon with its outline drawn over its edge; nothing of
  // either where `cut` holds.
  void Face(const std::vector<Pt>& design, Colour fill, Colour edge, const Inside& cut = {}) {
    Inside face = Poly(design), outline = Stroke(design, 1.5, true);
    Fill(cut ? Except(face, cut) : face, fill);
    Fill(cut ? Except(outline, cut) : outline, edge);
  }

  void Line(const std::vector<Pt>& design, double width, Colour colour, bool closed = false) {
    Fill(Stroke(design, width, closed), colour);
  }

  // A straight line drawn as dashes of `dash` with gaps of `gap`; the
  // round ends of the dashes lie within the dash length.
  void Dashed(Pt from, Pt to, double width, double dash, double gap, Colour colour) {
    const double length = std::hypot(to.x - from.x, to.y - from.y);
    const double end_cap = width / 2.0;
    for (double at = 0; at < length; at += dash + gap) {
      const double end = std::min(length, at + dash);
      auto along = [&](double d) {
        return Pt{from.x + (to.x - from.x) * d / length, from.y + (to.y - from.y) * d / length};
      };
      Line({along(at + end_cap), along(std::max(at + end_cap, end - end_cap))}, width, colour);
    }
  }

  std::vector<std::uint8_t> Rgba() const {
    std::vector<std::uint8_t> out;
    out.reserve(pixels_.size() * 4);
    for (const Colour& p : pixels_) {
      // Kept premultiplied; PNG wants straight alpha.
      const double a = p.a;
      auto channel = [a](double premultiplied) {
        const double straight = a > 0 ? premultiplied / a : 0.0;
        return static_cast<std::uint8_t>(std::lround(std::clamp(straight, 0.0, 1.0) * 255.0));
      };
      out.push_back(channel(p.r));
      out.push_back(channel(p.g));
      out.push_back(channel(p.b));
      out.push_back(static_cast<std::uint8_t>(std::lround(std::clamp(a, 0.0, 1.0) * 255.0)));
    }
    return out;
  }

private:
  static double Snap(double v, bool odd) { return odd ? std::floor(v) + 0.5 : std::round(v); }

  int size_;
  double scale_;
  std::vector<Colour> pixels_; // premultiplied
};

// ---- palette ----
const Colour kOutline = Hex(0x1E3A5F);
const Colour kBlueTop = Hex(0xA9CBF2);
const Colour kBlueLeft = Hex(0x6A9BD8);
const Colour kBlueRight = Hex(0x3F6FB0);
const Colour kCutTop = Hex(0xFFC470);
const Colour kCutLeft = Hex(0xF39A2E);
const Colour kCutRight = Hex(0xD9771A);
const Colour kCutEdge = Hex(0x8A4A0C);
const Colour kRed = Hex(0xE0262B);
const Colour kRedEdge = Hex(0x7A0E10);
const Colour kWhite = Hex(0xFFFFFF);
const Colour kPlane = Hex(0x4A5566);

// A box [0,1]^3 seen from above, front corner towards the viewer: x runs
// down to the right, y down to the left, z up.
Pt Iso(double x, double y, double z) {
  constexpr double kSide = 11.5;
  constexpr double kCos30 = 0.8660254037844386;
  return {16.0 + (x - y) * kSide * kCos30, 17.5 + ((x + y) * 0.5 - z) * kSide};
}

std::vector<Pt> IsoPoly(std::initializer_list<std::array<double, 3>> corners) {
  std::vector<Pt> out;
  for (const auto& c : corners)
    out.push_back(Iso(c[0], c[1], c[2]));
  return out;
}

// The box's three visible faces; nothing where `cut` holds.
void Box(Canvas& c, const Inside& cut = {}) {
  c.Face(IsoPoly({{0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}}), kBlueTop, kOutline, cut);
  c.Face(IsoPoly({{0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1}}), kBlueLeft, kOutline, cut);
  c.Face(IsoPoly({{1, 0, 0}, {1, 1, 0}, {1, 1, 1}, {1, 0, 1}}), kBlueRight, kOutline, cut);
}

// The box's outline as seen: the hexagon around its three faces.
std::vector<Pt> BoxSilhouette() {
  return IsoPoly({{0, 0, 1}, {1, 0, 1}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 1, 1}});
}

// A red cross on a white halo in the lower right corner: "clear".
void StrikeBadge(Canvas& c) {
  const Pt a{20, 20}, b{29, 29}, d{29, 20}, e{20, 29};
  c.Line({a, b}, 6.5, kWhite);
  c.Line({d, e}, 6.5, kWhite);
  c.Line({a, b}, 3.5, kRed);
  c.Line({d, e}, 3.5, kRed);
}

void PlayBadge(Canvas& c) {
  const std::vector<Pt> triangle{{19, 17}, {31, 24}, {19, 31}};
  c.Line(triangle, 3.5, kWhite, true);
  c.Face(triangle, Hex(0x2FA84F), Hex(0x14602A));
}

void StopBadge(Canvas& c) {
  const std::vector<Pt> square{{19, 19}, {31, 19}, {31, 31}, {19, 31}};
  c.Line(square, 3.5, kWhite, true);
  c.Face(square, Hex(0x3B4250), Hex(0x1A1E26));
}

// A right triangle left of a dashed mirror plane; `reflection` draws its
// mirror image on the other side, else only a faint trace of it.
void MirrorScene(Canvas& c, bool reflection) {
  const std::vector<Pt> shape{{2, 27}, {13, 27}, {13, 6}};
  const std::vector<Pt> image{{30, 27}, {19, 27}, {19, 6}};
  c.Dashed({16, 1}, {16, 31}, 2, 4, 2, kPlane);
  c.Face(shape, Hex(0x3D7CC9), kOutline);
  if (reflection)
    c.Face(image, Hex(0x3D7CC9, 0.35), Hex(0x3D7CC9));
  else
    c.Line(image, 1.5, Hex(0x3D7CC9, 0.35), true);
}

// Two solids that overlap, the overlap in red.
void ClashScene(Canvas& c) {
  const std::vector<Pt> square{{2, 3}, {18, 3}, {18, 19}, {2, 19}};
  const Pt centre{17, 16};
  const double radius = 9;
  c.Fill(c.Poly(square), Hex(0x6A9BD8));
  c.Fill(c.Disc(centre, radius), Hex(0x8CC265));
  c.Fill(Both(c.Poly(square), c.Disc(centre, radius)), kRed);
  c.Line(square, 1.5, kOutline, true);
  c.Fill(c.Circle(centre, radius, 1.5), Hex(0x2F5A1A));
}

void DrawToolbar(Canvas& c) {
  // The part of the box in front of the section plane x = b is gone; the
  // cut face is coloured like every cut in the views.
  constexpr double b = 0.5;
  c.Face(IsoPoly({{0, 0, 1}, {b, 0, 1}, {b, 1, 1}, {0, 1, 1}}), kBlueTop, kOutline);
  c.Face(IsoPoly({{0, 1, 0}, {b, 1, 0}, {b, 1, 1}, {0, 1, 1}}), kBlueLeft, kOutline);
  c.Face(IsoPoly({{b, 0, 0}, {b, 1, 0}, {b, 1, 1}, {b, 0, 1}}), kCutRight, kCutEdge);
  // The removed part, as a ghost.
  const Colour ghost = Hex(0x3F6FB0, 0.55);
  c.Line(IsoPoly({{b, 0, 1}, {1, 0, 1}, {1, 1, 1}, {b, 1, 1}}), 1, ghost);
  c.Line(IsoPoly({{1, 0, 1}, {1, 0, 0}, {1, 1, 0}, {b, 1, 0}}), 1, ghost);
  c.Line(IsoPoly({{1, 1, 0}, {1, 1, 1}}), 1, ghost);
}

void DrawClippingObject(Canvas& c) {
  // A sphere, the cutting object, bites into the box's upper right corner:
  // the box is gone inside it, and where the box was the cut is capped.
  const Pt centre = Iso(1, 0, 1);
  const double radius = 9.5;
  const Inside sphere = c.Disc(centre, radius);
  Box(c, sphere);
  c.Fill(Both(sphere, c.Poly(BoxSilhouette())), kCutLeft);
  c.Fill(Both(c.Circle(centre, radius, 1.5), c.Poly(BoxSilhouette())), kCutEdge);
  // The rest of the sphere, which cuts nothing, as a glassy body.
  c.Fill(Except(sphere, c.Poly(BoxSilhouette())), Hex(0xF39A2E, 0.3));
  c.Fill(Except(c.Circle(centre, radius, 1.5), c.Poly(BoxSilhouette())), kCutEdge);
}

void DrawExportMeshes(Canvas& c) {
  // A fan of triangles: what the command writes is meshes.
  const Pt centre{11.5, 11.5};
  std::vector<Pt> rim;
  for (int i = 0; i < 6; ++i) {
    const double angle = (i * 60.0 + 30.0) * 3.14159265358979 / 180.0;
    rim.push_back({centre.x + 10.5 * std::cos(angle), centre.y + 10.5 * std::sin(angle)});
  }
  c.Fill(c.Poly(rim), Hex(0x86D3C9));
  for (const Pt& p : rim)
    c.Line({centre, p}, 1.5, Hex(0x1F5F5A));
  c.Line(rim, 1.5, Hex(0x1F5F5A), true);
  // A disk to save them on.
  const std::vector<Pt> disk{{16, 16}, {28, 16}, {31, 19}, {31, 31}, {16, 31}};
  c.Line(disk, 3, kWhite, true);
  c.Face(disk, Hex(0x3A5DA8), Hex(0x1A2F5E));
  c.Fill(c.Poly({{19.5, 16}, {27, 16}, {27, 21.5}, {19.5, 21.5}}), Hex(0xC9D1DC));
  c.Fill(c.Poly({{23.5, 17}, {25.5, 17}, {25.5, 20.5}, {23.5, 20.5}}), Hex(0x3A5DA8));
  c.Fill(c.Poly({{18.5, 24.5}, {29, 24.5}, {29, 31}, {18.5, 31}}), kWhite);
}

} // namespace

std::vector<std::uint8_t> DrawIcon(Icon icon, int size) {
  Canvas c(size);
  switch (icon) {
  case Icon::toolbar:
    DrawToolbar(c);
    break;
  case Icon::mirror:
    MirrorScene(c, true);
    break;
  case Icon::mirror_clear:
    MirrorScene(c, false);
    StrikeBadge(c);
    break;
  case Icon::clipping_object:
    DrawClippingObject(c);
    break;
  case Icon::clipping_clear:
    Box(c);
    StrikeBadge(c);
    break;
  case Icon::interfere_start:
    ClashScene(c);
    PlayBadge(c);
    break;
  case Icon::interfere_stop:
    ClashScene(c);
    StopBadge(c);
    break;
  case Icon::export_meshes:
    DrawExportMeshes(c);
    break;
  }
  return c.Rgba();
}

std::vector<std::uint8_t> DrawStrip(int size, int cells) {
  const std::size_t row = static_cast<std::size_t>(size) * static_cast<std::size_t>(cells) * 4;
  std::vector<std::uint8_t> strip(row * static_cast<std::size_t>(size), 0);
  for (int i = 0; i < std::min(cells, kIconCount); ++i) {
    std::vector<std::uint8_t> icon = DrawIcon(static_cast<Icon>(i), size);
    const std::size_t icon_row = static_cast<std::size_t>(size) * 4;
    for (int y = 0; y < size; ++y)
      std::copy_n(icon.begin() + static_cast<std::ptrdiff_t>(y * icon_row), icon_row,
                  strip.begin() + static_cast<std::ptrdiff_t>(y * row + i * icon_row));
  }
  return strip;
}

} // namespace kyrel_toolbar
