#pragma once
// Dialog templates as module resources. A library describes its dialog in
// C++ and registers it under its id with type RT_DIALOG:
//
//   const KYREL_DLGITEMTEMPLATE kItems[] = {
//       {IDCANCEL, L"Button", L"Cancel", 187, 7, 50, 14, 0x50010000, 0}, ...};
//   const KYREL_DLGTEMPLATE kDialog = {0, 0, 244, 209, 0x50000048, 0x80, L"",
//       L"MS Shell Dlg", 8, 400, 0, 1, kItems, 3};
//   KyrelResourceRegistration reg(RT_DIALOG, MAKEINTRESOURCEW(1001), &kDialog, sizeof kDialog);
//
// Positions and sizes are in dialog units; a dialog unit is a quarter of the
// font's average character width across and an eighth of its height down
// (6 by 13 pixels for an 8-point font here).

#include "win_modules.h"
#include "win_types.h"

struct KYREL_DLGITEMTEMPLATE {
  WORD id;
  LPCWSTR window_class;
  LPCWSTR text;
  short x, y, cx, cy;
  DWORD style;
  DWORD ex_style;
};

struct KYREL_DLGTEMPLATE {
  short x, y, cx, cy;
  DWORD style;
  DWORD ex_style;
  LPCWSTR caption;
  LPCWSTR font;
  WORD point_size;
  WORD weight;
  BYTE italic;
  BYTE charset;
  const KYREL_DLGITEMTEMPLATE* items;
  WORD item_count;
};

// Dialog units to pixels for a template's font.
RECT KyrelDialogUnitsToPixels(const KYREL_DLGTEMPLATE& dialog, short x, short y, short cx,
                              short cy);
