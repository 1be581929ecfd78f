// The fresh start the long session is compared with: a second process of
// the soak program, started once, that for every request opens the saved
// model in a new document, makes the same objects cutting objects (modes
// live only in memory, never in files) and draws it once, then describes
// what it shows, as the long session describes itself (shown_state.h).
// It runs as a process of its own so that nothing the long session holds
// (caches, the clash engine, undo records, statics of the plug-in) can
// leak into what it shows.
#pragma once

#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace soak {

struct FreshRequest {
  std::string model;                               // a saved .kyd
  std::vector<std::pair<std::string, int>> cutters; // object id, cutting mode
  bool clashes = false;                            // also compute the clashes
};

struct FreshView {
  std::string cuts;
  std::string clashes;
};

class FreshStart {
public:
  FreshStart() = default;
  ~FreshStart();
  FreshStart(const FreshStart&) = delete;
  FreshStart& operator=(const FreshStart&) = delete;

  // Starts `program --fresh` with `folder` for its files.
  bool Launch(const std::string& program, const std::string& folder, std::string& error);
  // False when the fresh process failed or died (a finding in itself).
  bool Show(const FreshRequest& request, FreshView& view, std::string& error);
  // Ends the fresh process; false when it did not end cleanly (under the
  // sanitizers a leak makes its status non-zero).
  bool Finish(std::string& error);

private:
  pid_t pid_ = -1;
  int to_child_ = -1;
  int from_child_ = -1;
  std::string folder_;
  int requests_ = 0;
  std::string last_key_;
  FreshView last_view_;
};

// The fresh process itself: reads requests from standard input, answers
// on `reply_fd`. Returns the process's exit status.
int RunFreshProcess(int reply_fd, const std::string& folder);

} // namespace soak
