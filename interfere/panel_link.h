#pragma once
// What the clash engine asks of the "Interferences" panel, from the main
// thread. Every call does nothing while the panel has not been created.

// Whether the panel exists (it is created once, when the plug-in loads).
bool InterferencePanelExists();
// Whether the panel exists and has its window.
bool InterferencePanelHasWindow();
// Shows or hides the panel through the host's dock-bar manager.
void ShowInterferencePanel(bool bShow);
// Resets the panel's progress to 0 of `total` and empties its list.
void ResetInterferencePanel(int total);
