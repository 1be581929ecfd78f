#include "window_main.h"

#include <SDL.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "desktop_window.h"
#include "host_commands.h"
#include "host_session.h"
#include "rhinoSdk.h"
#include "win_strings.h"

namespace kyrel::window {

namespace {

using Clock = std::chrono::steady_clock;

// Frames quicker than this never stop to look at the window.
constexpr auto kQuietFrame = std::chrono::milliseconds(100);

void KeepWindowAnswering(const std::string& status) {
  if (DesktopWindow* w = DesktopWindow::Current()) w->KeepAnswering(status);
}

void OnDrawProgress(int /*pass*/, size_t done, size_t total) {
  static Clock::time_point started;
  if (done == 0) {
    started = Clock::now();
    return;
  }
  if (done >= total || Clock::now() - started < kQuietFrame) return;
  KeepWindowAnswering("Drawing: " + std::to_string(done) + " of " + std::to_string(total) +
                      " objects");
}

CRhinoCommand::result WindowCaptureCommand(const CRhinoCommandContext&) {
  auto name = app::AskString(L"PNG file name");
  if (!name) return CRhinoCommand::cancel;
  DesktopWindow* window = DesktopWindow::Current();
  if (!window) {
    app::Complain(L"There is no window to capture: kyrel runs without --window.");
    return CRhinoCommand::failure;
  }
  const std::string path = app::HostSession::Instance().OutputPath(*name);
  std::string error;
  if (!window->Capture(path, error)) {
    app::Complain(L"Cannot capture the window to " + kyrel::platform::Utf8ToWide(path) + L": " +
                  kyrel::platform::Utf8ToWide(error));
    return CRhinoCommand::failure;
  }
  const Rect v = window->ViewRect();
  app::Say(L"Captured the window to " + kyrel::platform::Utf8ToWide(path) + L" (the view at " +
           std::to_wstring(v.x) + L"," + std::to_wstring(v.y) + L", " + std::to_wstring(v.w) +
           L"x" + std::to_wstring(v.h) + L").");
  return CRhinoCommand::success;
}

CRhinoCommand::result WindowLayoutCommand(const CRhinoCommandContext&) {
  DesktopWindow* window = DesktopWindow::Current();
  if (!window) {
    app::Complain(L"There is no window: kyrel runs without --window.");
    return CRhinoCommand::failure;
  }
  app::Say(L"Window layout:");
  for (const std::string& line : window->Layout())
    app::Say(L"  " + kyrel::platform::Utf8ToWide(line));
  app::Say(L"End of the layout.");
  return CRhinoCommand::success;
}

CRhinoCommand::result WindowPixelCommand(const CRhinoCommandContext&) {
  auto point = app::AskPoint(L"World point");
  if (!point) return CRhinoCommand::cancel;
  DesktopWindow* window = DesktopWindow::Current();
  CRhinoView* view = app::ActiveView();
  ON_3dPoint screen;
  if (!window || !view || !view->Viewport().VP().GetScreenCoordinates(*point, screen)) {
    app::Complain(L"The point is not in the window's view.");
    return CRhinoCommand::failure;
  }
  const Rect v = window->ViewRect();
  char line[160];
  std::snprintf(line, sizeof line, "World point %g,%g,%g is at window pixel %d,%d.", point->x,
                point->y, point->z, v.x + static_cast<int>(std::lround(screen.x)),
                v.y + static_cast<int>(std::lround(screen.y)));
  app::Say(kyrel::platform::Utf8ToWide(line));
  return CRhinoCommand::success;
}

} // namespace

void AnswerDuringLongFrames(bool on) {
  CRhinoDisplayPipeline::SetDrawProgress(on ? &OnDrawProgress : nullptr);
}

int RunInWindow(app::HostSession& session, const std::vector<std::string>& lines, int width,
                int height, const std::function<int()>& prepare) {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if ((!display || !*display) && (!wayland || !*wayland)) {
    std::fprintf(stderr, "Error: --window needs a display, and DISPLAY is not set. Without "
                         "--window kyrel runs without one.\n");
    return 2;
  }
  DesktopWindow window;
  std::string error;
  if (!window.Open(width, height, error)) {
    std::fprintf(stderr, "Error: %s\n", error.c_str());
    return 2;
  }
  // The window's own commands live as long as the process.
  static const app::HostCommand* commands[] = {
      new app::HostCommand(L"WindowCapture", false, &WindowCaptureCommand),
      new app::HostCommand(L"WindowLayout", false, &WindowLayoutCommand),
      new app::HostCommand(L"WindowPixel", false, &WindowPixelCommand)};
  (void)commands;
  app::SetBusyHook(&KeepWindowAnswering);
  AnswerDuringLongFrames(true);

  int status = prepare();
  if (status == 0) {
    app::CommandLine& input = session.Input();
    app::CommandLine::FrontEnd front;
    front.ask = [&window](const std::wstring& prompt, std::string& text) {
      return window.Ask(prompt, text);
    };
    front.show = [&window](const std::wstring& line, bool is_error) { window.Show(line, is_error); };
    input.SetFrontEnd(front);
    input.SetInteractive(true);
    window.QueueLines(lines);
    status = input.Run() ? 0 : 1;
    input.SetFrontEnd({});
  }
  AnswerDuringLongFrames(false);
  app::SetBusyHook(nullptr);
  window.Close();
  return status;
}

} // namespace kyrel::window
