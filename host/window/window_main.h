#pragma once
// `kyrel --window`: the host's command line run in a desktop window.

#include <functional>
#include <string>
#include <vector>

namespace kyrel::app {
class HostSession;
}

namespace kyrel::window {

// Opens the window (a message and status 2 when there is no display),
// then runs `prepare` (plug-ins, the start model; a non-zero status ends
// the run), then the lines one after another as if typed, then what the
// person types, until Exit or the window is closed. Returns the exit
// status: 1 when a command failed or input was wrong.
int RunInWindow(app::HostSession& session, const std::vector<std::string>& lines, int width,
                int height, const std::function<int()>& prepare);

// While a frame takes longer than a moment, the window handles its events
// and shows how far the frame is (on while RunInWindow runs).
void AnswerDuringLongFrames(bool on);

} // namespace kyrel::window
