// kyrel: the headless host. Loads the plug-ins, opens a model, runs
// commands from scripts, -c options, standard input or a terminal.

#include <unistd.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "file_formats.h"
#include "host_session.h"
#include "interrupt_signal.h"
#include "rhinoSdk.h"
#include "terminal_progress.h"
#include "win_strings.h"
#ifdef KYREL_HAVE_WINDOW
#include "window_main.h"
#endif

namespace {

const char* kMacroHelp = R"(
Commands and macros:
  A macro is a line of tokens; commands read their answers from the tokens
  that follow them.
    Name or _Name   a command, option or option value (any case; "_" marks
                    the English name, as toolbar macros write it)
    !               cancels the running command
    _Enter          answers Enter;  _Pause  waits for the user (in a script:
                    an object prompt takes the current selection)
    3.5             a number;  1,2,3 or 1,2  a point
    "some file.kyd" a quoted string (file names, object names)
    "Box" "Ball"    at an object prompt: objects by name or id, one after
                    another; the next token (an _Enter too) answers the
                    command's next prompt
    Option=Value    chooses a list option's value in one token
  Example:
    kyrel model.kyd -c 'SelName "Cutter" kyClippingObject _Pause _Mode _Difference'
                    -c 'ViewCaptureToFile "cut.png"'
  Host commands: Open Import Save SaveAs Export SelAll SelNone SelName SelId
  SelPoint Hide Show Lock Unlock Delete Move Copy Undo Redo Box Sphere
  Cylinder PlaneSrf Block Insert ShadedViewport WireframeViewport
  GhostedViewport SetView Zoom ViewCaptureToFile List Panel PanelClick
  PanelDoubleClick PanelButton ShowPanel ClosePanel DockPanel Toolbar
  ToolbarButton Help Wait Exit (with --window also WindowCapture,
  WindowLayout, WindowPixel). Plug-ins add their own; Help lists them all.
  Without --script or -c, commands come from standard input (a terminal
  shows a "Command:" prompt). The exit status is 1 when a command failed or
  input was wrong, 2 when the model or a plug-in could not be loaded.
)";

std::string ExecutableFolder() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return ".";
  std::string path(buffer, static_cast<std::size_t>(n));
  return path.substr(0, path.find_last_of('/'));
}

// The demo model: two blocks with a ball over the first one's top, a post,
// an open sheet through the ball, and a crate placed twice as a block.
// Which of them cut what is left to the commands run on it.
void AddDemoScene(CRhinoDoc& doc) {
  // Each object in a colour of its own, none of them red: red is how
  // clash regions are drawn.
  auto named = [](const wchar_t* name, const ON_Color& color) {
    ON_3dmObjectAttributes a;
    a.m_name = name;
    a.m_color = color;
    a.SetColorSource(ON::color_from_object);
    return a;
  };
  auto add = [&](ON_Brep* brep, const wchar_t* name, const ON_Color& color) {
    std::unique_ptr<ON_Brep> owned(brep);
    ON_3dmObjectAttributes a = named(name, color);
    if (owned) doc.AddBrepObject(*owned, &a);
  };
  add(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(10, 10, 10)), L"Block A",
      ON_Color(70, 110, 190));
  add(ON_Brep::CreateBox(ON_3dPoint(8, 2, 2), ON_3dPoint(16, 8, 8)), L"Block B",
      ON_Color(40, 150, 120));
  add(ON_Brep::CreateSphere(ON_3dPoint(5, 5, 10), 4.5), L"Ball", ON_Color(150, 100, 200));
  add(ON_Brep::CreateCylinder(ON_Plane(ON_3dPoint(-8, 5, 0), ON_3dVector(0, 0, 1)), 3, 12, true),
      L"Post", ON_Color(190, 160, 60));
  const ON_3dPoint sheet_corner(-2, -3, 12);
  const ON_Plane sheet_plane(sheet_corner, sheet_corner + ON_3dVector(1, 0, 0),
                             sheet_corner + ON_3dVector(0, 1, 0));
  add(ON_Brep::CreatePlanarSurface(sheet_plane, 14, 16), L"Sheet", ON_Color(60, 160, 190));

  std::unique_ptr<ON_Brep> crate(ON_Brep::CreateBox(ON_3dPoint(0, 0, 0), ON_3dPoint(4, 4, 4)));
  if (!crate) return;
  ON_SimpleArray<CRhinoObject*> members;
  // The member takes the colour of each reference that places it, so the
  // crates show the colour the scene gives them rather than the layer's.
  ON_3dmObjectAttributes member_attributes;
  member_attributes.SetColorSource(ON::color_from_parent);
  auto* member = new CRhinoBrepObject(member_attributes);
  member->SetBrep(crate.release());
  members.Append(member);
  const int crate_index = doc.InstanceDefinitionTable().AddInstanceDefinition(L"Crate", members);
  if (crate_index < 0) return;
  for (double y : {0.0, 6.0}) {
    ON_3dmObjectAttributes a = named(L"Crate", ON_Color(150, 110, 70));
    doc.AddInstanceObject(crate_index, ON_Xform::TranslationTransformation(ON_3dVector(18, y, 0)),
                          &a);
  }
}

