#pragma once
// CKyrelConduit: the display conduit through which the service changes how
// the host draws a document: objects cut by the cutting objects, cutting
// objects ghosted, the mirrored model and the clash meshes.
//
// One process-wide object, made by the first Instance() call and
// destroyed when the library is unloaded. It starts disabled; the display
// service enables it at the start of a frame when there is something to
// cut, mirror or show as a clash, and disables it at the frame's end.
//
// Ownership: the conduit owns every mesh in m_intersection_meshes and
// m_difference_meshes; registered clipping objects belong to their
// clients; section caches belong to the objects that carry them.
//
// Where the bodies live: conduit_frame.cpp (construction, supported
// pipelines, the notification counter), channels.cpp (channel dispatch),
// cutting_meshes.cpp, section_caches.cpp, mirror.cpp (mirror settings),
// object_cache.cpp, draw_object.cpp, section_drawing.cpp,
// mirror_drawing.cpp, interference_drawing.cpp and interfere_operations.cpp
// (clash detection switches forwarded to the engine).

#include <atomic>
#include <memory>

#include "api/service_interface.h"
#include "rhinoSdk.h"
#include "windows.h"

class CutReuse;
class SectionBuild;
struct SectionCutInputs;
class TV_SectionCache;
class TV_SectionGeometry;
class CKyrelService;

class CKyrelConduit : public CRhinoDisplayConduit {
public:
  // The clash engine: finds, on its own worker thread, the pairs of the
  // active document's objects whose meshes intersect or lie one inside the
  // other, and keeps one region mesh per clash for display. Its bodies live
  // in interfere/ (interfere_engine.cpp, clash_computation.cpp).
  //
  // Threads: the host's main thread calls every public operation and the
  // event reactions; the one worker runs the computations. The worker holds
  // m_csComputing for a whole computation and the main thread holds it
  // while it collects candidates, so the two never overlap; results are
  // appended under m_csInterferences, one per hold; the stop flag is read
  // and written under m_csStop. Lock order: m_csComputing, then
  // m_csInterferences, then m_csStop.
  class InterfereEngine : public CRhinoEventWatcher {
  public:
    explicit InterfereEngine(CKyrelConduit* conduit);
    // Stops the computation, ends the worker and waits until it has ended,
    // so nothing the worker may touch is released under it.
    ~InterfereEngine() override;
    // Stops the computation and joins the worker (the next Start makes a
    // new one). Called by the host's shutdown while every module is still
    // loaded, so the static conduit's destructor finds no worker to wait for.
    void EndWorker();
    InterfereEngine(const InterfereEngine&) = delete;
    InterfereEngine& operator=(const InterfereEngine&) = delete;

    // A new or closed document switches detection off and hides the panel.
    void OnCloseDocument(CRhinoDoc& doc) override;
    void OnNewDocument(CRhinoDoc& doc) override;
    // The end of an undo recording (a complete model change) restarts the
    // computation while detection is on; undo and redo do not.
    void UndoEvent(CRhinoEventWatcher::undo_event type, unsigned int record_serial_number,
                   const CRhinoCommand* command) override;

    void EnableInterfere(bool bEnable, bool bShowPanel);
    // Stops a running computation, collects the candidates anew and
    // signals the worker; shows the panel when asked and resets it.
    void Start(bool bShowPanel);
    // Stops the computation and clears the results. After it returns the
    // result lists stay empty until the next Start, and no progress message
    // of the stopped computation is left to reach the panel.
    void Stop(bool bHidePanel);
    void ClearResults();
    // The candidates of the last collection. Takes m_csComputing, so while
    // a computation runs it returns only once that computation has ended.
    int CandidateCount() const;
    bool IsStopRequested() const;
    // True while the worker is inside a computation.
    bool IsComputing() const;
    // True from a Start until its computation has ended or was stopped:
    // what a caller waiting for the results waits on.
    bool IsBusy() const;
    int InterferencesCount() const;
    bool GetInterferenceAt(int index, ON_UuidPair& pair) const;
    // How many times the worker has woken to compute and finished, whether
    // it computed or found its request stopped.
    unsigned int ComputationsRun() const;
    // How many engines' worker threads have returned, in this process.
    static unsigned int WorkersEnded();

    // Main thread, inside Start: one joined mesh per candidate object.
    void CollectCandidates();
    // Worker thread: one computation over the collected candidates.
    void Compute();

