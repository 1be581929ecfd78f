#include "shown_state.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <tuple>
#include <vector>

#include <nlohmann/json.hpp>

#include "conduit/kyrel_conduit.h"
#include "model_file.h"
#include "rhinoSdk.h"
#include "ui/rhino_background_work.h"
#include "ui/rhino_dockbar.h"
#include "userdata/section_cache.h"
#include "userdata/section_geometry.h"
#include "win_controls.h"
#include "win_messages.h"
#include "win_strings.h"
#include "win_windows.h"

namespace soak {
namespace {

std::string IdText(const ON_UUID& id) {
  return kyrel::platform::WideToUtf8(ON_UuidToString(id).Array());
}

// Length of the edges that only one face uses, with vertices at the same
// place counted as one: the outline an open cut shows.
double OutlineLength(const ON_Mesh& mesh) {
  using Key = std::tuple<float, float, float>;
  std::map<Key, int> welded;
  std::vector<int> id(static_cast<std::size_t>(mesh.VertexCount()));
  for (int v = 0; v < mesh.VertexCount(); ++v) {
    const ON_3fPoint& p = mesh.m_V[v];
    id[static_cast<std::size_t>(v)] =
        welded.emplace(Key(p.x, p.y, p.z), static_cast<int>(welded.size())).first->second;
  }
  std::map<std::pair<int, int>, std::pair<int, double>> edges;
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const ON_MeshFace& face = mesh.m_F[f];
    const int n = face.IsQuad() ? 4 : 3;
    for (int k = 0; k < n; ++k) {
      const int a = face.vi[k], b = face.vi[(k + 1) % n];
      int ia = id[static_cast<std::size_t>(a)], ib = id[static_cast<std::size_t>(b)];
      if (ia == ib) continue;
      auto& e = edges[{std::min(ia, ib), std::max(ia, ib)}];
      ++e.first;
      e.second = ON_3dPoint(mesh.m_V[a]).DistanceTo(ON_3dPoint(mesh.m_V[b]));
    }
  }
  double length = 0.0;
  for (const auto& [key, e] : edges)
    if (e.first == 1) length += e.second;
  return length;
}

void Measure(const ON_Mesh& mesh, double& volume, double& area) {
  volume = area = 0.0;
  for (int f = 0; f < mesh.FaceCount(); ++f) {
    const ON_MeshFace& face = mesh.m_F[f];
    const int tris = face.IsQuad() ? 2 : 1;
    for (int t = 0; t < tris; ++t) {
      const ON_3dPoint a = mesh.m_V[face.vi[0]], b = mesh.m_V[face.vi[1 + t]],
                       c = mesh.m_V[face.vi[2 + t]];
      const ON_3dVector n = ON_CrossProduct(b - a, c - a);
      area += 0.5 * n.Length();
      volume += (a - ON_3dPoint(0, 0, 0)) * ON_CrossProduct(b - ON_3dPoint(0, 0, 0),
                                                           c - ON_3dPoint(0, 0, 0)) /
                6.0;
    }
  }
}

std::string Number(double x) {
  char text[40];
  std::snprintf(text, sizeof(text), "%.12g", x);
  return text;
}

std::string DescribeEntry(const DS_MeshCache& entry) {
  std::ostringstream out;
  out << " entry " << (entry.m_bComputed ? "computed" : "uncomputed") << " " << entry.m_clip_state;
  std::vector<std::string> meshes;
  for (int m = 0; m < entry.m_meshes.Count(); ++m) {
    const ON_Mesh* mesh = entry.m_meshes[m];
    if (mesh == nullptr) {
      meshes.push_back(" null");
      continue;
    }
    double volume = 0.0, area = 0.0;
    Measure(*mesh, volume, area);
    meshes.push_back(std::string(" mesh ") + (mesh->IsClosed() ? "closed " : "open ") +
                     Number(volume) + " " + Number(area) + " " + Number(OutlineLength(*mesh)));
  }
  // Pieces of one entry may come in another order from a rebuild that
  // reuses earlier cuts; what is drawn is the same.
  std::sort(meshes.begin(), meshes.end());
  for (const std::string& m : meshes)
    out << m;
  return out.str();
}

HWND FindList(HWND parent) {
  for (HWND child : kyrel::platform::ChildWindows(parent)) {
    if (kyrel::platform::EqualsNoCase(kyrel::platform::WindowClass(child), WC_LISTVIEWW))
      return child;
    if (HWND found = FindList(child)) return found;
  }
  return nullptr;
}

std::vector<std::string> Tokens(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;)
    words.push_back(w);
  return words;
}

bool AsNumber(const std::string& word, double& value) {
  char* end = nullptr;
  value = std::strtod(word.c_str(), &end);
  return end != word.c_str() && *end == '\0';
}

} // namespace

