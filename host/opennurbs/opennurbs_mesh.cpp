// ON_Mesh: construction, copying, element access, appending, the runtime
// caches and serialisation. Normals live in opennurbs_mesh_normals.cpp,
// welding and culling in opennurbs_mesh_edit.cpp.

#include "opennurbs_mesh.h"

#include <cmath>

#include "opennurbs_archive.h"
#include "opennurbs_mesh_topology.h"
#include "opennurbs_mesh_tree.h"

ON_OBJECT_IMPLEMENT(ON_Mesh, ON_Geometry, "0E89AFD6-462B-424C-93A7-4CF8FBF1EBDE")

struct ON_Mesh::Cache {
  bool bbox_valid = false;
  ON_BoundingBox bbox;
  std::unique_ptr<ON_MeshTopology> topology;
  std::unique_ptr<ON_MeshTree> tree;
};

bool ON_MeshFace::IsValid(int vertex_count) const {
  for (int k = 0; k < 4; ++k)
    if (vi[k] < 0 || vi[k] >= vertex_count) return false;
  if (vi[0] == vi[1] || vi[1] == vi[2] || vi[0] == vi[2]) return false;
  if (vi[2] != vi[3] && (vi[3] == vi[0] || vi[3] == vi[1])) return false;
  return true;
}

namespace {

std::atomic<ON__UINT64> s_last_content_serial{0};

} // namespace

void ON_Mesh::NewContentSerialNumber() {
  m_content_serial.store(s_last_content_serial.fetch_add(1, std::memory_order_relaxed) + 1,
                         std::memory_order_relaxed);
}

ON_Mesh::ON_Mesh() {
  NewContentSerialNumber();
}

ON_Mesh::ON_Mesh(int face_capacity, int vertex_capacity, bool bHasVertexNormals,
                 bool bHasTextureCoordinates) {
  NewContentSerialNumber();
  m_F.Reserve(face_capacity);
  m_V.Reserve(vertex_capacity);
  if (bHasVertexNormals) m_N.Reserve(vertex_capacity);
  if (bHasTextureCoordinates) m_T.Reserve(vertex_capacity);
}

ON_Mesh::ON_Mesh(const ON_Mesh& src)
    : ON_Geometry(src), m_V(src.m_V), m_F(src.m_F), m_N(src.m_N), m_FN(src.m_FN), m_T(src.m_T) {
  NewContentSerialNumber();
}

ON_Mesh& ON_Mesh::operator=(const ON_Mesh& src) {
  if (this != &src) {
    ON_Geometry::operator=(src);
    m_V = src.m_V;
    m_F = src.m_F;
    m_N = src.m_N;
    m_FN = src.m_FN;
    m_T = src.m_T;
    DestroyRuntimeCache(true);
  }
  return *this;
}

ON_Mesh::~ON_Mesh() = default;

ON_Mesh::Cache& ON_Mesh::RuntimeCache() const {
  // Caller holds m_cache_lock.
  if (!m_cache) m_cache = std::make_unique<Cache>();
  return *m_cache;
}

void ON_Mesh::DestroyRuntimeCache(bool) {
  NewContentSerialNumber();
  std::lock_guard<std::mutex> guard(m_cache_lock);
  m_cache.reset();
}

void ON_Mesh::DestroyTopology() {
  std::lock_guard<std::mutex> guard(m_cache_lock);
  if (m_cache) m_cache->topology.reset();
}

void ON_Mesh::DestroyTree() {
  std::lock_guard<std::mutex> guard(m_cache_lock);
  if (m_cache) m_cache->tree.reset();
}

const ON_MeshTopology& ON_Mesh::Topology() const {
  std::lock_guard<std::mutex> guard(m_cache_lock);
  Cache& c = RuntimeCache();
  if (!c.topology) c.topology = std::make_unique<ON_MeshTopology>(*this);
  return *c.topology;
}

