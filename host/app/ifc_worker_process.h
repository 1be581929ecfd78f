#pragma once
// Runs the IFC worker (node with ifc_worker/ifc_worker.mjs) on one file in
// a process of its own, with a time limit and a memory limit, and collects
// the element stream it writes to its descriptor 3. A crash, a runaway
// allocation or an endless loop in the worker ends the worker, not kyrel.
//
// Where things are found: node on PATH (or KYREL_NODE); the worker script
// in KYREL_IFC_WORKER, else ifc_worker/ beside the executable, else the
// source tree's host/app/ifc_worker (whose node_modules scripts/deps fills
// with the locked packages). KYREL_IFC_TIME_LIMIT (seconds) overrides the
// time limit.

#include <string>

namespace kyrel::app {

struct IfcWorkerLimits {
  int seconds = 120;
  unsigned long long memory_bytes = 3ull << 30; // data the worker may map
  unsigned long long stream_bytes = 2ull << 30; // stream kyrel accepts
};

// The limits, with the environment's override of the time.
IfcWorkerLimits DefaultIfcWorkerLimits();

struct IfcWorkerRun {
  std::string stream; // what the worker wrote to descriptor 3
  // Empty when the worker ended normally (its exit status aside);
  // otherwise why it did not (timed out, crashed, ran out of memory, could
  // not start), for the user.
  std::string failure;
};

IfcWorkerRun RunIfcWorker(const std::string& path, const IfcWorkerLimits& limits);

} // namespace kyrel::app
