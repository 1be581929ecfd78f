#pragma once
// The open toolbar collections' toolbars in a row at the top of the window:
// each button shows its cell of the collection's image strip (24 pixels,
// or the strip nearest to it), its tooltips say what the left and the
// right click do, and a click gives back the macro to run.

#include <string>
#include <vector>

struct SDL_Renderer;
struct SDL_Texture;
struct CRhinoUiToolBarCollection;

namespace kyrel::window {

// The last ImGui item's rectangle as `"name" at x,y wxh`.
std::string Placement(const std::string& name);

class ToolbarStrip {
public:
  ~ToolbarStrip();
  // Draws the buttons from the current ImGui cursor on, on one line. True
  // with `macro` when a button was clicked (left or right).
  bool Draw(SDL_Renderer* renderer, std::wstring& macro);
  // Forgets the images (before the renderer goes).
  void Release();
  // Where each button was drawn last ("name" x,y wxh), for WindowLayout.
  const std::vector<std::string>& Placed() const { return placed_; }

private:
  struct Strip {
    std::wstring collection; // its path
    SDL_Texture* texture = nullptr;
    int cell = 0;
    int cells = 0;
  };
  const Strip* StripFor(SDL_Renderer* renderer, const CRhinoUiToolBarCollection& c);
  std::vector<Strip> strips_;
  std::vector<std::string> placed_;
};

} // namespace kyrel::window
