// From the engine's results to a report.

#include "clash_report_builder.h"

#include <atomic>
#include <ctime>
#include <functional>
#include <thread>
#include <filesystem>
#include <memory>

#include "clash_figures.h"
#include "clash_snapshot.h"
#include "clearance.h"
#include "conduit/kyrel_conduit.h"
#include "interfere/critical_section_hold.h"
#include "report_candidates.h"
#include "tl_tolerance.h"

namespace {

struct RecordedClash {
  ON_UuidPair pair;
  std::unique_ptr<ON_Mesh> region;
};

// Copies of the engine's results, taken in one hold of its results lock.
std::vector<RecordedClash> CopyResults(CKyrelConduit::InterfereEngine& engine) {
  std::vector<RecordedClash> out;
  CriticalSectionHold results(engine.m_csInterferences);
  for (int i = 0; i < engine.m_interferences.Count(); ++i) {
    RecordedClash clash;
    clash.pair = engine.m_interferences[i];
    const ON_Mesh* region = engine.m_interference_meshes[i];
    clash.region = std::make_unique<ON_Mesh>(region != nullptr ? *region : ON_Mesh());
    out.push_back(std::move(clash));
  }
  return out;
}

// The keys under which the host's building-model import keeps what an
// element is.
std::string UserString(const ON_3dmObjectAttributes& a, const wchar_t* key) {
  ON_wString value;
  return a.GetUserString(key, value) ? value.ToUtf8() : std::string();
}

ReportObject Describe(const CRhinoDoc& doc, const ON_UUID& id) {
  ReportObject out;
  out.id = id;
  const CRhinoObject* object = doc.LookupObject(id);
  if (object == nullptr) return out;
  const ON_3dmObjectAttributes& a = object->Attributes();
  out.name = a.m_name.ToUtf8();
  out.global_id = UserString(a, L"GlobalId");
  out.ifc_class = UserString(a, L"IfcClass");
  out.storey = UserString(a, L"Storey");
  out.source_file = UserString(a, L"SourceFile");
  const int layer = object->Attributes().m_layer_index;
  if (layer >= 0 && layer < doc.LayerTable().LayerCount())
    out.layer = doc.LayerTable()[layer].Name().ToUtf8();
  return out;
}

// Runs body(0) ... body(count - 1) on as many threads as there are cores,
// each index once.
void ForEachIndex(size_t count, const std::function<void(size_t)>& body) {
  const size_t threads =
      std::min<size_t>(count, std::max(1u, std::thread::hardware_concurrency()));
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < count; i = next++)
      body(i);
  };
  std::vector<std::thread> helpers;
  for (size_t t = 1; t < threads; ++t)
    helpers.emplace_back(work);
  work();
  for (std::thread& helper : helpers)
    helper.join();
}

std::string UtcNow() {
  const std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
  return text;
}

} // namespace

ClashResultsState ReadClashResultsState() {
  CKyrelConduit* conduit = CKyrelConduit::Instance();
  CKyrelConduit::InterfereEngine& engine = conduit->m_interfere;
  if (!conduit->IsInterfereEnabled()) return ClashResultsState::detection_off;
  if (engine.IsBusy()) return ClashResultsState::computing;
  // A completed computation releases its candidates; a cancelled one
  // leaves them for the next collection.
  if (engine.ComputationsRun() == 0 || engine.CandidateCount() > 0) return ClashResultsState::none;
  return ClashResultsState::ready;
}

