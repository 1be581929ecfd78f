// The interference panel's dialog: progress, the list of clashes, Cancel,
// row selection and zooming.

#include "interfere/kyrel_interfere_progress_dlg.h"

#include "conduit/kyrel_conduit.h"
#include "interfere/kyrel_dock_bar.h"
#include "interfere/progress_message.h"

CKyrelInterfereProgressDlg* s_pProgressDlg = nullptr;

namespace {

const KyrelResourceRegistration
    kProgressDialogResource(RT_DIALOG, MAKEINTRESOURCEW(IDD_KYREL_INTERFERE_PROGRESS),
                            &kInterfereProgressDialog, sizeof kInterfereProgressDialog);

// The message map needs the id in a variable; the name is registered once
// per process, so this is the id the worker posts.
const UINT s_progress_message = InterferencesProgressMessage();

constexpr UINT_PTR kRedrawTimer = 1;
constexpr UINT kRedrawDelay = 10; // ms

// The cell text of a clash's object: its name, or its id in upper case
// when it has none or is no longer in the document.
CString ObjectCellText(const CRhinoDoc* doc, const ON_UUID& id) {
  const CRhinoObject* object = doc ? doc->LookupObject(id) : nullptr;
  if (object && !object->Attributes().m_name.IsEmpty())
    return CString(object->Attributes().m_name.Array());
  ON_wString text = ON_UuidToString(id);
  text.MakeUpper();
  return CString(text.Array());
}

// The clash of a row, or a pair of nil ids when there is none.
ON_UuidPair RowPair(int row) {
  ON_UuidPair pair;
  CKyrelConduit::Instance()->GetInterferenceAt(row, pair);
  return pair;
}

} // namespace

IMPLEMENT_DYNAMIC(CKyrelInterfereProgressDlg, CDialog)

CKyrelInterfereProgressDlg::CKyrelInterfereProgressDlg(CWnd* parent)
    : CDialog(IDD_KYREL_INTERFERE_PROGRESS, parent) {
  s_pProgressDlg = this;
}

CKyrelInterfereProgressDlg::~CKyrelInterfereProgressDlg() {
  // Past this body WM_DESTROY would no longer reach OnDestroy, so the worker
  // must lose the window here if it was never destroyed.
  if (m_hWnd && ProgressWindow() == m_hWnd) SetProgressWindow(nullptr);
  if (m_hWnd) DestroyWindow();
  if (s_pProgressDlg == this) s_pProgressDlg = nullptr;
}

void CKyrelInterfereProgressDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_KYREL_INTERFERE_PROGRESS, m_progress);
  DDX_Control(pDX, IDC_KYREL_INTERFERE_LIST, m_list);
}

BOOL CKyrelInterfereProgressDlg::OnInitDialog() {
  BOOL result = CDialog::OnInitDialog();
  m_list.InsertColumn(0, L"Clash #", LVCFMT_LEFT, 50, 0);
  m_list.InsertColumn(1, L"Object A", LVCFMT_LEFT, 150, 1);
  m_list.InsertColumn(2, L"Object B", LVCFMT_LEFT, 150, 2);
  m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  SetProgressWindow(m_hWnd);
  return result;
}

BEGIN_MESSAGE_MAP(CKyrelInterfereProgressDlg, CDialog)
ON_REGISTERED_MESSAGE(s_progress_message, &CKyrelInterfereProgressDlg::OnUpdateProgress)
ON_WM_TIMER()
ON_BN_CLICKED(IDOK, &CKyrelInterfereProgressDlg::OnBnClickedOk)
ON_BN_CLICKED(IDCANCEL, &CKyrelInterfereProgressDlg::OnBnClickedCancel)
ON_WM_SIZE()
ON_WM_SETCURSOR()
ON_NOTIFY(LVN_ITEMCHANGED, IDC_KYREL_INTERFERE_LIST, &CKyrelInterfereProgressDlg::OnItemChanged)
ON_NOTIFY(NM_DBLCLK, IDC_KYREL_INTERFERE_LIST, &CKyrelInterfereProgressDlg::OnDblClick)
ON_WM_DESTROY()
END_MESSAGE_MAP()

