#include "desktop_window.h"

#include <SDL.h>
#include <backends/imgui_impl_sdl.h>
#include <imgui.h>

#include <algorithm>
#include <cstdio>

#include "imgui_sdl_renderer.h"
#include "rhinoSdk.h"
#include "terminal_progress.h"
#include "ui/rhino_background_work.h"
#include "ui/rhino_command_input.h"
#include "win_messages.h"
#include "win_strings.h"
#include "window_png.h"

namespace kyrel::window {

namespace {

DesktopWindow* current_window = nullptr;

// The prompts of Move and Copy, whose target follows the cursor.
const std::wstring kMoveFrom = L"Point to move from";
const std::wstring kMoveTo = L"Point to move to";

constexpr int kTopBarHeight = 44;
constexpr int kCommandBarHeight = 200;
// While the UI thread is busy elsewhere the window is drawn at most this
// often; events are taken every time.
constexpr unsigned long long kBusyFrameMs = 40;
// Waiting for the person: input is looked for this often, and the window
// drawn at least this often.
constexpr Uint32 kIdlePollMs = 5;
constexpr unsigned long long kIdleFrameMs = 100;

using kyrel::platform::Utf8ToWide;
using kyrel::platform::WideToUtf8;

ViewMouse MouseAt(int x, int y, const Rect& view, int modifiers) {
  ViewMouse m;
  m.x = x - view.x;
  m.y = y - view.y;
  m.shift = (modifiers & KMOD_SHIFT) != 0;
  m.ctrl = (modifiers & KMOD_CTRL) != 0;
  return m;
}

ViewInput::Button ButtonOf(Uint8 sdl_button) {
  switch (sdl_button) {
  case SDL_BUTTON_LEFT:
    return ViewInput::left;
  case SDL_BUTTON_MIDDLE:
    return ViewInput::middle;
  default:
    return ViewInput::right;
  }
}

void SetView(CRhinoView& view, const ON_3dVector& direction, const ON_3dVector& up,
             bool perspective) {
  ON_Viewport vp = view.Viewport().VP();
  if (perspective && !vp.IsPerspectiveProjection())
    vp.ChangeToPerspectiveProjection(vp.TargetDistance());
  if (!perspective && vp.IsPerspectiveProjection()) vp.ChangeToParallelProjection();
  vp.SetCameraDirection(direction);
  vp.SetCameraUp(up);
  view.Viewport().SetVP(vp, true);
  view.ZoomExtents();
  view.Redraw();
}

// The small bar of views and display modes, in the top strip.
void DrawViewBar(CRhinoView* view) {
  if (!view) return;
  struct Side {
    const char* name;
    ON_3dVector direction, up;
    bool perspective;
  };
  static const Side sides[] = {
      {"Top", ON_3dVector(0, 0, -1), ON_3dVector(0, 1, 0), false},
      {"Front", ON_3dVector(0, 1, 0), ON_3dVector(0, 0, 1), false},
      {"Right", ON_3dVector(-1, 0, 0), ON_3dVector(0, 0, 1), false},
      {"Perspective", ON_3dVector(1, 1, -1), ON_3dVector(0, 0, 1), true},
  };
  for (const Side& s : sides) {
    ImGui::SameLine();
    if (ImGui::Button(s.name)) SetView(*view, s.direction, s.up, s.perspective);
  }
  ImGui::SameLine(0.0f, 16.0f);
  struct Mode {
    const char* name;
    const CDisplayPipelineAttributes* attributes;
  };
  const Mode modes[] = {{"Wireframe", CRhinoDisplayAttrsMgr::StdWireframeAttrs()},
                        {"Shaded", CRhinoDisplayAttrsMgr::StdShadedAttrs()},
                        {"Ghosted", CRhinoDisplayAttrsMgr::StdGhostedAttrs()}};
  for (const Mode& m : modes) {
    ImGui::SameLine();
    const bool current =
        m.attributes && view->DisplayMode().m_display_mode == m.attributes->m_display_mode;
    if (current)
      ImGui::PushStyleColor(ImGuiCol_Button, ImGui::GetStyleColorVec4(ImGuiCol_ButtonActive));
    if (ImGui::Button(m.name) && m.attributes) {
      view->SetDisplayMode(*m.attributes);
      view->Redraw();
    }
    if (current) ImGui::PopStyleColor();
  }
  ImGui::SameLine(0.0f, 16.0f);
  if (ImGui::Button("Extents")) {
    view->ZoomExtents();
    view->Redraw();
  }
}

} // namespace

DesktopWindow::DesktopWindow() = default;

DesktopWindow::~DesktopWindow() {
  Close();
}

DesktopWindow* DesktopWindow::Current() {
  return current_window;
}

bool DesktopWindow::Open(int width, int height, std::string& error) {
  // No OpenGL anywhere in the window (see imgui_sdl_renderer.h): SDL must
  // not speed its window surface up with a GL texture either.
  SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  // A modelling window has no reason to hold the screen saver off (SDL
  // would ask the session bus to).
  SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) {
    error = std::string("the window cannot be opened: ") + SDL_GetError();
    SDL_Quit();
    return false;
  }
  sdl_ready_ = true;
  window_ = SDL_CreateWindow("kyrel", 0, 0, width, height, SDL_WINDOW_RESIZABLE);
  if (window_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
  if (!window_ || !renderer_) {
    error = std::string("the window cannot be opened: ") + SDL_GetError();
    Close();
    return false;
  }
  IMGUI_CHECKVERSION();
  ImGui::CreateContext();
  ImGui::GetIO().IniFilename = nullptr; // nothing of the layout is kept between runs
  ImGui::StyleColorsLight();
  ImGui::GetStyle().WindowRounding = 0.0f;
  ImGui_ImplSDL2_InitForSDLRenderer(window_);
  imgui_ready_ = true;
  if (!CreateImGuiFontTexture(renderer_)) {
    error = std::string("the window's font cannot be made: ") + SDL_GetError();
    Close();
    return false;
  }
  SDL_StartTextInput();
  SDL_RaiseWindow(window_);
  current_window = this;
  return true;
}

void DesktopWindow::Close() {
  if (current_window == this) current_window = nullptr;
  toolbar_.Release();
  if (imgui_ready_) {
    DestroyImGuiFontTexture();
    ImGui_ImplSDL2_Shutdown();
    ImGui::DestroyContext();
    imgui_ready_ = false;
  }
  if (view_texture_) SDL_DestroyTexture(view_texture_);
  view_texture_ = nullptr;
  if (renderer_) SDL_DestroyRenderer(renderer_);
  renderer_ = nullptr;
  if (window_) SDL_DestroyWindow(window_);
  window_ = nullptr;
  // All of SDL: it also closes its connections to the desktop buses.
  if (sdl_ready_) SDL_Quit();
  sdl_ready_ = false;
}

void DesktopWindow::QueueLines(std::vector<std::string> lines) {
  for (auto& l : lines)
    queued_.push_back(std::move(l));
}

void DesktopWindow::Show(const std::wstring& line, bool error) {
  command_bar_.AddOutput(WideToUtf8(line), error);
}

void DesktopWindow::Submit(const std::string& line, app::CommandLine::Answer kind) {
  // While the host is busy nobody asks: `!` cancels the background work at
  // once, anything else waits its turn.
  if (in_busy_ && line == "!") {
    if (RhinoCancelBackgroundWork() > 0) RhinoCommandInput().Print(L"Background work cancelled.");
    return;
  }
  answers_.emplace_back(line, kind);
}

app::CommandLine::Answer DesktopWindow::Ask(const std::wstring& prompt, std::string& text) {
  prompt_ = prompt;
  frames_since_answer_ = 0;
  if (prompt != kMoveTo && feedback_.IsEnabled()) feedback_.Stop();
  // After a command the view shows what it did, as the host's views do
  // (and picks see the display's state of the changed model): a command
  // that drew no frame of its own gets one.
  CRhinoView* view = RhinoApp().ActiveView();
  if (prompt == L"Command:" && view && view == command_view_ &&
      view->FrameCount() == command_frame_)
    view->Redraw();
  bool drawn = false;
  for (;;) {
    const int events_before = events_handled_;
    if (closed_ || !HandleEvents(false)) return app::CommandLine::Answer::end;
    const int dispatched = kyrel::platform::PumpMessages();
    RhinoApp().ProcessDeferredRedraws();
    // The window is drawn when something happened (or now and then, for
    // what changes by itself): idle, it only looks for input.
    const unsigned long long now = SDL_GetTicks64();
    const bool busy_here = events_handled_ != events_before || dispatched > 0 ||
                           !answers_.empty() || !queued_.empty() || !drawn ||
                           (view && view->FrameCount() != shown_frame_);
    if (!busy_here && now - last_draw_ms_ < kIdleFrameMs) {
      // Not SDL_WaitEventTimeout: SDL wakes such a wait by sending an event
      // to the window from a second connection, which can reach the X
      // server after the window is gone and end the program there.
      SDL_Delay(kIdlePollMs);
      continue;
    }
    Draw(false);
    drawn = true;
    last_draw_ms_ = now;
    ++frames_since_answer_;
    if (answers_.empty() && !queued_.empty() && frames_since_answer_ >= 2) {
      // A script's line, typed in as a person would once the window shows
      // what the line before it did.
      command_bar_.Remember(queued_.front());
      answers_.emplace_back(queued_.front(), app::CommandLine::Answer::typed);
      queued_.pop_front();
    }
    if (!answers_.empty()) {
      text = answers_.front().first;
      const app::CommandLine::Answer kind = answers_.front().second;
      answers_.pop_front();
      if (kind == app::CommandLine::Answer::typed)
        RhinoCommandInput().Print(prompt + L" " + Utf8ToWide(text));
      if (prompt == L"Command:" && view) {
        command_view_ = view;
        command_frame_ = view->FrameCount();
      }
      if (prompt == kMoveFrom) {
        const auto base = ParsePoint(text);
        move_base_ = base ? *base : ON_3dPoint::UnsetPoint;
      }
      prompt_.clear();
      return kind;
    }
  }
}

void DesktopWindow::KeepAnswering(const std::string& status) {
  if (!window_ || in_busy_) return;
  const unsigned long long now = SDL_GetTicks64();
  in_busy_ = true;
  status_ = status;
  const bool open = HandleEvents(true);
  if (open && now - last_keep_answering_ms_ >= kBusyFrameMs) {
    last_keep_answering_ms_ = now;
    Draw(true);
  }
  status_.clear();
  in_busy_ = false;
}

bool DesktopWindow::HandleEvents(bool busy) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    ++events_handled_;
    ImGui_ImplSDL2_ProcessEvent(&e);
    if (e.type == SDL_QUIT ||
        (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE)) {
      closed_ = true;
      return false;
    }
    // A key event carries the modifiers as that key left them; focus
    // coming back may find keys pressed elsewhere.
    if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP)
      key_modifiers_ = e.key.keysym.mod;
    else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_FOCUS_GAINED)
      key_modifiers_ = SDL_GetModState();
    CRhinoView* view = RhinoApp().ActiveView();
    // The view answers the mouse only between frames; ImGui's windows
    // (panels, bars) take the clicks over them.
    const bool over_ui = ImGui::GetIO().WantCaptureMouse;
    if (!busy && view) {
      switch (e.type) {
      case SDL_MOUSEBUTTONDOWN:
        if (!over_ui && view_rect_.Contains(e.button.x, e.button.y)) {
          auto answer =
              view_input_.Press(*view, ButtonOf(e.button.button),
                                MouseAt(e.button.x, e.button.y, view_rect_, key_modifiers_),
                                e.button.clicks, prompt_);
          if (answer) Submit(*answer, app::CommandLine::Answer::typed);
        }
        break;
      case SDL_MOUSEBUTTONUP:
        if (view_input_.Dragging()) {
          auto answer = view_input_.Release(
              *view, ButtonOf(e.button.button),
              MouseAt(e.button.x, e.button.y, view_rect_, key_modifiers_), prompt_);
          if (answer) Submit(*answer, app::CommandLine::Answer::typed);
        }
        break;
      case SDL_MOUSEMOTION: {
        // Only the last of the motions waiting counts: one frame for all.
        SDL_Event next;
        if (SDL_PeepEvents(&next, 1, SDL_PEEKEVENT, SDL_MOUSEMOTION, SDL_MOUSEMOTION) > 0) break;
        const ViewMouse at = MouseAt(e.motion.x, e.motion.y, view_rect_, key_modifiers_);
        view_input_.Move(*view, at);
        if (prompt_ == kMoveTo && move_base_.IsValid()) {
          feedback_.Follow(move_base_, ConstructionPlanePoint(view->Viewport().VP(), at.x, at.y));
          view->DisplayPipeline()->SetFeedbackMode(true);
          view->Redraw();
          view->DisplayPipeline()->SetFeedbackMode(false);
        }
        break;
      }
      case SDL_MOUSEWHEEL: {
        int x = 0, y = 0;
        SDL_GetMouseState(&x, &y);
        if (!over_ui && view_rect_.Contains(x, y) && e.wheel.y != 0)
          view_input_.Wheel(*view, MouseAt(x, y, view_rect_, key_modifiers_), e.wheel.y);
        break;
      }
      default:
        break;
      }
    }
    if (e.type == SDL_TEXTINPUT) command_bar_.Type(e.text.text);
    if (e.type == SDL_KEYDOWN) Key(e.key.keysym.sym, e.key.keysym.mod);
    // ImGui reads buttons as states once a frame: each press and release
    // gets a frame of its own, so quick clicks are seen.
    if (e.type == SDL_MOUSEBUTTONDOWN || e.type == SDL_MOUSEBUTTONUP) break;
  }
  return true;
}

