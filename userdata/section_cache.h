#pragma once
// TV_SectionCache: the section cache of one cut document object, attached
// to the object itself (not to its attributes). It embeds the phantom
// object the conduit draws in place of the object; the phantom's entries
// hold the clip result of each of the object's meshes.
//
// The cache is never copied with its object (copy count 0) and never
// written to a model file (Archive() stays false). Entries are never
// shared between two caches: an assigned or duplicated cache arrives
// empty and unbuilt, and a copy-constructed one keeps only the source
// object, so no mesh ever has two owners.

#include <memory>

#include "opennurbs.h"
#include "phantom/phantom_object.h"

struct SectionCutInputs;

class TV_SectionCache : public ON_UserData {
  ON_OBJECT_DECLARE(TV_SectionCache);

public:
  TV_SectionCache();
  // Base and the phantom's source; no entries, not built.
  TV_SectionCache(const TV_SectionCache& src);
  // Assigns the base, then empties this cache (Invalidate(true)).
  TV_SectionCache& operator=(const TV_SectionCache& src);
  ~TV_SectionCache() override;

  // The base record plus the phantom object with its entries.
  unsigned int SizeOf() const override;
  bool GetDescription(ON_wString& description) override;

  // The class UUID, which is also every instance's user-data UUID.
  static ON_UUID UUID();

  // Unbuilds the cache: every entry lets go of its meshes (deleting them
  // when bDeleteMeshes) and the entry list is emptied, and the inputs are
  // forgotten. The next draw of the object builds it again.
  void Invalidate(bool bDeleteMeshes);

  CKyrelPhantomObject m_phantom;
  // What the built entries were cut from, when the conduit may keep them
  // for reuse across an invalidation (conduit/cut_reuse.h); null otherwise.
  // Never copied.
  std::shared_ptr<const SectionCutInputs> m_cut_inputs;
  // The conduit's generation of cutting meshes the entries were built
  // under (0: built elsewhere, trusted as built). A cache that missed an
  // invalidation (its object was deleted at the time and came back by
  // undo) is older than the conduit's and is built again. Never copied.
  ON__UINT64 m_cutters_generation = 0;
};
