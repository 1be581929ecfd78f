// Mesh import and export with assimp.

#include "mesh_io.h"

#include <assimp/Exporter.hpp>
#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <memory>

#include "file_util.h"
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
  if (ext == "off") return "off"; // written here: assimp reads OFF but has no writer
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

const aiScene* Import(Assimp::Importer& importer, const std::string& path, std::string& error) {
  if (const char* reason = RefusedFormatReason(Extension(path))) {
    error = "cannot read " + path + ": " + reason;
    return nullptr;
  }
  // Normals differ per face in STL files; without them identical positions
  // weld, so closed solids come back closed.
  importer.SetPropertyInteger(AI_CONFIG_PP_RVC_FLAGS,
                              aiComponent_NORMALS | aiComponent_TANGENTS_AND_BITANGENTS |
                                  aiComponent_COLORS | aiComponent_TEXCOORDS);
  importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE,
                              aiPrimitiveType_POINT | aiPrimitiveType_LINE);
  const aiScene* scene = importer.ReadFile(
      path, aiProcess_RemoveComponent | aiProcess_Triangulate | aiProcess_JoinIdenticalVertices |
                aiProcess_PreTransformVertices | aiProcess_SortByPType | aiProcess_FindInvalidData);
  if (!scene) {
    error = "cannot read " + path + ": " + importer.GetErrorString();
    return nullptr;
  }
  if (scene->mNumMeshes == 0) {
    error = path + " holds no mesh";
    return nullptr;
  }
  return scene;
}

ON_Mesh* Convert(const aiMesh& m) {
  auto mesh = std::make_unique<ON_Mesh>();
  for (unsigned i = 0; i < m.mNumVertices; ++i)
    mesh->AppendVertex(ON_3dPoint(m.mVertices[i].x, m.mVertices[i].y, m.mVertices[i].z));
  for (unsigned f = 0; f < m.mNumFaces; ++f) {
    const aiFace& face = m.mFaces[f];
    if (face.mNumIndices == 3)
      mesh->AppendTriangle(static_cast<int>(face.mIndices[0]), static_cast<int>(face.mIndices[1]),
                           static_cast<int>(face.mIndices[2]));
  }
  if (mesh->FaceCount() == 0) return nullptr;
  mesh->ComputeFaceNormals();
  return mesh.release();
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

bool WriteOff(const std::string& path, const std::vector<const ON_Mesh*>& meshes,
              std::string& error) {
  std::string vertices, faces;
  int v_count = 0, f_count = 0;
  char line[256];
  for (const ON_Mesh* m : meshes) {
    for (int i = 0; i < m->m_V.Count(); ++i) {
      std::snprintf(line, sizeof line, "%.9g %.9g %.9g\n", m->m_V[i].x, m->m_V[i].y, m->m_V[i].z);
      vertices += line;
    }
    for (int i = 0; i < m->m_F.Count(); ++i) {
      const ON_MeshFace& f = m->m_F[i];
      if (f.IsQuad())
        std::snprintf(line, sizeof line, "4 %d %d %d %d\n", f.vi[0] + v_count, f.vi[1] + v_count,
                      f.vi[2] + v_count, f.vi[3] + v_count);
      else
        std::snprintf(line, sizeof line, "3 %d %d %d\n", f.vi[0] + v_count, f.vi[1] + v_count,
                      f.vi[2] + v_count);
      faces += line;
      ++f_count;
    }
    v_count += m->m_V.Count();
  }
  std::string text =
      "OFF\n" + std::to_string(v_count) + " " + std::to_string(f_count) + " 0\n" + vertices + faces;
  if (kyrel::platform::WriteFileAtomically(path, text, error)) return true;
  error = "cannot write " + path + ": " + error;
  return false;
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
  Assimp::Importer importer;
  const aiScene* scene = Import(importer, path, error);
  if (!scene) return false;
  for (unsigned i = 0; i < scene->mNumMeshes; ++i) {
    if (ON_Mesh* m = Convert(*scene->mMeshes[i])) {
      meshes.push_back(m);
      names.push_back(kyrel::platform::Utf8ToWide(scene->mMeshes[i]->mName.C_Str()));
    }
  }
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
  const char* format = FormatFor(Extension(path));
  if (!format) {
    const char* reason = RefusedFormatReason(Extension(path));
    error = "cannot write " + path + ": " +
            (reason ? std::string(reason)
                    : "unknown mesh format (use .obj, .stl, .ply, .off, .gltf or .glb)");
    return false;
  }
  std::vector<const ON_Mesh*> usable;
  for (const ON_Mesh* m : meshes)
    if (m && m->FaceCount() > 0) usable.push_back(m);
  if (usable.empty()) {
    error = "cannot write " + path + ": there are no meshes to write";
    return false;
  }
  if (Extension(path) == "off") return WriteOff(path, usable, error);
  std::unique_ptr<aiScene> scene = SceneOf(usable, names);
  return ExportScene(*scene, format, path, error);
}

} // namespace kyrel::app
