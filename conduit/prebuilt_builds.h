#pragma once
// The builds the conduit makes ahead of the drawing (object_cache.cpp).

#include <memory>
#include <unordered_map>

#include "conduit/kyrel_conduit.h"
#include "section/section_builder.h"

struct CKyrelConduit::PrebuiltBuilds {
  // Set when the caches were invalidated: the next cache built starts a
  // batch.
  bool bPending = false;
  // The pipeline the builds were made for (instance references expand in
  // its viewport); only its caches take them.
  const CRhinoDisplayPipeline* pipeline = nullptr;
  // Cut and waiting for their object's cache, which removes its own.
  std::unordered_map<const CRhinoObject*, std::unique_ptr<SectionBuild>> builds;
};
