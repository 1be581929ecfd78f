#include "command_bar.h"

#include <imgui.h>

#include <cstring>

#include "win_strings.h"

namespace kyrel::window {

namespace {

constexpr std::size_t kKeptLines = 1000;
const ImVec4 kErrorColour(0.85f, 0.15f, 0.1f, 1.0f);

} // namespace

void CommandBar::AddOutput(const std::string& line, bool error) {
  lines_.push_back({line, error});
  while (lines_.size() > kKeptLines)
    lines_.pop_front();
  scroll_to_end_ = true;
}

void CommandBar::Backspace() {
  // UTF-8: continuation bytes go with the byte that starts the character.
  while (!typed_.empty() && (static_cast<unsigned char>(typed_.back()) & 0xC0) == 0x80)
    typed_.pop_back();
  if (!typed_.empty()) typed_.pop_back();
}

void CommandBar::Complete(bool command_prompt) {
  matches_.clear();
  if (!command_prompt) return;
  std::vector<std::string> matches;
  const std::string completed = app::CompleteCommandName(typed_, matches);
  if (completed != typed_) {
    typed_ = completed;
  } else if (matches.size() > 1) {
    for (const std::string& m : matches)
      matches_ += (matches_.empty() ? "" : "  ") + m;
  }
}

std::string CommandBar::TakeLine() {
  std::string line;
  line.swap(typed_);
  history_.Add(line);
  matches_.clear();
  return line;
}

void CommandBar::DrawPrompt(const std::wstring& prompt, std::string& clicked) {
  const std::string text = kyrel::platform::WideToUtf8(prompt);
  const std::size_t open = text.find(" (");
  const std::size_t close = text.rfind(')');
  if (open == std::string::npos || close == std::string::npos || close < open) {
    ImGui::TextUnformatted(text.c_str());
    return;
  }
  ImGui::TextUnformatted(text.substr(0, open).c_str());
  std::size_t at = open + 2;
  int index = 0;
  while (at < close) {
    const std::size_t start = text.find_first_not_of(' ', at);
    if (start == std::string::npos || start >= close) break;
    std::size_t end = text.find(' ', start);
    if (end == std::string::npos || end > close) end = close;
    const std::string option = text.substr(start, end - start);
    ImGui::SameLine();
    ImGui::PushID(index++);
    // A click chooses the option by its name, as typing the name does.
    if (ImGui::SmallButton(option.c_str())) clicked = option.substr(0, option.find('='));
    ImGui::PopID();
    at = end;
  }
  ImGui::SameLine();
  ImGui::TextUnformatted(text.substr(close + 1).c_str());
}

bool CommandBar::Draw(const std::wstring& prompt, const std::string& status, float x, float y,
                      float width, float height, std::string& line) {
  bool answered = false;
  ImGui::SetNextWindowPos(ImVec2(x, y));
  ImGui::SetNextWindowSize(ImVec2(width, height));
  ImGui::Begin("##command line", nullptr,
               ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                   ImGuiWindowFlags_NoScrollbar | ImGuiWindowFlags_NoSavedSettings |
                   ImGuiWindowFlags_NoBringToFrontOnFocus);
  const float below = ImGui::GetFrameHeightWithSpacing() * 2.0f +
                      (matches_.empty() ? 0.0f : ImGui::GetTextLineHeightWithSpacing());
  ImGui::BeginChild("##output", ImVec2(0, -below), true);
  for (const Line& l : lines_) {
    if (l.error) ImGui::PushStyleColor(ImGuiCol_Text, kErrorColour);
    ImGui::TextUnformatted(l.text.c_str());
    if (l.error) ImGui::PopStyleColor();
  }
  if (scroll_to_end_) ImGui::SetScrollHereY(1.0f);
  scroll_to_end_ = false;
  ImGui::EndChild();
  if (!matches_.empty()) ImGui::TextDisabled("%s", matches_.c_str());

  std::string clicked;
  if (!status.empty()) {
    ImGui::TextColored(ImVec4(0.2f, 0.45f, 0.8f, 1.0f), "[%s]", status.c_str());
    ImGui::SameLine();
  }
  DrawPrompt(prompt, clicked);

  // The typed line with its caret.
  ImGui::PushStyleColor(ImGuiCol_ChildBg, ImVec4(1.0f, 1.0f, 1.0f, 1.0f));
  ImGui::PushStyleVar(ImGuiStyleVar_WindowPadding, ImGui::GetStyle().FramePadding);
  ImGui::BeginChild("##typed", ImVec2(0, ImGui::GetFrameHeight()), true,
                    ImGuiWindowFlags_NoScrollbar);
  ImGui::TextUnformatted((typed_ + "_").c_str());
  ImGui::EndChild();
  ImGui::PopStyleVar();
  ImGui::PopStyleColor();
  if (!clicked.empty()) {
    line = clicked;
    answered = true;
  }
  ImGui::End();
  return answered;
}

} // namespace kyrel::window
