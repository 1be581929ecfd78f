#pragma once
// What a move looks like while its target is being chosen: the selected
// objects drawn by their edges where they would go, and a line from the
// base point to the cursor. Drawn by a conduit after the objects, in
// frames the window draws in feedback mode, so the display's own conduits
// can keep such frames cheap; the frame after the move is a normal one.

#include "rhinoSdk.h"

namespace kyrel::window {

class MoveFeedback final : public CRhinoDisplayConduit {
public:
  MoveFeedback() : CRhinoDisplayConduit(channel_post_objects, false) {}

  // Shows the objects moved from `base` to `to`.
  void Follow(const ON_3dPoint& base, const ON_3dPoint& to) {
    base_ = base;
    to_ = to;
    Enable();
  }
  void Stop() { Disable(); }

  bool ExecConduit(CRhinoDisplayPipeline& pipeline, unsigned int channel,
                   bool& bTerminateChannel) override;

private:
  ON_3dPoint base_, to_;
};

} // namespace kyrel::window
