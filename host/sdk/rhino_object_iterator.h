#pragma once
// CRhinoObjectIterator: walks a document's objects in document order
// (the order they were added; a replaced object takes its predecessor's
// place).
//
// Filter: object states to visit, combined as bits: normal 1, locked 2,
// hidden 4 (3 = normal or locked, 7 = all three). Deleted objects are never
// visited. Category: active (1, objects of the model itself) and reference
// (2, objects from linked files), combined as bits.
//
// Changing the document while iterating is safe: objects deleted during the
// walk are skipped when reached, objects added during the walk are not
// visited, and no object the walk has handed out is freed while it runs.

#include <optional>

#include "rhino_doc.h"
#include "rhino_object.h"

class CRhinoObjectIterator {
public:
  enum object_state : int {
    normal_objects = 1,
    locked_objects = 2,
    hidden_objects = 4,
    normal_or_locked_objects = 3,
    all_objects = 7, // normal, locked and hidden
  };
  enum object_category : int {
    active_objects = 1,
    reference_objects = 2,
    active_and_reference_objects = 3,
  };

  // Iterates the application's active document (none: nothing is visited).
  CRhinoObjectIterator(int state_filter = normal_or_locked_objects, int category = active_objects);
  // Iterates doc.
  CRhinoObjectIterator(CRhinoDoc& doc, int state_filter = normal_or_locked_objects,
                       int category = active_objects);
  ~CRhinoObjectIterator();
  CRhinoObjectIterator(const CRhinoObjectIterator&) = delete;
  CRhinoObjectIterator& operator=(const CRhinoObjectIterator&) = delete;

  // Restarts the walk and returns the first object, or null.
  CRhinoObject* First();
  // The next object, or null at the end. Next() without First() starts the walk.
  CRhinoObject* Next();

  // Whether objects hidden by their mark are visited (default true, so that
  // code which marks objects can find them again to clear the mark).
  void IncludeNoShowObjects(bool bInclude) { m_bIncludeNoShow = bInclude; }
  // Only selected objects.
  void EnableSelectedObjectFilter(bool bEnable) { m_bSelectedOnly = bEnable; }

private:
  bool Accept(const CRhinoObject* object) const;
  void Begin();
  void End();

  CRhinoDoc* m_doc = nullptr;
  int m_state_filter;
  int m_category;
  size_t m_index = 0;
  size_t m_end = 0;
  bool m_bStarted = false;
  // Holds the document's objects alive while the walk runs.
  std::optional<CRhinoDoc::IterationGuard> m_guard;
  bool m_bIncludeNoShow = true;
  bool m_bSelectedOnly = false;
};
