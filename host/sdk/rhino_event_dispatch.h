#pragma once
// Host-internal: delivery of events to the registered watchers. Not for
// code outside the host SDK.

#include <functional>

#include "rhino_event_watcher.h"

namespace rhino_sdk_internal {

// Calls fn for every registered, enabled watcher, in registration order.
// Safe against watchers (un)registering or being destroyed during delivery.
void ForEachWatcher(const std::function<void(CRhinoEventWatcher&)>& fn);

} // namespace rhino_sdk_internal
