#pragma once
// What a clash report holds: the clashes of the last completed computation
// in the panel's order, each with the figures that say how bad it is, and
// the pairs that come too close without clashing. The writers (JSON, BCF,
// HTML) only format this; nothing here knows about files.

#include <string>
#include <vector>

#include "opennurbs.h"

struct ReportObject {
  ON_UUID id = ON_nil_uuid;
  std::string name;  // UTF-8; empty when the object has none
  std::string layer; // UTF-8 full layer name
  // What a building model says of the element (UTF-8; empty for objects
  // that did not come from one): its IFC GlobalId, class, storey and the
  // file it came from.
  std::string global_id, ifc_class, storey, source_file;
  // The name, or the id in upper case as the panel shows an unnamed object.
  std::string Label() const;
};

enum class ClashKind { boolean_region, split_region, containment, duplicate };
const char* ClashKindName(ClashKind kind);

struct ReportClash {
  int number = 0; // 1-based, the panel's row
  ReportObject a, b;
  ClashKind kind = ClashKind::boolean_region;
  // A closed region is measured by its volume, an open one by its area.
  bool region_closed = false;
  double volume = 0.0;
  double area = 0.0;
  ON_BoundingBox box;
  ON_3dPoint centre = ON_3dPoint::Origin;
  double penetration_depth = 0.0;
  // 1 for the worst clash: larger volume first (closed regions before open
  // ones), then larger area, then deeper penetration, then panel order.
  int severity_rank = 0;
  // PNG of the clash framed as the panel frames it; empty when the view
  // could not be captured.
  std::vector<unsigned char> snapshot;
  // The camera of the snapshot, aimed at `centre`.
  ON_3dPoint camera_location = ON_3dPoint::Origin;
  ON_3dVector camera_direction = ON_3dVector(0, 0, -1);
  ON_3dVector camera_up = ON_3dVector(0, 1, 0);
  double field_of_view = 60.0; // degrees
};

struct ReportClearance {
  int number = 0;
  ReportObject a, b;
  double distance = 0.0;
  ON_3dPoint point_a = ON_3dPoint::Origin, point_b = ON_3dPoint::Origin;
};

struct ClashReport {
  std::string model_file; // UTF-8; empty for a model never saved
  std::string date;       // UTC, ISO 8601 ("2026-12-07T21:30:00Z")
  double absolute_tolerance = 0.0;
  double boolean_tolerance = 0.0;
  double clearance = 0.0; // 0: clearance not checked
  int object_count = 0;
  long long pairs_tested = 0; // the pairs within the scope
  std::string scope;          // which pairs the report is about
  double touching = 0.0;      // penetrations shallower than this were left out
  int touching_left_out = 0;  // clashes of the scope left out as touching
  int out_of_scope = 0;       // clashes found outside the scope
  std::vector<ReportClash> clashes;
  std::vector<ReportClearance> clearances;
};

// Gives every clash its severity rank.
void RankBySeverity(std::vector<ReportClash>& clashes);

// How the penetration depth is computed, for readers of the reports.
extern const char* const kPenetrationDepthMethod;
