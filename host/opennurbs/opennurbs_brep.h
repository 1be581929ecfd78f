#pragma once
// ON_Brep: a boundary-representation stand-in.
//
// A brep is a set of faces of a few analytic kinds (planar polygon, sphere,
// cylinder side, cone side, disc cap), grouped into lumps. Edges are shared
// between the faces they bound (topological adjacency, recorded when the
// brep is created). Each face meshes itself for given ON_MeshParameters and
// caches its render mesh; faces that share an edge use the same segment
// counts along it and the same vertex positions, so the meshes of a solid
// weld into a closed mesh (ON_Mesh::CombineIdenticalVertices). A box's
// render meshes are one mesh per face, not welded. Outward normals: faces
// of a solid have corners counter-clockwise seen from outside.
//
// Segment counts from the parameters (ON_MeshParameters::CircleSegmentCount
// and LineSegmentCount): a circle of a sphere, cylinder or cone gets
// CircleSegmentCount(radius) segments (rounded up to a multiple of 4 so
// quadrants line up); a sphere gets half that many rings from pole to pole;
// straight sides (cylinder height, cone slant, planar sides) get
// LineSegmentCount(length).

#include <memory>

#include "opennurbs_array.h"
#include "opennurbs_geometry.h"
#include "opennurbs_mesh.h"
#include "opennurbs_mesh_parameters.h"
#include "opennurbs_plane.h"

class ON_CLASS ON_BrepFace {
public:
  enum class Kind : int {
    planar_polygon = 0, // m_polygon, corners counter-clockwise about the normal
    box_side = 1,       // a planar rectangle of a box (m_polygon, 4 corners)
    sphere = 2,         // whole sphere: m_plane.origin centre, m_radius
    cylinder_side = 3,  // axis m_plane.origin along m_plane.zaxis, m_radius, m_height
    cone_side = 4,      // base circle at m_plane.origin, m_radius, apex at m_height
    disc = 5            // circle of m_radius in m_plane, normal m_plane.zaxis
  };

  ON_BrepFace() = default;
  ON_BrepFace(const ON_BrepFace& src);
  ON_BrepFace& operator=(const ON_BrepFace& src);

  Kind m_kind = Kind::planar_polygon;
  int m_face_index = -1;
  int m_lump_index = 0;
  ON_Plane m_plane;
  double m_radius = 0.0;
  double m_height = 0.0;
  ON_SimpleArray<ON_3dPoint> m_polygon;
  ON_SimpleArray<int> m_ei; // edges bounding this face
  // Orientation: a disc / planar face normal or an inward-facing side.
  bool m_bRev = false;

  // The face's render mesh for the parameters, made on first use and
  // remade when the parameters change (which frees the previous one).
  // Owned by the face; null only for a face that cannot be meshed
  // (degenerate data). Meshing changes the face's cache: one brep must not
  // be meshed from two threads at once.
  const ON_Mesh* Mesh(const ON_MeshParameters& mp) const;
  // The cached mesh (null when none), whatever its parameters.
  const ON_Mesh* CachedMesh() const { return m_mesh.get(); }
  void DestroyMesh() const { m_mesh.reset(); }
  ON_BoundingBox BoundingBox() const;
  bool Transform(const ON_Xform& xform);
  double Area() const;

private:
  mutable std::unique_ptr<ON_Mesh> m_mesh;
  mutable ON_MeshParameters m_mesh_mp;
};

// An edge: the faces that share it, and its end points.
struct ON_CLASS ON_BrepEdge {
  int m_edge_index = -1;
  ON_3dPoint m_start;
  ON_3dPoint m_end;
  bool m_bClosed = false;   // a full circle (m_start == m_end)
  ON_SimpleArray<int> m_fi; // faces using the edge
  bool IsNaked() const { return m_fi.Count() == 1; }
};

