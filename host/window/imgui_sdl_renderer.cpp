#include "imgui_sdl_renderer.h"

#include <SDL.h>
#include <imgui.h>

namespace kyrel::window {

namespace {
SDL_Texture* font_texture = nullptr;
}

bool CreateImGuiFontTexture(SDL_Renderer* renderer) {
  ImGuiIO& io = ImGui::GetIO();
  unsigned char* pixels = nullptr;
  int width = 0, height = 0;
  io.Fonts->GetTexDataAsRGBA32(&pixels, &width, &height);
  font_texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC,
                                   width, height);
  if (!font_texture) return false;
  SDL_UpdateTexture(font_texture, nullptr, pixels, width * 4);
  SDL_SetTextureBlendMode(font_texture, SDL_BLENDMODE_BLEND);
  io.Fonts->SetTexID(static_cast<ImTextureID>(font_texture));
  return true;
}

void DestroyImGuiFontTexture() {
  if (font_texture) SDL_DestroyTexture(font_texture);
  font_texture = nullptr;
  if (ImGui::GetCurrentContext()) ImGui::GetIO().Fonts->SetTexID(nullptr);
}

void RenderImGuiDrawData(SDL_Renderer* renderer, ImDrawData* data) {
  if (!data || data->CmdListsCount == 0) return;
  const ImVec2 origin = data->DisplayPos;
  for (int n = 0; n < data->CmdListsCount; ++n) {
    const ImDrawList* list = data->CmdLists[n];
    const ImDrawVert* vertices = list->VtxBuffer.Data;
    const ImDrawIdx* indices = list->IdxBuffer.Data;
    for (const ImDrawCmd& cmd : list->CmdBuffer) {
      if (cmd.UserCallback) {
        if (cmd.UserCallback != ImDrawCallback_ResetRenderState) cmd.UserCallback(list, &cmd);
        continue;
      }
      const SDL_Rect clip{static_cast<int>(cmd.ClipRect.x - origin.x),
                          static_cast<int>(cmd.ClipRect.y - origin.y),
                          static_cast<int>(cmd.ClipRect.z - cmd.ClipRect.x),
                          static_cast<int>(cmd.ClipRect.w - cmd.ClipRect.y)};
      if (clip.w <= 0 || clip.h <= 0) continue;
      SDL_RenderSetClipRect(renderer, &clip);
      const ImDrawVert* first = vertices + cmd.VtxOffset;
      // ImGui's packed colour is R, G, B, A in memory, as SDL_Color is.
      SDL_RenderGeometryRaw(renderer, static_cast<SDL_Texture*>(cmd.GetTexID()), &first->pos.x,
                            sizeof(ImDrawVert), reinterpret_cast<const SDL_Color*>(&first->col),
                            sizeof(ImDrawVert), &first->uv.x, sizeof(ImDrawVert),
                            list->VtxBuffer.Size - static_cast<int>(cmd.VtxOffset),
                            indices + cmd.IdxOffset, static_cast<int>(cmd.ElemCount),
                            sizeof(ImDrawIdx));
    }
  }
  SDL_RenderSetClipRect(renderer, nullptr);
}

} // namespace kyrel::window
