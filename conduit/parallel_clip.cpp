// Parts go out one at a time in the order they came in, so a thread that
// drew a slow boolean does not hold up the others with a queue of its own,
// and cutting starts while the drawing thread still gathers the next
// builds. A helper is started only once a part waits that the drawing
// thread will not reach at once: after an edit most frames have one build
// or none (the others take back kept results), and starting and joining a
// thread for it costs more than the cut on a busy machine.

#include "conduit/parallel_clip.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "section/section_builder.h"

namespace {

// More threads than this only wait for memory on the machines in view.
constexpr unsigned int kMaxThreads = 8;

struct Work {
  SectionBuild* build;
  int part;
};

} // namespace

struct ParallelPartCutter::Queue {
  std::mutex mutex;
  std::condition_variable wake;
  std::deque<Work> work;
  bool closed = false;
  std::vector<std::thread> helpers;
  unsigned int max_helpers = 0;

  // False once the queue is closed and empty.
  bool Next(Work& next) {
    std::unique_lock<std::mutex> lock(mutex);
    wake.wait(lock, [this] { return closed || !work.empty(); });
    if (work.empty()) return false;
    next = work.front();
    work.pop_front();
    return true;
  }

  void Run() {
    Work next{};
    while (Next(next)) {
      try {
        next.build->ClipPart(next.part);
      } catch (...) {
        // The part's entry stays empty and uncomputed, as when its cut fails.
      }
    }
  }
};

ParallelPartCutter::ParallelPartCutter(unsigned int threads) : m_queue(std::make_unique<Queue>()) {
  threads = std::min(threads, kMaxThreads);
  try {
    // Room for every helper, so starting one never fails after the thread runs.
    m_queue->helpers.reserve(threads > 0 ? threads - 1 : 0);
    m_queue->max_helpers = threads > 0 ? threads - 1 : 0;
  } catch (...) {
    m_queue->max_helpers = 0; // the calling thread does it all
  }
}

ParallelPartCutter::~ParallelPartCutter() {
  Finish();
}

void ParallelPartCutter::Add(SectionBuild& build) {
  if (build.PartCount() == 0) return;
  bool bMoreHelp = false;
  {
    std::lock_guard<std::mutex> lock(m_queue->mutex);
    for (int k = 0; k < build.PartCount(); ++k)
      m_queue->work.push_back({&build, k});
    // Only this thread adds helpers, so the count read here stays true.
    bMoreHelp = m_queue->work.size() >= 2 && m_queue->helpers.size() < m_queue->max_helpers;
  }
  if (bMoreHelp) {
    std::lock_guard<std::mutex> lock(m_queue->mutex);
    try {
      m_queue->helpers.emplace_back([queue = m_queue.get()] { queue->Run(); });
    } catch (...) {
      m_queue->max_helpers = 0; // no thread to be had: the calling thread does the rest
    }
  }
  m_queue->wake.notify_all();
}

void ParallelPartCutter::Finish() {
  {
    std::lock_guard<std::mutex> lock(m_queue->mutex);
    if (m_queue->closed && m_queue->helpers.empty()) return;
    m_queue->closed = true;
  }
  m_queue->wake.notify_all();
  m_queue->Run();
  for (std::thread& helper : m_queue->helpers)
    helper.join();
  m_queue->helpers.clear();
}
