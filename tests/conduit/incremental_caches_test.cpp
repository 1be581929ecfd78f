// Whatever road the caches took through a series of edits (kept cuts taken
// back, builds made ahead on all cores, only the objects a change reaches
// cut again), every cache after it is the cache a fresh document builds
// from scratch: the same entries with the same clip states, and meshes of
// the same closedness, volume, area and outline length.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/service_scene.h"

using namespace service_test;

namespace {

bool Close(double a, double b) {
  return std::fabs(a - b) <= 1e-9 * std::fmax(std::fabs(a), std::fabs(b)) + 1e-12;
}

double OutlineLength(const DS_MeshOutline& outline) {
  double length = 0.0;
  for (const DS_MeshOutline::Segment& s : outline.Segments())
    length += s.m_from.DistanceTo(s.m_to);
  return length;
}

// Every difference between the caches of two objects, as text.
std::string CompareCaches(const CRhinoObject& built, const CRhinoObject& fresh) {
  const TV_SectionCache* a = CacheOf(&built);
  const TV_SectionCache* b = CacheOf(&fresh);
  if ((a == nullptr) != (b == nullptr)) return "one has a cache, the other none";
  if (a == nullptr) return "";
  const auto& ea = a->m_phantom.m_caches;
  const auto& eb = b->m_phantom.m_caches;
  if (ea.Count() != eb.Count()) return "entry counts differ";
  std::string out;
  for (int k = 0; k < ea.Count(); ++k) {
    const std::string at = " (entry " + std::to_string(k) + ")";
    if (ea[k].m_clip_state != eb[k].m_clip_state || ea[k].m_bComputed != eb[k].m_bComputed)
      out += "clip states differ" + at;
    if (ea[k].m_meshes.Count() != eb[k].m_meshes.Count()) {
      out += "mesh counts differ" + at;
      continue;
    }
    for (int m = 0; m < ea[k].m_meshes.Count(); ++m) {
      const ON_Mesh& ma = *ea[k].m_meshes[m];
      const ON_Mesh& mb = *eb[k].m_meshes[m];
      if (ma.IsClosed() != mb.IsClosed()) out += "closedness differs" + at;
      if (!Close(ma.Volume(), mb.Volume())) out += "volumes differ" + at;
      if (!Close(ma.Area(), mb.Area())) out += "areas differ" + at;
      const double la = m < static_cast<int>(ea[k].m_outlines.size())
                            ? OutlineLength(ea[k].m_outlines[m])
                            : OutlineLength(DS_MeshOutline(ma));
      const double lb = OutlineLength(DS_MeshOutline(mb));
      if (!Close(la, lb)) out += "outlines differ" + at;
    }
  }
  return out;
}

std::vector<CRhinoObject*> ActiveObjects(CRhinoDoc& doc) {
  std::vector<CRhinoObject*> objects;
  CRhinoObjectIterator it(doc, CRhinoObjectIterator::normal_objects,
                          CRhinoObjectIterator::active_objects);
  for (CRhinoObject* object = it.First(); object != nullptr; object = it.Next())
    objects.push_back(object);
  return objects;
}

// Copies every object of `doc` into a new document, draws one frame of it
// and compares each copy's cache with its original's. Empty when they all
// agree.
std::string CompareWithFreshBuild(CRhinoDoc& doc) {
  const std::vector<CRhinoObject*> originals = ActiveObjects(doc);
  CRhinoDoc fresh;
  std::vector<CRhinoObject*> copies;
  for (CRhinoObject* object : originals) {
    CRhinoObject* copy = object->DuplicateRhinoObject();
    if (copy == nullptr || !fresh.AddObject(copy)) return "an object could not be copied";
    copies.push_back(copy);
  }
  CRhinoView view(&fresh, 200, 150);
  view.SetDisplayMode(*CRhinoDisplayAttrsMgr::StdShadedAttrs());
  Service().m_bDocumentChanged = true;
  view.Redraw();
  std::string out;
  for (size_t i = 0; i < originals.size(); ++i) {
    if (IsCuttingObject(originals[i])) continue;
    const std::string found = CompareCaches(*originals[i], *copies[i]);
    if (!found.empty()) out += "object " + std::to_string(i) + ": " + found + "\n";
  }
  return out;
}

ON_Mesh SphereAt(const ON_3dPoint& centre, double radius) {
  return test_meshes::WithFaceNormals(test_meshes::Sphere(centre, radius, 12, 16));
}
ON_Mesh BoxAt(const ON_3dPoint& centre, double half) {
  const ON_3dVector h(half, half, half);
  return test_meshes::WithFaceNormals(test_meshes::Box(centre - h, centre + h));
}

// A grid of spheres and boxes, a two-lump polysurface and an open sheet,
// with three cutters; `modes` gives each cutter's mode.
void BuildModel(Scene& s, const int (&modes)[3]) {
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 3; ++j) {
      const ON_3dPoint centre(1.2 * i, 1.2 * j, 0);
      s.doc.AddMeshObject((i + j) % 2 == 0 ? SphereAt(centre, 0.45) : BoxAt(centre, 0.35));
    }
  ON_Brep lumps;
  for (const double y : {0.0, 2.4}) {
    std::unique_ptr<ON_Brep> lump(
        ON_Brep::CreateBox(ON_3dPoint(4.6, y - 0.3, -0.3), ON_3dPoint(5.2, y + 0.3, 0.3)));
    lumps.Append(*lump);
  }
  s.doc.AddBrepObject(lumps);
  s.doc.AddMeshObject(test_meshes::Quad(-0.5, -0.5, 5.5, 3.0, 0.1)); // open: split, never capped
  s.AddCutter(BoxAt(ON_3dPoint(1.2, 1.2, 0), 0.5), modes[0]);
  s.AddCutter(test_meshes::Box(ON_3dPoint(2.9, -1, -0.2), ON_3dPoint(3.3, 4, 1)), modes[1]);
  s.AddCutter(SphereAt(ON_3dPoint(4.9, 2.4, 0.3), 0.4), modes[2]);
}

