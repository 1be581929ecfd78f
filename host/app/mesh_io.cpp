// Mesh import and export. OFF, OBJ, STL and PLY go through CGAL's readers
// and writers (host/tools); glTF and whatever else only assimp reads is read
// in a child process, so that a reader that crashes or hangs on a file
// cannot take the host with it.

#include "mesh_io.h"

#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_map>

#include "child_reader.h"
#include "file_util.h"
#include "tl_mesh_io.h"
#include "win_strings.h"

namespace kyrel::app {
namespace {

std::string Extension(const std::string& path) {
  auto slash = path.find_last_of('/');
  auto dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = path.substr(dot + 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

const char* FormatFor(const std::string& ext) {
  if (ext == "obj") return "objnomtl";
  if (ext == "stl") return "stlb";
  if (ext == "ply") return "plyb";
  if (ext == "off") return "off";
  if (ext == "gltf") return "gltf2";
  if (ext == "glb") return "glb2";
  return nullptr;
}

// Formats assimp names but that this host turns away with a reason, so a
// user learns why instead of getting a half-read model or an unreadable file.
// 3MF: the assimp here writes 3MF files that it cannot read back, and reads
// others only in part.
const char* RefusedFormatReason(const std::string& ext) {
  if (ext == "3mf")
    return "3MF files are not supported: the mesh library of this host cannot read back the 3MF "
           "files it writes. "
           "Use .obj, .stl, .ply, .off, .gltf or .glb";
  return nullptr;
}

// Files larger than this are refused before any reader sees them.
constexpr std::uint64_t kMaxMeshFileBytes = 1ull << 30;

// The whole file, when it is a regular file of a sane size: a folder, a
// device or a pipe named as a mesh file could otherwise be read forever.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    error = "cannot read " + path + ": it is not a file";
    return false;
  }
  if (static_cast<std::uint64_t>(st.st_size) > kMaxMeshFileBytes) {
    error = "cannot read " + path + ": at " + std::to_string(st.st_size >> 20) +
            " MB it is larger than a mesh file may be (" + std::to_string(kMaxMeshFileBytes >> 20) +
            " MB)";
    return false;
  }
  if (!kyrel::platform::ReadWholeFile(path, bytes, error)) {
    error = "cannot read " + path + ": " + error;
    return false;
  }
  return true;
}

// A binary glTF whose header or chunks claim more than the file holds is
// refused before the reader sizes anything by them.
bool CheckGlb(const std::string& bytes, std::string& why) {
  auto u32 = [&](std::size_t at) {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + at, 4);
    return v;
  };
  if (bytes.size() < 20 || bytes.compare(0, 4, "glTF") != 0) {
    why = "it is not a binary glTF file";
    return false;
  }
  if (u32(8) != bytes.size()) {
    why = "its header gives a length of " + std::to_string(u32(8)) + " bytes, the file has " +
          std::to_string(bytes.size());
    return false;
  }
  for (std::size_t at = 12; at < bytes.size();) {
    if (bytes.size() - at < 8 || u32(at) > bytes.size() - at - 8) {
      why = "a chunk claims more bytes than the file holds";
      return false;
    }
    at += 8 + std::size_t{u32(at)};
  }
  return true;
}

// ---- assimp, in a child process ----

// Meshes travel from the child as: their count, then per mesh the name, the
// vertices and the triangles, each after its length.
void Put(std::string& out, std::uint32_t v) {
  out.append(reinterpret_cast<const char*>(&v), 4);
}

std::string Serialise(const aiScene& scene) {
  std::string out;
  Put(out, scene.mNumMeshes);
  for (unsigned i = 0; i < scene.mNumMeshes; ++i) {
    const aiMesh& m = *scene.mMeshes[i];
    std::string name = m.mName.C_Str();
    Put(out, static_cast<std::uint32_t>(name.size()));
    out += name;
    Put(out, m.mNumVertices);
    for (unsigned v = 0; v < m.mNumVertices; ++v) {
      double p[3] = {m.mVertices[v].x, m.mVertices[v].y, m.mVertices[v].z};
      out.append(reinterpret_cast<const char*>(p), sizeof p);
    }
    std::string faces;
    std::uint32_t count = 0;
    for (unsigned f = 0; f < m.mNumFaces; ++f) {
      const aiFace& face = m.mFaces[f];
      if (face.mNumIndices != 3) continue;
      for (int k = 0; k < 3; ++k)
        Put(faces, face.mIndices[k]);
      ++count;
    }
    Put(out, count);
    out += faces;
  }
  return out;
}

// What the child sent, read without trusting any of it.
class Received {
public:
  explicit Received(const std::string& bytes) : bytes_(bytes) {}
  bool Take(void* to, std::size_t n) {
    if (n > Left()) return false;
    std::memcpy(to, bytes_.data() + pos_, n);
    pos_ += n;
    return true;
  }
  bool U32(std::uint32_t& v) { return Take(&v, 4); }
  std::size_t Left() const { return bytes_.size() - pos_; }

private:
  const std::string& bytes_;
  std::size_t pos_ = 0;
};

bool Deserialise(const std::string& bytes, std::vector<ON_Mesh*>& meshes,
                 std::vector<std::wstring>& names) {
  Received in(bytes);
  std::uint32_t count = 0;
  if (!in.U32(count)) return false;
  for (std::uint32_t i = 0; i < count; ++i) {
    std::uint32_t name_size = 0, vertices = 0, triangles = 0;
    if (!in.U32(name_size) || name_size > in.Left()) return false;
    std::string name(name_size, '\0');
    in.Take(name.data(), name_size);
    if (!in.U32(vertices) || vertices > in.Left() / 24) return false;
    auto mesh = std::make_unique<ON_Mesh>();
    for (std::uint32_t v = 0; v < vertices; ++v) {
      double p[3];
      in.Take(p, sizeof p);
      if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) return false;
      mesh->AppendVertex(ON_3dPoint(p[0], p[1], p[2]));
    }
    if (!in.U32(triangles) || triangles > in.Left() / 12) return false;
    for (std::uint32_t t = 0; t < triangles; ++t) {
      std::uint32_t vi[3];
      in.Take(vi, sizeof vi);
      if (vi[0] >= vertices || vi[1] >= vertices || vi[2] >= vertices) return false;
      mesh->AppendTriangle(static_cast<int>(vi[0]), static_cast<int>(vi[1]),
                           static_cast<int>(vi[2]));
    }
    if (mesh->FaceCount() == 0) continue;
    mesh->ComputeFaceNormals();
    meshes.push_back(mesh.release());
    names.push_back(kyrel::platform::Utf8ToWide(name));
  }
  return in.Left() == 0;
}

