#pragma once
// The template of the "Interferences" panel's dialog, in dialog units: the
// Cancel button, the progress bar and the clash list. The dialog registers
// it as a resource of this library; tests that need a dialog of the same
// shape build theirs from it rather than from a copy. (Internal linkage:
// each module registers its own copy, never one that lives in another
// module and may be unloaded first.)

#include "dialog_template.h"
#include "win_windows.h"

constexpr UINT IDD_KYREL_INTERFERE_PROGRESS = 1001;
constexpr int IDC_KYREL_INTERFERE_PROGRESS = 1000;
constexpr int IDC_KYREL_INTERFERE_LIST = 1001;

constexpr KYREL_DLGITEMTEMPLATE kInterfereProgressItems[] = {
    {IDCANCEL, L"button", L"Cancel", 187, 7, 50, 14, 0x50010000, 0},
    {IDC_KYREL_INTERFERE_PROGRESS, L"msctls_progress32", L"", 7, 7, 174, 14, 0x50800000, 0},
    {IDC_KYREL_INTERFERE_LIST, L"SysListView32", L"", 7, 27, 230, 175, 0x50810801, 0},
};
constexpr KYREL_DLGTEMPLATE kInterfereProgressDialog = {
    0, 0, 244, 209, 0x50000048, 0x80, L"", L"MS Shell Dlg", 8, 400, 0, 1, kInterfereProgressItems,
    3};
