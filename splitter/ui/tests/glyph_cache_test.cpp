#include "splitter/ui/glyph_cache.h"

#include <QImage>
#include <gtest/gtest.h>

namespace splitter {
namespace {

QImage Filled(QRgb colour) {
  QImage image(4, 4, QImage::Format_RGB32);
  image.fill(colour);
  return image;
}

TEST(GlyphListTest, NewImagesTakeTheLowestFreeSlotAndTheListOnlyGrows) {
  TGlyphList list(QSize(4, 4));
  EXPECT_EQ(list.Add(Filled(0xFF0000FF)), 0);
  EXPECT_EQ(list.Add(Filled(0xFF00FF00)), 1);
  EXPECT_EQ(list.Add(Filled(0xFFFF0000)), 2);
  list.Delete(0);
  list.Delete(1);
  EXPECT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Capacity(), 3);

  EXPECT_EQ(list.Add(Filled(0xFF123456)), 0);
  EXPECT_EQ(list.Image(0).pixel(1, 1), 0xFF123456u);
  EXPECT_EQ(list.Image(2).pixel(1, 1), 0xFFFF0000u) << "other images keep their slots";
  EXPECT_EQ(list.Add(Filled(0xFF654321)), 1);
  EXPECT_EQ(list.Add(Filled(0xFF111111)), 3);
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Capacity(), 4);
}

TEST(GlyphListTest, DeletingAFreeOrUnknownSlotChangesNothing) {
  TGlyphList list(QSize(4, 4));
  list.Add(Filled(0xFF0000FF));
  list.Delete(0);
  list.Delete(0);
  list.Delete(5);
  list.Delete(-1);
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 1);
}

TEST(GlyphListTest, AMaskedImageIsTransparentExactlyWhereTheMaskColourWas) {
  TGlyphList list(QSize(4, 4));
  QImage image = Filled(0xFF808000);
  image.setPixel(2, 1, 0xFFFF0000);
  const int index = list.AddMasked(image, 0xFF808000);
  EXPECT_EQ(list.Image(index).pixel(2, 1), 0xFFFF0000u);
  EXPECT_EQ(qAlpha(list.Image(index).pixel(0, 0)), 0);

  const int opaque = list.Add(image);
  EXPECT_EQ(list.Image(opaque).pixel(0, 0), 0xFF808000u);
}

TEST(GlyphCacheTest, OneListPerCellSizeThatLivesWhileItHoldsImages) {
  ASSERT_EQ(TGlyphCache::Instance(), nullptr) << "a previous test left the cache behind";
  TGlyphCache& cache = TGlyphCache::Get();
  TGlyphList* small = cache.GetList(QSize(18, 18));
  TGlyphList* tall = cache.GetList(QSize(18, 19));
  EXPECT_NE(small, tall);
  EXPECT_EQ(cache.GetList(QSize(18, 18)), small);
  EXPECT_EQ(cache.ListCount(), 2);

  const int index = small->Add(QImage(18, 18, QImage::Format_RGB32));
  cache.ReturnList(small);
  EXPECT_EQ(cache.ListCount(), 2) << "a list with images stays";
  TGlyphCache::ReleaseIfEmpty();
  EXPECT_EQ(TGlyphCache::Instance(), &cache) << "a cache with lists stays";

  small->Delete(index);
  cache.ReturnList(small);
  cache.ReturnList(tall);
  EXPECT_EQ(cache.ListCount(), 0);
  TGlyphCache::ReleaseIfEmpty();
  EXPECT_EQ(TGlyphCache::Instance(), nullptr);
}

}  // namespace
}  // namespace splitter
