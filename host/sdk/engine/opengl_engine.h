#pragma once
// The OpenGL display engine: draws into an offscreen OpenGL context (Mesa's
// software rasteriser), so pictures come out the same on machines without
// a display or a GPU. The host's views capture their frames through it.

#include "engine/display_engine.h"

#include <memory>

// Never null. When no OpenGL context can be made on this machine the engine
// still exists and every BeginFrame returns false.
__attribute__((visibility("default"))) std::unique_ptr<CRhinoDisplayEngine>
CreateOpenGLDisplayEngine();
