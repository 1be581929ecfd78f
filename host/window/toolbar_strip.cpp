#include "toolbar_strip.h"

#include <SDL.h>
#include <imgui.h>

#include <cstdlib>

#include "ui/rhino_toolbar.h"
#include "win_strings.h"
#include "window_png.h"

namespace kyrel::window {

namespace {
constexpr int kWantedCell = 24;
constexpr float kButtonSize = 24.0f;
} // namespace

std::string Placement(const std::string& name) {
  const ImVec2 a = ImGui::GetItemRectMin(), b = ImGui::GetItemRectMax();
  return "\"" + name + "\" at " + std::to_string(static_cast<int>(a.x)) + "," +
         std::to_string(static_cast<int>(a.y)) + " " + std::to_string(static_cast<int>(b.x - a.x)) +
         "x" + std::to_string(static_cast<int>(b.y - a.y));
}

ToolbarStrip::~ToolbarStrip() {
  Release();
}

void ToolbarStrip::Release() {
  for (Strip& s : strips_)
    if (s.texture) SDL_DestroyTexture(s.texture);
  strips_.clear();
}

const ToolbarStrip::Strip* ToolbarStrip::StripFor(SDL_Renderer* renderer,
                                                  const CRhinoUiToolBarCollection& c) {
  for (const Strip& s : strips_)
    if (s.collection == c.m_path) return s.texture ? &s : nullptr;
  Strip made;
  made.collection = c.m_path;
  const CRhinoUiToolBarStrip* best = nullptr;
  for (const CRhinoUiToolBarStrip& s : c.m_strips)
    if (!best || std::abs(s.m_cell_size - kWantedCell) < std::abs(best->m_cell_size - kWantedCell))
      best = &s;
  int width = 0, height = 0;
  std::vector<unsigned char> rgba;
  if (best && DecodePng(best->m_png, width, height, rgba) && height == best->m_cell_size) {
    made.texture = SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STATIC,
                                     width, height);
    if (made.texture) {
      SDL_UpdateTexture(made.texture, nullptr, rgba.data(), width * 4);
      SDL_SetTextureBlendMode(made.texture, SDL_BLENDMODE_BLEND);
    }
    made.cell = best->m_cell_size;
    made.cells = width / best->m_cell_size;
  }
  strips_.push_back(made);
  return strips_.back().texture ? &strips_.back() : nullptr;
}

bool ToolbarStrip::Draw(SDL_Renderer* renderer, std::wstring& macro) {
  using kyrel::platform::WideToUtf8;
  bool clicked = false;
  placed_.clear();
  CRhinoUiToolBarManager& manager = RhinoUiManager().ToolBarManager();
  for (int ci = 0; ci < manager.CollectionCount(); ++ci) {
    const CRhinoUiToolBarCollection* c = manager.Collection(ci);
    const Strip* strip = StripFor(renderer, *c);
    for (std::size_t ti = 0; ti < c->m_toolbars.size(); ++ti) {
      const CRhinoUiToolBar& toolbar = c->m_toolbars[ti];
      for (std::size_t bi = 0; bi < toolbar.m_buttons.size(); ++bi) {
        const CRhinoUiToolBarButton& b = toolbar.m_buttons[bi];
        ImGui::SameLine();
        if (b.m_bSpacer) {
          ImGui::Dummy(ImVec2(8.0f, kButtonSize));
          continue;
        }
        ImGui::PushID(static_cast<int>(ci * 10000 + ti * 100 + bi));
        bool pressed = false;
        const int cell = b.m_left_image >= 0 ? b.m_left_image : b.m_right_image;
        if (strip && cell >= 0 && cell < strip->cells) {
          const float u0 = static_cast<float>(cell) / static_cast<float>(strip->cells);
          const float u1 = static_cast<float>(cell + 1) / static_cast<float>(strip->cells);
          pressed = ImGui::ImageButton(static_cast<ImTextureID>(strip->texture),
                                       ImVec2(kButtonSize, kButtonSize), ImVec2(u0, 0.0f),
                                       ImVec2(u1, 1.0f), 3);
        } else {
          pressed = ImGui::Button(WideToUtf8(b.m_text).c_str());
        }
        const bool right = ImGui::IsItemClicked(ImGuiMouseButton_Right);
        placed_.push_back(Placement(WideToUtf8(b.m_text)));
        if (ImGui::IsItemHovered()) {
          std::string tip = WideToUtf8(b.m_tooltip.empty() ? b.m_text : b.m_tooltip);
          if (!b.m_right_macro.empty())
            tip += "\nRight click: " +
                   WideToUtf8(b.m_right_tooltip.empty() ? L"its second macro" : b.m_right_tooltip);
          ImGui::SetTooltip("%s", tip.c_str());
        }
        if (b.m_bShowText && !b.m_button_text.empty()) {
          ImGui::SameLine(0.0f, 2.0f);
          ImGui::AlignTextToFramePadding();
          ImGui::TextUnformatted(WideToUtf8(b.m_button_text).c_str());
        }
        ImGui::PopID();
        if (pressed && !b.m_left_macro.empty()) {
          macro = b.m_left_macro;
          clicked = true;
        } else if (right && !b.m_right_macro.empty()) {
          macro = b.m_right_macro;
          clicked = true;
        }
      }
    }
  }
  return clicked;
}

} // namespace kyrel::window
