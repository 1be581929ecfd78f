// ON_Mesh solids and surfaces for the tests of the public tools, and the
// measures their results are checked against.
#pragma once

#include "opennurbs_mesh.h"

namespace meshtools::test {

// Box made of six quads, outward, welded (8 vertices).
ON_Mesh OnBox(double x0, double y0, double z0, double x1, double y1, double z1);
// Box as a brep's render mesh comes: each side a quad with its own four
// vertices and vertex normals.
ON_Mesh OnUnweldedBox(double x0, double y0, double z0, double x1, double y1, double z1);
// UV sphere with quads between the polar fans.
ON_Mesh OnSphere(double cx, double cy, double cz, double r, int rings, int segments);
// Open quad grid in the plane z = `z`.
ON_Mesh OnGrid(double x0, double y0, double x1, double y1, double z, int n);

double Volume(const ON_Mesh& m); // quads split along 0-2
double Area(const ON_Mesh& m);
// Every undirected edge used exactly twice, once each way, by index.
bool ClosedAndOriented(const ON_Mesh& m);
// Face normals present, one per face, of unit length for non-degenerate faces.
bool HasUnitFaceNormals(const ON_Mesh& m);

} // namespace meshtools::test
