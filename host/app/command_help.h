#pragma once
// What a person needs to type commands without the manual: the names that
// complete a typed beginning, and the Help command (every command with a
// line, or one command's prompts and options).

#include <memory>
#include <string>
#include <vector>

namespace kyrel::app {

class HostCommand;

// Names of the registered commands (host and plug-ins) that begin with
// `prefix`, without regard to case, sorted; a leading "_" in the prefix is
// kept on every name returned.
std::vector<std::string> CommandNamesStartingWith(const std::string& prefix);

// What a Tab does to `line`: its last word completed to the longest
// beginning every matching command name shares (with a space after a name
// that is the only match). `matches` receives every matching name. The
// line comes back unchanged when nothing matches or the word is not the
// line's first (options are not command names).
std::string CompleteCommandName(const std::string& line, std::vector<std::string>& matches);

// Keeps typed lines for the arrow keys: Up goes back in time, Down forward;
// a line equal to the one before it is kept once.
class LineHistory {
public:
  void Add(const std::string& line);
  // The line one step older (Up) or newer (Down) than the one shown; at the
  // newest end Down gives back what was being typed before Up was pressed.
  std::string Older(const std::string& current);
  std::string Newer(const std::string& current);
  void ResetBrowsing() { at_ = lines_.size(); }

private:
  std::vector<std::string> lines_;
  std::size_t at_ = 0;
  std::string pending_;
};

void AddHelpCommand(std::vector<std::unique_ptr<HostCommand>>& out);

} // namespace kyrel::app
