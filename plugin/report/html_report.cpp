// HTML report: a table per list, pictures as data URLs, a few lines of
// script that sort the rows by the clicked column.

#include "html_report.h"

#include <cstdio>

#include "base64.h"

namespace {

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&#39;";
      break;
    default:
      out += c;
    }
  }
  return out;
}

std::string Figure(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

std::string Point(const ON_3dPoint& p) {
  return Figure(p.x) + ", " + Figure(p.y) + ", " + Figure(p.z);
}

// A cell whose sort key (data-key) may differ from what it shows.
std::string Cell(const std::string& shown, const std::string& key) {
  return "<td data-key=\"" + Escaped(key) + "\">" + shown + "</td>";
}

constexpr const char* kStyle = R"(<style>
body { font-family: sans-serif; margin: 1.5em; }
table { border-collapse: collapse; margin-bottom: 2em; }
th, td { border: 1px solid #999; padding: 4px 8px; text-align: left; vertical-align: top; }
th.sortable { cursor: pointer; background: #eee; }
th.sortable:hover { background: #ddd; }
img { width: 320px; }
</style>
)";

// Numbers sort largest first on the first click, text in alphabetical
// order; a second click reverses.
constexpr const char* kScript = R"(<script>
function sortBy(th) {
  const table = th.closest('table');
  const column = Array.from(th.parentNode.children).indexOf(th);
  const numeric = th.dataset.numeric === 'yes';
  const down = th.dataset.order !== 'down';
  th.dataset.order = down ? 'down' : 'up';
  const body = table.tBodies[0];
  const rows = Array.from(body.rows);
  rows.sort(function (a, b) {
    const x = a.cells[column].dataset.key, y = b.cells[column].dataset.key;
    const c = numeric ? parseFloat(y) - parseFloat(x) : x.localeCompare(y);
    return down ? c : -c;
  });
  rows.forEach(function (row) { body.appendChild(row); });
}
</script>
)";

std::string Heading(const char* text, bool numeric) {
  return std::string("<th class=\"sortable\" data-numeric=\"") + (numeric ? "yes" : "no") +
         "\" onclick=\"sortBy(this)\">" + text + "</th>";
}

// The object's label, and what a building model says of it underneath.
std::string ObjectCell(const ReportObject& o) {
  std::string shown = Escaped(o.Label());
  std::string detail;
  for (const std::string* part : {&o.ifc_class, &o.storey, &o.source_file, &o.global_id}) {
    if (part->empty()) continue;
    if (!detail.empty()) detail += " &middot; ";
    detail += Escaped(*part);
  }
  if (!detail.empty()) shown += "<br><small>" + detail + "</small>";
  return Cell(shown, o.Label());
}

} // namespace

std::string ClashReportHtml(const ClashReport& report) {
  std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  html += "<title>Clash report " + Escaped(report.model_file) + "</title>\n";
  html += kStyle;
  html += kScript;
  html += "</head>\n<body>\n<h1>Clash report</h1>\n<p>";
  html += "Model: " + Escaped(report.model_file.empty() ? "(not saved)" : report.model_file);
  html += "<br>Date: " + Escaped(report.date);
  html += "<br>Objects tested: " + std::to_string(report.object_count) +
          ", pairs tested: " + std::to_string(report.pairs_tested);
  html += "<br>Scope: " + Escaped(report.scope);
  if (report.touching_left_out > 0 || report.out_of_scope > 0)
    html += " (left out: " + std::to_string(report.touching_left_out) + " touching, " +
            std::to_string(report.out_of_scope) + " outside the sets)";
  html += "<br>Tolerances: absolute " + Figure(report.absolute_tolerance) + ", boolean " +
          Figure(report.boolean_tolerance);
  html += "<br>Penetration depth: " + Escaped(kPenetrationDepthMethod) + "</p>\n";

  html += "<h2>Clashes (" + std::to_string(report.clashes.size()) + ")</h2>\n";
  html += "<p>Click a heading to sort; Severity sorts the worst first.</p>\n";
  html += "<table id=\"clashes\">\n<thead><tr>" + Heading("Clash #", false) +
          Heading("Severity", false) + Heading("Object A", false) + Heading("Object B", false) +
          Heading("Kind", false) + Heading("Volume", true) + Heading("Area", true) +
          Heading("Penetration depth", true) +
          "<th>Centre</th><th>Snapshot</th></tr></thead>\n<tbody>\n";
  for (const ReportClash& clash : report.clashes) {
    char number_key[16], rank_key[16];
    std::snprintf(number_key, sizeof number_key, "%08d", clash.number);
    std::snprintf(rank_key, sizeof rank_key, "%08d", clash.severity_rank);
    html += "<tr>";
    html += Cell(std::to_string(clash.number), number_key);
    html += Cell(std::to_string(clash.severity_rank), rank_key);
    html += ObjectCell(clash.a);
    html += ObjectCell(clash.b);
    html += Cell(ClashKindName(clash.kind), ClashKindName(clash.kind));
    html += clash.region_closed ? Cell(Figure(clash.volume), Figure(clash.volume))
                                : Cell("(open region)", "-1");
    html += Cell(Figure(clash.area), Figure(clash.area));
    html += Cell(Figure(clash.penetration_depth), Figure(clash.penetration_depth));
    html += "<td>" + Point(clash.centre) + "</td>";
    html += clash.snapshot.empty()
                ? std::string("<td>(no picture)</td>")
                : "<td><img alt=\"clash " + std::to_string(clash.number) +
                      "\" src=\"data:image/png;base64," +
                      kyrel::platform::Base64(clash.snapshot.data(), clash.snapshot.size()) +
                      "\"></td>";
    html += "</tr>\n";
  }
  html += "</tbody>\n</table>\n";

  if (report.clearance > 0.0) {
    html += "<h2>Clearance issues (" + std::to_string(report.clearances.size()) + ", closer than " +
            Figure(report.clearance) + ")</h2>\n";
    html += "<table id=\"clearances\">\n<thead><tr>" + Heading("#", false) +
            Heading("Object A", false) + Heading("Object B", false) +
            "<th class=\"sortable\" data-numeric=\"yes\" data-order=\"down\" "
            "onclick=\"sortBy(this)\">Distance</th>"
            "<th>Point on A</th><th>Point on B</th></tr></thead>\n<tbody>\n";
    for (const ReportClearance& c : report.clearances) {
      char number_key[16];
      std::snprintf(number_key, sizeof number_key, "%08d", c.number);
      html += "<tr>" + Cell(std::to_string(c.number), number_key) +
              ObjectCell(c.a) + ObjectCell(c.b) +
              Cell(Figure(c.distance), Figure(c.distance)) + "<td>" + Point(c.point_a) +
              "</td><td>" + Point(c.point_b) + "</td></tr>\n";
    }
    html += "</tbody>\n</table>\n";
  }
  html += "</body>\n</html>\n";
  return html;
}
