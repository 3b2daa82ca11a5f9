#include "splitter/ui/glyph_cache.h"

#include <algorithm>

#include <QPainter>

namespace splitter {

namespace {

std::unique_ptr<TGlyphCache>& CacheSlot() {
  static std::unique_ptr<TGlyphCache> cache;
  return cache;
}

}  // namespace

int TGlyphList::AllocateSlot() {
  const auto freeSlot = std::find(FUsed.begin(), FUsed.end(), false);
  const int index = int(freeSlot - FUsed.begin());
  if (freeSlot == FUsed.end()) {
    FImages.emplace_back();
    FUsed.push_back(false);
  }
  FUsed[std::size_t(index)] = true;
  ++FCount;
  return index;
}

int TGlyphList::Add(const QImage& image) {
  const int index = AllocateSlot();
  FImages[std::size_t(index)] =
      image.convertToFormat(QImage::Format_RGB32).convertToFormat(QImage::Format_ARGB32);
  return index;
}

int TGlyphList::AddMasked(const QImage& image, QRgb maskColour) {
  const int index = AllocateSlot();
  QImage masked = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < masked.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(masked.scanLine(y));
    for (int x = 0; x < masked.width(); ++x) {
      if ((line[x] & 0xFFFFFF) == (maskColour & 0xFFFFFF))
        line[x] = 0;
      else
        line[x] |= 0xFF000000u;
    }
  }
  FImages[std::size_t(index)] = masked;
  return index;
}

void TGlyphList::Delete(int index) {
  if (index < 0 || index >= Capacity() || !FUsed[std::size_t(index)]) return;
  FUsed[std::size_t(index)] = false;
  --FCount;
}

void TGlyphList::Draw(QPainter& painter, int index, QPoint pos, bool transparent,
                      QRgb background) const {
  const QImage& image = Image(index);
  if (!transparent) painter.fillRect(QRect(pos, image.size()), QColor::fromRgb(background));
  painter.drawImage(pos, image);
}

TGlyphCache& TGlyphCache::Get() {
  auto& cache = CacheSlot();
  if (!cache) cache.reset(new TGlyphCache);
  return *cache;
}

TGlyphCache* TGlyphCache::Instance() { return CacheSlot().get(); }

void TGlyphCache::ReleaseIfEmpty() {
  auto& cache = CacheSlot();
  if (cache && cache->FLists.empty()) cache.reset();
}

TGlyphList* TGlyphCache::GetList(QSize cellSize) {
  for (auto list = FLists.rbegin(); list != FLists.rend(); ++list) {
    if ((*list)->CellSize() == cellSize) return list->get();
  }
  FLists.push_back(std::make_unique<TGlyphList>(cellSize));
  return FLists.back().get();
}

void TGlyphCache::ReturnList(TGlyphList* list) {
  if (list->Count() != 0) return;
  std::erase_if(FLists, [list](const auto& held) { return held.get() == list; });
}

}  // namespace splitter