const ON_MeshTree* ON_Mesh::MeshTree(bool bBuildTree) const {
  std::lock_guard<std::mutex> guard(m_cache_lock);
  if (!bBuildTree && (!m_cache || !m_cache->tree)) return nullptr;
  Cache& c = RuntimeCache();
  if (!c.tree) c.tree = std::make_unique<ON_MeshTree>(*this);
  return c.tree.get();
}

bool ON_Mesh::IsClosed() const {
  if (m_F.Count() == 0) return false;
  const int vc = m_V.Count();
  for (const ON_MeshFace& f : m_F)
    for (int k = 0; k < 4; ++k)
      if (f.vi[k] < 0 || f.vi[k] >= vc) return false;
  return Topology().IsClosed();
}

bool ON_Mesh::IsValid(ON_TextLog*) const {
  const int vc = m_V.Count();
  if (vc < 3 || m_F.Count() < 1) return false;
  if (m_N.Count() != 0 && m_N.Count() != vc) return false;
  if (m_T.Count() != 0 && m_T.Count() != vc) return false;
  if (m_FN.Count() != 0 && m_FN.Count() != m_F.Count()) return false;
  for (const ON_MeshFace& f : m_F)
    if (!f.IsValid(vc)) return false;
  for (const ON_3fPoint& p : m_V)
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
  return true;
}

void ON_Mesh::Dump(ON_TextLog& log) const {
  log.Print("ON_Mesh: %d vertices, %d faces (%d quads)\n", VertexCount(), FaceCount(), QuadCount());
}

unsigned int ON_Mesh::SizeOf() const {
  size_t sz = ON_Geometry::SizeOf() + (sizeof(ON_Mesh) - sizeof(ON_Geometry));
  sz += m_V.SizeOfArray() + m_F.SizeOfArray() + m_N.SizeOfArray() + m_FN.SizeOfArray() +
        m_T.SizeOfArray();
  std::lock_guard<std::mutex> guard(m_cache_lock);
  if (m_cache) {
    sz += sizeof(Cache);
    if (m_cache->topology) sz += m_cache->topology->SizeOf();
    if (m_cache->tree) sz += m_cache->tree->SizeOf();
  }
  return static_cast<unsigned int>(sz);
}

ON__UINT32 ON_Mesh::DataCRC(ON__UINT32 crc) const {
  crc = ON_CRC32(crc, static_cast<size_t>(m_V.Count()) * sizeof(ON_3fPoint), m_V.Array());
  crc = ON_CRC32(crc, static_cast<size_t>(m_F.Count()) * sizeof(ON_MeshFace), m_F.Array());
  crc = ON_CRC32(crc, static_cast<size_t>(m_N.Count()) * sizeof(ON_3fVector), m_N.Array());
  crc = ON_CRC32(crc, static_cast<size_t>(m_T.Count()) * sizeof(ON_2fPoint), m_T.Array());
  return crc;
}

namespace {

template <class T> bool WriteArray(ON_BinaryArchive& a, const ON_SimpleArray<T>& arr) {
  return a.WriteInt(arr.Count()) &&
         a.WriteBytes(static_cast<size_t>(arr.Count()) * sizeof(T), arr.Array());
}

template <class T> bool ReadArray(ON_BinaryArchive& a, ON_SimpleArray<T>& arr) {
  int n = 0;
  if (!a.ReadInt(&n) || n < 0) return false;
  // Refuse counts the remaining bytes cannot hold before allocating.
  if (static_cast<size_t>(n) * sizeof(T) > a.Buffer().size() - a.Position()) return false;
  arr.SetCount(n);
  return a.ReadBytes(static_cast<size_t>(n) * sizeof(T), arr.Array());
}

} // namespace

bool ON_Mesh::Write(ON_BinaryArchive& a) const {
  return a.WriteInt(1) && WriteArray(a, m_V) && WriteArray(a, m_F) && WriteArray(a, m_N) &&
         WriteArray(a, m_FN) && WriteArray(a, m_T);
}

