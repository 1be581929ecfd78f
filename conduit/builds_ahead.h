#pragma once
// The section builds the conduit makes ahead of the drawing
// (builds_ahead.cpp): after the caches were invalidated, every object the
// frame will ask a cache for needs one, and building them one at a time as
// the host reaches each object leaves all cores but one idle.

#include <memory>
#include <unordered_map>

#include "conduit/kyrel_conduit.h"
#include "section/section_builder.h"

struct CKyrelConduit::BuildsAhead {
  // Set when the caches were invalidated: the next cache built makes the
  // builds of the others with it.
  bool bPending = false;
  // The frame the builds were made in: its pipeline (instance references
  // expand in its viewport) and that pipeline's frame number. Only that
  // frame takes them; by the next one the objects may have changed.
  const CRhinoDisplayPipeline* pipeline = nullptr;
  unsigned int frame = 0;
  // Cut and waiting for their object's cache, by object; the serial number
  // tells a new object at a freed object's address from the old one.
  struct Made {
    unsigned int serial = 0;
    std::unique_ptr<SectionBuild> build;
    // What it is cut from, taken when its parts were gathered; null when
    // its result is not to be kept.
    std::shared_ptr<SectionCutInputs> inputs;
  };
  std::unordered_map<const CRhinoObject*, Made> builds;
};
