#pragma once
// Files by extension: .kyd is the native model, mesh extensions are read
// and written as mesh_io.h says.

#include <string>
#include <vector>

class CRhinoDoc;

namespace kyrel::app {

bool IsModelFile(const std::string& path);
// Replaces the active document with the file's contents; on failure the
// active document stays as it was.
bool OpenFile(const std::string& path, std::string& error);
// Adds the file's objects to doc (a model file's tables too). `notes` (may
// be null) gets what the user should know, such as blocks renamed because
// doc already has blocks of their names. On failure doc is unchanged.
bool ImportFile(const std::string& path, CRhinoDoc& doc, std::string& error, int* added = nullptr,
                std::vector<std::string>* notes = nullptr);
// Writes doc (selected objects only when asked) in the extension's format;
// meshes formats get the objects' render meshes.
bool WriteDocumentFile(const std::string& path, CRhinoDoc& doc, bool selected_only,
                       std::string& error);
// The document's save operation: asks for a file name when none is given,
// writes with the application's file-write options.
bool SaveDocumentInteractively(CRhinoDoc& doc, const wchar_t* file_name, bool bUseDialog);

} // namespace kyrel::app
