// Small solids and surfaces built in code, and the measures the tests check
// results against.
#pragma once

#include "tri_mesh.h"

namespace meshtools::test {

// Outward-oriented box, 8 vertices, 12 triangles.
TriMesh MakeBox(double x0, double y0, double z0, double x1, double y1, double z1);
// The same box with every side its own two triangles and four vertices, as a
// brep's per-face render meshes come.
TriMesh MakeUnweldedBox(double x0, double y0, double z0, double x1, double y1, double z1);
// Outward-oriented UV sphere: `rings` latitude bands, `segments` longitudes.
TriMesh MakeSphere(double cx, double cy, double cz, double r, int rings, int segments);
// Open square grid in the plane z = `z`, n × n cells, two triangles each.
TriMesh MakeGrid(double x0, double y0, double x1, double y1, double z, int n);

void Append(TriMesh& to, const TriMesh& from);
void Translate(TriMesh& m, double dx, double dy, double dz);
void FlipAll(TriMesh& m);

double SignedVolume(const TriMesh& m);
double Area(const TriMesh& m);
// Every undirected edge (by vertex index) used exactly twice, once each way:
// closed, manifold along edges and consistently oriented.
bool IsClosedAndOriented(const TriMesh& m);
// Volume of the UV sphere polyhedron MakeSphere builds (its exact volume,
// smaller than the true sphere's).
double UvSphereVolume(double r, int rings, int segments);

} // namespace meshtools::test
