#pragma once
// A fresh folder under /tmp for one test, removed afterwards.
#include <cstdlib>
#include <filesystem>
#include <string>

struct TempDir {
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kyrel-test-XXXXXX").string();
    path = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
  }
  std::string path;
};

// Sets an environment variable for the scope and restores it.
struct ScopedEnv {
  ScopedEnv(const char* n, const std::string& value) : name(n) {
    if (const char* old = std::getenv(n)) {
      had = true;
      previous = old;
    }
    setenv(n, value.c_str(), 1);
  }
  ~ScopedEnv() {
    if (had)
      setenv(name, previous.c_str(), 1);
    else
      unsetenv(name);
  }
  const char* name;
  bool had = false;
  std::string previous;
};
