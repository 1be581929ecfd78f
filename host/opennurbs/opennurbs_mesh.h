#pragma once
// ON_Mesh: a polygon mesh of triangles and quads in flat arrays.
//
//   m_V   vertex locations (single precision; Vertex(i) widens to double)
//   m_F   faces, four vertex indices each; a triangle repeats its third
//         index (vi[2] == vi[3]); corners run counter-clockwise seen from
//         the side the face normal points to
//   m_N   vertex normals, one per vertex or none
//   m_FN  face normals (unit length), one per face or none
//   m_T   texture coordinates, one per vertex or none
//
// Caches: the bounding box, the topology (Topology()) and the face tree
// (MeshTree()) are built on first use and kept until the mesh changes. The
// member functions that change the arrays drop them. A caller who writes
// m_V or m_F directly must call DestroyRuntimeCache() before the next query
// (IsClosed, Topology, MeshTree, GetBBox, BoundingBox).
//
// Content serial number: every mesh gets a number of its own when it is
// made, and a new one whenever its content may have changed (each member
// function that changes an array, and DestroyRuntimeCache, which direct
// writers must call). Two looks at one mesh that see the same number saw
// the same content, so a result computed from a mesh can be kept for as
// long as the mesh shows the same number.
//
// Threads: different meshes may be used from different threads at the same
// time. A mesh whose caches are built may be queried from several threads;
// building a cache is guarded by a per-mesh lock, so concurrent const
// queries on one mesh are safe too. Changing a mesh while another thread
// reads it is not.

#include <atomic>
#include <memory>
#include <mutex>

#include "opennurbs_array.h"
#include "opennurbs_geometry.h"
#include "opennurbs_point.h"

class ON_MeshTopology;
class ON_MeshTree;

struct ON_CLASS ON_MeshFace {
  int vi[4] = {0, 0, 0, 0};
  bool IsTriangle() const { return vi[2] == vi[3]; }
  bool IsQuad() const { return vi[2] != vi[3]; }
  // Corner count: 3 or 4.
  int CornerCount() const { return IsTriangle() ? 3 : 4; }
  // Every index in [0, vertex_count) and at least three distinct corners.
  bool IsValid(int vertex_count) const;
  bool operator==(const ON_MeshFace&) const = default;
};

class ON_CLASS ON_Mesh : public ON_Geometry {
  ON_OBJECT_DECLARE(ON_Mesh);

public:
  ON_Mesh();
  // Reserves room; the flags reserve vertex normals / texture coordinates.
  ON_Mesh(int initial_face_capacity, int initial_vertex_capacity, bool bHasVertexNormals,
          bool bHasTextureCoordinates);
  // Deep copies of the arrays and of the user data with copy count >= 1;
  // caches are not copied (they rebuild on demand).
  ON_Mesh(const ON_Mesh& src);
  ON_Mesh& operator=(const ON_Mesh& src);
  ~ON_Mesh() override;

  // ---- ON_Object ----
  // Non-empty, every face valid, optional arrays of the right length.
  bool IsValid(ON_TextLog* text_log = nullptr) const override;
  void Dump(ON_TextLog& text_log) const override;
  // This object, its array storage, built caches and user data.
  unsigned int SizeOf() const override;
  ON__UINT32 DataCRC(ON__UINT32 current_remainder) const override;
  bool Write(ON_BinaryArchive& archive) const override;
  bool Read(ON_BinaryArchive& archive) override;
  ON::object_type ObjectType() const override;
  void DestroyRuntimeCache(bool bDelete = true) override;
  // Unique in the process (never 0); see the file comment.
  ON__UINT64 ContentSerialNumber() const {
    return m_content_serial.load(std::memory_order_relaxed);
  }

  // ---- ON_Geometry ----
  // Box of all vertices (unused ones included); cached.
  bool GetBBox(ON_BoundingBox& bbox, bool bGrowBox = false) const override;
  // Moves vertices; vertex and face normals follow (inverse transpose,
  // unitized). A transform that reverses orientation (negative
  // determinant, e.g. a mirror) also reverses each face's corner order so
  // that normals computed from the corners keep pointing the same way as
  // the transformed normals (a closed mesh stays outward-facing).
  bool Transform(const ON_Xform& xform) override;