bool ReadWithAssimp(const std::string& path, std::vector<ON_Mesh*>& meshes,
                    std::vector<std::wstring>& names, std::string& error) {
  auto work = [&path](std::string& out) {
    Assimp::Importer importer;
    // Normals differ per face in many files; without them identical
    // positions weld, so closed solids come back closed.
    importer.SetPropertyInteger(AI_CONFIG_PP_RVC_FLAGS,
                                aiComponent_NORMALS | aiComponent_TANGENTS_AND_BITANGENTS |
                                    aiComponent_COLORS | aiComponent_TEXCOORDS);
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE,
                                aiPrimitiveType_POINT | aiPrimitiveType_LINE);
    const aiScene* scene = importer.ReadFile(
        path, aiProcess_RemoveComponent | aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                  aiProcess_PreTransformVertices | aiProcess_SortByPType |
                  aiProcess_FindInvalidData | aiProcess_ValidateDataStructure);
    if (!scene) {
      out = importer.GetErrorString();
      return false;
    }
    out = Serialise(*scene);
    return true;
  };
  std::string received;
  if (!RunInChild(work, ChildLimits{}, received, error)) {
    error = "could not read " + path + ": " + error;
    return false;
  }
  if (!Deserialise(received, meshes, names)) {
    for (ON_Mesh* m : meshes)
      delete m;
    meshes.clear();
    names.clear();
    error = "could not read " + path + ": the reader sent back damaged meshes";
    return false;
  }
  return true;
}

// ---- CGAL's readers ----

// The soup's polygons as mesh faces: triangles and quads as they are,
// larger polygons as fans from their first corner. Each named part is a
// mesh of its own, holding only the vertices its faces use.
void MeshesOfSoup(const tl::MeshSoup& soup, std::vector<ON_Mesh*>& meshes,
                  std::vector<std::wstring>& names) {
  std::vector<std::pair<std::size_t, std::string>> parts = soup.parts;
  if (parts.empty() || parts.front().first > 0) parts.insert(parts.begin(), {0, std::string()});
  for (std::size_t p = 0; p < parts.size(); ++p) {
    const std::size_t begin = parts[p].first,
                      end = p + 1 < parts.size() ? parts[p + 1].first : soup.polygons.size();
    if (begin >= end) continue;
    auto mesh = std::make_unique<ON_Mesh>();
    std::unordered_map<std::size_t, int> local;
    auto vertex = [&](std::size_t v) {
      auto [it, fresh] = local.emplace(v, mesh->VertexCount());
      if (fresh) {
        const auto& q = soup.points[v];
        mesh->AppendVertex(ON_3dPoint(q[0], q[1], q[2]));
      }
      return it->second;
    };
    for (std::size_t f = begin; f < end; ++f) {
      const auto& poly = soup.polygons[f];
      if (poly.size() == 4) {
        int a = vertex(poly[0]), b = vertex(poly[1]), c = vertex(poly[2]), d = vertex(poly[3]);
        mesh->AppendQuad(a, b, c, d);
        continue;
      }
      for (std::size_t k = 1; k + 1 < poly.size(); ++k) {
        int a = vertex(poly[0]), b = vertex(poly[k]), c = vertex(poly[k + 1]);
        mesh->AppendTriangle(a, b, c);
      }
    }
    mesh->ComputeFaceNormals();
    meshes.push_back(mesh.release());
    names.push_back(kyrel::platform::Utf8ToWide(parts[p].second));
  }
}

