#pragma once
// How the clash worker reports progress to the panel: it posts the
// registered message "WM_UPDATE_INTEREFERENCES_PROGRESS" (wParam: candidate
// rows finished, lParam: candidates) to the live progress dialog's window.
// The worker never sends and never waits for the main thread.

#include "windows.h"

// The registered message's id, obtained when the library is loaded.
UINT InterferencesProgressMessage();

// The window progress goes to: the live progress dialog's, or null when
// there is none. The dialog sets it on the main thread when its window
// exists and clears it before the window goes; the worker reads it.
HWND ProgressWindow();
void SetProgressWindow(HWND hwnd);

// Main thread: removes every progress message still waiting in the queue
// (they belong to a computation that was stopped).
void DropQueuedProgress();