  // Empties every array (keeping their storage) and drops the caches.
  void Destroy();
  // Empties and releases storage too.
  void EmptyAndRelease();

  int VertexCount() const { return m_V.Count(); }
  int FaceCount() const { return m_F.Count(); }
  int TriangleCount() const;
  int QuadCount() const;
  // Vertex i widened to double; the unset point when i is out of range.
  ON_3dPoint Vertex(int i) const;

  // Sets vertex i; i == VertexCount() appends. False for other indices.
  bool SetVertex(int vertex_index, const ON_3dPoint& p);
  bool SetVertex(int vertex_index, const ON_3fPoint& p);
  // Sets the normal of vertex i (m_N grows to VertexCount() as needed).
  bool SetVertexNormal(int vertex_index, const ON_3dVector& n);
  bool SetTextureCoord(int vertex_index, double s, double t);
  // Sets face fi; fi == FaceCount() appends. False for other indices. The
  // vertex indices are not checked here (see IsValid, CullDegenerateFaces).
  bool SetTriangle(int face_index, int a, int b, int c);
  bool SetQuad(int face_index, int a, int b, int c, int d);
  // Appends a vertex / face and returns its index.
  int AppendVertex(const ON_3dPoint& p);
  int AppendTriangle(int a, int b, int c);
  int AppendQuad(int a, int b, int c, int d);

  // Appends the other mesh's vertices and faces (indices shifted). Vertex
  // normals, face normals and texture coordinates are kept when both
  // meshes have them (or this mesh was empty) and dropped otherwise.
  // Appending a mesh to itself doubles it. False only for bad input.
  bool Append(const ON_Mesh& other);
  bool Append(int count, const ON_Mesh* const* meshes);

  bool HasVertexNormals() const;
  bool HasFaceNormals() const;
  bool HasTextureCoordinates() const;
  // Unit normals from the corners (a quad uses its diagonals' cross
  // product); a degenerate face gets the zero vector. False when there
  // are no faces.
  bool ComputeFaceNormals();
  // Area-weighted average of the face normals of the faces at each
  // vertex, unitized. False when there are no faces.
  bool ComputeVertexNormals();
  // Reverses the corner order and the normals.
  void Flip();

  // Merges vertices at the same location (exact match of the floats),
  // also requiring equal normals / texture coordinates unless ignored.
  // Faces are renumbered and the merged-away vertices removed. True when
  // any vertex was merged.
  bool CombineIdenticalVertices(bool bIgnoreVertexNormals = false,
                                bool bIgnoreTextureCoordinates = false);
  // Removes vertices no face uses (faces with out-of-range indices are
  // removed first, they cannot be renumbered). Returns the number of
  // vertices removed.
  int CullUnusedVertices();
  // Removes faces with out-of-range indices or fewer than three distinct
  // corners (corners at identical locations count as one). A quad with
  // exactly three distinct corners becomes a triangle. Returns the number
  // of faces removed.
  int CullDegenerateFaces();

  // True when the mesh has faces and every topology edge is used by two
  // or more faces. False if any face has out-of-range indices.
  bool IsClosed() const;
  // The topology, built on first use; valid until the mesh changes or
  // DestroyTopology() is called.
  const ON_MeshTopology& Topology() const;
  void DestroyTopology();
  // The face tree; built when missing and bBuildTree is true, otherwise
  // null when missing. Valid until the mesh changes or DestroyTree().
  const ON_MeshTree* MeshTree(bool bBuildTree) const;
  void DestroyTree();

  // Sum of the face areas (quads split along 0-2).
  double Area() const;
  // Signed enclosed volume (positive for outward-facing closed meshes).
  double Volume() const;

  ON_SimpleArray<ON_3fPoint> m_V;
  ON_SimpleArray<ON_MeshFace> m_F;
  ON_SimpleArray<ON_3fVector> m_N;
  ON_SimpleArray<ON_3fVector> m_FN;
  ON_SimpleArray<ON_2fPoint> m_T;

private:
  struct Cache;
  Cache& RuntimeCache() const;
  mutable std::unique_ptr<Cache> m_cache;
  mutable std::mutex m_cache_lock;
  // A new number for content that may have changed.
  void NewContentSerialNumber();
  std::atomic<ON__UINT64> m_content_serial{0};
};