struct Arguments {
  std::string model, script, view_size = "640x480", out_dir = ".";
  std::vector<std::string> macros, plugins;
  bool no_default_plugins = false, demo = false, no_opengl = false, window = false;
};

void DefineOptions(CLI::App& cli, Arguments& args) {
  cli.footer(kMacroHelp);
  cli.add_option("MODEL", args.model,
                 "model file to open (.kyd, or a mesh file to import: .obj .stl .ply .off .gltf "
                 ".glb; 3MF is not supported)");
  cli.add_option("--script", args.script,
                 "file of macros, one or more per line ('#' starts a comment line)");
  cli.add_option("-c,--command", args.macros, "a macro to run (repeatable; after --script)");
  cli.add_option("--plugin", args.plugins, "plug-in module to load (repeatable)");
  cli.add_flag("--no-default-plugins", args.no_default_plugins,
               "do not load Kyrel.rhp from beside the executable");
  cli.add_option("--view-size", args.view_size, "size of the view in pixels, WxH")
      ->check([](const std::string& s) {
        int w = 0, h = 0;
        char x = 0, extra = 0;
        if (std::sscanf(s.c_str(), "%d%c%d%c", &w, &x, &h, &extra) != 3 || (x != 'x' && x != 'X') ||
            w < 16 || h < 16 || w > 8192 || h > 8192)
          return std::string("expected WxH with sizes from 16 to 8192");
        return std::string();
      });
  cli.add_option("--out", args.out_dir,
                 "folder for files named without a folder (captures, saves, exports)");
  cli.add_flag("--demo", args.demo, "start with a small demo model (when no MODEL is given)");
  cli.add_flag("--no-opengl", args.no_opengl, "draw views with the recording engine (no pictures)");
  cli.add_flag("--window", args.window,
               "open a desktop window with the view, the panels, the toolbars and the command "
               "line; --script and -c lines run in it one after another, and it stays open "
               "unless they end with Exit");
}

kyrel::app::SessionOptions SessionOptionsFrom(const Arguments& args) {
  kyrel::app::SessionOptions options;
  std::sscanf(args.view_size.c_str(), "%dx%d", &options.view_width, &options.view_height);
  if (args.view_size.find('X') != std::string::npos)
    std::sscanf(args.view_size.c_str(), "%dX%d", &options.view_width, &options.view_height);
  options.out_dir = args.out_dir;
  options.opengl = !args.no_opengl;
  return options;
}

// Returns 2 when a plug-in could not be loaded; every one is tried.
int LoadPlugIns(kyrel::app::HostSession& session, const Arguments& args) {
  int status = 0;
  std::vector<std::string> to_load;
  if (!args.no_default_plugins) {
    std::string path = ExecutableFolder() + "/Kyrel.rhp";
    if (access(path.c_str(), F_OK) == 0)
      to_load.push_back(path);
    else
      std::fprintf(stderr, "Note: %s is not there; running without the default plug-in.\n",
                   path.c_str());
  }
  for (const auto& p : args.plugins)
    to_load.push_back(p);
  for (const auto& p : to_load) {
    std::string error;
    if (!session.LoadPlugIn(p, error)) {
      std::fprintf(stderr, "Error: %s\n", error.c_str());
      status = 2;
    }
  }
  return status;
}

