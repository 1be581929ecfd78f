// Importing a building model: the worker reads the file, the stream is
// checked, every element is built into an object off to the side, and only
// then are the layers and objects added to the document.

#include "ifc_import.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <map>
#include <memory>

#include "ifc_mesh.h"
#include "ifc_stream.h"
#include "ifc_worker_process.h"
#include "rhinoSdk.h"

namespace kyrel::app {

const wchar_t* const kIfcGlobalIdKey = L"GlobalId";
const wchar_t* const kIfcClassKey = L"IfcClass";
const wchar_t* const kIfcStoreyKey = L"Storey";
const wchar_t* const kIfcSourceFileKey = L"SourceFile";

namespace {

constexpr unsigned long long kMaxIfcFileBytes = 1ull << 30;
// How many GlobalIds of failed elements a note names before it counts.
constexpr std::size_t kNamedFailures = 20;

ON_wString Wide(const std::string& utf8) {
  return ON_wString::FromUtf8(utf8);
}

ON_Color ColourOf(const IfcElementRecord& e) {
  // The colour of the largest piece: a window is its frame, not its glass.
  const IfcPiece* best = nullptr;
  for (const IfcPiece& p : e.pieces)
    if (!best || p.triangles.size() > best->triangles.size()) best = &p;
  if (!best) return ON_Color(128, 128, 128);
  auto channel = [](float v) {
    return std::isfinite(v) ? static_cast<int>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)) : 128;
  };
  return ON_Color(channel(best->colour[0]), channel(best->colour[1]), channel(best->colour[2]));
}

struct BuiltElement {
  std::unique_ptr<CRhinoMeshObject> object;
  std::wstring layer;
  bool space = false;
};

std::string FailureNote(const std::vector<IfcFailedElement>& failed, std::size_t total) {
  std::string note = std::to_string(failed.size()) + " of " + std::to_string(total) +
                     " building elements could not be read and were left out:";
  for (std::size_t i = 0; i < failed.size() && i < kNamedFailures; ++i) {
    const IfcFailedElement& f = failed[i];
    note += (i ? "; " : " ") + (f.global_id.empty() ? std::string("(no GlobalId)") : f.global_id) +
            " (" + (f.ifc_class.empty() ? std::string("?") : f.ifc_class) + ": " + f.reason + ")";
  }
  if (failed.size() > kNamedFailures)
    note += "; and " + std::to_string(failed.size() - kNamedFailures) + " more";
  return note;
}

} // namespace

bool IsIfcFile(const std::string& path) {
  if (path.size() < 4) return false;
  std::string ext = path.substr(path.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext == ".ifc";
}

bool ReadIfcFile(const std::string& path, CRhinoDoc& doc, std::string& error, int* added,
                 std::vector<std::string>* notes) {
  if (added) *added = 0;
  struct stat st{};
  if (stat(path.c_str(), &st) != 0) {
    error = "cannot read " + path + ": no such file";
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = "cannot read " + path + ": it is not a file";
    return false;
  }
  if (static_cast<unsigned long long>(st.st_size) > kMaxIfcFileBytes) {
    error = "cannot read " + path + ": it is larger than 1 GB";
    return false;
  }
  const IfcWorkerRun run = RunIfcWorker(path, DefaultIfcWorkerLimits());
  IfcStream stream;
  std::string why;
  if (!run.failure.empty()) {
    error = "cannot read " + path + ": " + run.failure;
    return false;
  }
  if (!ParseIfcStream(run.stream, stream, why)) {
    error = "cannot read " + path + ": " + why;
    return false;
  }

  const std::string file = std::filesystem::path(path).filename().string();
  std::vector<IfcFailedElement> failed = stream.failed;
  std::vector<BuiltElement> built;
  std::map<std::wstring, std::pair<ON_Color, bool>> layers; // name -> colour, visible
  for (const IfcElementRecord& e : stream.elements) {
    ON_Mesh mesh;
    std::string reason;
    if (!BuildIfcElementMesh(e, mesh, reason)) {
      failed.push_back({e.global_id, e.ifc_class, reason});
      continue;
    }
    ON_3dmObjectAttributes a;
    a.m_name = Wide(e.name.empty() ? e.ifc_class : e.name);
    a.m_color = ColourOf(e);
    a.SetColorSource(ON::color_from_object);
    a.SetUserString(kIfcGlobalIdKey, Wide(e.global_id));
    a.SetUserString(kIfcClassKey, Wide(e.ifc_class));
    a.SetUserString(kIfcStoreyKey, Wide(e.storey));
    a.SetUserString(kIfcSourceFileKey, Wide(file));
    BuiltElement b;
    b.space = e.space;
    b.layer = std::wstring(Wide(file + "::" + (e.space ? std::string("IfcSpace") : e.ifc_class)));
    layers.emplace(b.layer, std::make_pair(a.m_color, !e.space));
    b.object = std::make_unique<CRhinoMeshObject>(a);
    b.object->SetMesh(mesh);
    built.push_back(std::move(b));
  }
  const std::size_t total = built.size() + failed.size();
  if (built.empty()) {
    error = "cannot read " + path + ": " +
            (failed.empty() ? std::string("it holds no building element with geometry")
                            : "none of its building elements could be read (" +
                                  FailureNote(failed, total) + ")");
    return false;
  }

  // Nothing below can fail: the document changes only from here on.
  std::map<std::wstring, int> layer_index;
  bool spaces = false;
  int space_count = 0;
  for (const BuiltElement& b : built)
    space_count += b.space ? 1 : 0;
  for (const auto& [name, look] : layers) {
    int index = doc.LayerTable().FindLayer(name.c_str());
    if (index < 0) {
      ON_Layer layer;
      layer.SetName(name.c_str());
      layer.SetColor(look.first);
      layer.SetVisible(look.second);
      index = doc.LayerTable().AddLayer(layer);
    }
    if (!look.second) spaces = true;
    layer_index[name] = index < 0 ? doc.LayerTable().CurrentLayerIndex() : index;
  }
  int count = 0;
  for (BuiltElement& b : built) {
    ON_3dmObjectAttributes a = b.object->Attributes();
    a.m_layer_index = layer_index[b.layer];
    b.object->SetAttributes(a);
    if (doc.AddObject(b.object.get())) {
      b.object.release();
      ++count;
    }
  }
  if (added) *added = count;
  if (notes) {
    notes->push_back(stream.schema + " model: " + std::to_string(count - space_count) +
                     " building elements and " + std::to_string(space_count) +
                     " spaces, on layers \"" + file + "::<IFC class>\"");
    if (spaces)
      notes->push_back("its spaces are on the hidden layer \"" + file + "::IfcSpace\"");
    if (!failed.empty()) notes->push_back(FailureNote(failed, total));
  }
  return true;
}

} // namespace kyrel::app
