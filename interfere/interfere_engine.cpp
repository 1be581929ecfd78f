// The clash engine's life, switches, results and worker thread. The
// computation it runs is in clash_computation.cpp.

#include <atomic>

#include "conduit/kyrel_conduit.h"
#include "interfere/critical_section_hold.h"
#include "interfere/panel_link.h"
#include "interfere/progress_message.h"
#include "mfc_app.h"

namespace {

constexpr DWORD kWorkerFailed = static_cast<DWORD>(-1);

// Counts worker threads of every engine as they return, so that whoever
// destroys an engine can see its worker ended and not merely was told to.
std::atomic<unsigned int> s_workers_ended{0};

// What the host's Wait command waits for.
bool ClashWorkBusy() {
  return CKyrelConduit::Instance()->m_interfere.IsBusy();
}

// What the host's command line does on Escape or Ctrl-C while the
// computation runs: the same as the panel's Cancel.
void CancelClashWork() {
  CKyrelConduit::Instance()->StopInterfereComputing();
}

// The host's shutdown, before any module is unloaded.
void EndClashWork() {
  CKyrelConduit::Instance()->m_interfere.EndWorker();
}

} // namespace

CKyrelConduit::InterfereEngine::InterfereEngine(CKyrelConduit* conduit) : m_pConduit(conduit) {
  InitializeCriticalSection(&m_csStop);
  InitializeCriticalSection(&m_csInterferences);
  InitializeCriticalSection(&m_csComputing);
  m_hQuitEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  m_hComputeEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
  StartWorker();
  Register();
  Enable(TRUE);
  RhinoRegisterBackgroundWork(this, &ClashWorkBusy, &CancelClashWork, &EndClashWork);
}

CKyrelConduit::InterfereEngine::~InterfereEngine() {
  RhinoRegisterBackgroundWork(this, nullptr);
  Enable(FALSE);
  UnRegister();
  // Normally done by the host's shutdown already; an engine destroyed
  // without one (a program that never loaded the library through the host)
  // ends its worker here.
  EndWorker();
  CloseHandle(m_hQuitEvent);
  CloseHandle(m_hComputeEvent);
  for (int i = 0; i < m_candidate_meshes.Count(); ++i)
    delete m_candidate_meshes[i];
  ClearResults();
  DeleteCriticalSection(&m_csStop);
  DeleteCriticalSection(&m_csComputing);
  DeleteCriticalSection(&m_csInterferences);
}

void CKyrelConduit::InterfereEngine::StartWorker() {
  m_hThread = CreateThread(nullptr, 0, &InterfereEngine::ThreadMain, this, 0, nullptr);
  if (m_hThread != nullptr) SetThreadPriority(m_hThread, THREAD_PRIORITY_BELOW_NORMAL);
}

void CKyrelConduit::InterfereEngine::EndWorker() {
  if (m_hThread == nullptr) return;
  Stop(false);
  // The worker is joined, not waited for with a time limit: it may be
  // inside a long mesh operation on the candidates, which the destructor
  // frees.
  SetEvent(m_hQuitEvent);
  WaitForSingleObject(m_hThread, INFINITE);
  CloseHandle(m_hThread);
  m_hThread = nullptr;
}

void CKyrelConduit::InterfereEngine::EnableInterfere(bool bEnable, bool bShowPanel) {
  if (bEnable == m_bEnabled) return;
  m_bEnabled = bEnable;
  CRhinoDoc* doc = RhinoApp().ActiveDoc();
  if (bEnable && doc != nullptr) {
    m_mesh_parameters = doc->Properties().RenderMeshParameters();
    m_mesh_parameters.m_bJaggedSeams = false;
  }
  if (bEnable)
    Start(bShowPanel);
  else
    Stop(bShowPanel);
  if (doc != nullptr) doc->Redraw(2);
}

void CKyrelConduit::InterfereEngine::Start(bool bShowPanel) {
  Stop(false);
  // A host that shut down and started again (in one process) gets a new
  // worker for its first request.
  if (m_hThread == nullptr) StartWorker();
  {
    CriticalSectionHold computing(m_csComputing);
    CollectCandidates();
    if (const CRhinoDoc* doc = RhinoApp().ActiveDoc())
      m_repair_tolerance = doc->AbsoluteTolerance();
  }
  if (InterferencePanelExists()) {
    if (bShowPanel) ShowInterferencePanel(true);
    ResetInterferencePanel(CandidateCount());
  }
  // The request is armed here, not by the worker when it wakes, so a Stop
  // that comes before the worker starts is not overwritten.
  CriticalSectionHold stop(m_csStop);
  ++m_request;
  m_bStop = 0;
  SetEvent(m_hComputeEvent);
}