class ON_CLASS ON_Brep : public ON_Geometry {
  ON_OBJECT_DECLARE(ON_Brep);

public:
  ON_Brep() = default;
  ON_Brep(const ON_Brep&) = default; // faces' mesh caches are copied too
  ON_Brep& operator=(const ON_Brep&) = default;
  ~ON_Brep() override = default;

  // ---- creation (each returns a new brep the caller owns, or null for
  // invalid sizes: non-positive or non-finite dimensions) ----
  // Axis-aligned box between two corners (any order, each size > 0).
  static ON_Brep* CreateBox(const ON_3dPoint& corner0, const ON_3dPoint& corner1);
  // Box from the eight corners: 0-3 bottom counter-clockwise seen from
  // above, 4-7 above them.
  static ON_Brep* CreateBox(const ON_3dPoint corners[8]);
  static ON_Brep* CreateSphere(const ON_3dPoint& center, double radius);
  // Cylinder standing on base_plane (circle around its origin), height
  // along its normal. Uncapped cylinders are open.
  static ON_Brep* CreateCylinder(const ON_Plane& base_plane, double radius, double height,
                                 bool bCapped = true);
  // Cone with its base circle on base_plane and apex at height along the
  // normal; capped with a base disc unless bCapped is false.
  static ON_Brep* CreateCone(const ON_Plane& base_plane, double radius, double height,
                             bool bCapped = true);
  // Open rectangle [0,width] x [0,height] of plane (width, height > 0).
  static ON_Brep* CreatePlanarSurface(const ON_Plane& plane, double width, double height);
  // One planar face from a closed polygon (first point repeated or not);
  // false for fewer than 3 distinct points or non-planar points.
  static ON_Brep* CreatePlanarPolygon(const ON_SimpleArray<ON_3dPoint>& polygon);

  // ---- ON_Object / ON_Geometry ----
  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  void Dump(ON_TextLog& text_log) const override;
  unsigned int SizeOf() const override;
  ON::object_type ObjectType() const override;
  void DestroyRuntimeCache(bool bDelete = true) override;
  bool GetBBox(ON_BoundingBox& bbox, bool bGrowBox = false) const override;
  // Moves faces and edges; cached meshes are dropped.
  bool Transform(const ON_Xform& xform) override;

  // Adds the other brep's faces and edges as new lumps.
  bool Append(const ON_Brep& other);
  void Destroy();

  int FaceCount() const { return m_F.Count(); }
  int EdgeCount() const { return m_E.Count(); }
  int LumpCount() const { return m_lump_count; }
  // Every edge used by exactly two faces (and at least one face).
  bool IsSolid() const;
  // Number of edges with one face.
  int NakedEdgeCount() const;

  // Splits into connected pieces (faces joined through shared edges).
  // Appends one new brep per piece to components (caller owns them) and
  // returns how many were added; with bDuplicateMeshes each piece's faces
  // keep copies of their cached meshes. A brep of one piece gives one
  // copy. 0 when the brep has no faces.
  int GetConnectedComponents(ON_SimpleArray<ON_Brep*>& components, bool bDuplicateMeshes) const;

  // One render mesh per face, appended to meshes (owned by the faces, valid
  // until the brep or parameters change). Returns how many were appended.
  int GetMeshes(const ON_MeshParameters& mp, ON_SimpleArray<const ON_Mesh*>& meshes) const;
  // All face meshes appended into one new mesh (caller owns it), welded
  // with CombineIdenticalVertices(true, true) when bWeld is true.
  ON_Mesh* CreateJoinedMesh(const ON_MeshParameters& mp, bool bWeld = true) const;
  double Area() const;

  ON_ClassArray<ON_BrepFace> m_F;
  ON_ClassArray<ON_BrepEdge> m_E;

private:
  int AddFace(const ON_BrepFace& face);
  int AddEdge(const ON_3dPoint& start, const ON_3dPoint& end, bool closed, int f0, int f1);
  int m_lump_count = 0;
};