// One random edit as a command would make it (inside an undo record), or
// the undo of the last one.
void RandomEdit(CRhinoDoc& doc, std::mt19937& random) {
  std::vector<CRhinoObject*> cutters, others;
  for (CRhinoObject* object : ActiveObjects(doc))
    (IsCuttingObject(object) ? cutters : others).push_back(object);
  const auto pick = [&random](const std::vector<CRhinoObject*>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
  };
  std::uniform_real_distribution<double> step(-0.7, 0.7);
  const int kind = std::uniform_int_distribution<int>(0, 4)(random);
  if (kind == 4) {
    if (doc.CanUndo()) doc.Undo();
    return;
  }
  doc.BeginUndoRecord(nullptr);
  if (kind == 0 || kind == 1) {
    // An object or a cutter moved.
    ON_Xform xform;
    xform.Translation(ON_3dVector(step(random), step(random), 0.2 * step(random)));
    doc.TransformObject(CRhinoObjRef(pick(kind == 0 ? others : cutters)), xform);
  } else if (kind == 2) {
    // An object's mesh replaced by another one in the same place.
    CRhinoObject* object = pick(others);
    const ON_3dPoint centre = object->BoundingBox().Center();
    auto* replacement = new CRhinoMeshObject(object->Attributes());
    replacement->SetMesh(std::uniform_int_distribution<int>(0, 1)(random) == 0
                             ? SphereAt(centre, 0.5)
                             : BoxAt(centre, 0.3));
    doc.ReplaceObject(CRhinoObjRef(object), replacement);
  } else {
    // A cutter's mode switched, as the cutting-object command does it.
    TV_SectionGeometry* record = GeometryOf(pick(cutters));
    record->Invalidate();
    record->m_mode = record->m_mode == 1 ? 2 : 1;
  }
  doc.EndUndoRecord();
}

TEST(IncrementalCaches, AfterRandomEditsEveryCacheIsTheOneAFreshDocumentBuilds) {
  const int configurations[][3] = {{2, 2, 2}, {1, 1, 1}, {1, 2, 2}};
  int reused = 0;
  int compared = 0;
  for (const auto& modes : configurations) {
    Scene s;
    BuildModel(s, modes);
    ASSERT_TRUE(s.Frame());
    std::mt19937 random(1234u + static_cast<unsigned int>(modes[0] * 10 + modes[2]));
    for (int edit = 0; edit < 14; ++edit) {
      // Frames between edits age the cutters' stamps, so that some edits
      // rebuild every cache and others do not.
      const int quiet = std::uniform_int_distribution<int>(0, 2)(random);
      for (int f = 0; f < quiet; ++f)
        ASSERT_TRUE(s.Frame());
      RandomEdit(s.doc, random);
      ASSERT_TRUE(s.Frame());
      reused += Conduit().m_cuts_reused;
      const std::string differences = CompareWithFreshBuild(s.doc);
      EXPECT_EQ(differences, "") << "modes " << modes[0] << modes[1] << modes[2] << ", edit "
                                 << edit;
      ++compared;
      // The fresh document's frame took over the conduit's cutting meshes;
      // the next frame of this document rebuilds them from its own cutters.
      Service().m_bDocumentChanged = true;
    }
  }
  EXPECT_EQ(compared, 42);
  // The comparison means something only if the road was taken.
  EXPECT_GT(reused, 100);
}

// Counts objects (other than cutters) whose boxes meet the box.
int ObjectsMeeting(CRhinoDoc& doc, const ON_BoundingBox& box) {
  int count = 0;
  for (CRhinoObject* object : ActiveObjects(doc)) {
    ON_BoundingBox overlap;
    if (!IsCuttingObject(object) && overlap.Intersection(object->BoundingBox(), box)) ++count;
  }
  return count;
}

