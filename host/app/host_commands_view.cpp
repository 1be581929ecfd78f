// ShadedViewport, WireframeViewport, GhostedViewport, SetView, Zoom,
// ViewCaptureToFile.

#include "host_commands.h"
#include "host_session.h"
#include "win_strings.h"

#include <cmath>

namespace kyrel::app {

namespace {

CRhinoCommand::result SetMode(const CDisplayPipelineAttributes* attrs, const wchar_t* name) {
  CRhinoView* view = ActiveView();
  if (!view || !attrs) {
    Complain(L"There is no view.");
    return CRhinoCommand::failure;
  }
  view->SetDisplayMode(*attrs);
  view->Redraw();
  Say(std::wstring(view->Name().Array()) + L" view: " + name + L".");
  return CRhinoCommand::success;
}

CRhinoCommand::result ShadedViewportCommand(const CRhinoCommandContext&) {
  return SetMode(CRhinoDisplayAttrsMgr::StdShadedAttrs(), L"shaded");
}

CRhinoCommand::result WireframeViewportCommand(const CRhinoCommandContext&) {
  return SetMode(CRhinoDisplayAttrsMgr::StdWireframeAttrs(), L"wireframe");
}

CRhinoCommand::result GhostedViewportCommand(const CRhinoCommandContext&) {
  return SetMode(CRhinoDisplayAttrsMgr::StdGhostedAttrs(), L"ghosted");
}

CRhinoCommand::result SetViewCommand(const CRhinoCommandContext&) {
  static const CRhinoCommandOptionValue names[] = {L"Top",  L"Bottom", L"Front",      L"Back",
                                                   L"Left", L"Right",  L"Perspective"};
  CRhinoGetOption go;
  go.SetCommandPrompt(L"View to set");
  go.AddCommandOptionList(L"View", 7, names, 6);
  // Any direction, for pictures that must look at a thing from its best side.
  const int direction_option = go.AddCommandOption(L"Direction");
  if (go.GetOption() != CRhinoGet::option || !go.Option()) return go.CommandResult();
  CRhinoView* view = ActiveView();
  if (!view) return CRhinoCommand::failure;
  static const double dirs[7][3] = {{0, 0, -1}, {0, 0, 1},  {0, 1, 0}, {0, -1, 0},
                                    {1, 0, 0},  {-1, 0, 0}, {1, 1, -1}};
  static const double ups[7][3] = {{0, 1, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 1},
                                   {0, 0, 1}, {0, 0, 1}, {0, 0, 1}};
  ON_3dVector dir, up;
  if (go.Option()->m_option_index == direction_option) {
    auto d = AskPoint(L"Camera direction (x,y,z)");
    if (!d) return CRhinoCommand::cancel;
    dir = ON_3dVector(d->x, d->y, d->z);
    if (!dir.Unitize()) {
      Complain(L"The camera direction must not be zero.");
      return CRhinoCommand::failure;
    }
    // Up is world z, unless the camera looks along z.
    up = std::fabs(dir.z) > 0.999 ? ON_3dVector(0, 1, 0) : ON_3dVector(0, 0, 1);
  } else {
    int i = go.Option()->m_list_option_current;
    if (i < 0 || i > 6) return CRhinoCommand::failure;
    dir = ON_3dVector(dirs[i][0], dirs[i][1], dirs[i][2]);
    up = ON_3dVector(ups[i][0], ups[i][1], ups[i][2]);
  }
  ON_Viewport vp = view->Viewport().VP();
  vp.SetCameraDirection(dir);
  vp.SetCameraUp(up);
  view->Viewport().SetVP(vp, true);
  view->ZoomExtents();
  view->Redraw();
  return CRhinoCommand::success;
}

CRhinoCommand::result ZoomCommand(const CRhinoCommandContext& c) {
  static const CRhinoCommandOptionValue modes[] = {L"Extents", L"Selected", L"Box"};
  CRhinoGetOption go;
  go.SetCommandPrompt(L"Zoom");
  go.AddCommandOptionList(L"Mode", 3, modes, 0);
  go.AcceptNothing(true);
  CRhinoGet::result r = go.GetOption();
  if (r != CRhinoGet::option && r != CRhinoGet::nothing) return go.CommandResult();
  CRhinoView* view = ActiveView();
  if (!view) return CRhinoCommand::failure;
  const int mode = r == CRhinoGet::option && go.Option() ? go.Option()->m_list_option_current : 0;
  if (mode == 2) {
    // Two corners: room for what is drawn but is no object, such as a
    // mirror image.
    auto a = AskPoint(L"First corner of the box");
    if (!a) return CRhinoCommand::cancel;
    auto b = AskPoint(L"Opposite corner");
    if (!b) return CRhinoCommand::cancel;
    ON_BoundingBox box;
    box.Set(*a, false);
    box.Set(*b, true);
    view->Viewport().ZoomExtents(box);
  } else if (mode == 0) {
    view->ZoomExtents();
  } else {
    ON_BoundingBox box;
    for (const CRhinoObject* o : c.m_doc.ObjectList())
      if (o && !o->IsDeleted() && o->IsSelected()) box.Union(o->BoundingBox());
    if (!box.IsValid()) {
      Say(L"Nothing is selected.");
      return CRhinoCommand::nothing;
    }
    view->Viewport().ZoomExtents(box);
  }
  view->Redraw();
  return CRhinoCommand::success;
}

// A size people look at pictures in today, whatever the window's size.
constexpr double kCaptureWidth = 1600, kCaptureHeight = 1200;
// 3 x 3 samples a pixel: edges get nine shades between the colours they
// separate, for about three times the time of a plain capture.
constexpr int kCaptureSupersampling = 3;

CRhinoCommand::result ViewCaptureToFileCommand(const CRhinoCommandContext&) {
  double width = kCaptureWidth, height = kCaptureHeight;
  bool smooth = true;
  CRhinoGetString gs;
  gs.SetCommandPrompt(L"PNG file name");
  gs.AddCommandOptionNumber(L"Width", &width);
  gs.AddCommandOptionNumber(L"Height", &height);
  gs.AddCommandOptionToggle(L"Smooth", L"No", L"Yes", smooth, &smooth);
  CRhinoGet::result got = gs.GetString();
  while (got == CRhinoGet::option)
    got = gs.GetString();
  if (got != CRhinoGet::string) return CRhinoCommand::cancel;
  CRhinoView* view = ActiveView();
  if (!view) {
    Complain(L"There is no view to capture.");
    return CRhinoCommand::failure;
  }
  if (!(width >= 1 && width <= 8192 && height >= 1 && height <= 8192) ||
      width != std::floor(width) || height != std::floor(height)) {
    Complain(L"The picture size must be whole numbers of pixels from 1 to 8192.");
    return CRhinoCommand::failure;
  }
  std::string path = HostSession::Instance().OutputPath(gs.String());
  std::string error;
  view->Engine().SetSupersampling(smooth ? kCaptureSupersampling : 1);
  const bool captured =
      view->CaptureToPng(path, error, static_cast<int>(width), static_cast<int>(height));
  // Only captures pay for smoothing; the frames picks and probes read stay plain.
  view->Engine().SetSupersampling(1);
  if (!captured) {
    Complain(L"Cannot capture the view to " + kyrel::platform::Utf8ToWide(path) + L": " +
             kyrel::platform::Utf8ToWide(error));
    return CRhinoCommand::failure;
  }
  Say(L"Captured " + kyrel::platform::Utf8ToWide(path));
  return CRhinoCommand::success;
}

} // namespace

void AddViewCommands(std::vector<std::unique_ptr<HostCommand>>& out) {
  out.push_back(std::make_unique<HostCommand>(L"ShadedViewport", false, ShadedViewportCommand));
  out.push_back(
      std::make_unique<HostCommand>(L"WireframeViewport", false, WireframeViewportCommand));
  out.push_back(std::make_unique<HostCommand>(L"GhostedViewport", false, GhostedViewportCommand));
  out.push_back(std::make_unique<HostCommand>(L"SetView", false, SetViewCommand));
  out.push_back(std::make_unique<HostCommand>(L"Zoom", false, ZoomCommand));
  out.push_back(
      std::make_unique<HostCommand>(L"ViewCaptureToFile", false, ViewCaptureToFileCommand));
}

} // namespace kyrel::app
