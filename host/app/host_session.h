#pragma once
// The running host: its document and views, its plug-ins, and the order
// of start and end.
//
// Start: the application object, a document with one view
// ("Perspective"), the command line installed for the getters, the
// document's save operation, then the plug-ins. End: plug-in profiles
// saved and unload notifications, dock bars destroyed, views and documents
// closed, then the plug-in modules unloaded.

#include <memory>
#include <string>
#include <vector>

#include "command_line.h"

class CRhinoDoc;
class CRhinoView;

namespace kyrel::app {

struct SessionOptions {
  int view_width = 640;
  int view_height = 480;
  bool opengl = true;        // false: the recording engine (tests that draw nothing)
  std::string out_dir = "."; // relative output file names are written here
};

class HostSession {
public:
  static HostSession& Instance();

  void Start(const SessionOptions& options);
  void Stop();
  bool IsStarted() const { return started_; }

  CommandLine& Input() { return input_; }
  const SessionOptions& Options() const { return options_; }
  // The active document, made (with its view) when there is none.
  CRhinoDoc* EnsureDocument();
  // Puts `doc` in place of the active document: the views show it and the
  // old one is closed.
  void ReplaceDocument(CRhinoDoc* doc);
  // A path for a file the user named: relative names go to the output folder.
  std::string OutputPath(const std::wstring& name) const;
  // Loads a plug-in; false with a reason in `error`.
  bool LoadPlugIn(const std::string& path, std::string& error);

private:
  void MakeView(CRhinoDoc* doc);
  SessionOptions options_;
  CommandLine input_;
  bool started_ = false;
};

} // namespace kyrel::app