bool ON_Mesh::Read(ON_BinaryArchive& a) {
  int version = 0;
  if (!a.ReadInt(&version) || version != 1) return false;
  ON_Mesh m;
  if (!(ReadArray(a, m.m_V) && ReadArray(a, m.m_F) && ReadArray(a, m.m_N) && ReadArray(a, m.m_FN) &&
        ReadArray(a, m.m_T)))
    return false;
  m_V = m.m_V;
  m_F = m.m_F;
  m_N = m.m_N;
  m_FN = m.m_FN;
  m_T = m.m_T;
  DestroyRuntimeCache(true);
  return true;
}

ON::object_type ON_Mesh::ObjectType() const {
  return ON::mesh_object;
}

bool ON_Mesh::GetBBox(ON_BoundingBox& bbox, bool bGrowBox) const {
  ON_BoundingBox b;
  {
    std::lock_guard<std::mutex> guard(m_cache_lock);
    Cache& c = RuntimeCache();
    if (!c.bbox_valid) {
      c.bbox.Set(m_V.Count(), m_V.Array(), false);
      c.bbox_valid = true;
    }
    b = c.bbox;
  }
  if (bGrowBox) {
    bbox.Union(b);
  } else {
    bbox = b;
  }
  return bbox.IsValid();
}

bool ON_Mesh::Transform(const ON_Xform& xform) {
  if (!xform.IsValid()) return false;
  for (ON_3fPoint& v : m_V)
    v = ON_3fPoint(xform * ON_3dPoint(v));
  // Normals transform with the inverse transpose of the linear part.
  ON_Xform nx = xform;
  for (int i = 0; i < 3; ++i)
    nx.m_xform[i][3] = nx.m_xform[3][i] = 0.0;
  nx.m_xform[3][3] = 1.0;
  const double det = nx.Determinant();
  if (nx.Invert()) {
    nx.Transpose();
    for (ON_3fVector& n : m_N) {
      ON_3dVector d = nx * ON_3dVector(n);
      d.Unitize();
      n = ON_3fVector(d);
    }
    for (ON_3fVector& n : m_FN) {
      ON_3dVector d = nx * ON_3dVector(n);
      d.Unitize();
      n = ON_3fVector(d);
    }
  }
  if (det < 0.0) {
    for (ON_MeshFace& f : m_F) {
      if (f.IsTriangle()) {
        std::swap(f.vi[1], f.vi[2]);
        f.vi[3] = f.vi[2];
      } else {
        std::swap(f.vi[1], f.vi[3]);
      }
    }
  }
  DestroyRuntimeCache(true);
  return ON_Geometry::Transform(xform);
}

void ON_Mesh::Destroy() {
  m_V.Empty();
  m_F.Empty();
  m_N.Empty();
  m_FN.Empty();
  m_T.Empty();
  DestroyRuntimeCache(true);
}

void ON_Mesh::EmptyAndRelease() {
  m_V.Destroy();
  m_F.Destroy();
  m_N.Destroy();
  m_FN.Destroy();
  m_T.Destroy();
  DestroyRuntimeCache(true);
}

int ON_Mesh::TriangleCount() const {
  int n = 0;
  for (const ON_MeshFace& f : m_F)
    n += f.IsTriangle() ? 1 : 0;
  return n;
}

int ON_Mesh::QuadCount() const {
  return m_F.Count() - TriangleCount();
}

ON_3dPoint ON_Mesh::Vertex(int i) const {
  if (i < 0 || i >= m_V.Count()) return ON_3dPoint::UnsetPoint;
  return ON_3dPoint(m_V[i]);
}

bool ON_Mesh::SetVertex(int vi, const ON_3dPoint& p) {
  return SetVertex(vi, ON_3fPoint(p));
}

bool ON_Mesh::SetVertex(int vi, const ON_3fPoint& p) {
  if (vi < 0 || vi > m_V.Count()) return false;
  if (vi == m_V.Count()) {
    m_V.Append(p);
  } else {
    m_V[vi] = p;
  }
  DestroyRuntimeCache(true);
  return true;
}

bool ON_Mesh::SetVertexNormal(int vi, const ON_3dVector& n) {
  if (vi < 0 || vi >= m_V.Count()) return false;
  if (m_N.Count() < m_V.Count()) m_N.SetCount(m_V.Count());
  m_N[vi] = ON_3fVector(n);
  NewContentSerialNumber();
  return true;
}