void DesktopWindow::Key(int key, int modifiers) {
  switch (key) {
  case SDLK_RETURN:
  case SDLK_KP_ENTER:
    Submit(command_bar_.TakeLine(), app::CommandLine::Answer::typed);
    break;
  case SDLK_ESCAPE:
    command_bar_.Clear();
    Submit("!", app::CommandLine::Answer::typed);
    break;
  case SDLK_BACKSPACE:
    command_bar_.Backspace();
    break;
  case SDLK_TAB:
    command_bar_.Complete(prompt_ == L"Command:");
    break;
  case SDLK_UP:
    command_bar_.Older();
    break;
  case SDLK_DOWN:
    command_bar_.Newer();
    break;
  case SDLK_u:
    if (modifiers & KMOD_CTRL) command_bar_.Clear();
    break;
  case SDLK_HOME:
    // Zoom extents from the keyboard; never inside a frame.
    if (CRhinoView* view = RhinoApp().ActiveView(); view && !in_busy_) {
      view->ZoomExtents();
      view->Redraw();
    }
    break;
  default:
    break;
  }
}

void DesktopWindow::ShowView(CRhinoView* view, bool busy) {
  if (!view || view_rect_.w < 1 || view_rect_.h < 1) return;
  const bool drawing = view->DisplayPipeline()->IsDrawingFrame();
  if (!busy && !drawing &&
      (view->Viewport().Width() != view_rect_.w || view->Viewport().Height() != view_rect_.h)) {
    view->Viewport().SetScreenSize(view_rect_.w, view_rect_.h);
    view->Redraw();
  }
  ON_Color probe;
  // A capture at another size leaves its picture in the engine; the view
  // gets its own size back.
  const bool right_size = view->Engine().FramePixel(view_rect_.w - 1, view_rect_.h - 1, probe) &&
                          !view->Engine().FramePixel(view_rect_.w, view_rect_.h - 1, probe) &&
                          !view->Engine().FramePixel(view_rect_.w - 1, view_rect_.h, probe);
  if (!right_size && !busy && !drawing && view->Engine().FramePixel(0, 0, probe)) {
    view->Redraw();
    shown_view_ = nullptr;
  }
  if (view == shown_view_ && view->FrameCount() == shown_frame_ && texture_w_ == view_rect_.w &&
      texture_h_ == view_rect_.h)
    return;
  if (!view_texture_ || texture_w_ != view_rect_.w || texture_h_ != view_rect_.h) {
    if (view_texture_) SDL_DestroyTexture(view_texture_);
    view_texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_RGB24, SDL_TEXTUREACCESS_STREAMING,
                                      view_rect_.w, view_rect_.h);
    texture_w_ = view_rect_.w;
    texture_h_ = view_rect_.h;
  }
  if (!view_texture_) return;
  void* pixels = nullptr;
  int pitch = 0;
  if (SDL_LockTexture(view_texture_, nullptr, &pixels, &pitch) != 0) return;
  // The engine hands out its finished frame pixel by pixel; for a view of
  // a million pixels that is a few milliseconds, small beside the frame.
  for (int y = 0; y < texture_h_; ++y) {
    auto* row = static_cast<unsigned char*>(pixels) + static_cast<std::ptrdiff_t>(y) * pitch;
    for (int x = 0; x < texture_w_; ++x, row += 3) {
      ON_Color c(190, 190, 190);
      view->Engine().FramePixel(x, y, c);
      row[0] = static_cast<unsigned char>(c.Red());
      row[1] = static_cast<unsigned char>(c.Green());
      row[2] = static_cast<unsigned char>(c.Blue());
    }
  }
  SDL_UnlockTexture(view_texture_);
  shown_view_ = view;
  shown_frame_ = view->FrameCount();
}

