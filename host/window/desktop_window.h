#pragma once
// The desktop window: the active view as the display engine draws it, the
// plug-ins' toolbars, the dock bars drawn from their own controls, and the
// command line at the bottom. It is the host's front end while it is open:
// the command line asks it for lines, and everything printed shows in it.
//
// Threads: the UI thread only. The window is pumped while the command line
// waits for a line, and from inside long frames and waits, so it keeps
// answering while the host is busy (clicks on it then only act on the
// panels and the command line, never start a second frame).

#include <deque>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "command_bar.h"
#include "command_line.h"
#include "dock_panels.h"
#include "move_feedback.h"
#include "toolbar_strip.h"
#include "view_input.h"

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;
union SDL_Event;
class CRhinoView;

namespace kyrel::window {

struct Rect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

class DesktopWindow {
public:
  DesktopWindow();
  ~DesktopWindow();
  DesktopWindow(const DesktopWindow&) = delete;
  DesktopWindow& operator=(const DesktopWindow&) = delete;

  // The window that is open, or null.
  static DesktopWindow* Current();

  // Opens a window of width x height pixels; false with the reason.
  bool Open(int width, int height, std::string& error);
  void Close();

  // The command line's front end.
  app::CommandLine::Answer Ask(const std::wstring& prompt, std::string& text);
  void Show(const std::wstring& line, bool error);
  // Lines run one after another as if typed, each once the window has
  // shown what the one before did.
  void QueueLines(std::vector<std::string> lines);

  // Draws the window now and writes it, panels and toolbar included, as a
  // PNG file; false with the reason.
  bool Capture(const std::string& path, std::string& error);
  // Handles what is waiting in the window's queue and draws it, without
  // drawing a new frame of the view; for code that keeps the UI thread
  // busy (long frames, waits). Cheap when called often.
  void KeepAnswering(const std::string& status);

  Rect ViewRect() const { return view_rect_; }
  // Draws the window once, with the view's newest frame (benchmarks).
  void Present() { Draw(false); }
  // Where things are in the window, a line each: the view with its camera,
  // the toolbar buttons, the panels' buttons and list cells.
  std::vector<std::string> Layout() const;
  int EventsHandled() const { return events_handled_; }

private:
  // Takes queued events; false when the window was closed.
  bool HandleEvents(bool busy);
  void Draw(bool busy, bool present = true);
  void LayOut(int width, int height);
  void ShowView(CRhinoView* view, bool busy);
  void DrawStatus();
  void Submit(const std::string& line, app::CommandLine::Answer kind);
  void Key(int key, int modifiers);
  void Announce();

  SDL_Window* window_ = nullptr;
  SDL_Renderer* renderer_ = nullptr;
  SDL_Texture* view_texture_ = nullptr;
  int texture_w_ = 0, texture_h_ = 0;
  unsigned int shown_frame_ = 0;
  const CRhinoView* shown_view_ = nullptr;
  bool sdl_ready_ = false;
  bool imgui_ready_ = false;
  bool closed_ = false;
  bool announced_ = false;
  bool in_busy_ = false;

  Rect view_rect_;
  std::wstring prompt_ = L"Command:";
  std::string status_;
  std::deque<std::string> queued_;
  int frames_since_answer_ = 0;
  // What the person answered, first first.
  std::deque<std::pair<std::string, app::CommandLine::Answer>> answers_;
  int events_handled_ = 0;
  // Shift and Ctrl as of the event being handled. SDL's own state is the
  // state after every event it has read, and a quick Ctrl-click arrives
  // with the Ctrl release behind it in the same batch.
  int key_modifiers_ = 0;
  unsigned long long last_keep_answering_ms_ = 0;
  unsigned long long last_draw_ms_ = 0;

  CommandBar command_bar_;
  DockPanels panels_;
  ToolbarStrip toolbar_;
  ViewInput view_input_;
  MoveFeedback feedback_;
  ON_3dPoint move_base_ = ON_3dPoint::UnsetPoint; // answered at "Point to move from"
  // The view and its frame count when the last command was started.
  const CRhinoView* command_view_ = nullptr;
  unsigned int command_frame_ = 0;
};

} // namespace kyrel::window
