#pragma once
// Scenes for clash detection: boxes and spheres of a few hundred triangles
// on a jittered grid `side` cells wide and deep, 3 units apart, sized so
// that about one object in ten meets a neighbour, and now and then a small
// box inside the object before it. The same seed gives the same scene.

#include <random>
#include <vector>

#include "support/test_meshes.h"

namespace test_meshes {

inline std::vector<ON_Mesh> RandomScene(unsigned int seed, int count, int side = 7,
                                        double min_size = 0.9, double max_size = 1.55) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> jitter(-0.35, 0.35);
  std::uniform_real_distribution<double> size(min_size, max_size);
  std::vector<ON_Mesh> meshes;
  for (int k = 0; static_cast<int>(meshes.size()) < count; ++k) {
    const ON_3dPoint centre(3.0 * (k % side) + jitter(random),
                            3.0 * ((k / side) % side) + jitter(random),
                            3.0 * (k / (side * side)) + jitter(random));
    const double r = size(random);
    if (k % 2 == 0) {
      meshes.push_back(Sphere(centre, r, 12, 16));
    } else {
      const ON_3dVector half(r * 0.8, r * 0.75, r * 0.7);
      meshes.push_back(Box(centre - half, centre + half));
    }
    if (k % 23 == 5 && static_cast<int>(meshes.size()) < count) {
      const ON_3dVector small(0.2, 0.15, 0.1);
      meshes.push_back(Box(centre - small, centre + small));
    }
  }
  return meshes;
}

} // namespace test_meshes
