#pragma once
// How many times a closed mesh's surface winds around a point: 1 inside a
// closed shell, 0 outside, 2 where two shells overlap, -1 inside a shell
// turned inside out, about 1/2 on the surface. Unlike the parity of ray
// crossings, it counts a point inside two overlapping shells as inside.

#include "opennurbs.h"

// The sum of the solid angles the mesh's faces (quads as two triangles)
// span seen from P, over 4 pi. Only reads the mesh.
double WindingNumber(const ON_Mesh& mesh, const ON_3dPoint& P);
