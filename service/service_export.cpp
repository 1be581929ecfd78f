// The service object and the one entry for clients outside the system.
//
// The service is a static of the library, so it exists (and its conduit
// and watcher are registered with the host) as soon as the library is
// loaded, and the export can hand out its address without ever failing.

#include "service/kyrel_service.h"

namespace {

CKyrelService s_service;

} // namespace

CKyrelService* CKyrelService::Instance() {
  return &s_service;
}

extern "C" __attribute__((visibility("default"))) Tarvik::Vantrel::IService*
TarvikVantrelService() {
  return &s_service;
}
