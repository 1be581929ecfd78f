#pragma once
// Builds a clash report from the clash engine's results: reads the pairs
// and regions the last completed computation recorded, measures each clash,
// pictures it, and finds the clearance issues.

#include <string>
#include <vector>

#include "clash_report_data.h"
#include "clash_scope.h"
#include "rhinoSdk.h"

// Whether the engine holds results of a completed computation.
enum class ClashResultsState {
  ready,
  detection_off, // results are cleared whenever detection goes off
  computing,     // the results are still growing
  none,          // the last computation was cancelled, or none has run
};
ClashResultsState ReadClashResultsState();

struct ClashReportOptions {
  double clearance = 0.0; // 0: off
  ClashScope scope;        // default: every pair, touching nothing
  bool snapshots = true;
  int snapshot_width = 640;
  int snapshot_height = 480;
};

// The report of `doc`'s clashes; ReadClashResultsState() must be ready.
// What could not be done (a clash whose objects are gone, a picture that
// could not be taken) is added to `warnings`.
ClashReport BuildClashReport(CRhinoDoc& doc, const ClashReportOptions& options,
                             std::vector<std::string>& warnings);
