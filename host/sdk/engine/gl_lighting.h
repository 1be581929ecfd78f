#pragma once
// The lights and materials of shaded meshes: a headlight from the camera
// and a soft fill light, both fixed in eye space so they follow the view,
// with two-sided lighting for open and cut meshes. Needs a current context.

#include "engine/display_engine.h"

namespace glengine {

// Places the lights; leaves the modelview matrix at identity and lighting
// switched off until a material asks for it.
void SetUpCameraLights();

// Lit material (or the flat diffuse colour when the material is unlit),
// with every colour's alpha set to `alpha`.
void ApplyMaterial(const CDisplayEngineMaterial& material, float alpha);

} // namespace glengine
