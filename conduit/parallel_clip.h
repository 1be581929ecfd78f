#pragma once
// Cutting the parts of many section builds on several threads while the
// builds are still being gathered.

#include <memory>

class SectionBuild;

// The parts of every build handed in are cut by helper threads, started
// as soon as more than one part waits, and by the calling thread too once
// Finish is called; Finish returns when every part is cut and the helpers have
// ended. Builds are gathered on the calling thread (they read document
// objects) and must outlive the cutter.
class ParallelPartCutter {
public:
  // Up to threads - 1 helpers; none when no thread can be had.
  explicit ParallelPartCutter(unsigned int threads);
  // Finishes if Finish was not called.
  ~ParallelPartCutter();
  ParallelPartCutter(const ParallelPartCutter&) = delete;
  ParallelPartCutter& operator=(const ParallelPartCutter&) = delete;

  void Add(SectionBuild& build);
  void Finish();

private:
  struct Queue;
  std::unique_ptr<Queue> m_queue;
};
