#pragma once
// Mesh files: OFF, OBJ, STL and PLY through CGAL's readers and writers,
// faces counted against what the file declares; glTF (.gltf, .glb) and
// whatever else assimp reads through assimp in a child process with a time
// and memory limit, except 3MF (refused with a reason). Files that are not
// regular files or are larger than 1 GB are refused before any reader sees
// them. The only translation unit that sees assimp.

#include <string>
#include <vector>

#include "opennurbs.h"

namespace kyrel::app {

// Every mesh of the file, node transforms applied, in one mesh; vertices
// that share a position are welded. Quads stay quads; larger polygons are
// split into triangles. False with a reason when the file
// cannot be read or holds no faces.
bool ReadMeshFile(const std::string& path, ON_Mesh& mesh, std::string& error);
// Each mesh of the file as its own mesh (caller owns them): OBJ's named
// objects (or groups) each, one for the other formats CGAL reads.
bool ReadMeshFileParts(const std::string& path, std::vector<ON_Mesh*>& meshes,
                       std::vector<std::wstring>& names, std::string& error);
// Writes the meshes in the format the extension names. The files are made
// in a temporary folder beside the target and renamed into place, so a
// failed export leaves existing files alone.
bool WriteMeshFile(const std::string& path, const std::vector<const ON_Mesh*>& meshes,
                   const std::vector<std::wstring>& names, std::string& error);
// Whether the extension names a mesh format this host writes.
bool IsWritableMeshFormat(const std::string& path);
// Why this host turns the extension's format away (3MF), or empty when it
// does not. Reading and writing such a file fail with this reason.
std::string RefusedMeshFormatReason(const std::string& path);

} // namespace kyrel::app
