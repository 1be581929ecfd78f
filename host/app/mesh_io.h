#pragma once
// Mesh files through assimp: OBJ, STL, PLY, OFF, glTF (.gltf, .glb)
// and whatever else assimp reads, except 3MF (refused with a reason). The only translation unit
// that sees assimp.

#include <string>
#include <vector>

#include "opennurbs.h"

namespace kyrel::app {

// Every mesh of the file, node transforms applied, in one mesh; vertices
// that share a position are welded. False with a reason when the file
// cannot be read or holds no faces.
bool ReadMeshFile(const std::string& path, ON_Mesh& mesh, std::string& error);
// Each mesh of the file as its own mesh (caller owns them).
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
