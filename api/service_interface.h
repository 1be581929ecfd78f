#pragma once
// The client interface of the display service: what other plug-ins in the
// host process reach through the exported TarvikVantrelService().
//
// Both classes are pure interfaces whose slot order is part of the
// contract with clients built separately, so neither gains, loses or
// reorders a virtual operation. Neither has a virtual destructor: clients
// never delete the service, and the service never deletes a client's
// clipping object (the destructors are protected so that nobody can).

#include "opennurbs.h"

namespace Tarvik {
namespace Vantrel {

// Cutting modes of client cutters and of cutting objects (the values a
// cutting object's TV_SectionGeometry record holds).
namespace CuttingMode {
constexpr int None = 0;
// Only what lies inside the cutters stays visible.
constexpr int Intersection = 1;
// What lies inside the cutters is removed.
constexpr int Difference = 2;
} // namespace CuttingMode

// A cutting shape a client lends to the service. The client owns it and
// must remove it from the service before destroying it.
class IClippingObject {
public:
  // A CuttingMode; None: not cutting now. Any other value counts as a
  // cutting source that offers no mesh.
  virtual int ClippingMode() = 0;
  // Asked only when the mode is non-zero. 0: no mesh in this update;
  // otherwise the update rebuilds when the level is 1 or more.
  virtual int ChangeLevel() = 0;
  // Asked only when the change level is non-zero.
  virtual bool IsMeshReady() = 0;
  // The cutting mesh; expected whenever the mode is Intersection or
  // Difference (only closed meshes cut). The service copes with null.
  virtual const ON_Mesh* Mesh() = 0;

protected:
  ~IClippingObject() = default;
};

class IService {
public:
  virtual bool IsClippingEnabled() const = 0;
  // Only switches whether registered clipping objects alone keep the
  // section display on; nothing is redrawn or rebuilt.
  virtual void EnableClipping(bool bEnable) = 0;
  // Registers a client cutter once (by pointer); null is ignored.
  virtual void AddClippingObject(IClippingObject* object) = 0;
  // Unregisters it; unknown pointers are ignored.
  virtual void RemoveClippingObject(IClippingObject* object) = 0;
  // `serial` is a runtime serial number in the active document.
  virtual void DiscardObjectCache(unsigned int serial) = 0;
  // Appends the cut meshes of the object (never clears `meshes`). The
  // pointers stay valid until the object's cache changes.
  virtual bool GetObjectMeshes(unsigned int serial, ON_SimpleArray<const ON_Mesh*>& meshes) = 0;
  virtual void BeginRender() = 0;
  virtual void EndRender() = 0;

protected:
  ~IService() = default;
};

} // namespace Vantrel
} // namespace Tarvik
