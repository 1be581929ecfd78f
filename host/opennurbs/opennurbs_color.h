#pragma once
// ON_Color: a 32-bit colour, red in bits 0-7, green 8-15, blue 16-23 and
// alpha (0 opaque, 255 transparent) in 24-31.

#include "opennurbs_defines.h"

class ON_CLASS ON_Color {
public:
  constexpr ON_Color() = default;
  constexpr ON_Color(int red, int green, int blue, int alpha = 0)
      : m_color(Clamp(red) | (Clamp(green) << 8) | (Clamp(blue) << 16) | (Clamp(alpha) << 24)) {}
  // From the packed 32-bit value.
  constexpr ON_Color(unsigned int packed) : m_color(packed) {}
  constexpr operator unsigned int() const { return m_color; }

  constexpr int Red() const { return static_cast<int>(m_color & 0xFFu); }
  constexpr int Green() const { return static_cast<int>((m_color >> 8) & 0xFFu); }
  constexpr int Blue() const { return static_cast<int>((m_color >> 16) & 0xFFu); }
  constexpr int Alpha() const { return static_cast<int>((m_color >> 24) & 0xFFu); }
  constexpr double FractionRed() const { return Red() / 255.0; }
  constexpr double FractionGreen() const { return Green() / 255.0; }
  constexpr double FractionBlue() const { return Blue() / 255.0; }
  constexpr double FractionAlpha() const { return Alpha() / 255.0; }
  void SetRGB(int red, int green, int blue) { *this = ON_Color(red, green, blue, Alpha()); }
  void SetAlpha(int alpha) { *this = ON_Color(Red(), Green(), Blue(), alpha); }
  constexpr bool operator==(const ON_Color& c) const { return m_color == c.m_color; }
  constexpr bool operator!=(const ON_Color& c) const { return m_color != c.m_color; }

  static const ON_Color Black;
  static const ON_Color White;
  static const ON_Color UnsetColor; // 0xFFFFFFFF

private:
  // Channel values outside 0..255 are clamped rather than bleeding into
  // the neighbouring channel.
  static constexpr unsigned int Clamp(int v) {
    return v < 0 ? 0u : (v > 255 ? 255u : static_cast<unsigned int>(v));
  }
  unsigned int m_color = 0;
};
