#include "winkit/wk_resource.h"

#include <gtest/gtest.h>

#include "winkit/gdiplus_bitmap_resource.h"
#include "winkit/wk_gdi.h"
#include "winkit/wk_gdiplus.h"

namespace {

TEST(WkResource, StringsMenusAndAbsentIds) {
  EXPECT_EQ(WkLoadString(100), L"Hello from the table");
  EXPECT_EQ(WkLoadString(101), L"");
  WkMenu menu(WkLoadMenu(200));
  ASSERT_TRUE(menu);
  HMENU popup = GetSubMenu(menu.get(), 0);
  EXPECT_EQ(GetMenuItemCount(popup), 2);
  EXPECT_EQ(GetMenuItemID(popup, 1), 301u);
  EXPECT_FALSE(WkMenu(WkLoadMenu(201)));
  EXPECT_EQ(WkLoadIcon(999, 16), nullptr);
  EXPECT_EQ(WkLoadBitmap(999), nullptr);
}

class GdiplusTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(gdiplus.Startup()); }
  WkGdiplus gdiplus;
};

TEST_F(GdiplusTest, PngResourceLoadsAndReloads) {
  CGdiPlusBitmapResource image;
  ASSERT_TRUE(image.Load(100));
  EXPECT_EQ(image.GetWidth(), 4u);
  EXPECT_EQ(image.GetHeight(), 3u);
  Gdiplus::Color colour;
  ASSERT_EQ(image.bitmap()->GetPixel(1, 1, &colour), Gdiplus::Ok);
  EXPECT_EQ(colour.GetR(), 200);
  EXPECT_EQ(colour.GetB(), 40);
  ASSERT_TRUE(image.Load(100)) << "loading again replaces the first";
  EXPECT_EQ(image.GetWidth(), 4u);
}

TEST_F(GdiplusTest, BrokenOrAbsentPngLeavesNoBitmap) {
  CGdiPlusBitmapResource image;
  ASSERT_TRUE(image.Load(100));
  EXPECT_FALSE(image.Load(101)) << "a PNG cut short";
  EXPECT_EQ(image.bitmap(), nullptr);
  EXPECT_EQ(image.GetWidth(), 0u);
  EXPECT_FALSE(image.Load(4242));
  EXPECT_FALSE(image.Load(100, L"NOTYPE"));
  EXPECT_EQ(image.bitmap(), nullptr);
}

TEST_F(GdiplusTest, FontsFallBackToAFamilyThatExists) {
  EXPECT_NE(WkFontFamily(L"Tahoma"), nullptr);
  std::unique_ptr<Gdiplus::Font> font = WkGdiplusFont(L"No Such Family 123", 10);
  ASSERT_NE(font, nullptr);
  EXPECT_NEAR(font->GetSize(), 10.0f, 0.01f);
}

TEST(WkGdiplus, StartsOnceAndShutsDown) {
  WkGdiplus gdiplus;
  EXPECT_FALSE(gdiplus.started());
  ASSERT_TRUE(gdiplus.Startup());
  EXPECT_TRUE(gdiplus.started());
  gdiplus.Shutdown();
  EXPECT_FALSE(gdiplus.started());
  gdiplus.Shutdown();
}

}  // namespace
