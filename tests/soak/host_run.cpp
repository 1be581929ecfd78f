#include "host_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "host_session.h"
#include "rhinoSdk.h"
#include "win_strings.h"

namespace soak {

bool StartHost(const std::string& folder, std::string& error) {
  setenv("KYREL_REGISTRY", (folder + "/registry.json").c_str(), 1);
  setenv("KYREL_PROFILE", (folder + "/profile.json").c_str(), 1);
  setenv("KYREL_PROGRAM_FILES", (folder + "/programs").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder + "/data").c_str(), 1);
  unsetenv("KYREL_OPEN_COMMAND");
  kyrel::app::SessionOptions options;
  options.opengl = false;
  options.out_dir = folder;
  auto& session = kyrel::app::HostSession::Instance();
  session.Start(options);
  // A long run may take its modules from a copy, so that rebuilding the
  // tree meanwhile cannot pull them from under it.
  const char* plugin = std::getenv("KYREL_SOAK_PLUGIN");
  return session.LoadPlugIn(plugin != nullptr ? plugin : KYREL_PLUGIN_MODULE, error);
}

void StopHost() {
  kyrel::app::HostSession::Instance().Stop();
}

bool RunMacro(const std::string& macro) {
  auto& input = kyrel::app::HostSession::Instance().Input();
  const int errors = input.ErrorCount(), failed = input.FailedCommands();
  input.PushMacro(kyrel::platform::Utf8ToWide(macro));
  input.Run();
  return input.ErrorCount() == errors && input.FailedCommands() == failed;
}

CRhinoDoc& ActiveDoc() {
  return *kyrel::app::HostSession::Instance().EnsureDocument();
}

void QuietHost(bool quiet) {
  static int saved = -1;
  std::fflush(stdout);
  if (quiet && saved < 0) {
    saved = dup(1);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    close(null);
  } else if (!quiet && saved >= 0) {
    dup2(saved, 1);
    close(saved);
    saved = -1;
  }
}

} // namespace soak
