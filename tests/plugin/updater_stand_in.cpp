// Stands in for the maker's updater in the tests that start it. It waits
// until the test lets it go (a file "<its own path>.go" appears; at most
// 20 seconds), so a test can tell whether its starter waited for it, then
// records what it was given in "<its own path>.received": a line
// "arguments=<count>" (its own name not counted), one line
// "argument=<text>" per argument, and "niceness=<value>".
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) return 2;
  const std::string base = self.string();
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!std::filesystem::exists(base + ".go") && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));

  errno = 0;
  const int niceness = getpriority(PRIO_PROCESS, 0);
  {
    std::ofstream out(base + ".received.tmp");
    out << "arguments=" << argc - 1 << "\n";
    for (int i = 1; i < argc; ++i)
      out << "argument=" << argv[i] << "\n";
    out << "niceness=" << niceness << "\n";
  }
  // Renamed into place, so the test never reads half a record.
  std::filesystem::rename(base + ".received.tmp", base + ".received", ec);
  return ec ? 1 : 0;
}
