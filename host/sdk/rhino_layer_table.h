#pragma once
// CRhinoLayerTable: the document's layers. There is always at least one
// layer (index 0, "Default"); entries are never removed, only marked
// deleted, so an object's layer index always names a layer. Indexing out of
// range gives layer 0.

#include <deque>

#include "opennurbs.h"

class CRhinoDoc;

class CRhinoLayerTable {
public:
  explicit CRhinoLayerTable(CRhinoDoc* doc);
  CRhinoLayerTable(const CRhinoLayerTable&) = delete;
  CRhinoLayerTable& operator=(const CRhinoLayerTable&) = delete;

  int LayerCount() const { return static_cast<int>(m_layers.size()); }
  // The layer at index, or layer 0 when the index is out of range.
  const ON_Layer& operator[](int layer_index) const;
  const ON_Layer& Layer(int layer_index) const { return (*this)[layer_index]; }

  // Adds a copy; the index and (when nil) the id are set by the table.
  // Returns the new index, or -1 when a layer with that name exists.
  int AddLayer(const ON_Layer& layer);
  // Replaces the settings of an existing layer (its index and id stay).
  bool ModifyLayer(const ON_Layer& layer, int layer_index);
  bool DeleteLayer(int layer_index); // layer 0 and the current layer cannot be deleted
  bool IsDeleted(int layer_index) const;
  int FindLayer(const wchar_t* name) const; // -1 when none

  int CurrentLayerIndex() const { return m_current; }
  bool SetCurrentLayerIndex(int layer_index);

private:
  friend class CRhinoUndoRecord;
  // Undo and redo of adding or deleting a layer: marks it deleted or not,
  // with the table event, and records nothing.
  void SetDeletedForUndo(int layer_index, bool bDeleted);
  bool IsValidIndex(int i) const { return i >= 0 && i < LayerCount(); }
  CRhinoDoc* m_doc;
  std::deque<ON_Layer> m_layers;
  std::deque<bool> m_deleted;
  int m_current = 0;
};
