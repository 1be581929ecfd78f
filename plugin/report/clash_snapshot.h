#pragma once
// The picture of one clash: the active view framed on the clash's two
// objects exactly as the "Interferences" panel frames them when the clash's
// number is double-clicked, captured to PNG, and the view put back as it
// was. While detection is on the view shows every object by its edges and
// the clash regions in red.

#include <string>
#include <vector>

#include "clash_report_data.h"
#include "rhinoSdk.h"

// Captures clash `clash` (objects a and b of the active document) into
// `clash.snapshot` at width x height pixels and sets its camera: aimed at
// the clash's centre from the framed view's direction, far enough back for
// both objects to fit in its field of view. The camera is set even when
// the capture fails (no view, or an engine that keeps no pixels); the
// snapshot then stays empty and `error` says why.
void TakeClashSnapshot(const CRhinoObject& a, const CRhinoObject& b, int width, int height,
                       ReportClash& clash, std::string& error);