std::string DescribeCuts(CRhinoDoc& doc) {
  const bool cutting = CKyrelConduit::Instance()->IsCuttingActive();
  std::ostringstream out;
  for (const CRhinoObject* o : doc.ObjectList()) {
    if (o == nullptr || o->IsDeleted() || !o->IsVisible()) continue;
    out << "object " << IdText(o->ModelObjectId());
    if (IsCuttingObject(o)) {
      out << " cutter\n";
      continue;
    }
    if (!cutting) {
      out << " plain\n";
      continue;
    }
    const auto* cache = TV_SectionCache::Cast(o->GetUserData(TV_SectionCache::UUID()));
    if (cache == nullptr || !cache->m_phantom.m_bBuilt) {
      out << " unbuilt\n";
      continue;
    }
    const ON_ClassArray<DS_MeshCache>& entries = cache->m_phantom.m_caches;
    for (int i = 0; i < entries.Count(); ++i)
      out << DescribeEntry(entries[i]);
    out << "\n";
  }
  return out.str();
}

bool ClashesIdle() {
  CKyrelConduit* conduit = CKyrelConduit::Instance();
  return conduit->IsInterfereEnabled() && !conduit->IsInterfereComputing() &&
         !RhinoBackgroundWorkBusy() && !kyrel::platform::HasPendingMessages();
}

std::string DescribeClashes() {
  CKyrelConduit* conduit = CKyrelConduit::Instance();
  if (!conduit->IsInterfereEnabled()) return std::string();
  std::ostringstream out;
  const int count = conduit->InterferencesCount();
  for (int i = 0; i < count; ++i) {
    ON_UuidPair pair;
    if (conduit->GetInterferenceAt(i, pair))
      out << "pair " << IdText(pair.m_uuid[0]) << " " << IdText(pair.m_uuid[1]) << "\n";
  }
  for (CRhinoUiDockBar* bar : RhinoUiDockBarManager().DockBars()) {
    HWND list = FindList(bar->m_hWnd);
    if (list == nullptr) continue;
    const int rows = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    const int columns = kyrel::platform::ListViewColumnCount(list);
    for (int r = 0; r < rows; ++r) {
      out << "row";
      for (int c = 0; c < columns; ++c)
        out << " | "
            << kyrel::platform::WideToUtf8(kyrel::platform::ListViewCellText(list, r, c));
      out << "\n";
    }
  }
  return out.str();
}

std::string ModelState(const CRhinoDoc& doc, const std::string& scratch) {
  std::string error;
  kyrel::app::ModelWriteOptions options;
  if (!kyrel::app::WriteModelFile(scratch, doc, options, error)) return "unwritable: " + error;
  std::ifstream in(scratch);
  std::stringstream text;
  nlohmann::json model = nlohmann::json::parse(in, nullptr, false);
  // Layers are never taken out of a document, only marked deleted (an
  // undone import leaves its layers so); deleted ones at the end of the
  // list are as good as never added.
  if (model.is_object() && model.contains("layers") && model["layers"].is_array()) {
    nlohmann::json& layers = model["layers"];
    while (!layers.empty() && layers.back().value("deleted", false))
      layers.erase(layers.size() - 1);
  }
  text << model.dump(1);
  for (const CRhinoObject* o : doc.ObjectList()) {
    if (o == nullptr || o->IsDeleted()) continue;
    const auto* record =
        TV_SectionGeometry::Cast(o->GetAttributeUserData(TV_SectionGeometry::UUID()));
    if (record != nullptr)
      text << "\ncutting " << IdText(o->ModelObjectId()) << " " << record->m_mode;
  }
  return text.str();
}

bool SameDescription(const std::string& live, const std::string& fresh, std::string& why) {
  std::istringstream a(live), b(fresh);
  std::string la, lb;
  for (int line = 1;; ++line) {
    const bool more_a = static_cast<bool>(std::getline(a, la));
    const bool more_b = static_cast<bool>(std::getline(b, lb));
    if (!more_a && !more_b) return true;
    if (more_a != more_b) {
      why = "line " + std::to_string(line) + ": " + (more_a ? "shown only now: " + la
                                                              : "shown only fresh: " + lb);
      return false;
    }
    const std::vector<std::string> wa = Tokens(la), wb = Tokens(lb);
    bool same = wa.size() == wb.size();
    for (std::size_t i = 0; same && i < wa.size(); ++i) {
      double x = 0.0, y = 0.0;
      if (AsNumber(wa[i], x) && AsNumber(wb[i], y))
        same = std::abs(x - y) <= 1e-9 * std::max({1.0, std::abs(x), std::abs(y)});
      else
        same = wa[i] == wb[i];
    }
    if (!same) {
      why = "line " + std::to_string(line) + ":\n  now:   " + la + "\n  fresh: " + lb;
      return false;
    }
  }
}

} // namespace soak