void DesktopWindow::Draw(bool busy, bool present) {
  int width = 0, height = 0;
  SDL_GetRendererOutputSize(renderer_, &width, &height);
  ImGui_ImplSDL2_NewFrame();
  ImGui::NewFrame();
  CRhinoView* view = RhinoApp().ActiveView();

  // The top strip: panels menu, the plug-ins' toolbars, views and modes.
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(ImVec2(static_cast<float>(width), kTopBarHeight));
  ImGui::Begin("##top bar", nullptr,
               ImGuiWindowFlags_NoDecoration | ImGuiWindowFlags_NoMove |
                   ImGuiWindowFlags_NoSavedSettings | ImGuiWindowFlags_NoBringToFrontOnFocus);
  if (ImGui::Button("Panels")) ImGui::OpenPopup("panels");
  if (ImGui::BeginPopup("panels")) {
    panels_.DrawMenu();
    ImGui::EndPopup();
  }
  std::wstring macro;
  if (toolbar_.Draw(renderer_, macro)) Submit(WideToUtf8(macro), app::CommandLine::Answer::macro);
  ImGui::SameLine(0.0f, 24.0f);
  // While a frame is drawn the view cannot change: its bar waits.
  ImGui::BeginDisabled(busy);
  DrawViewBar(view);
  ImGui::EndDisabled();
  ImGui::End();

  const int area_y = kTopBarHeight;
  const int area_h = std::max(1, height - kTopBarHeight - kCommandBarHeight);
  const DockPanels::Margins m = panels_.Measure(width, area_h);
  panels_.Draw(0, area_y, width, area_h, !busy);
  view_rect_ = Rect{m.left, area_y + m.top, std::max(1, width - m.left - m.right),
                    std::max(1, area_h - m.top - m.bottom)};

  std::string line;
  const std::string status = !status_.empty() ? status_ : app::BackgroundProgressText();
  if (command_bar_.Draw(busy ? L"" : prompt_, status, 0.0f,
                        static_cast<float>(height - kCommandBarHeight), static_cast<float>(width),
                        static_cast<float>(kCommandBarHeight), line))
    Submit(line, app::CommandLine::Answer::typed);

  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (view_input_.SelectionRectangle(x0, y0, x1, y1)) {
    // A window (dragged right) drawn solid, a crossing dashed-looking grey.
    const bool crossing = x1 < x0;
    ImGui::GetForegroundDrawList()->AddRect(
        ImVec2(static_cast<float>(view_rect_.x + std::min(x0, x1)),
               static_cast<float>(view_rect_.y + std::min(y0, y1))),
        ImVec2(static_cast<float>(view_rect_.x + std::max(x0, x1)),
               static_cast<float>(view_rect_.y + std::max(y0, y1))),
        crossing ? IM_COL32(40, 160, 40, 255) : IM_COL32(30, 60, 200, 255), 0.0f, 0,
        crossing ? 1.0f : 2.0f);
  }
  ImGui::Render();

  ShowView(view, busy);
  SDL_SetRenderDrawColor(renderer_, 160, 160, 165, 255);
  SDL_RenderClear(renderer_);
  if (view_texture_) {
    const SDL_Rect to{view_rect_.x, view_rect_.y, texture_w_, texture_h_};
    SDL_RenderCopy(renderer_, view_texture_, nullptr, &to);
  }
  RenderImGuiDrawData(renderer_, ImGui::GetDrawData());
  if (present) SDL_RenderPresent(renderer_);
  if (!announced_) Announce();
}

