#include "terminal_progress.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>

#include "rhino_display_pipeline.h"
#include "ui/rhino_background_work.h"
#include "ui/rhino_dockbar.h"
#include "win_controls.h"
#include "win_strings.h"
#include "win_windows.h"

namespace kyrel::app {

namespace {

using Clock = std::chrono::steady_clock;

bool OutputIsTerminal() {
  static const bool terminal = isatty(STDOUT_FILENO) != 0;
  return terminal;
}

HWND ProgressBarBelow(HWND parent) {
  for (HWND child : kyrel::platform::ChildWindows(parent)) {
    if (kyrel::platform::EqualsNoCase(kyrel::platform::WindowClass(child), PROGRESS_CLASSW) &&
        IsWindowVisible(child))
      return child;
    if (HWND found = ProgressBarBelow(child)) return found;
  }
  return nullptr;
}

} // namespace

std::string PanelProgressText() {
  std::string text;
  for (CRhinoUiDockBar* bar : RhinoUiDockBarManager().DockBars()) {
    if (!bar->IsVisible()) continue;
    HWND progress = ProgressBarBelow(bar->m_hWnd);
    if (!progress) continue;
    const auto total = SendMessageW(progress, PBM_GETRANGE, FALSE, 0);
    const auto done = SendMessageW(progress, PBM_GETPOS, 0, 0);
    if (!text.empty()) text += ", ";
    text += kyrel::platform::WideToUtf8(bar->DockBarName(1033));
    if (total > 0)
      text += " " + std::to_string(done) + " of " + std::to_string(total);
    else
      text += " starting";
  }
  return text;
}

std::string BackgroundProgressText() {
  if (!RhinoBackgroundWorkBusy()) return {};
  std::string text = PanelProgressText();
  return text.empty() ? "working" : text;
}

void ProgressLine::Show(const std::string& text) {
  if (!OutputIsTerminal() || (shown_ && text == last_)) return;
  std::fputs(("\r\033[K" + text).c_str(), stdout);
  std::fflush(stdout);
  shown_ = true;
  last_ = text;
}

void ProgressLine::Finish(bool keep) {
  if (!shown_) return;
  std::fputs(keep ? "\n" : "\r\033[K", stdout);
  std::fflush(stdout);
  shown_ = false;
  last_.clear();
}

namespace {

// Only frames slower than this show their progress: most frames never do.
constexpr auto kQuietFrame = std::chrono::milliseconds(400);
constexpr auto kRedrawEvery = std::chrono::milliseconds(100);

void OnDrawProgress(int /*pass*/, size_t done, size_t total) {
  static ProgressLine line;
  static Clock::time_point started, shown;
  const auto now = Clock::now();
  if (done == 0) {
    started = now;
    return;
  }
  if (done >= total) {
    line.Finish(false);
    return;
  }
  if (now - started < kQuietFrame || now - shown < kRedrawEvery) return;
  shown = now;
  line.Show("Drawing: " + std::to_string(done) + " of " + std::to_string(total) + " objects");
}

} // namespace

void ShowLongFramesOnTerminal() {
  if (OutputIsTerminal()) CRhinoDisplayPipeline::SetDrawProgress(&OnDrawProgress);
}

} // namespace kyrel::app