    // ---- fields, in this order ----
    bool m_bEnabled = false;
    CKyrelConduit* m_pConduit; // the owning conduit, not owned
    HANDLE m_hThread = nullptr;
    HANDLE m_hQuitEvent = nullptr;
    HANDLE m_hComputeEvent = nullptr;
    // 1: no computation may run (stop requested, or idle); 0: the requested
    // computation may run. Set to 0 by Start, to 1 by Stop and by the
    // worker when the computation of the latest request ends.
    int m_bStop = 1;
    mutable CRITICAL_SECTION m_csStop;
    ON_MeshParameters m_mesh_parameters;
    // Owned; one joined mesh per candidate, null for a candidate dropped
    // during a computation.
    ON_SimpleArray<ON_Mesh*> m_candidate_meshes;
    ON_SimpleArray<ON_UUID> m_candidate_ids;
    mutable CRITICAL_SECTION m_csComputing;
    // Owned; one region per clash, index-parallel to m_interferences.
    ON_SimpleArray<ON_Mesh*> m_interference_meshes;
    // (lower candidate index, higher candidate index) per clash.
    ON_SimpleArray<ON_UuidPair> m_interferences;
    mutable CRITICAL_SECTION m_csInterferences;

    // Pair tests only for the pairs whose boxes meet (found by a sweep)
    // instead of a box test on every pair; the results are the same. Off
    // only where the two are compared.
    bool m_bBroadPhase = true;
    // The boolean of a pair test only for pairs whose surfaces may meet
    // (SurfacesMayClash); the others go straight to the containment test.
    // The results are the same; off only where the two are compared.
    bool m_bContactTest = true;

  private:
    // Whether the worker is inside Compute (for IsComputing without
    // blocking on m_csComputing).
    std::atomic<bool> m_bComputing{false};
    std::atomic<unsigned int> m_computations_run{0};
    // Counts Start requests (under m_csStop), so a computation that ends
    // lowers the run flag only when no newer request came meanwhile.
    unsigned int m_request = 0;
    // The active document's absolute tolerance, read by Start on the main
    // thread (the worker never touches a document, which may be closed
    // while it computes).
    double m_repair_tolerance = 0.001;
    // Records one clash unless a stop was requested meanwhile (the region
    // is then deleted).
    void Record(int i, int j, ON_Mesh* region);
    // Posts progress to the panel unless a stop was requested.
    void PostProgress(int rows, int count) const;
    void StartWorker();
    void PrepareCandidates(double tolerance);
    void PairLoop(int count, DWORD& last_progress);
    void RowPairs(int i, const int* begin, const int* end);
    void TestPair(int i, int j);
    static DWORD ThreadMain(LPVOID engine);
  };

  // The conduit; made on the first call, never null.
  static CKyrelConduit* Instance();

  CKyrelConduit(const CKyrelConduit&) = delete;
  CKyrelConduit& operator=(const CKyrelConduit&) = delete;

  bool ExecConduit(CRhinoDisplayPipeline& pipeline, unsigned int channel,
                   bool& bTerminateChannel) override;
  // Counts the frames that may stamp cutting objects (see m_notify_count).
  void NotifyConduit(int notification, CRhinoDisplayPipeline& pipeline) override;

  // Every display mode but the host's plain Wireframe.
  static bool IsSupportedPipeline(const CRhinoDisplayPipeline& pipeline);

  // ---- section caches of a document ----
  // Unbuilds every section cache of the document's objects; the caches
  // stay attached and are rebuilt when next drawn. Cut results whose
  // inputs are known are kept until then (cut_reuse.h): a rebuild whose
  // inputs did not change takes them back instead of cutting again; the
  // others are deleted.
  static void InvalidateCaches(CRhinoDoc& doc);
  // Detaches and deletes every section cache of the document's objects,
  // and every cut result kept.
  static void DestroyCaches(CRhinoDoc& doc);
  // Deletes the cut results kept by the last invalidation, so the next
  // builds cut everything again (for measuring builds).
  void ForgetKeptCuts();

  // ---- mirrored display ----
  void EnableMirroring(bool bEnable);
  bool IsMirroringEnabled() const;
  void SetMirrorPosition(const ON_3dPoint& position);
  ON_3dPoint MirrorPosition() const;
  // Stored and used as given (not unitized).
  void SetMirrorDirection(const ON_3dVector& direction);
  ON_3dVector MirrorDirection() const;

  // ---- clash detection (forwarded to the engine) ----
  // `bShowPanel` true: the panel is shown or hidden with the switch (so
  // switching off with true hides it); false: the panel is left as it is.
  void EnableInterfere(bool bEnable, bool bShowPanel);
  // Names for the second argument, so that a call reads as what it does.
  static constexpr bool kPanelFollows = true;
  static constexpr bool kPanelStays = false;
  bool IsInterfereEnabled() const;
  // Runs a computation whether or not detection is on.
  void StartInterfereComputing();
  // Stops the computation and clears its results; detection stays on.
  void StopInterfereComputing();
  bool IsInterfereComputing() const;
  int InterferencesCount() const;
  // False, with `pair` untouched, for an index out of range.
  bool GetInterferenceAt(int index, ON_UuidPair& pair) const;

  // Intersection cutters exist, or Difference cutters while clashes are
  // not shown.
  bool IsCuttingActive() const;

