// Lighting of shaded meshes. Ambient, headlight and fill add up to about 1
// on a face turned to both lights, so light materials keep their shading
// instead of saturating to white.

#include "gl_lighting.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace glengine {

namespace {

void ColorToFloats(ON_Color c, float alpha, float out[4]) {
  out[0] = static_cast<float>(c.FractionRed());
  out[1] = static_cast<float>(c.FractionGreen());
  out[2] = static_cast<float>(c.FractionBlue());
  out[3] = alpha;
}

} // namespace

void SetUpCameraLights() {
  // Lights are placed in eye space, so they follow the camera.
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  const GLfloat none[4] = {0.0f, 0.0f, 0.0f, 1.0f};
  // Headlight: straight from the camera. Its highlight is kept weak because
  // every face that looks at the camera would otherwise wash out to white.
  const GLfloat head_position[4] = {0.0f, 0.0f, 1.0f, 0.0f};
  const GLfloat head_diffuse[4] = {0.65f, 0.65f, 0.65f, 1.0f};
  const GLfloat head_specular[4] = {0.15f, 0.15f, 0.15f, 1.0f};
  glLightfv(GL_LIGHT0, GL_POSITION, head_position);
  glLightfv(GL_LIGHT0, GL_AMBIENT, none);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, head_diffuse);
  glLightfv(GL_LIGHT0, GL_SPECULAR, head_specular);
  glEnable(GL_LIGHT0);

  // Soft fill from the upper left behind the camera: it gives curved
  // surfaces their highlight and faces turned away from the headlight some
  // shape.
  const GLfloat fill_position[4] = {-0.5f, 0.8f, 0.6f, 0.0f};
  const GLfloat fill_diffuse[4] = {0.2f, 0.2f, 0.2f, 1.0f};
  const GLfloat fill_specular[4] = {0.4f, 0.4f, 0.4f, 1.0f};
  glLightfv(GL_LIGHT1, GL_POSITION, fill_position);
  glLightfv(GL_LIGHT1, GL_AMBIENT, none);
  glLightfv(GL_LIGHT1, GL_DIFFUSE, fill_diffuse);
  glLightfv(GL_LIGHT1, GL_SPECULAR, fill_specular);
  glEnable(GL_LIGHT1);

  const GLfloat ambient[4] = {0.15f, 0.15f, 0.15f, 1.0f};
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
  // Open meshes and cut bodies show their inside: light both sides.
  glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
  glLightModeli(GL_LIGHT_MODEL_LOCAL_VIEWER, GL_FALSE);
  glShadeModel(GL_SMOOTH);
  // Model transforms may scale; normals are renormalised after them.
  glEnable(GL_NORMALIZE);
  glDisable(GL_LIGHTING);
}

void ApplyMaterial(const CDisplayEngineMaterial& material, float alpha) {
  float diffuse[4];
  ColorToFloats(material.m_diffuse, alpha, diffuse);
  if (!material.m_bLighting) {
    glDisable(GL_LIGHTING);
    glColor4fv(diffuse);
    return;
  }
  glEnable(GL_LIGHTING);
  float specular[4], emission[4];
  ColorToFloats(material.m_specular, alpha, specular);
  ColorToFloats(material.m_emission, alpha, emission);
  // Shine 0..1 spans GL's whole exponent range; anything else is dull.
  const double shine =
      std::isfinite(material.m_shine) ? std::clamp(material.m_shine, 0.0, 1.0) : 0.0;
  glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE, diffuse);
  glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
  glMaterialfv(GL_FRONT_AND_BACK, GL_EMISSION, emission);
  glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, static_cast<GLfloat>(shine * 128.0));
}

} // namespace glengine
