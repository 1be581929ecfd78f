// Object attributes: defaults, copying, parental control and storage.

#include <gtest/gtest.h>

#include "opennurbs.h"

namespace {

TEST(Attributes, DefaultsAndModes) {
  ON_3dmObjectAttributes a;
  EXPECT_TRUE(a.m_name.IsEmpty());
  EXPECT_TRUE(ON_UuidIsNil(a.m_uuid));
  EXPECT_EQ(a.m_layer_index, 0);
  EXPECT_EQ(a.MaterialSource(), ON::material_from_layer);
  EXPECT_EQ(a.Mode(), ON::normal_object);
  a.SetMode(ON::hidden_object);
  EXPECT_FALSE(a.IsVisible());
  a.SetMode(ON::locked_object);
  EXPECT_TRUE(a.IsLocked());
  EXPECT_TRUE(a.IsVisible());
  EXPECT_EQ(static_cast<int>(ON::material_from_parent), 3);
}

TEST(Attributes, CopiesAreIndependent) {
  ON_3dmObjectAttributes a;
  a.m_name = L"Wall";
  a.m_uuid = ON_CreateId();
  a.m_layer_index = 4;
  a.m_color = ON_Color(10, 20, 30);
  ON_3dmObjectAttributes b = a;
  b.m_name = L"Door";
  EXPECT_EQ(a.m_name, ON_wString(L"Wall"));
  EXPECT_EQ(b.m_uuid, a.m_uuid);
  EXPECT_EQ(b.m_layer_index, 4);
  EXPECT_EQ(b.m_color.Green(), 20);
  EXPECT_EQ(a.ModelObjectId(), a.m_uuid);
}

TEST(Attributes, ParentalControlResolvesFromParentSettings) {
  ON_Layer parent_layer;
  parent_layer.m_color = ON_Color(1, 2, 3);
  parent_layer.m_material_index = 9;

  ON_3dmObjectAttributes parent;
  parent.m_layer_index = 6;
  parent.m_material_index = 5;
  parent.SetMaterialSource(ON::material_from_object);
  parent.m_color = ON_Color(200, 0, 0);
  parent.SetColorSource(ON::color_from_object);

  ON_3dmObjectAttributes child;
  child.SetMaterialSource(ON::material_from_parent);
  child.SetColorSource(ON::color_from_parent);
  child.ApplyParentalControl(parent, parent_layer, 0xFFFFFFFF);
  EXPECT_EQ(child.MaterialSource(), ON::material_from_object);
  EXPECT_EQ(child.m_material_index, 5);
  EXPECT_EQ(child.m_color, ON_Color(200, 0, 0));
  EXPECT_EQ(child.ColorSource(), ON::color_from_object);
  EXPECT_EQ(child.m_layer_index, 6); // default-layer members take the instance's layer

  // A parent that takes its material from its layer hands down the layer's.
  parent.SetMaterialSource(ON::material_from_layer);
  parent.SetColorSource(ON::color_from_layer);
  ON_3dmObjectAttributes child2;
  child2.SetMaterialSource(ON::material_from_parent);
  child2.SetColorSource(ON::color_from_parent);
  child2.m_layer_index = 2;
  child2.ApplyParentalControl(parent, parent_layer, 0xFFFFFFFF);
  EXPECT_EQ(child2.m_material_index, 9);
  EXPECT_EQ(child2.MaterialSource(), ON::material_from_object);
  EXPECT_EQ(child2.m_color, ON_Color(1, 2, 3));
  EXPECT_EQ(child2.m_layer_index, 2); // own layer kept

  // Settings that do not defer to the parent, or limits without the bit,
  // are left alone.
  ON_3dmObjectAttributes own;
  own.SetMaterialSource(ON::material_from_object);
  own.m_material_index = 1;
  own.ApplyParentalControl(parent, parent_layer, 0xFFFFFFFF);
  EXPECT_EQ(own.m_material_index, 1);
  ON_3dmObjectAttributes limited;
  limited.SetMaterialSource(ON::material_from_parent);
  limited.ApplyParentalControl(parent, parent_layer, 0x01);
  EXPECT_EQ(limited.MaterialSource(), ON::material_from_parent);
}

TEST(Attributes, ArchiveRoundTripAndRejection) {
  ON_3dmObjectAttributes a;
  a.m_name = L"Säule 7";
  a.m_uuid = ON_CreateId();
  a.m_layer_index = 3;
  a.m_material_index = 2;
  a.SetMode(ON::locked_object);
  a.SetMaterialSource(ON::material_from_parent);
  ON_BinaryArchive out;
  ASSERT_TRUE(a.Write(out));
  ON_BinaryArchive in(out.Buffer().data(), out.Buffer().size());
  ON_3dmObjectAttributes b;
  ASSERT_TRUE(b.Read(in));
  EXPECT_EQ(b.m_name, a.m_name);
  EXPECT_EQ(b.m_uuid, a.m_uuid);
  EXPECT_EQ(b.Mode(), ON::locked_object);
  EXPECT_EQ(b.MaterialSource(), ON::material_from_parent);
  ON_BinaryArchive cut(out.Buffer().data(), 7);
  ON_3dmObjectAttributes c;
  EXPECT_FALSE(c.Read(cut));
  EXPECT_TRUE(c.m_name.IsEmpty());
}

TEST(LayerMaterialColor, ValuesAndClamping) {
  const ON_Color clash(240, 0, 0);
  EXPECT_EQ(static_cast<unsigned int>(clash), 240u);
  const ON_Color c(0x12, 0x34, 0x56);
  EXPECT_EQ(static_cast<unsigned int>(c), 0x563412u);
  EXPECT_EQ(ON_Color(0x00563412u).Blue(), 0x56);
  EXPECT_EQ(ON_Color(300, -5, 128).Red(), 255);
  EXPECT_EQ(ON_Color(300, -5, 128).Green(), 0);

  ON_Material m;
  m.SetTransparency(1.5);
  EXPECT_EQ(m.Transparency(), 1.0);
  m.SetShine(-3);
  EXPECT_EQ(m.Shine(), 0.0);
  m.SetDiffuse(clash);
  ON_BinaryArchive out;
  ASSERT_TRUE(m.Write(out));
  ON_BinaryArchive in(out.Buffer().data(), out.Buffer().size());
  ON_Material r;
  ASSERT_TRUE(r.Read(in));
  EXPECT_EQ(r.Diffuse(), clash);

  ON_Layer layer;
  layer.SetName(L"Walls");
  layer.SetVisible(false);
  ON_Layer copy = layer;
  EXPECT_EQ(copy.Name(), ON_wString(L"Walls"));
  EXPECT_FALSE(copy.IsVisible());
}

} // namespace
