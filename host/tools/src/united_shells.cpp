#include "united_shells.h"

#include <list>
#include <mutex>

namespace meshtools {
namespace {

// A section has few cutters, and each is used for every object in turn.
constexpr std::size_t kKept = 4;

struct Kept {
  TriMesh source;
  double tolerance;
  TriMesh united;
};

std::mutex guard;
std::list<Kept>& Store() {
  static std::list<Kept> store; // most recently used first
  return store;
}

} // namespace

bool FindUnitedShells(const TriMesh& source, double tolerance, TriMesh& united) {
  const std::lock_guard<std::mutex> lock(guard);
  std::list<Kept>& store = Store();
  for (auto it = store.begin(); it != store.end(); ++it) {
    if (it->tolerance != tolerance || it->source.tri != source.tri || it->source.xyz != source.xyz)
      continue;
    store.splice(store.begin(), store, it);
    united = store.front().united;
    return true;
  }
  return false;
}

void KeepUnitedShells(const TriMesh& source, double tolerance, const TriMesh& united) {
  const std::lock_guard<std::mutex> lock(guard);
  std::list<Kept>& store = Store();
  store.push_front(Kept{source, tolerance, united});
  if (store.size() > kKept) store.pop_back();
}

} // namespace meshtools
