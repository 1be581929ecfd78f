// The host as the soak drives it: kyrel's own session with the plug-in
// loaded, views drawn by the recording engine, commands given as macros,
// exactly as a person or a script gives them to kyrel.
#pragma once

#include <string>

class CRhinoDoc;

namespace soak {

// Starts the host with `folder` for output files, the machine registry, the
// profile and the per-user folders, and loads Kyrel.rhp.
bool StartHost(const std::string& folder, std::string& error);
void StopHost();
// Runs one line of macros; false when a command failed or a token was
// wrong (which a random session does on purpose now and then).
bool RunMacro(const std::string& macro);
CRhinoDoc& ActiveDoc();
// Sends what the host prints to /dev/null (true) or back to the terminal.
void QuietHost(bool quiet);

} // namespace soak