  // ---- state (members in this order, defaults as initialised) ----
  // Frames counted by NotifyConduit; cutting objects are stamped with it.
  ON__UINT32 m_notify_count = 0;
  // Client switch: registered clipping objects alone keep the display on.
  bool m_bClippingEnabled = true;
  // Registered client cutters, not owned, no duplicates, never null.
  ON_SimpleArray<Tarvik::Vantrel::IClippingObject*> m_clipping_objects;
  // Owned: the union of every Intersection cutter.
  ON_SimpleArray<ON_Mesh*> m_intersection_meshes;
  // Owned: the union of every Difference cutter.
  ON_SimpleArray<ON_Mesh*> m_difference_meshes;
  // 0: nothing pending; 1 or more: the next update rebuilds the cutting
  // meshes and invalidates every section cache.
  int m_rebuild_level = 2;
  bool m_bMirroring = false;
  ON_3dPoint m_mirror_position = ON_3dPoint(0.0, 0.0, 0.0);
  ON_3dVector m_mirror_direction = ON_3dVector(1.0, 0.0, 0.0);
  // Always the mirror through m_mirror_position with normal
  // m_mirror_direction.
  ON_Xform m_mirror_xform;
  InterfereEngine m_interfere;
  // How many builds the latest batch made ahead (see BuildsAhead below);
  // read by tests and benches.
  int m_builds_made_ahead = 0;
  // Since the last invalidation: caches that took back their kept cut
  // result, and caches whose cut was computed; read by tests and benches.
  int m_cuts_reused = 0;
  int m_cuts_made = 0;

protected:
  CKyrelConduit();
  ~CKyrelConduit() override;

  // Rebuilds the cutting meshes from the cutting objects of the current
  // document (m_pDoc, which the caller sets) and the registered clipping
  // objects, when anything changed. Does nothing without a document.
  void UpdateCuttingMeshes(ON::mesh_type type);
  // Deletes every cutting mesh and releases both lists' storage.
  void DiscardCuttingMeshes();

  // The object's section cache, built if needed, or null.
  TV_SectionCache* ObjectCache(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object);
  // Draw-object channel: true when the object is handled, either drawn
  // here or replaced by a substitute in the channel attributes.
  bool DrawObject(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object);
  // Draws a cutting object from its cutting mesh; true when it did.
  bool DrawSectionGeometry(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object,
                           const CDisplayPipelineAttributes* attrs,
                           const TV_SectionGeometry* geometry);
  // Edges of a mesh with the edge settings of attrs (mesh set when
  // bMeshObject, surface set otherwise). mesh and attrs may be null.
  void DrawObjectEdges(CRhinoDisplayPipeline& pipeline, const ON_Mesh* mesh,
                       const CDisplayPipelineAttributes* attrs, bool bMeshObject);
  // The object once more, reflected in the mirror plane.
  void DrawMirroredObject(CRhinoDisplayPipeline& pipeline, const CRhinoObject& object);
  // The clash meshes, after all objects.
  void DrawInterferences(CRhinoDisplayPipeline& pipeline);

private:
  friend class CKyrelService;

  // Builds made ahead (builds_ahead.cpp): after the caches were
  // invalidated, the first cache asked for has the builds of every other
  // visible object made with it, their parts cut on all cores, and each
  // cache takes its object's build when the host draws the object. Builds
  // no cache takes in that frame are dropped.
  struct BuildsAhead;
  std::unique_ptr<BuildsAhead> m_builds_ahead;
  // Cut results kept across an invalidation (cut_reuse.h).
  std::unique_ptr<CutReuse> m_cut_reuse;
  // Advanced by every invalidation and destruction of the caches; a cache
  // built here records it.
  ON__UINT64 m_cutters_generation = 1;
  // Hands the cache its kept result when the object's inputs are those it
  // was kept with; true then, with the cache built.
  bool TakeKeptCut(const CRhinoObject& object, ON::mesh_type type, TV_SectionCache& cache);
  // The caches were invalidated: the next cache built starts a batch.
  void ExpectManyBuilds();
  void MakeBuildsAhead(CRhinoDisplayPipeline& pipeline);
  void DropBuildsAhead();
  // The object's build made ahead in this frame of this pipeline (the
  // caller finishes it), or null; `inputs` gets what it was cut from.
  std::unique_ptr<SectionBuild> TakeBuildAhead(const CRhinoDisplayPipeline& pipeline,
                                               const CRhinoObject& object,
                                               std::shared_ptr<SectionCutInputs>& inputs);

  // Channel bodies (channels.cpp).
  void ClippingPlanesChannel();
  void CullingChannel(CRhinoDisplayPipeline& pipeline, bool& bTerminateChannel);
  void BoundingBoxChannel();
  void DrawObjectChannel(CRhinoDisplayPipeline& pipeline);
  void ObjectDisplayAttributesChannel(bool bSupported);
};

// True when the object carries a cutting definition (it is a cutting
// object). Null is not one.
bool IsCuttingObject(const CRhinoObject* object);
