#pragma once
// Runs a reader that cannot be trusted with a file in a child process, so
// that a crash, a runaway allocation or an endless loop in it ends the
// child and not the host. The child gets a time limit and, outside the
// sanitizer builds (whose shadow memory an address-space limit would
// break), a memory limit; what it writes to its pipe comes back as bytes.

#include <functional>
#include <string>

namespace kyrel::app {

struct ChildLimits {
  int seconds = 30;
  // Address space the child may take beyond what it starts with.
  unsigned long long extra_bytes = 2ull << 30;
};

// Runs `work` in a forked child; `work` fills its output and returns true,
// or fills it with a reason and returns false. True with `output` when the
// child finished and succeeded; false with `error` saying what happened:
// the reader's own reason, or that it "crashed" or "timed out".
bool RunInChild(const std::function<bool(std::string& output)>& work, const ChildLimits& limits,
                std::string& output, std::string& error);

} // namespace kyrel::app
