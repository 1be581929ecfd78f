// The toolbar files the plug-in writes into the user's profile when the
// installation changed: only ever a complete copy replaces the old file.
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "plugin_fixture.h"

namespace {

class ToolbarFiles : public PlugInTest {
protected:
  std::string UiFolder() const { return dir + "/data/McNeel/Rhinoceros/5.0/UI"; }
  std::string Collection() const { return UiFolder() + "/Kyrel.rui"; }
  // A profile load that finds a product code other than the installation's.
  static void LoadProfileOfAnotherInstallation(CRhinoPlugIn& plugin) {
    MemoryProfile profile;
    profile.Set(L"S", L"ProductCode", L"{OLD}");
    plugin.LoadProfile(L"S", profile);
  }
};

// Makes every write past `bytes` into a file fail, as a full disk would.
class FileSizeLimit {
public:
  explicit FileSizeLimit(rlim_t bytes) {
    previous_signal_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limited = previous_;
    limited.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limited);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previous_signal_);
  }

private:
  rlimit previous_{};
  void (*previous_signal_)(int) = SIG_DFL;
};

TEST_F(ToolbarFiles, AFailedWriteKeepsTheOldCollectionAndLeavesNothingBehind) {
  WriteProductCode("{3B2C1D0E-AAAA-4BBB-8CCC-0123456789AB}");
  CRhinoPlugIn* plugin = StartWithPlugIn(); // first use: the collection is written
  ASSERT_NE(plugin, nullptr);
  const std::string embedded = ReadFile(KYREL_TOOLBAR_COLLECTION);
  ASSERT_EQ(ReadFile(Collection()), embedded);

  std::ofstream(Collection(), std::ios::trunc) << "the collection the user has";
  {
    FileSizeLimit limit(4096); // far less than the collection needs
    LoadProfileOfAnotherInstallation(*plugin);
  }
  EXPECT_EQ(ReadFile(Collection()), "the collection the user has");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(UiFolder()), {}), 1);

  // With room again, the next change replaces it whole.
  LoadProfileOfAnotherInstallation(*plugin);
  EXPECT_EQ(ReadFile(Collection()), embedded);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(UiFolder()), {}), 1);
}

} // namespace
