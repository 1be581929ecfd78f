// kyrel leaving while its clash worker is inside a boolean: the worker must
// end before any module is unloaded. Joined later, from a static destructor
// under the unload, it can wait for the dynamic loader's lock that the
// unloading thread holds (the worker takes it to register a thread-local
// destructor), and kyrel never ends. The hang showed in about a third of
// the runs on a loaded machine, so the runs here share the cores with two
// busy threads.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Two threads that spin until the object goes: the cores stay busy, so the
// worker and the exiting main thread interleave as on a loaded machine.
class BusyCores {
public:
  BusyCores() {
    for (int i = 0; i < 2; ++i)
      threads_.emplace_back([this] {
        volatile unsigned long spin = 0;
        while (!stop_.load(std::memory_order_relaxed))
          spin = spin + 1;
      });
  }
  ~BusyCores() {
    stop_.store(true);
    for (std::thread& t : threads_)
      t.join();
  }
  BusyCores(const BusyCores&) = delete;
  BusyCores& operator=(const BusyCores&) = delete;

private:
  std::atomic<bool> stop_{false};
  std::vector<std::thread> threads_;
};

// Runs `args` with its output thrown away; the exit status, or -1 when the
// process had not ended by the deadline (it is then killed).
int RunWithin(std::vector<std::string> args, std::chrono::seconds limit) {
  std::vector<char*> argv;
  for (std::string& a : args)
    argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return -2;
  const auto deadline = Clock::now() + limit;
  for (;;) {
    int status = 0;
    const pid_t r = waitpid(pid, &status, WNOHANG);
    if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -3;
    if (r < 0) return -2;
    if (Clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      return -1;
    }
    poll(nullptr, 0, 5);
  }
}

TEST(KyrelExit, EndsEveryTimeWhenItLeavesDuringAClashComputation) {
  const std::string dir =
      (std::filesystem::temp_directory_path() / ("kyrel-exit-" + std::to_string(getpid())))
          .string();
  std::filesystem::create_directories(dir);
  // Profile, registry and user folders of the runs stay in the folder, so
  // no installation and no updater is found.
  setenv("KYREL_REGISTRY", (dir + "/registry.json").c_str(), 1);
  setenv("KYREL_PROFILE", (dir + "/profile.json").c_str(), 1);
  setenv("KYREL_PROGRAM_FILES", (dir + "/programs").c_str(), 1);
  setenv("XDG_DATA_HOME", (dir + "/data").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);

  BusyCores busy;
  for (int run = 0; run < 50; ++run) {
    // A run takes well under a second; one that has not ended in 20 hangs.
    const int status = RunWithin(
        {KYREL_EXE, "--no-opengl", "--demo", "--out", dir, "-c", "kyInterfere", "-c", "Exit"},
        std::chrono::seconds(20));
    ASSERT_NE(status, -1) << "kyrel hung at exit in run " << run + 1;
    ASSERT_EQ(status, 0) << "run " << run + 1;
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

} // namespace