std::vector<std::string> DesktopWindow::Layout() const {
  std::vector<std::string> lines;
  char line[256];
  std::snprintf(line, sizeof line, "view at %d,%d %dx%d", view_rect_.x, view_rect_.y, view_rect_.w,
                view_rect_.h);
  lines.emplace_back(line);
  if (const CRhinoView* view = RhinoApp().ActiveView()) {
    const ON_Viewport& vp = view->Viewport().VP();
    const ON_3dPoint c = vp.CameraLocation();
    const ON_3dVector d = vp.CameraDirection();
    std::snprintf(line, sizeof line, "camera at %.4f,%.4f,%.4f looking %.4f,%.4f,%.4f", c.x, c.y,
                  c.z, d.x, d.y, d.z);
    lines.emplace_back(line);
  }
  for (const std::string& b : toolbar_.Placed())
    lines.push_back("toolbar button " + b);
  for (const std::string& p : panels_.Placed())
    lines.push_back(p);
  return lines;
}

void DesktopWindow::Announce() {
  announced_ = true;
  int width = 0, height = 0;
  SDL_GetRendererOutputSize(renderer_, &width, &height);
  char line[160];
  std::snprintf(line, sizeof line, "Window %dx%d open; the view is at %d,%d, %dx%d pixels.", width,
                height, view_rect_.x, view_rect_.y, view_rect_.w, view_rect_.h);
  RhinoCommandInput().Print(Utf8ToWide(line));
  // Keys go to the window from the start (a desktop without a window
  // manager gives no focus by itself).
  SDL_SetWindowInputFocus(window_);
}

bool DesktopWindow::Capture(const std::string& path, std::string& error) {
  if (!renderer_) {
    error = "no window is open";
    return false;
  }
  Draw(false, false);
  int width = 0, height = 0;
  SDL_GetRendererOutputSize(renderer_, &width, &height);
  std::vector<unsigned char> rgb(static_cast<std::size_t>(width) *
                                 static_cast<std::size_t>(height) * 3u);
  if (SDL_RenderReadPixels(renderer_, nullptr, SDL_PIXELFORMAT_RGB24, rgb.data(), width * 3) != 0) {
    error = SDL_GetError();
    return false;
  }
  SDL_RenderPresent(renderer_);
  return WritePngFile(path, width, height, rgb, error);
}

} // namespace kyrel::window