bool ON_Mesh::SetTextureCoord(int vi, double s, double t) {
  if (vi < 0 || vi >= m_V.Count()) return false;
  if (m_T.Count() < m_V.Count()) m_T.SetCount(m_V.Count());
  m_T[vi] = ON_2fPoint(static_cast<float>(s), static_cast<float>(t));
  NewContentSerialNumber();
  return true;
}

bool ON_Mesh::SetTriangle(int fi, int a, int b, int c) {
  return SetQuad(fi, a, b, c, c);
}

bool ON_Mesh::SetQuad(int fi, int a, int b, int c, int d) {
  if (fi < 0 || fi > m_F.Count()) return false;
  ON_MeshFace f;
  f.vi[0] = a;
  f.vi[1] = b;
  f.vi[2] = c;
  f.vi[3] = d;
  if (fi == m_F.Count()) {
    m_F.Append(f);
  } else {
    m_F[fi] = f;
  }
  // A face normal no longer matching its face is worse than none.
  m_FN.Empty();
  DestroyRuntimeCache(true);
  return true;
}

int ON_Mesh::AppendVertex(const ON_3dPoint& p) {
  SetVertex(m_V.Count(), p);
  return m_V.Count() - 1;
}

int ON_Mesh::AppendTriangle(int a, int b, int c) {
  SetTriangle(m_F.Count(), a, b, c);
  return m_F.Count() - 1;
}

int ON_Mesh::AppendQuad(int a, int b, int c, int d) {
  SetQuad(m_F.Count(), a, b, c, d);
  return m_F.Count() - 1;
}

bool ON_Mesh::Append(const ON_Mesh& other_in) {
  if (other_in.m_V.Count() == 0 && other_in.m_F.Count() == 0) return true;
  // Appending to ourselves: work from a copy so the source does not grow
  // under our feet.
  if (&other_in == this) {
    const ON_Mesh copy(*this);
    return Append(copy);
  }
  const ON_Mesh& other = other_in;
  const bool was_empty = m_V.Count() == 0 && m_F.Count() == 0;
  const int v0 = m_V.Count();
  const bool keep_n = (was_empty || HasVertexNormals()) && other.HasVertexNormals();
  const bool keep_t = (was_empty || HasTextureCoordinates()) && other.HasTextureCoordinates();
  const bool keep_fn = (was_empty || HasFaceNormals()) && other.HasFaceNormals();

  m_V.Append(other.m_V.Count(), other.m_V.Array());
  m_F.Reserve(m_F.Count() + other.m_F.Count());
  for (const ON_MeshFace& f : other.m_F) {
    ON_MeshFace g = f;
    for (int k = 0; k < 4; ++k)
      g.vi[k] += v0;
    m_F.Append(g);
  }
  if (keep_n) {
    m_N.Append(other.m_N.Count(), other.m_N.Array());
  } else {
    m_N.Empty();
  }
  if (keep_t) {
    m_T.Append(other.m_T.Count(), other.m_T.Array());
  } else {
    m_T.Empty();
  }
  if (keep_fn) {
    m_FN.Append(other.m_FN.Count(), other.m_FN.Array());
  } else {
    m_FN.Empty();
  }
  DestroyRuntimeCache(true);
  return true;
}

bool ON_Mesh::Append(int count, const ON_Mesh* const* meshes) {
  if (count < 0 || (count > 0 && meshes == nullptr)) return false;
  bool ok = true;
  for (int i = 0; i < count; ++i)
    if (meshes[i] && !Append(*meshes[i])) ok = false;
  return ok;
}

bool ON_Mesh::HasVertexNormals() const {
  return m_V.Count() > 0 && m_N.Count() == m_V.Count();
}

bool ON_Mesh::HasFaceNormals() const {
  return m_F.Count() > 0 && m_FN.Count() == m_F.Count();
}

bool ON_Mesh::HasTextureCoordinates() const {
  return m_V.Count() > 0 && m_T.Count() == m_V.Count();
}
