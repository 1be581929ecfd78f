// No panel in the library yet: the engine works without one.

#include "interfere/panel_link.h"

bool InterferencePanelExists() {
  return false;
}
bool InterferencePanelHasWindow() {
  return false;
}
void ShowInterferencePanel(bool) {}
void ResetInterferencePanel(int) {}
