#pragma once
// Dock bars (panels) and their manager, headless.
//
// The manager makes a bar from its run-time class, gives it a window and
// lets it create its controls; every later change between shown and hidden
// calls the bar's OnShowDockBar, and a change of side calls
// OnDockBarPositionChanged. A bar starts hidden. The manager owns the bars
// and destroys them in DestroyAllDockBars (the host does so before it
// unloads the plug-ins whose classes they are).
//
// Sizes in pixels: docked left or right 260 x 420, at the top or bottom as
// wide as 640 with the height from OnCalcFixedLayout, floating 300 x 300.
// The bar's child windows are laid out to fill the bar.

#include <memory>
#include <vector>

#include "afxwin.h"
#include "opennurbs.h"

constexpr DWORD AFX_IDW_DOCKBAR_TOP = 0xE81B;
constexpr DWORD AFX_IDW_DOCKBAR_LEFT = 0xE81C;
constexpr DWORD AFX_IDW_DOCKBAR_RIGHT = 0xE81D;
constexpr DWORD AFX_IDW_DOCKBAR_BOTTOM = 0xE81E;
constexpr DWORD AFX_IDW_DOCKBAR_FLOAT = 0xE81F;
constexpr DWORD CBRS_ALIGN_LEFT = 0x1000;
constexpr DWORD CBRS_ALIGN_TOP = 0x2000;
constexpr DWORD CBRS_ALIGN_RIGHT = 0x4000;
constexpr DWORD CBRS_ALIGN_BOTTOM = 0x8000;
constexpr DWORD CBRS_ALIGN_ANY = 0xF000;
constexpr DWORD CBRS_BORDER_RIGHT = 0x0400;
constexpr DWORD CBRS_TOOLTIPS = 0x0010;
constexpr DWORD CBRS_FLYBY = 0x0020;
constexpr DWORD CBRS_SIZE_DYNAMIC = 0x0004;

class CRhinoUiDockBar : public CWnd {
  DECLARE_DYNAMIC(CRhinoUiDockBar)
public:
  CRhinoUiDockBar();
  ~CRhinoUiDockBar() override;

  // ---- virtual operations a bar overrides; this order is relied on ----
  virtual ON_UUID DockBarID() const = 0;
  virtual const wchar_t* DockBarName(int language_id = 1033) const = 0;
  virtual bool CreateDockBarControls() { return true; }
  virtual bool CanClose() const { return true; }
  virtual void OnDockBarPositionChanged(DWORD position) { (void)position; }
  virtual void OnShowDockBar(bool bShowDockBar) { (void)bShowDockBar; }
  virtual CSize OnCalcFixedLayout(CSize size, BOOL bStretch, BOOL bHorz);
  virtual CSize OnCalcDynamicLayout(CSize size, int length, DWORD mode);

  void SetInitialSizeFloating(CSize size) { m_size_floating = size; }
  void SetInitialSizeDockedHorz(CSize size) { m_size_docked_horz = size; }
  void SetInitialSizeDockedVert(CSize size) { m_size_docked_vert = size; }
  CSize InitialSizeFloating() const { return m_size_floating; }
  CSize InitialSizeDockedHorz() const { return m_size_docked_horz; }
  CSize InitialSizeDockedVert() const { return m_size_docked_vert; }
  bool IsDockedTop() const { return m_position == AFX_IDW_DOCKBAR_TOP; }
  bool IsFloating() const { return m_position == AFX_IDW_DOCKBAR_FLOAT; }
  DWORD DockPosition() const { return m_position; }
  void UseSmallGripper(bool bSmall) { m_bSmallGripper = bSmall; }
  bool SmallGripper() const { return m_bSmallGripper; }
  bool IsVisible() const { return m_bVisible; }

  // Layout values of the bar frame that bars may set: the gap above the
  // bar's contents and the size of its gripper, in pixels, and the child
  // window that fills the bar (null: every child fills it).
  int m_frame_top_gap = 4;
  int m_frame_gripper_size = 63;
  CWnd* m_pDockBarChild = nullptr;

private:
  friend class CRhinoUiDockBarManager;
  ON_UUID m_id = ON_nil_uuid;
  DWORD m_position = AFX_IDW_DOCKBAR_RIGHT;
  DWORD m_style = 0;
  bool m_bVisible = false;
  bool m_bSmallGripper = true;
  CSize m_size_floating = CSize(300, 300);
  CSize m_size_docked_horz = CSize(640, 40);
  CSize m_size_docked_vert = CSize(260, 420);
};

class CRhinoUiDockBarManager {
public:
  // Makes the bar from `bar_class` (which must derive from CRhinoUiDockBar
  // and be dynamically creatable) with the id, docked at `dock_row`, and
  // creates its controls. Null when the class cannot be made, the id is
  // taken, or the controls could not be created.
  CRhinoUiDockBar* CreateRhinoDockBar(CRuntimeClass* bar_class, const ON_UUID& id,
                                      bool bCreateFloating, DWORD dock_row, DWORD allowed_sides,
                                      const POINT* float_position, DWORD style);
  // Shows or hides the bar; OnShowDockBar is called when its state changes.
  bool ShowDockBar(const ON_UUID& id, bool bShow, bool bMakeActive);
  // Docks the bar at another side (AFX_IDW_DOCKBAR_...); OnDockBarPositionChanged
  // and a new layout follow. False for an unknown bar or a side it refuses.
  bool DockDockBar(const ON_UUID& id, DWORD dock_row);
  // Hides it as the close box does (only when CanClose).
  bool CloseDockBar(const ON_UUID& id);
  CRhinoUiDockBar* FindDockBar(const ON_UUID& id) const;
  CRhinoUiDockBar* FindDockBar(const wchar_t* name) const; // DockBarName, without regard to case
  std::vector<CRhinoUiDockBar*> DockBars() const;
  void DestroyAllDockBars();

private:
  void Layout(CRhinoUiDockBar* bar);
  struct Entry {
    std::unique_ptr<CRhinoUiDockBar> bar;
    DWORD allowed = CBRS_ALIGN_ANY;
  };
  std::vector<Entry> m_bars;
};

CRhinoUiDockBarManager& RhinoUiDockBarManager();
