#include "rhino_background_work.h"

#include <map>
#include <vector>

namespace {

struct Work {
  bool (*busy)() = nullptr;
  void (*cancel)() = nullptr;
  void (*end)() = nullptr;
};

std::map<const void*, Work>& Registered() {
  static auto* works = new std::map<const void*, Work>;
  return *works;
}

} // namespace

void RhinoRegisterBackgroundWork(const void* owner, bool (*busy)(), void (*cancel)(),
                                 void (*end)()) {
  if (busy)
    Registered()[owner] = Work{busy, cancel, end};
  else
    Registered().erase(owner);
}

bool RhinoBackgroundWorkBusy() {
  for (const auto& [owner, work] : Registered())
    if (work.busy()) return true;
  return false;
}

int RhinoCancelBackgroundWork() {
  // A cancel may unregister work (a library closing its panel), so the
  // cancels to run are taken before any of them runs.
  std::vector<void (*)()> cancels;
  for (const auto& [owner, work] : Registered())
    if (work.cancel && work.busy()) cancels.push_back(work.cancel);
  for (auto cancel : cancels)
    cancel();
  return static_cast<int>(cancels.size());
}

void RhinoEndBackgroundWork() {
  // An end may unregister its work, so the ends are taken first.
  std::vector<void (*)()> ends;
  for (const auto& [owner, work] : Registered())
    if (work.end) ends.push_back(work.end);
  for (auto end : ends)
    end();
}
