// Inputs of the meshtools benchmarks, built in code.
#pragma once

#include "opennurbs_mesh.h"

namespace bench {

// UV sphere of about 4·rings² triangles (segments = 2·rings), as triangles.
ON_Mesh Sphere(double cx, double cy, double cz, double r, int rings);
// Open wavy sheet over [-2,2]², n × n cells of two triangles.
ON_Mesh WavySheet(int n);

} // namespace bench