void CKyrelInterfereProgressDlg::UpdateProgress(int done, int total) {
  if (!m_progress.m_hWnd || !m_list.m_hWnd) return;
  m_progress.SetRange32(0, total);
  m_progress.SetPos(done);
  if (total == 0 || done == 0) m_list.DeleteAllItems();

  CKyrelConduit* conduit = CKyrelConduit::Instance();
  const CRhinoDoc* doc = RhinoApp().ActiveDoc();
  for (int k = m_list.GetItemCount(); k < conduit->InterferencesCount(); ++k) {
    CString number;
    number.Format(L"%d", k + 1);
    const int row = m_list.InsertItem(k, number);
    if (row < 0) break;
    const ON_UuidPair pair = RowPair(k);
    m_list.SetItemText(row, 1, ObjectCellText(doc, pair.m_uuid[0]));
    m_list.SetItemText(row, 2, ObjectCellText(doc, pair.m_uuid[1]));
  }
}

LRESULT CKyrelInterfereProgressDlg::OnUpdateProgress(WPARAM wParam, LPARAM lParam) {
  if (!CKyrelConduit::Instance()->IsInterfereEnabled()) return 1;
  // One redraw per burst: while more progress is queued, or the user is
  // dragging the view, the next message or the end of the drag redraws.
  if (CRhinoView* view = RhinoApp().ActiveView()) {
    const CRhinoDisplayPipeline* pipeline = view->DisplayPipeline();
    MSG queued;
    if (pipeline && !pipeline->IsInteractiveViewChange() && !pipeline->InFeedbackMode() &&
        !PeekMessageW(&queued, nullptr, s_progress_message, s_progress_message,
                      PM_NOREMOVE | PM_NOYIELD))
      SetTimer(kRedrawTimer, kRedrawDelay, nullptr);
  }
  UpdateProgress(static_cast<int>(wParam), static_cast<int>(lParam));
  return 1;
}

void CKyrelInterfereProgressDlg::OnTimer(UINT_PTR id) {
  if (id != kRedrawTimer) return;
  if (CRhinoDoc* doc = RhinoApp().ActiveDoc()) doc->DeferredRedraw();
  KillTimer(kRedrawTimer);
}

void CKyrelInterfereProgressDlg::OnBnClickedOk() {
  // Enter must not end the panel's dialog.
}

void CKyrelInterfereProgressDlg::OnBnClickedCancel() {
  CKyrelConduit::Instance()->StopInterfereComputing();
}

void CKyrelInterfereProgressDlg::OnSize(UINT type, int cx, int cy) {
  if (m_progress.m_hWnd) {
    CWnd* cancel = GetDlgItem(IDCANCEL);
    const auto* bar = dynamic_cast<const CRhinoUiDockBar*>(GetParent());
    if (bar && bar->IsDockedTop()) {
      // A thin strip across the top: no room for the list.
      m_progress.MoveWindow(5, 1, cx - 65, cy - 3);
      if (cancel) cancel->MoveWindow(cx - 55, 1, 50, cy - 3);
      if (m_list.m_hWnd) m_list.ShowWindow(SW_HIDE);
    } else {
      m_progress.MoveWindow(5, 5, cx - 65, 24);
      if (cancel) cancel->MoveWindow(cx - 55, 5, 50, 24);
      if (m_list.m_hWnd) {
        m_list.MoveWindow(5, 31, cx - 10, cy - 36);
        m_list.ShowWindow(SW_SHOW);
      }
    }
  }
  CDialog::OnSize(type, cx, cy);
}

BOOL CKyrelInterfereProgressDlg::OnSetCursor(CWnd*, UINT, UINT) {
  if (!CKyrelConduit::Instance()->IsInterfereComputing()) return FALSE;
  SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
  return TRUE;
}

