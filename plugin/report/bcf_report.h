#pragma once
// The clash report as a BCF 2.1 file (BIM Collaboration Format): a zip
// holding `bcf.version` and one topic folder per clash, named by the
// topic's GUID, with `markup.bcf`, `viewpoint.bcfv` (a perspective camera
// aimed at the clash's centre and the two objects as selected components)
// and, when the view could be captured, `snapshot.png`.
//
// Topic GUIDs are derived from the pair's object ids, so the same clash
// keeps its topic from one report to the next and tools that track topics
// see it as the same issue.

#include <string>

#include "clash_report_data.h"

// False with the reason in `error` when the file cannot be written. The
// archive is only put in place once complete, so a failed write leaves
// whatever file was there before.
bool WriteBcfReport(const ClashReport& report, const std::string& path, std::string& error);

// The 22-character compressed form of a GUID that IFC and BCF use.
std::string IfcGuid(const ON_UUID& id);

// The GUID of clash topic `clash` (the "xxxxxxxx-xxxx-..." text form).
std::string ClashTopicGuid(const ReportClash& clash);
