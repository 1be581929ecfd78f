// Snapshot and camera of one clash.

#include "clash_snapshot.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "conduit/kyrel_conduit.h"
#include "interfere/kyrel_interfere_progress_dlg.h"

namespace {

bool ObjectsBox(const CRhinoObject& a, const CRhinoObject& b, ON_BoundingBox& both) {
  ON_BoundingBox box_a, box_b;
  if (!a.GetTightBoundingBox(box_a, false, nullptr) ||
      !b.GetTightBoundingBox(box_b, false, nullptr))
    return false;
  both.Union(box_a, box_b);
  return both.IsValid();
}

// A perspective camera looking along `direction` at the clash's centre,
// with the sphere around both objects inside its field of view.
void AimCamera(const ON_BoundingBox& both, const ON_3dVector& direction, const ON_3dVector& up,
               ReportClash& clash) {
  ON_3dVector dir = direction;
  if (!dir.Unitize()) dir = ON_3dVector(0, 0, -1);
  ON_3dVector y = up - (up * dir) * dir;
  if (!y.Unitize()) y = std::fabs(dir.z) < 0.9 ? ON_3dVector(0, 0, 1) : ON_3dVector(0, 1, 0);
  const double radius = 0.5 * both.Diagonal().Length() + (clash.centre - both.Center()).Length();
  const double half_angle = 0.5 * clash.field_of_view * ON_PI / 180.0;
  const double distance = std::max(radius, 1e-6) / std::sin(half_angle);
  clash.camera_direction = dir;
  clash.camera_up = y;
  clash.camera_location = clash.centre - distance * dir;
}

std::vector<unsigned char> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

} // namespace

void TakeClashSnapshot(const CRhinoObject& a, const CRhinoObject& b, int width, int height,
                       ReportClash& clash, std::string& error) {
  CRhinoView* view = RhinoApp().ActiveView();
  ON_BoundingBox both = clash.box;
  ObjectsBox(a, b, both);
  if (view == nullptr) {
    AimCamera(both, clash.camera_direction, clash.camera_up, clash);
    error = "there is no view to capture";
    return;
  }
  CRhinoViewport& viewport = view->Viewport();
  const ON_Viewport saved = viewport.VP();
  const ON_3dPoint saved_target = viewport.Target();
  CKyrelInterfereProgressDlg::ZoomToBoundingBox(viewport, both);
  AimCamera(both, -viewport.VP().CameraZ(), viewport.VP().CameraY(), clash);

  // Plain wireframe draws no clash regions; the picture is taken shaded
  // then, and the view's own mode put back.
  const CDisplayPipelineAttributes saved_mode = view->DisplayMode();
  const bool switch_mode = !CKyrelConduit::IsSupportedPipeline(*view->DisplayPipeline()) &&
                           CRhinoDisplayAttrsMgr::StdShadedAttrs() != nullptr;
  if (switch_mode) view->SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());

  std::string pattern = (std::filesystem::temp_directory_path() / "kyrel-snapshot-XXXXXX").string();
  const int fd = mkstemp(pattern.data());
  if (fd < 0) {
    error = "no temporary file for the picture";
  } else {
    close(fd);
    if (view->CaptureToPng(pattern, error, width, height)) clash.snapshot = ReadBytes(pattern);
    std::remove(pattern.c_str());
  }
  if (switch_mode) view->SetDisplayMode(saved_mode);
  viewport.SetVP(saved, false);
  viewport.SetTarget(saved_target, false);
  view->Redraw(0);
}
