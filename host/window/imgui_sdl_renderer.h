#pragma once
// Draws Dear ImGui's triangles with SDL's 2D renderer. The window is drawn
// without OpenGL on purpose: the offscreen display engine owns the
// process's OpenGL (its library exports the same gl* entry points and
// shares the current-context state with any other GL in the process), so
// the window only ever blits finished pictures.

struct ImDrawData;
struct SDL_Renderer;
struct SDL_Texture;

namespace kyrel::window {

// Makes the font atlas texture ImGui draws its text from; false when SDL
// cannot make it.
bool CreateImGuiFontTexture(SDL_Renderer* renderer);
void DestroyImGuiFontTexture();
void RenderImGuiDrawData(SDL_Renderer* renderer, ImDrawData* data);

} // namespace kyrel::window
