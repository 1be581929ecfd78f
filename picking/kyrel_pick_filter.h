#pragma once
// CKyrelPickFilter: keeps the host's picking in step with the cut display.
//
// The host picks an object by its full geometry, so a click on empty space
// where a cut-away part used to be would still select it. The filter is
// asked about every object a pick hits; in a view the section conduit draws
// in, an object that carries a section cache stays in the pick only when
// the pick hits one of its remaining cut meshes. Every other hit passes.
//
// One static object of the library, registered with the host's picking at
// load and unregistered at unload. It holds no state between picks; the
// section caches it reads belong to the objects that carry them.

#include "rhinoSdk.h"

class CKyrelPickFilter : public CRhinoPickFilter {
public:
  CKyrelPickFilter();
  ~CKyrelPickFilter() override;
  CKyrelPickFilter(const CKyrelPickFilter&) = delete;
  CKyrelPickFilter& operator=(const CKyrelPickFilter&) = delete;

  // The library's filter; never null.
  static CKyrelPickFilter* Instance();

  // False removes `object` from the pick. A context without a view and a
  // null object are kept (the filter has nothing to judge them by).
  // bSubObject is not looked at.
  bool AllowPick(const CRhinoPickContext& context, const CRhinoObject* object,
                 bool bSubObject) override;
};
