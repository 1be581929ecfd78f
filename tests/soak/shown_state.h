// What a running session shows, written down as text so that two sessions
// (the long one and a fresh start on the same model) can be compared line
// by line, and what the model holds, for the undo history.
#pragma once

#include <string>

class CRhinoDoc;

namespace soak {

// One line per object of the active document that is not hidden, in the
// document's order: its id and what its view draws, after a frame was
// drawn. Cutting objects are marked as such; objects drawn as they are,
// with no cut active, are "plain"; cut objects list their section cache
// entries (clip state and, per remaining mesh, closed or open, volume,
// area and outline length). An object whose cache was not built while cuts
// are active says so.
std::string DescribeCuts(CRhinoDoc& doc);

// The clash listing when detection is on: the engine's pairs in order and
// the panel's rows. Empty when detection is off.
std::string DescribeClashes();

// The model as a file would hold it, with each object's cutting mode, which
// files do not keep: what undo and redo must restore exactly. `scratch` is
// a file path the model may be written to.
std::string ModelState(const CRhinoDoc& doc, const std::string& scratch);

// Compares two descriptions: words must agree, numbers within 1e-9
// relative. False with the first difference in `why`.
bool SameDescription(const std::string& live, const std::string& fresh, std::string& why);

// Whether detection is on, no computation is running and every message
// about one has been handled.
bool ClashesIdle();

} // namespace soak
