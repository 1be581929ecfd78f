// JSON report, written with nlohmann::json (numbers at full precision).

#include "json_report.h"

#include <nlohmann/json.hpp>

namespace {

using nlohmann::ordered_json;

ordered_json Point(const ON_3dPoint& p) {
  return ordered_json::array({p.x, p.y, p.z});
}

ordered_json Object(const ReportObject& object) {
  ON_wString id = ON_UuidToString(object.id);
  id.MakeUpper();
  return ordered_json{{"id", id.ToUtf8()},
                      {"name", object.name},
                      {"layer", object.layer},
                      {"global_id", object.global_id},
                      {"ifc_class", object.ifc_class},
                      {"storey", object.storey},
                      {"file", object.source_file}};
}

ordered_json Clash(const ReportClash& clash) {
  ordered_json out;
  out["number"] = clash.number;
  out["object_a"] = Object(clash.a);
  out["object_b"] = Object(clash.b);
  out["kind"] = ClashKindName(clash.kind);
  out["region_closed"] = clash.region_closed;
  if (clash.region_closed)
    out["volume"] = clash.volume;
  else
    out["area"] = clash.area;
  out["penetration_depth"] = clash.penetration_depth;
  out["severity_rank"] = clash.severity_rank;
  out["bounding_box"] = {{"min", Point(clash.box.m_min)}, {"max", Point(clash.box.m_max)}};
  out["centre"] = Point(clash.centre);
  return out;
}

ordered_json Clearance(const ReportClearance& clearance) {
  ordered_json out;
  out["number"] = clearance.number;
  out["issue"] = "clearance";
  out["object_a"] = Object(clearance.a);
  out["object_b"] = Object(clearance.b);
  out["distance"] = clearance.distance;
  out["point_a"] = Point(clearance.point_a);
  out["point_b"] = Point(clearance.point_b);
  return out;
}

} // namespace

std::string ClashReportJson(const ClashReport& report) {
  ordered_json out;
  out["model"] = report.model_file;
  out["date"] = report.date;
  out["tolerances"] = {{"absolute", report.absolute_tolerance},
                       {"boolean", report.boolean_tolerance},
                       {"clearance", report.clearance}};
  out["objects_tested"] = report.object_count;
  out["pairs_tested"] = report.pairs_tested;
  out["scope"] = report.scope;
  out["touching_tolerance"] = report.touching;
  out["left_out"] = {{"touching", report.touching_left_out},
                     {"outside_the_sets", report.out_of_scope}};
  out["penetration_depth_method"] = kPenetrationDepthMethod;
  out["clashes"] = ordered_json::array();
  for (const ReportClash& clash : report.clashes)
    out["clashes"].push_back(Clash(clash));
  out["clearances"] = ordered_json::array();
  for (const ReportClearance& clearance : report.clearances)
    out["clearances"].push_back(Clearance(clearance));
  return out.dump(2) + "\n";
}
