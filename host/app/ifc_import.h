#pragma once
// Building models (.ifc, IFC2X3, IFC4, IFC4X3) read through the IFC worker.
//
// One mesh object per building element with geometry (IfcElement and its
// subclasses; openings never): in the world frame, Z up, in metres, in the
// element's surface colour. Each object keeps what a BIM user looks
// elements up by as user strings: "GlobalId", "IfcClass", "Storey" and
// "SourceFile" (the file's name). Objects go on one layer per file and
// class, "FILE::CLASS", so a discipline or a class can be hidden, locked
// or chosen as a clash set as a whole; spaces go on "FILE::IfcSpace",
// hidden. Everything is built off to the side: a refused file leaves the
// document exactly as it was.

#include <string>
#include <vector>

class CRhinoDoc;

namespace kyrel::app {

// The user-string keys of an imported element.
extern const wchar_t* const kIfcGlobalIdKey;
extern const wchar_t* const kIfcClassKey;
extern const wchar_t* const kIfcStoreyKey;
extern const wchar_t* const kIfcSourceFileKey;

bool IsIfcFile(const std::string& path);

// Adds the file's elements to `doc`. `notes` (may be null) gets what the
// user should know: how many elements could not be read and their
// GlobalIds (the others are loaded), the hidden space layer. False with a
// reason, and `doc` unchanged, when the file cannot be read or holds no
// element with geometry.
bool ReadIfcFile(const std::string& path, CRhinoDoc& doc, std::string& error, int* added = nullptr,
                 std::vector<std::string>* notes = nullptr);

} // namespace kyrel::app
