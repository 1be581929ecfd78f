#include "rhino_object_iterator.h"

#include "rhino_app.h"
#include "rhino_doc.h"

CRhinoObjectIterator::CRhinoObjectIterator(int state_filter, int category)
    : m_doc(RhinoApp().ActiveDoc()), m_state_filter(state_filter), m_category(category) {}

CRhinoObjectIterator::CRhinoObjectIterator(CRhinoDoc& doc, int state_filter, int category)
    : m_doc(&doc), m_state_filter(state_filter), m_category(category) {}

CRhinoObjectIterator::~CRhinoObjectIterator() {
  End();
}

void CRhinoObjectIterator::Begin() {
  End();
  m_bStarted = true;
  m_index = 0;
  m_end = 0;
  if (m_doc == nullptr) return;
  // Hold the document's objects for the whole walk: objects deleted while
  // the caller still holds them from this iterator stay alive.
  m_guard.emplace(*m_doc);
  // Objects added during the walk lie beyond this end and are not visited.
  m_end = m_doc->ObjectList().size();
}

void CRhinoObjectIterator::End() {
  m_guard.reset();
}

bool CRhinoObjectIterator::Accept(const CRhinoObject* object) const {
  if (object == nullptr || object->IsDeleted()) return false;
  const int category = object->IsReference() ? reference_objects : active_objects;
  if ((m_category & category) == 0) return false;
  int state = normal_objects;
  switch (object->Mode()) {
  case ON::locked_object:
    state = locked_objects;
    break;
  case ON::hidden_object:
    state = hidden_objects;
    break;
  default:
    break;
  }
  if ((m_state_filter & state) == 0) return false;
  if (!m_bIncludeNoShow && object->IsHiddenByMark()) return false;
  if (m_bSelectedOnly && object->IsSelected() == 0) return false;
  return true;
}

CRhinoObject* CRhinoObjectIterator::First() {
  Begin();
  return Next();
}

CRhinoObject* CRhinoObjectIterator::Next() {
  if (!m_bStarted) Begin();
  if (m_doc == nullptr) return nullptr;
  const std::vector<CRhinoObject*>& list = m_doc->ObjectList();
  while (m_index < m_end && m_index < list.size()) {
    CRhinoObject* o = list[m_index++];
    if (Accept(o)) return o;
  }
  End(); // the walk is over; objects deleted during it may be freed now
  return nullptr;
}
