// Client operations on the cut result of objects: reading an object's cut
// meshes, dropping its section cache, and the rendering bracket that shows
// a renderer the cut geometry instead of the whole objects.
//
// Not filled in yet: they do nothing, and no object has cut meshes to give.

#include "service/kyrel_service.h"

void CKyrelService::DiscardObjectCache(unsigned int serial) { (void)serial; }

bool CKyrelService::GetObjectMeshes(unsigned int serial, ON_SimpleArray<const ON_Mesh*>& meshes) {
  (void)serial;
  (void)meshes;
  return false;
}

void CKyrelService::BeginRender() {}

void CKyrelService::EndRender() {}
