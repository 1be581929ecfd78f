// Cuts the parts of many builds on the drawing thread and helper threads
// together. Parts are handed out one at a time in build order, so a thread
// that drew a boolean does not hold up the others with a queue of its own.

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "section_builder.h"

namespace {

// More threads than this only wait for memory on the machines in view.
constexpr unsigned int kMaxThreads = 8;

} // namespace

void ClipSectionBuilds(const std::vector<SectionBuild*>& builds, unsigned int threads) {
  struct Work {
    SectionBuild* build;
    int part;
  };
  std::vector<Work> work;
  for (SectionBuild* build : builds)
    if (build != nullptr)
      for (int k = 0; k < build->PartCount(); ++k)
        work.push_back({build, k});

  std::atomic<size_t> next{0};
  auto run = [&]() {
    for (size_t i = next++; i < work.size(); i = next++) {
      try {
        work[i].build->ClipPart(work[i].part);
      } catch (...) {
        // Left uncomputed and empty, as when a step of a build fails.
      }
    }
  };

  threads = std::min({threads, kMaxThreads, static_cast<unsigned int>(work.size())});
  std::vector<std::thread> helpers;
  for (unsigned int t = 1; t < threads; ++t) {
    try {
      helpers.emplace_back(run);
    } catch (...) {
      break; // no thread to be had: the drawing thread does the rest
    }
  }
  run();
  for (std::thread& helper : helpers)
    helper.join();
}
