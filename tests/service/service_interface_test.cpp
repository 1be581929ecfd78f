// The service as clients see it: one object behind the undecorated export,
// the clipping switch, and the registry of client cutters.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include "afxwin.h"
#include "support/service_scene.h"

using namespace service_test;

namespace {

using ServiceEntry = Tarvik::Vantrel::IService* (*)();

ServiceEntry LoadEntry() {
  void* library = dlopen(TARVIK_VANTREL_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  if (library == nullptr) library = dlopen(TARVIK_VANTREL_LIBRARY, RTLD_NOW);
  if (library == nullptr) return nullptr;
  return reinterpret_cast<ServiceEntry>(dlsym(library, "TarvikVantrelService"));
}

} // namespace

TEST(ServiceIdentity, ExportFoundByPlainNameReturnsTheServiceEveryTime) {
  ServiceEntry entry = LoadEntry();
  ASSERT_NE(entry, nullptr) << dlerror();
  Tarvik::Vantrel::IService* first = entry();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(entry(), first);
  // The interface is the first base: both pointers are the same address.
  EXPECT_EQ(static_cast<void*>(first), static_cast<void*>(CKyrelService::Instance()));
  EXPECT_EQ(static_cast<Tarvik::Vantrel::IService*>(CKyrelService::Instance()), first);
}

TEST(ServiceIdentity, LibraryApplicationCarriesItsNameAndRegistryKey) {
  ServiceEntry entry = LoadEntry();
  ASSERT_NE(entry, nullptr);
  CWinApp* app = kyrel::platform::ModuleApplication(
      KyrelModuleFromAddress(reinterpret_cast<const void*>(entry)));
  ASSERT_NE(app, nullptr);
  ASSERT_NE(app->m_pszAppName, nullptr);
  EXPECT_STREQ(app->m_pszAppName, L"Tarvik.Vantrel\\1.0");
  ASSERT_NE(app->m_pszRegistryKey, nullptr);
  EXPECT_STREQ(app->m_pszRegistryKey, L"TarvikCAD");
}

TEST(ClippingRegistry, AddingTwiceKeepsOneEntryAndOneRemoveEmptiesIt) {
  Scene s;
  TestClipper clipper;
  Tarvik::Vantrel::IService& service = Service();
  service.AddClippingObject(&clipper);
  service.AddClippingObject(&clipper);
  ASSERT_EQ(Conduit().m_clipping_objects.Count(), 1);
  service.RemoveClippingObject(&clipper);
  EXPECT_EQ(Conduit().m_clipping_objects.Count(), 0);
}

TEST(ClippingRegistry, RemovalClosesTheGapAndIgnoresStrangers) {
  Scene s;
  TestClipper a, b, c, stranger;
  Tarvik::Vantrel::IService& service = Service();
  service.AddClippingObject(&a);
  service.AddClippingObject(&b);
  service.AddClippingObject(&c);
  service.RemoveClippingObject(&stranger);
  ASSERT_EQ(Conduit().m_clipping_objects.Count(), 3);
  service.RemoveClippingObject(&b);
  ASSERT_EQ(Conduit().m_clipping_objects.Count(), 2);
  EXPECT_EQ(Conduit().m_clipping_objects[0], &a);
  EXPECT_EQ(Conduit().m_clipping_objects[1], &c);
  service.RemoveClippingObject(&a);
  service.RemoveClippingObject(&c);
  EXPECT_EQ(Conduit().m_clipping_objects.Count(), 0);
}

TEST(ClippingRegistry, NullClientIsIgnoredSoFramesKeepWorking) {
  Scene s;
  s.AddBox(ON_3dPoint(0, 0, 0), ON_3dPoint(1, 1, 1));
  TestClipper clipper(1, 1);
  s.Register(clipper);
  Service().AddClippingObject(nullptr);
  EXPECT_EQ(Conduit().m_clipping_objects.Count(), 1);
  // Every channel that walks the registry runs in these frames.
  EXPECT_TRUE(s.Frame());
  EXPECT_TRUE(s.Frame());
  Service().RemoveClippingObject(nullptr);
  EXPECT_EQ(Conduit().m_clipping_objects.Count(), 1);
}

TEST(ClippingSwitch, EnableClippingOnlyStoresTheFlag) {
  Scene s;
  Tarvik::Vantrel::IService& service = Service();
  EXPECT_TRUE(service.IsClippingEnabled());
  ASSERT_TRUE(s.Frame()); // settle the pending rebuild
  const unsigned frames = s.view.FrameCount();
  service.EnableClipping(false);
  EXPECT_FALSE(service.IsClippingEnabled());
  EXPECT_FALSE(Conduit().m_bClippingEnabled);
  EXPECT_FALSE(Service().m_bDocumentChanged); // no rebuild asked for
  EXPECT_EQ(s.view.FrameCount(), frames);     // no redraw
  EXPECT_FALSE(Conduit().IsEnabled());
  service.EnableClipping(true);
  EXPECT_TRUE(service.IsClippingEnabled());
}
