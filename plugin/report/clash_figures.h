#pragma once
// How bad one clash is: its kind, the size of its region, where it is and
// how deep one object reaches into the other.

#include "clash_report_data.h"
#include "report_candidates.h"

// Fills the kind, size, box, centre and penetration depth of `clash` from
// the two candidates (A first, as the pair lists them) and the region the
// computation recorded.
//
// Kind: two closed objects whose region fills both of them are the same
// solid twice (duplicate). Otherwise the computation records a copy of the
// inner mesh for containment, so a region equal to either candidate's mesh
// is containment; else the region came from the boolean (both closed) or
// the split (one open).
//
// Penetration depth: every point of the region's surface lies on the
// surface of A or of B (or, for a split, on the open object), so at such a
// point the larger of its two surface distances is how far it lies inside
// the other object. The depth is the largest of these over points of the
// region: its vertices, a barycentric grid on each of its faces, and a
// climb from the deepest grid points, with exact point-triangle distances.
// That is a lower bound of the deepest reach, exact at a corner (two
// overlapping boxes) and, to the climb's last step, inside a face (the
// middle of a sheet through a box). The thinnest extent of the region is
// not used: a sliver can be thin and deep.
void MeasureClash(const ReportCandidate& a, const ReportCandidate& b, const ON_Mesh& region,
                  ReportClash& clash);

// MeasureClash without the penetration depth: the figures of the region.
void MeasureClashRegion(const ReportCandidate& a, const ReportCandidate& b, const ON_Mesh& region,
                        ReportClash& clash);
// The penetration depth alone, as MeasureClash finds it. It only reads the
// candidates' distance trees, which must be built (Surface()) before
// several threads call it at once. `prune` skips the
// faces that cannot reach the deepest point (same result, less work);
// without it every face's grid is taken, as a reference.
double PenetrationDepth(const ReportCandidate& a, const ReportCandidate& b, const ON_Mesh& region,
                        bool prune = true);
