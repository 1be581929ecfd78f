#pragma once
// ON_MeshParameters: how finely surfaces are meshed.
//
// Density fields and what the brep stand-in makes of them. A full circle
// (round direction of a sphere, cylinder, cone or disc) gets the largest
// segment count any active setting asks for:
//   m_refine_angle (radians)        at least 2*pi / angle segments
//   m_max_edge_length               no segment longer than this
//   m_tolerance                     chordal deviation (sagitta) below this
//   m_relative_tolerance            chordal deviation below this times the
//                                   radius
//   m_grid_min_count                at least this many segments
//   m_grid_max_count                at most this many (caps all the above)
// Zero, negative or non-finite values switch a setting off. Whatever the
// settings, a full circle gets at least 3 segments and at most 1024.
// Straight directions (a cylinder's height, a cone's slant, planar sides)
// get one segment unless m_max_edge_length asks for more.
//
// m_style records where the settings came from: 0 custom, 1 the fast
// render preset, 2 the quality render preset. Only 9 changes meshing: the
// coarse preview style, which meshes as FastRenderMesh whatever the
// density fields say.

#include "opennurbs_defines.h"

class ON_CLASS ON_MeshParameters {
public:
  ON_MeshParameters() = default;

  static const ON_MeshParameters FastRenderMesh;
  static const ON_MeshParameters QualityRenderMesh;
  static const ON_MeshParameters DefaultMesh; // same as default construction

  bool m_bJaggedSeams = false;      // faces meshed independently along seams
  bool m_bComputeCurvature = false; // analysis meshes carry curvature
  bool m_bSimplePlanes = false;     // planar faces as few triangles as possible
  bool m_bRefine = true;
  int m_style = 0; // see file comment
  double m_relative_tolerance = 0.0;
  double m_tolerance = 0.0;
  double m_min_tolerance = 0.0;
  double m_min_edge_length = 0.0001;
  double m_max_edge_length = 0.0;
  double m_grid_aspect_ratio = 6.0;
  int m_grid_min_count = 16;
  int m_grid_max_count = 0;
  double m_grid_angle = 20.0 * ON_PI / 180.0;
  double m_refine_angle = 20.0 * ON_PI / 180.0;

  // Field-by-field equality (doubles compared exactly).
  bool operator==(const ON_MeshParameters& other) const;
  bool operator!=(const ON_MeshParameters& other) const { return !(*this == other); }
  // Compares only the fields that change the meshes made (not the
  // curvature flag).
  int CompareGeometrySettings(const ON_MeshParameters& other) const;

  // Segments for a full circle of the given radius under these settings
  // (the rules in the file comment).
  int CircleSegmentCount(double radius) const;
  // Segments for a straight side of the given length (1 unless
  // m_max_edge_length asks for more).
  int LineSegmentCount(double length) const;
  // The parameters meshing uses: FastRenderMesh's density for style 9
  // (keeping style 9 and the flags), otherwise this.
  ON_MeshParameters Effective() const;
};
