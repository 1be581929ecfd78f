#include "rhino_display_conduit.h"

#include <algorithm>
#include <vector>

namespace {

// Never destroyed: static conduits of other libraries unregister during
// their own static destruction, possibly after this library's statics.
struct ConduitRegistry {
  std::vector<CRhinoDisplayConduit*> conduits; // null: unregistered during a walk
  int walk_depth = 0;
};

ConduitRegistry& Registry() {
  static ConduitRegistry* registry = new ConduitRegistry();
  return *registry;
}

void Compact(ConduitRegistry& r) {
  if (r.walk_depth == 0)
    r.conduits.erase(std::remove(r.conduits.begin(), r.conduits.end(), nullptr), r.conduits.end());
}

} // namespace

namespace rhino_sdk_internal {

void ForEachEnabledConduit(void (*fn)(CRhinoDisplayConduit&, void*), void* context) {
  ConduitRegistry& r = Registry();
  ++r.walk_depth;
  // Index walk over the live list: a conduit registered by an earlier one
  // during the walk is reached as well.
  for (size_t i = 0; i < r.conduits.size(); ++i) {
    CRhinoDisplayConduit* c = r.conduits[i];
    if (c != nullptr && c->IsEnabled()) fn(*c, context);
  }
  --r.walk_depth;
  Compact(r);
}

int RegisteredConduitCount() {
  const ConduitRegistry& r = Registry();
  return static_cast<int>(
      std::count_if(r.conduits.begin(), r.conduits.end(),
                    [](const CRhinoDisplayConduit* c) { return c != nullptr; }));
}

} // namespace rhino_sdk_internal

CRhinoDisplayConduit::CRhinoDisplayConduit(unsigned int channel_set, bool bEnabled)
    : m_channels(channel_set), m_bEnabled(bEnabled) {
  Registry().conduits.push_back(this);
}

CRhinoDisplayConduit::~CRhinoDisplayConduit() {
  ConduitRegistry& r = Registry();
  for (auto& c : r.conduits)
    if (c == this) c = nullptr;
  Compact(r);
}

bool CRhinoDisplayConduit::ExecConduit(CRhinoDisplayPipeline&, unsigned int, bool&) {
  return true;
}

void CRhinoDisplayConduit::NotifyConduit(int, CRhinoDisplayPipeline&) {}