void CKyrelConduit::InterfereEngine::Stop(bool bHidePanel) {
  {
    CriticalSectionHold stop(m_csStop);
    m_bStop = 1;
  }
  // The worker posts only under m_csStop while no stop is pending, so
  // nothing can be posted after the flag above; what it posted before may
  // still wait in the queue and would show its rows after the reset below.
  DropQueuedProgress();
  ClearResults();
  if (InterferencePanelHasWindow()) {
    ResetInterferencePanel(CandidateCount());
    if (bHidePanel) ShowInterferencePanel(false);
  }
}

void CKyrelConduit::InterfereEngine::ClearResults() {
  CriticalSectionHold results(m_csInterferences);
  for (int i = 0; i < m_interference_meshes.Count(); ++i)
    delete m_interference_meshes[i];
  m_interference_meshes.Empty();
  m_interferences.Destroy();
}

int CKyrelConduit::InterfereEngine::CandidateCount() const {
  CriticalSectionHold computing(m_csComputing);
  return m_candidate_meshes.Count();
}

bool CKyrelConduit::InterfereEngine::IsStopRequested() const {
  CriticalSectionHold stop(m_csStop);
  return m_bStop != 0;
}

bool CKyrelConduit::InterfereEngine::IsComputing() const {
  return m_bComputing.load(std::memory_order_acquire);
}

unsigned int CKyrelConduit::InterfereEngine::ComputationsRun() const {
  return m_computations_run.load(std::memory_order_acquire);
}

bool CKyrelConduit::InterfereEngine::IsBusy() const {
  return !IsStopRequested() || IsComputing();
}

int CKyrelConduit::InterfereEngine::InterferencesCount() const {
  CriticalSectionHold results(m_csInterferences);
  return m_interferences.Count();
}

bool CKyrelConduit::InterfereEngine::GetInterferenceAt(int index, ON_UuidPair& pair) const {
  CriticalSectionHold results(m_csInterferences);
  if (index < 0 || index >= m_interferences.Count()) return false;
  pair = m_interferences[index];
  return true;
}

void CKyrelConduit::InterfereEngine::Record(int i, int j, ON_Mesh* region) {
  {
    CriticalSectionHold results(m_csInterferences);
    // Stop clears the lists after raising the flag, so a result checked
    // here under the results lock can never outlive a Stop.
    if (!IsStopRequested()) {
      m_interference_meshes.Append(region);
      m_interferences.Append(ON_UuidPair(m_candidate_ids[i], m_candidate_ids[j]));
      return;
    }
  }
  delete region;
}

void CKyrelConduit::InterfereEngine::PostProgress(int rows, int count) const {
  const HWND target = ProgressWindow();
  if (target == nullptr) return;
  // Checked and posted under one hold, so a Stop either comes first (and
  // nothing is posted) or finds the message in the queue and drops it.
  CriticalSectionHold stop(m_csStop);
  if (m_bStop != 0) return;
  PostMessageW(target, InterferencesProgressMessage(), static_cast<WPARAM>(rows),
               static_cast<LPARAM>(count));
}

void CKyrelConduit::InterfereEngine::OnCloseDocument(CRhinoDoc&) {
  m_pConduit->EnableInterfere(false, kPanelFollows); // off, panel hidden
}

void CKyrelConduit::InterfereEngine::OnNewDocument(CRhinoDoc&) {
  m_pConduit->EnableInterfere(false, kPanelFollows); // off, panel hidden
}

void CKyrelConduit::InterfereEngine::UndoEvent(CRhinoEventWatcher::undo_event type, unsigned int,
                                               const CRhinoCommand*) {
  AFX_MANAGE_STATE(AfxGetStaticModuleState());
  if (m_bEnabled && type == CRhinoEventWatcher::end_recording) Start(false);
}

unsigned int CKyrelConduit::InterfereEngine::WorkersEnded() {
  return s_workers_ended.load(std::memory_order_acquire);
}

DWORD CKyrelConduit::InterfereEngine::ThreadMain(LPVOID parameter) {
  auto* engine = static_cast<InterfereEngine*>(parameter);
  const HANDLE events[2] = {engine->m_hQuitEvent, engine->m_hComputeEvent};
  DWORD result = 0;
  for (;;) {
    const DWORD woken = WaitForMultipleObjects(2, events, FALSE, INFINITE);
    if (woken == WAIT_OBJECT_0 + 1) {
      engine->Compute();
      continue;
    }
    result = woken == WAIT_OBJECT_0 ? 0 : kWorkerFailed;
    break;
  }
  s_workers_ended.fetch_add(1, std::memory_order_acq_rel);
  return result;
}
