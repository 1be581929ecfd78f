#pragma once
// DS_MeshOutline: the edges of one mesh that the edge drawing shows, found
// once from the mesh topology so that frames only draw them.
//
// Two kinds of edges are kept, in the topology's edge order: naked edges
// (one face) and unwelded seams (two different faces that reach the
// edge's ends through different mesh vertices, both ends standing for more
// than one mesh vertex). A smooth, fully welded closed mesh has none. Which
// of them a frame draws, and in which colours, is decided by the display
// attributes of that frame.

#include <vector>

#include "opennurbs.h"

class DS_MeshOutline {
public:
  struct Segment {
    ON_3dPoint m_from;
    ON_3dPoint m_to;
    bool m_bNaked;
  };

  DS_MeshOutline() = default;
  // The outline of mesh, found from its topology (which the mesh builds
  // and keeps when it has none yet).
  explicit DS_MeshOutline(const ON_Mesh& mesh);

  const std::vector<Segment>& Segments() const { return m_segments; }
  int NakedCount() const { return m_naked_count; }
  int SeamCount() const { return static_cast<int>(m_segments.size()) - m_naked_count; }
  // Bytes held beyond the record itself.
  unsigned int SizeOfSegments() const;

private:
  std::vector<Segment> m_segments;
  int m_naked_count = 0;
};