// The meshes as one soup with a part per mesh, named when a name is given.
tl::MeshSoup SoupOf(const std::vector<const ON_Mesh*>& meshes,
                    const std::vector<std::wstring>& names) {
  tl::MeshSoup soup;
  for (std::size_t i = 0; i < meshes.size(); ++i) {
    const ON_Mesh& m = *meshes[i];
    const std::size_t base = soup.points.size();
    if (meshes.size() > 1) {
      std::string name = i < names.size() ? kyrel::platform::WideToUtf8(names[i]) : std::string();
      soup.parts.emplace_back(soup.polygons.size(),
                              name.empty() ? "mesh " + std::to_string(i + 1) : name);
    } else if (!names.empty() && !names[0].empty()) {
      soup.parts.emplace_back(0, kyrel::platform::WideToUtf8(names[0]));
    }
    for (int v = 0; v < m.m_V.Count(); ++v)
      soup.points.push_back({m.m_V[v].x, m.m_V[v].y, m.m_V[v].z});
    for (int f = 0; f < m.m_F.Count(); ++f) {
      const ON_MeshFace& face = m.m_F[f];
      std::vector<std::size_t> poly = {base + face.vi[0], base + face.vi[1], base + face.vi[2]};
      if (face.IsQuad()) poly.push_back(base + static_cast<std::size_t>(face.vi[3]));
      soup.polygons.push_back(std::move(poly));
    }
  }
  return soup;
}

void RemoveTree(const std::string& dir) {
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name != "." && name != "..") unlink((dir + "/" + name).c_str());
    }
    closedir(d);
  }
  rmdir(dir.c_str());
}

// Quads are split in two; assimp's writers want triangles only.
aiMesh* TriangleMeshOf(const ON_Mesh& src) {
  auto* m = new aiMesh();
  m->mMaterialIndex = 0;
  m->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
  m->mNumVertices = static_cast<unsigned>(src.m_V.Count());
  m->mVertices = new aiVector3D[m->mNumVertices];
  for (int v = 0; v < src.m_V.Count(); ++v)
    m->mVertices[v] = aiVector3D(src.m_V[v].x, src.m_V[v].y, src.m_V[v].z);
  unsigned triangles = static_cast<unsigned>(src.TriangleCount() + 2 * src.QuadCount());
  m->mNumFaces = triangles;
  m->mFaces = new aiFace[triangles];
  unsigned k = 0;
  auto add = [&](int a, int b, int c) {
    aiFace& f = m->mFaces[k++];
    f.mNumIndices = 3;
    f.mIndices = new unsigned[3]{static_cast<unsigned>(a), static_cast<unsigned>(b),
                                 static_cast<unsigned>(c)};
  };
  for (int f = 0; f < src.m_F.Count() && k < triangles; ++f) {
    const ON_MeshFace& face = src.m_F[f];
    add(face.vi[0], face.vi[1], face.vi[2]);
    if (face.IsQuad() && k < triangles) add(face.vi[0], face.vi[2], face.vi[3]);
  }
  m->mNumFaces = k;
  return m;
}

// One material and one root node holding every mesh.
std::unique_ptr<aiScene> SceneOf(const std::vector<const ON_Mesh*>& meshes,
                                 const std::vector<std::wstring>& names) {
  auto scene = std::make_unique<aiScene>();
  scene->mNumMaterials = 1;
  scene->mMaterials = new aiMaterial*[1];
  scene->mMaterials[0] = new aiMaterial();
  scene->mNumMeshes = static_cast<unsigned>(meshes.size());
  scene->mMeshes = new aiMesh*[meshes.size()];
  scene->mRootNode = new aiNode("root");
  scene->mRootNode->mNumMeshes = scene->mNumMeshes;
  scene->mRootNode->mMeshes = new unsigned[meshes.size()];
  for (std::size_t i = 0; i < meshes.size(); ++i) {
    aiMesh* m = TriangleMeshOf(*meshes[i]);
    scene->mMeshes[i] = m;
    scene->mRootNode->mMeshes[i] = static_cast<unsigned>(i);
    if (i < names.size()) m->mName = kyrel::platform::WideToUtf8(names[i]);
  }
  return scene;
}

