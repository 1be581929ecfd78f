#pragma once
// The native model file (.kyd): JSON with layers, materials, instance
// definitions and objects (meshes inline or by file, breps, boxes,
// spheres, cylinders, planar surfaces, polylines, instance references,
// clipping planes) with their names, ids and attributes. User data is
// written only when its class archives itself, as the class's own bytes
// (base64) under its class id; other user data stays out of the file.
//
// Reading never changes the document unless the whole file was read:
// objects are made first and added only when everything parsed. Writing
// goes to a temporary file that is renamed into place.

#include <string>
#include <vector>

class CRhinoDoc;

namespace kyrel::app {

struct ModelWriteOptions {
  bool selected_only = false;
  bool user_data = true;
};

bool WriteModelFile(const std::string& path, const CRhinoDoc& doc, const ModelWriteOptions& options,
                    std::string& error);
// Adds the file's layers, materials, definitions and objects to `doc`.
// `objects_added` (may be null) gets the number of objects added. A block
// whose name `doc` already uses is added as "Name (2)" (the first free
// number) and one whose id it uses gets a new id; the file's references
// follow. `notes` (may be null) gets a line for each block renamed.
bool ReadModelFile(const std::string& path, CRhinoDoc& doc, std::string& error,
                   int* objects_added = nullptr, std::vector<std::string>* notes = nullptr);

} // namespace kyrel::app