// The model named on the command line, or the demo scene; 2 when the model
// cannot be opened.
int OpenStartModel(kyrel::app::HostSession& session, const Arguments& args) {
  if (!args.model.empty()) {
    std::string error;
    if (!kyrel::app::OpenFile(args.model, error)) {
      std::fprintf(stderr, "Error: %s\n", error.c_str());
      return 2;
    }
  } else if (args.demo) {
    AddDemoScene(*session.EnsureDocument());
    if (CRhinoView* view = RhinoApp().ActiveView()) view->ZoomExtents();
  }
  return 0;
}

// Macros come from the script, then the -c options, then standard input
// when neither was given.
int RunCommands(kyrel::app::HostSession& session, const Arguments& args) {
  kyrel::app::CommandLine& input = session.Input();
  std::shared_ptr<std::ifstream> file;
  if (!args.script.empty()) {
    file = std::make_shared<std::ifstream>(args.script);
    if (!*file) {
      std::fprintf(stderr, "Error: cannot read the script %s\n", args.script.c_str());
      return 2;
    }
  }
  bool use_stdin = args.script.empty() && args.macros.empty();
  auto next_macro = std::make_shared<std::size_t>(0);
  input.SetLineSource([file, macros = args.macros, next_macro, use_stdin](std::wstring& line) {
    std::string text;
    while (file && std::getline(*file, text)) {
      auto first = text.find_first_not_of(" \t\r");
      if (first != std::string::npos && text[first] == '#') continue;
      line = kyrel::platform::Utf8ToWide(text);
      return true;
    }
    if (*next_macro < macros.size()) {
      line = kyrel::platform::Utf8ToWide(macros[(*next_macro)++]);
      return true;
    }
    if (use_stdin && !isatty(STDIN_FILENO) && std::getline(std::cin, text)) {
      line = kyrel::platform::Utf8ToWide(text);
      return true;
    }
    return false;
  });
  input.SetInteractive(use_stdin && isatty(STDIN_FILENO));
  return input.Run() ? 0 : 1;
}

// The window runs the script's lines and the -c macros one after another,
// as typed; a missing script ends the run before the window opens.
int RunInWindow(kyrel::app::HostSession& session, const Arguments& args) {
  std::vector<std::string> lines;
  if (!args.script.empty()) {
    std::ifstream file(args.script);
    if (!file) {
      std::fprintf(stderr, "Error: cannot read the script %s\n", args.script.c_str());
      return 2;
    }
    for (std::string text; std::getline(file, text);) {
      auto first = text.find_first_not_of(" \t\r");
      if (first == std::string::npos || text[first] == '#') continue;
      lines.push_back(text);
    }
  }
  lines.insert(lines.end(), args.macros.begin(), args.macros.end());
#ifdef KYREL_HAVE_WINDOW
  const auto& options = session.Options();
  return kyrel::window::RunInWindow(session, lines, std::max(options.view_width + 300, 1100),
                                    std::max(options.view_height + 250, 760), [&] {
                                      int status = LoadPlugIns(session, args);
                                      if (status == 0) status = OpenStartModel(session, args);
                                      return status;
                                    });
#else
  (void)session;
  std::fprintf(stderr, "Error: this kyrel was built without its desktop window.\n");
  return 2;
#endif
}

} // namespace

int main(int argc, char** argv) {
  CLI::App cli{"kyrel: a headless modelling host that runs commands and macros on models"};
  Arguments args;
  DefineOptions(cli, args);
  CLI11_PARSE(cli, argc, argv);

  // Scripts name their pictures without a folder; a missing --out folder is
  // made rather than failing every capture one by one.
  std::error_code made;
  std::filesystem::create_directories(args.out_dir, made);
  if (made) {
    std::fprintf(stderr, "Error: cannot make the output folder %s: %s\n", args.out_dir.c_str(),
                 made.message().c_str());
    return 2;
  }

  auto& session = kyrel::app::HostSession::Instance();
  session.Start(SessionOptionsFrom(args));
  kyrel::app::InstallInterruptHandler();
  kyrel::app::ShowLongFramesOnTerminal();
  int status = 0;
  if (args.window) {
    status = RunInWindow(session, args);
  } else {
    status = LoadPlugIns(session, args);
    if (status == 0) status = OpenStartModel(session, args);
    if (status == 0) status = RunCommands(session, args);
  }
  session.Stop();
  return status;
}