// The exporter writes into a temporary folder beside `path`; its files are
// moved into place only once it succeeded, so a failed export leaves no
// half-written file behind.
bool ExportScene(const aiScene& scene, const char* format, const std::string& path,
                 std::string& error) {
  auto slash = path.find_last_of('/');
  std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  std::string temp = dir + "/.kyrel-export-XXXXXX";
  if (!mkdtemp(temp.data())) {
    error = "cannot write " + path + ": cannot make a temporary folder in " + dir;
    return false;
  }
  Assimp::Exporter exporter;
  if (exporter.Export(&scene, format, temp + "/" + base) != AI_SUCCESS) {
    error = "cannot write " + path + ": " + exporter.GetErrorString();
    RemoveTree(temp);
    return false;
  }
  // Move every file the exporter made (a glTF file and its buffer, say).
  bool ok = true;
  if (DIR* d = opendir(temp.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      if (std::rename((temp + "/" + name).c_str(), (dir + "/" + name).c_str()) != 0) ok = false;
    }
    closedir(d);
  }
  RemoveTree(temp);
  if (!ok) error = "cannot write " + path + ": the finished file could not be moved into place";
  return ok;
}

} // namespace

bool IsWritableMeshFormat(const std::string& path) {
  return FormatFor(Extension(path)) != nullptr;
}

std::string RefusedMeshFormatReason(const std::string& path) {
  const char* reason = RefusedFormatReason(Extension(path));
  return reason ? reason : std::string();
}

bool ReadMeshFileParts(const std::string& path, std::vector<ON_Mesh*>& meshes,
                       std::vector<std::wstring>& names, std::string& error) {
  const std::string ext = Extension(path);
  if (const char* reason = RefusedFormatReason(ext)) {
    error = "cannot read " + path + ": " + reason;
    return false;
  }
  std::string bytes;
  if (!ReadFileBytes(path, bytes, error)) return false;
  if (tl::IsSoupFormat(ext)) {
    tl::MeshSoup soup;
    std::string why;
    if (!tl::ReadMeshSoup(bytes, ext, soup, why)) {
      error = "cannot read " + path + ": " + why;
      return false;
    }
    MeshesOfSoup(soup, meshes, names);
    return true;
  }
  std::string why;
  if (ext == "glb" && !CheckGlb(bytes, why)) {
    error = "cannot read " + path + ": " + why;
    return false;
  }
  if (!ReadWithAssimp(path, meshes, names, error)) return false;
  if (meshes.empty()) {
    error = path + " holds no faces";
    return false;
  }
  return true;
}

bool ReadMeshFile(const std::string& path, ON_Mesh& mesh, std::string& error) {
  std::vector<ON_Mesh*> parts;
  std::vector<std::wstring> names;
  if (!ReadMeshFileParts(path, parts, names, error)) return false;
  mesh = ON_Mesh();
  for (ON_Mesh* p : parts) {
    mesh.Append(*p);
    delete p;
  }
  mesh.CombineIdenticalVertices();
  mesh.ComputeFaceNormals();
  return true;
}

bool WriteMeshFile(const std::string& path, const std::vector<const ON_Mesh*>& meshes,
                   const std::vector<std::wstring>& names, std::string& error) {
  const std::string ext = Extension(path);
  const char* format = FormatFor(ext);
  if (!format) {
    const char* reason = RefusedFormatReason(ext);
    error = "cannot write " + path + ": " +
            (reason ? std::string(reason)
                    : "unknown mesh format (use .obj, .stl, .ply, .off, .gltf or .glb)");
    return false;
  }
  std::vector<const ON_Mesh*> usable;
  std::vector<std::wstring> usable_names;
  for (std::size_t i = 0; i < meshes.size(); ++i)
    if (meshes[i] && meshes[i]->FaceCount() > 0) {
      usable.push_back(meshes[i]);
      usable_names.push_back(i < names.size() ? names[i] : std::wstring());
    }
  if (usable.empty()) {
    error = "cannot write " + path + ": there are no meshes to write";
    return false;
  }
  if (tl::IsSoupFormat(ext)) {
    std::string bytes, why;
    if (!tl::WriteMeshSoup(SoupOf(usable, usable_names), ext, bytes, why) ||
        !kyrel::platform::WriteFileAtomically(path, bytes, why)) {
      error = "cannot write " + path + ": " + why;
      return false;
    }
    return true;
  }
  std::unique_ptr<aiScene> scene = SceneOf(usable, usable_names);
  return ExportScene(*scene, format, path, error);
}

} // namespace kyrel::app
