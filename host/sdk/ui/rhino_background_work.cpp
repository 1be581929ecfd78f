#include "rhino_background_work.h"

#include <map>

namespace {
std::map<const void*, bool (*)()>& Queries() {
  static auto* queries = new std::map<const void*, bool (*)()>;
  return *queries;
}
} // namespace

void RhinoRegisterBackgroundWork(const void* owner, bool (*busy)()) {
  if (busy)
    Queries()[owner] = busy;
  else
    Queries().erase(owner);
}

bool RhinoBackgroundWorkBusy() {
  for (const auto& [owner, busy] : Queries())
    if (busy && busy()) return true;
  return false;
}