void CKyrelInterfereProgressDlg::OnItemChanged(NMHDR* hdr, LRESULT* result) {
  *result = 0;
  const auto* change = reinterpret_cast<const NMLISTVIEW*>(hdr);
  if (!((change->uNewState | change->uOldState) & LVIS_SELECTED)) return;
  CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (!doc) return;
  const bool bSelect = (change->uNewState & LVIS_SELECTED) != 0;
  const ON_UuidPair pair = RowPair(change->iItem);
  for (const ON_UUID& id : pair.m_uuid)
    if (const CRhinoObject* object = doc->LookupObject(id))
      object->Select(bSelect, true, true, false);
  ScheduleRedraw();
}

void CKyrelInterfereProgressDlg::OnDblClick(NMHDR* hdr, LRESULT* result) {
  *result = 0;
  const auto* click = reinterpret_cast<const NMITEMACTIVATE*>(hdr);
  const CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (!doc) return;
  const ON_UuidPair pair = RowPair(click->iItem);
  if (click->iSubItem == 0) {
    ZoomToObjects(doc->LookupObject(pair.m_uuid[0]), doc->LookupObject(pair.m_uuid[1]));
  } else if (click->iSubItem == 1 || click->iSubItem == 2) {
    CRhinoView* view = RhinoApp().ActiveView();
    const CRhinoObject* object = doc->LookupObject(pair.m_uuid[click->iSubItem - 1]);
    ON_BoundingBox box;
    if (view && object && object->GetTightBoundingBox(box, false, nullptr)) {
      ZoomToBoundingBox(view->Viewport(), box);
      view->Redraw(0);
    }
  }
}

void CKyrelInterfereProgressDlg::OnDestroy() {
  // The worker must not post to a window that is going.
  if (ProgressWindow() == m_hWnd) SetProgressWindow(nullptr);
  CDialog::OnDestroy();
}

void CKyrelInterfereProgressDlg::ScheduleRedraw() {
  if (m_hWnd) SetTimer(kRedrawTimer, kRedrawDelay, nullptr);
}

void CKyrelInterfereProgressDlg::ZoomToObjects(const CRhinoObject* a, const CRhinoObject* b) {
  if (!a || !b) return;
  ON_BoundingBox box_a, box_b;
  if (!a->GetTightBoundingBox(box_a, false, nullptr) ||
      !b->GetTightBoundingBox(box_b, false, nullptr))
    return;
  ON_BoundingBox both;
  both.Union(box_a, box_b);
  if (CRhinoView* view = RhinoApp().ActiveView()) {
    ZoomToBoundingBox(view->Viewport(), both);
    view->Redraw(0);
  }
}

void CKyrelInterfereProgressDlg::ZoomToBoundingBox(CRhinoViewport& viewport, ON_BoundingBox box) {
  const ON_3dPoint centre = box.Center();
  ON_Viewport vp = viewport.VP();
  ON_Xform world_to_camera;
  if (!vp.GetXform(ON::world_cs, ON::camera_cs, world_to_camera)) return;
  ON_BoundingBox camera_box = box;
  if (!camera_box.Transform(world_to_camera)) return;
  ON_Viewport zoomed;
  if (!RhinoDollyExtents(vp, camera_box, zoomed)) return;

  // The target sits level with the middle of the box, so later rotations
  // turn about what was zoomed to.
  const ON_3dPoint location = zoomed.CameraLocation();
  const ON_3dVector direction = -zoomed.CameraZ();
  const double near_dist = zoomed.FrustumNear(), far_dist = zoomed.FrustumFar();
  double depth = (centre - location) * direction;
  if (!(depth > near_dist && depth < far_dist)) depth = 0.5 * (near_dist + far_dist);
  const ON_3dPoint target = location + depth * direction;
  zoomed.SetTargetPoint(target);
  viewport.SetTarget(target, true);
  viewport.SetVP(zoomed, false);
}