ClashReport BuildClashReport(CRhinoDoc& doc, const ClashReportOptions& options,
                             std::vector<std::string>& warnings) {
  CKyrelConduit::InterfereEngine& engine = CKyrelConduit::Instance()->m_interfere;
  ClashReport report;
  report.model_file = std::filesystem::path(doc.FileName().ToUtf8()).filename().string();
  report.date = UtcNow();
  report.absolute_tolerance = doc.AbsoluteTolerance();
  report.boolean_tolerance = TL_BOOLEAN_TOLERANCE;
  report.clearance = options.clearance > 0.0 ? options.clearance : 0.0;

  const std::vector<RecordedClash> recorded = CopyResults(engine);
  const std::vector<ReportCandidate> candidates =
      CollectReportCandidates(doc, engine.m_mesh_parameters, doc.AbsoluteTolerance());
  report.object_count = static_cast<int>(candidates.size());
  const ClashScope& scope = options.scope;
  report.scope = scope.Description();
  report.touching = scope.touching > 0.0 ? scope.touching : 0.0;
  std::vector<ReportObject> described;
  for (const ReportCandidate& c : candidates)
    described.push_back(Describe(doc, c.id));
  report.pairs_tested = scope.CountPairs(described);

  // The depths first, on every core: each clash's depth only reads the
  // distance trees of its two objects, built here beforehand.
  std::vector<double> depths(recorded.size(), 0.0);
  std::vector<std::pair<const ReportCandidate*, const ReportCandidate*>> measured(recorded.size());
  for (size_t i = 0; i < recorded.size(); ++i) {
    const ON_UuidPair& pair = recorded[i].pair;
    if (!scope.Covers(Describe(doc, pair.m_uuid[0]), Describe(doc, pair.m_uuid[1]))) continue;
    const ReportCandidate* a = FindCandidate(candidates, pair.m_uuid[0]);
    const ReportCandidate* b = FindCandidate(candidates, pair.m_uuid[1]);
    if (a == nullptr || b == nullptr) continue;
    a->Surface();
    b->Surface();
    measured[i] = {a, b};
  }
  ForEachIndex(recorded.size(), [&](size_t i) {
    if (measured[i].first != nullptr)
      depths[i] = PenetrationDepth(*measured[i].first, *measured[i].second, *recorded[i].region);
  });

  std::vector<ON_UuidPair> clashing;
  for (size_t i = 0; i < recorded.size(); ++i) {
    const ON_UuidPair& pair = recorded[i].pair;
    clashing.push_back(pair);
    ReportClash clash;
    clash.number = static_cast<int>(i) + 1;
    clash.a = Describe(doc, pair.m_uuid[0]);
    clash.b = Describe(doc, pair.m_uuid[1]);
    if (!scope.Covers(clash.a, clash.b)) {
      ++report.out_of_scope;
      continue;
    }
    const ReportCandidate* a = FindCandidate(candidates, pair.m_uuid[0]);
    const ReportCandidate* b = FindCandidate(candidates, pair.m_uuid[1]);
    if (a == nullptr || b == nullptr) {
      warnings.push_back("clash " + std::to_string(clash.number) +
                         ": an object is no longer in the model; only its region is measured");
      clash.region_closed = recorded[i].region->IsClosed();
      clash.area = recorded[i].region->Area();
      clash.volume = clash.region_closed ? std::fabs(recorded[i].region->Volume()) : 0.0;
      clash.box = recorded[i].region->BoundingBox();
      clash.centre = clash.box.IsValid() ? clash.box.Center() : ON_3dPoint::Origin;
    } else {
      MeasureClashRegion(*a, *b, *recorded[i].region, clash);
      clash.penetration_depth = depths[i];
      if (clash.penetration_depth < report.touching) {
        ++report.touching_left_out;
        continue;
      }
      if (options.snapshots) {
        std::string error;
        TakeClashSnapshot(*a->object, *b->object, options.snapshot_width, options.snapshot_height,
                          clash, error);
        if (clash.snapshot.empty())
          warnings.push_back("clash " + std::to_string(clash.number) + ": no snapshot (" + error +
                             ")");
      }
    }
    report.clashes.push_back(std::move(clash));
  }
  RankBySeverity(report.clashes);

  report.clearances = FindClearances(
      candidates, clashing, report.clearance, [&](size_t i, size_t j) {
        return scope.Covers(described[i], described[j]);
      });
  for (size_t i = 0; i < report.clearances.size(); ++i) {
    ReportClearance& c = report.clearances[i];
    c.number = static_cast<int>(i) + 1;
    c.a = Describe(doc, c.a.id);
    c.b = Describe(doc, c.b.id);
  }
  return report;
}
