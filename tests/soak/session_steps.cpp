#include "session_steps.h"

#include <cstdio>

#include "conduit/kyrel_conduit.h"
#include "rhinoSdk.h"
#include "win_strings.h"

namespace soak {
namespace {

// What a session does, with how often. A model that grew large is more
// likely to lose objects than to gain them.
enum Kind {
  kBox,
  kSphere,
  kCylinder,
  kPlane,
  kMove,
  kCopy,
  kDelete,
  kUndo,
  kRedo,
  kMakeCutter,
  kUnmakeCutter,
  kHide,
  kShow,
  kBlock,
  kInsert,
  kMirror,
  kClashSwitch,
  kWait,
  kShortWait,
  kCancel,
  kExtract,
  kSave,
  kSaveAndOpen,
  kImport,
  kClearAll,
  kKinds
};

constexpr int kWeights[kKinds] = {8, 5, 3, 3, 9, 4, 4, 8, 4, 7, 3, 3, 2,
                                  2, 3, 2, 3, 4, 2, 2, 2, 1, 2, 3, 0};

} // namespace

SessionSteps::SessionSteps(unsigned int seed, std::string examples)
    : rng_(seed), examples_(std::move(examples)) {}

double SessionSteps::Pick(double lo, double hi) {
  // Halves, so that faces often lie in one plane and edges on each other,
  // which is where cuts and clashes are hardest.
  std::uniform_int_distribution<int> steps(0, static_cast<int>((hi - lo) * 2));
  return lo + 0.5 * steps(rng_);
}

std::string SessionSteps::Point(double lo, double hi) {
  char text[64];
  std::snprintf(text, sizeof(text), "%g,%g,%g", Pick(lo, hi), Pick(lo, hi), Pick(lo, hi));
  return text;
}

std::string SessionSteps::NewName() {
  return "\"o" + std::to_string(++names_) + "\"";
}

std::vector<SessionSteps::Target> SessionSteps::Targets(const CRhinoDoc& doc) const {
  std::vector<Target> targets;
  for (const CRhinoObject* o : doc.ObjectList()) {
    if (o == nullptr || o->IsDeleted() || !o->IsVisible() || o->IsLocked()) continue;
    const std::string name = kyrel::platform::WideToUtf8(o->Attributes().m_name.Array());
    if (name.empty()) continue;
    Target t;
    t.name = "\"" + name + "\"";
    t.closed = o->IsSolid();
    t.cutter = IsCuttingObject(o);
    targets.push_back(t);
  }
  return targets;
}

std::string SessionSteps::Next(const CRhinoDoc& doc) {
  const std::vector<Target> targets = Targets(doc);
  int weights[kKinds];
  std::copy(std::begin(kWeights), std::end(kWeights), weights);
  // Blocks, imports and extraction add objects without names, which no
  // step can pick; a model that grew large is cleared now and then.
  int objects = 0;
  for (const CRhinoObject* o : doc.ObjectList())
    if (o != nullptr && !o->IsDeleted()) ++objects;
  if (targets.size() > 12 || objects > 16) {
    weights[kDelete] *= 4;
    weights[kBox] = weights[kSphere] = weights[kCopy] = weights[kImport] = 1;
    weights[kExtract] = weights[kInsert] = 0;
    weights[kClearAll] = objects > 24 ? 12 : 2;
    weights[kShow] += 2;
  }
  std::discrete_distribution<int> kinds(std::begin(weights), std::end(weights));
  std::vector<const Target*> closed, cutters;
  for (const Target& t : targets) {
    if (t.closed) closed.push_back(&t);
    if (t.cutter) cutters.push_back(&t);
  }
  auto any = [this](const auto& list) {
    std::uniform_int_distribution<std::size_t> at(0, list.size() - 1);
    return list[at(rng_)];
  };
  auto select = [](const std::string& name) { return "SelNone SelName " + name + " "; };
  auto offset = [this]() { return "0,0,0 " + Point(-2, 2); };
  for (;;) {
    switch (kinds(rng_)) {
    case kBox: {
      const double x = Pick(0, 6), y = Pick(0, 6), z = Pick(0, 4);
      char text[96];
      std::snprintf(text, sizeof(text), "Box %g,%g,%g %g,%g,%g ", x, y, z, x + Pick(1, 4),
                    y + Pick(1, 4), z + Pick(1, 4));
      return text + NewName();
    }
    case kSphere: {
      char radius[16];
      std::snprintf(radius, sizeof(radius), "%g", Pick(1, 3));
      return "Sphere " + Point(0, 8) + " " + radius + " " + NewName();
    }
    case kCylinder: {
      char size[32];
      std::snprintf(size, sizeof(size), "%g %g", Pick(0.5, 2), Pick(1, 5));
      return "Cylinder " + Point(0, 8) + " " + size + " " + NewName();
    }
    case kPlane: {
      const double x = Pick(-1, 5), y = Pick(-1, 5), z = Pick(0, 6);
      char text[96];
      std::snprintf(text, sizeof(text), "PlaneSrf %g,%g,%g %g,%g,%g ", x, y, z, x + Pick(1, 6),
                    y + Pick(1, 6), z);
      return text + NewName();
    }
    case kMove:
      if (targets.empty()) continue;
      return select(any(targets).name) + "Move _Pause " + offset();
    case kCopy:
      if (targets.empty()) continue;
      return select(any(targets).name) + "Copy _Pause " + offset();
    case kDelete:
      if (targets.empty()) continue;
      return select(any(targets).name) + "Delete _Pause";
    case kUndo:
      return "Undo";
    case kRedo:
      return "Redo";
    case kMakeCutter: {
      if (closed.empty()) continue;
      std::bernoulli_distribution difference(0.7);
      return select(any(closed)->name) + "kyClippingObject _Pause _Mode " +
             (difference(rng_) ? "_Difference" : "_Intersection");
    }
    case kUnmakeCutter:
      if (cutters.empty()) continue;
      return select(any(cutters)->name) + "kyClippingObject _Pause _Mode _None";
    case kHide:
      if (targets.empty()) continue;
      return select(any(targets).name) + "Hide _Pause";
    case kShow:
      return "Show";
    case kBlock:
      if (targets.empty()) continue;
      return select(any(targets).name) + "Block _Pause " + Point(0, 4) + " \"b" +
             std::to_string(++blocks_) + "\"";
    case kInsert: {
      if (blocks_ == 0) continue;
      std::uniform_int_distribution<int> block(1, blocks_);
      return "Insert \"b" + std::to_string(block(rng_)) + "\" " + Point(-2, 6) + " " + NewName();
    }
    case kMirror:
      return "kyMirrorPlane _Position 4,0,0 _Direction 5,0,0 _Enabled _Enter";
    case kClashSwitch:
      return "kyInterfere";
    case kWait:
      return "Wait";
    case kShortWait:
      return "Wait 0.01";
    case kCancel:
      return "PanelButton \"Cancel\"";
    case kExtract:
      if (targets.empty()) continue;
      return select(any(targets).name) + "kyExtractMesh _Pause";
    case kSave:
      return "SaveAs \"session.kyd\"";
    case kSaveAndOpen:
      return "SaveAs \"session.kyd\" Open \"session.kyd\"";
    case kClearAll:
      return "SelAll Delete _Pause";
    case kImport: {
      static const char* const files[] = {"ring.obj", "wall.obj", "section_pieces.kyd",
                                          "cut_box_by_sphere.kyd", "extract_meshes.kyd"};
      std::uniform_int_distribution<int> file(0, 4);
      return "Import \"" + examples_ + "/" + files[file(rng_)] + "\"";
    }
    default:
      continue;
    }
  }
}

} // namespace soak
