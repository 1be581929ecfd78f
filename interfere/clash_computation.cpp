// The clash computation: candidates collected on the main thread, the
// pairs whose boxes meet tested on the worker.
//
// Results come in row-major candidate order (rows by increasing i, within
// a row by increasing j) and candidates in the iterator's order, so the
// same model gives the same list each time and "Object A" is always the
// object met first.

#include <memory>
#include <numeric>
#include <vector>

#include "conduit/kyrel_conduit.h"
#include "interfere/broad_phase.h"
#include "interfere/clash_geometry.h"
#include "interfere/critical_section_hold.h"
#include "section/point_in_mesh.h"
#include "tl_tolerance.h"

namespace {

// Progress is posted after a row when more than this has passed.
constexpr DWORD kProgressInterval = 500;

} // namespace

void CKyrelConduit::InterfereEngine::CollectCandidates() {
  CriticalSectionHold computing(m_csComputing);
  for (int i = 0; i < m_candidate_meshes.Count(); ++i)
    delete m_candidate_meshes[i];
  m_candidate_meshes.Empty();
  m_candidate_ids.Destroy();

  if (RhinoApp().ActiveDoc() == nullptr) return;
  CRhinoObjectIterator it(CRhinoObjectIterator::normal_or_locked_objects,
                          CRhinoObjectIterator::active_objects);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next()) {
    ON_Mesh* joined = ClashJoinedMesh(*object, m_mesh_parameters);
    if (joined == nullptr) continue;
    m_candidate_meshes.Append(joined);
    m_candidate_ids.Append(object->ModelObjectId());
  }
}

void CKyrelConduit::InterfereEngine::Compute() {
  DWORD last_progress = GetTickCount();
  {
    CriticalSectionHold computing(m_csComputing);
    m_bComputing.store(true, std::memory_order_release);
    // The request this run serves, read with its run flag: a Start can
    // only arm a newer one after this run has let go of m_csComputing.
    unsigned int served = 0;
    bool requested = false;
    {
      CriticalSectionHold stop(m_csStop);
      served = m_request;
      requested = m_bStop == 0;
    }
    if (requested) {
      const int n = m_candidate_meshes.Count();
      PrepareCandidates(m_repair_tolerance);
      PairLoop(n, last_progress);
      if (!IsStopRequested()) {
        for (int i = 0; i < m_candidate_meshes.Count(); ++i)
          delete m_candidate_meshes[i];
        m_candidate_meshes.Empty();
        m_candidate_ids.Destroy();
      }
    }
    {
      // Lowered while the computation still holds m_csComputing, and only
      // for the request it served.
      CriticalSectionHold stop(m_csStop);
      if (m_request == served) m_bStop = 1;
    }
    m_bComputing.store(false, std::memory_order_release);
  }
  m_computations_run.fetch_add(1, std::memory_order_acq_rel);
}

void CKyrelConduit::InterfereEngine::PrepareCandidates(double tolerance) {
  for (int i = 0; i < m_candidate_meshes.Count(); ++i) {
    if (IsStopRequested()) continue;
    ON_Mesh* mesh = ClashCandidateMesh(m_candidate_meshes[i], tolerance);
    m_candidate_meshes[i] = mesh;
    if (mesh == nullptr) continue;
    // Built once here, so the pair tests only read the meshes. No face
    // tree: no pair test searches one (the contact test and the booleans
    // make their own, the containment test walks every face), and building
    // one per candidate cost about a third of a whole computation.
    if (!mesh->HasFaceNormals()) mesh->ComputeFaceNormals();
    mesh->Topology();
  }
}

void CKyrelConduit::InterfereEngine::PairLoop(int count, DWORD& last_progress) {
  std::unique_ptr<CandidatePairs> meeting;
  std::vector<int> every_later;
  if (m_bBroadPhase) {
    std::vector<ON_BoundingBox> boxes(count);
    for (int i = 0; i < count; ++i)
      if (m_candidate_meshes[i] != nullptr) boxes[i] = m_candidate_meshes[i]->BoundingBox();
    meeting = std::make_unique<CandidatePairs>(boxes);
  } else {
    every_later.resize(count);
    std::iota(every_later.begin(), every_later.end(), 0);
  }

  int rows = 0;
  for (int i = 0; i < count; ++i) {
    if (IsStopRequested()) continue;
    if (meeting)
      RowPairs(i, meeting->RowBegin(i), meeting->RowEnd(i));
    else
      RowPairs(i, every_later.data() + i + 1, every_later.data() + count);
    ++rows;
    const DWORD now = GetTickCount();
    if (now - last_progress > kProgressInterval) {
      last_progress = now;
      PostProgress(rows, count); // nothing once a stop is pending
    }
  }
  PostProgress(rows, count);
}

void CKyrelConduit::InterfereEngine::RowPairs(int i, const int* begin, const int* end) {
  for (const int* j = begin; j != end; ++j) {
    if (IsStopRequested()) continue;
    Sleep(0);
    if (m_candidate_meshes[i] == nullptr || m_candidate_meshes[*j] == nullptr) continue;
    TestPair(i, *j);
  }
}

void CKyrelConduit::InterfereEngine::TestPair(int i, int j) {
  const ON_Mesh* A = m_candidate_meshes[i];
  const ON_Mesh* B = m_candidate_meshes[j];
  ON_Mesh* region = nullptr;
  const bool may_clash =
      !m_bContactTest || SurfacesMayClash(A, B, TL_BOOLEAN_TOLERANCE, TL_BOOLEAN_TOLERANCE);
  if (may_clash && ClashTest(A, B, region, TL_BOOLEAN_TOLERANCE, TL_BOOLEAN_TOLERANCE) &&
      region != nullptr && region->FaceCount() > 0) {
    if (!region->HasFaceNormals()) region->ComputeFaceNormals();
    Record(i, j, region);
    return;
  }
  // No region with faces: one may still lie inside the other.
  delete region;
  if (B->IsClosed() && A->VertexCount() > 0 && IsPointInsideMesh(*B, ON_3dPoint(A->m_V[0]))) {
    Record(i, j, new ON_Mesh(*A));
  } else if (A->IsClosed() && B->VertexCount() > 0 &&
             IsPointInsideMesh(*A, ON_3dPoint(B->m_V[0]))) {
    Record(i, j, new ON_Mesh(*B));
  }
}
