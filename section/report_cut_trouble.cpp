// The command-line note for an object that could not be cut as it should.
// An object's cut is built again whenever the cutters change, which while a
// cutter is dragged is many times a second, so the note said of each object
// is remembered and said again only when it changes, or when the trouble
// went away and came back.

#include <map>
#include <mutex>
#include <string>

#include "section_builder.h"
#include "ui/rhino_command_input.h"

namespace {

using Failure = CutTrouble::Failure;

const wchar_t* WhyNotCut(Failure failure) {
  switch (failure) {
  case Failure::kUnfitA:
    return L"its mesh cannot be made a manifold surface";
  case Failure::kUnfitB:
    return L"the cutting mesh is not a sound closed solid";
  case Failure::kSelfIntersecting:
    return L"a mesh intersects itself where the cut runs, and no refined copy of it could be cut";
  case Failure::kNoValidResult:
    return L"the cut would not be a manifold mesh";
  default:
    return L"the mesh tools failed on it";
  }
}

const wchar_t* WhyUncapped(Failure failure) {
  switch (failure) {
  case Failure::kUnfitA:
    return L"its mesh is not a closed, manifold solid";
  case Failure::kSelfIntersecting:
    return L"its mesh intersects itself where the cut runs, and a refined copy could not be capped "
           L"either";
  case Failure::kNoValidResult:
    return L"a capped cut would not be a manifold solid";
  default:
    return L"the capped cut failed";
  }
}

std::wstring ObjectLabel(const CRhinoObject& object) {
  const ON_wString& name = object.Attributes().m_name;
  if (!name.IsEmpty()) return L"Object \"" + std::wstring(name.Array()) + L"\"";
  return L"Object " + std::wstring(ON_UuidToString(object.ModelObjectId()).Array());
}

std::wstring Note(const CRhinoObject& object, const CutTrouble& trouble) {
  if (trouble.failed != Failure::kNone) {
    if (trouble.kept_uncut)
      return ObjectLabel(object) + L" could not be cut (" + WhyNotCut(trouble.failed) +
             L"); it is drawn uncut.";
    return ObjectLabel(object) + L" could not be cut by every cutting object (" +
           WhyNotCut(trouble.failed) + L").";
  }
  if (trouble.uncapped != Failure::kNone)
    return ObjectLabel(object) + L" is cut without caps (" + WhyUncapped(trouble.uncapped) + L").";
  if (trouble.refined)
    return ObjectLabel(object) +
           L" is cut through refined copies (a mesh intersects itself where the cut runs).";
  return std::wstring();
}

} // namespace

void ReportCutTrouble(const CRhinoObject& object, const CutTrouble& trouble) {
  static std::mutex guard;
  static std::map<unsigned int, std::wstring> said; // by runtime serial number
  const std::wstring note = Note(object, trouble);
  {
    const std::lock_guard<std::mutex> lock(guard);
    const unsigned int serial = object.RuntimeSerialNumber();
    if (note.empty()) {
      said.erase(serial);
      return;
    }
    std::wstring& last = said[serial];
    if (last == note) return;
    last = note;
  }
  RhinoCommandInput().Print(note);
}