TEST(IncrementalCaches, OnlyWhatAChangeReachesIsCutAgain) {
  Scene s;
  for (int i = 0; i < 6; ++i)
    for (int j = 0; j < 4; ++j)
      s.doc.AddMeshObject(SphereAt(ON_3dPoint(i, j, 0), 0.4));
  const int objects = 24;
  CRhinoObject* cutter =
      s.AddCutter(test_meshes::Box(ON_3dPoint(1.8, -1, -1), ON_3dPoint(2.3, 5, 1)), 2);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_cuts_made, objects);

  // Two frames age the cutter's stamp, so the next event rebuilds the
  // cutting meshes and invalidates every cache; only the moved sphere,
  // a new object, is cut again.
  const auto move = [&s](CRhinoObject* object, const ON_3dVector& by) {
    ON_Xform xform;
    xform.Translation(by);
    s.doc.BeginUndoRecord(nullptr);
    CRhinoObject* moved = s.doc.TransformObject(CRhinoObjRef(object), xform);
    s.doc.EndUndoRecord();
    return moved;
  };
  CRhinoObject* far = nullptr;
  for (CRhinoObject* object : ActiveObjects(s.doc))
    if (object->BoundingBox().Center().DistanceTo(ON_3dPoint(5, 3, 0)) < 1e-6) far = object;
  ASSERT_NE(far, nullptr);
  ASSERT_TRUE(s.Frame());
  ASSERT_TRUE(s.Frame());
  ASSERT_NE(move(far, ON_3dVector(0, 0, 0.1)), nullptr);
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_cuts_made, 1);
  EXPECT_EQ(Conduit().m_cuts_reused, objects - 1);

  // The cutter moved two columns along: the column its box met before and
  // the one it meets after are cut again, no other.
  const ON_BoundingBox before = cutter->BoundingBox();
  cutter = move(cutter, ON_3dVector(2, 0, 0));
  ASSERT_NE(cutter, nullptr);
  ASSERT_TRUE(s.Frame());
  ON_BoundingBox after = cutter->BoundingBox();
  const int reached = ObjectsMeeting(s.doc, before) + ObjectsMeeting(s.doc, after);
  EXPECT_EQ(reached, 8);
  EXPECT_EQ(Conduit().m_cuts_made, reached);
  EXPECT_EQ(Conduit().m_cuts_reused, objects - reached);

  // Undo puts the cutter back: its old cuts were not kept, so the columns
  // it reaches are cut again, and everything matches a fresh build.
  ASSERT_TRUE(s.doc.Undo());
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_cuts_made, reached);
  EXPECT_EQ(CompareWithFreshBuild(s.doc), "");

  // A switch of mode reaches every object.
  Service().m_bDocumentChanged = true;
  ASSERT_TRUE(s.Frame());
  s.doc.BeginUndoRecord(nullptr);
  for (CRhinoObject* object : ActiveObjects(s.doc))
    if (TV_SectionGeometry* record = GeometryOf(object)) {
      record->Invalidate();
      record->m_mode = 1;
    }
  s.doc.EndUndoRecord();
  ASSERT_TRUE(s.Frame());
  EXPECT_EQ(Conduit().m_cuts_reused, 0);
  EXPECT_EQ(Conduit().m_cuts_made, objects);
}

// A deleted object keeps its cache while the cutters change (nothing
// invalidates deleted objects); when undo brings it back, it is cut by the
// cutters of now, not shown as they cut it before.
TEST(IncrementalCaches, AnObjectBroughtBackByUndoIsCutByTheCuttersOfNow) {
  Scene s;
  TestClipper clipper(2, 1);
  clipper.mesh = test_meshes::Box(ON_3dPoint(-1, -1, -1), ON_3dPoint(0.1, 1, 1));
  s.Register(clipper);
  CRhinoObject* sphere = s.doc.AddMeshObject(SphereAt(ON_3dPoint(0, 0, 0), 0.5));
  ASSERT_TRUE(s.Frame());
  clipper.level = 0;
  ASSERT_EQ(CacheOf(sphere)->m_phantom.m_caches[0].m_clip_state, 0);

  ON_Xform xform;
  xform.Translation(ON_3dVector(0, 0, 0.01));
  s.doc.BeginUndoRecord(nullptr);
  ASSERT_NE(s.doc.TransformObject(CRhinoObjRef(sphere), xform), nullptr);
  s.doc.EndUndoRecord();
  ASSERT_TRUE(s.Frame());
  // The client moves its cutter away from the sphere.
  clipper.mesh = test_meshes::Box(ON_3dPoint(5, 5, 5), ON_3dPoint(6, 6, 6));
  clipper.level = 1;
  Service().m_bDocumentChanged = true;
  ASSERT_TRUE(s.Frame());
  clipper.level = 0;

  ASSERT_TRUE(s.doc.Undo());
  ASSERT_TRUE(s.Frame());
  ASSERT_FALSE(sphere->IsDeleted());
  ASSERT_NE(CacheOf(sphere), nullptr);
  EXPECT_EQ(CacheOf(sphere)->m_phantom.m_caches[0].m_clip_state, 1);
  EXPECT_EQ(CompareWithFreshBuild(s.doc), "");
}

} // namespace
