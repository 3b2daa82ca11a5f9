// The shared image lists that hold the buttons' state images: one list per
// cell size, kept by a process-wide cache that exists only while some list
// does. A list never shrinks: a removed image frees its slot for the next one,
// so buttons that come and go do not reshuffle the images of the others.
// User-interface thread only; nothing here is guarded.
#pragma once

#include <memory>
#include <vector>

#include <QImage>
#include <QPoint>
#include <QRgb>
#include <QSize>

class QPainter;

namespace splitter {

// Images of one cell size. Every image is stored 32-bit with alpha: an image
// added without a mask is opaque, one added with a mask is transparent where
// the mask colour was.
class TGlyphList {
 public:
  explicit TGlyphList(QSize cellSize) : FCellSize(cellSize) {}
  TGlyphList(const TGlyphList&) = delete;
  TGlyphList& operator=(const TGlyphList&) = delete;

  QSize CellSize() const { return FCellSize; }
  // The slot the image went into: the lowest free one, or a new one at the end.
  int Add(const QImage& image);
  // As Add, with the pixels of maskColour (RGB, alpha ignored) transparent.
  int AddMasked(const QImage& image, QRgb maskColour);
  // Frees the slot; the image stays until the slot is reused.
  void Delete(int index);
  // Used slots.
  int Count() const { return FCount; }
  // Slots, used or free.
  int Capacity() const { return int(FImages.size()); }
  const QImage& Image(int index) const { return FImages[std::size_t(index)]; }
  // Draws the image at its natural size. Transparent: through its mask;
  // otherwise its transparent pixels show background.
  void Draw(QPainter& painter, int index, QPoint pos, bool transparent, QRgb background) const;

 private:
  int AllocateSlot();

  QSize FCellSize;
  std::vector<QImage> FImages;
  std::vector<bool> FUsed;
  int FCount = 0;
};

class TGlyphCache {
 public:
  // The cache, created on first need.
  static TGlyphCache& Get();
  // The cache if it exists, else null.
  static TGlyphCache* Instance();
  // Destroys the cache when it holds no list.
  static void ReleaseIfEmpty();

  TGlyphCache(const TGlyphCache&) = delete;
  TGlyphCache& operator=(const TGlyphCache&) = delete;

  // The list for this cell size, created when none matches. Searches from the
  // newest list, the one most likely asked for again.
  TGlyphList* GetList(QSize cellSize);
  // A glyph object lets go of its list; a list nobody uses any more is destroyed.
  void ReturnList(TGlyphList* list);
  int ListCount() const { return int(FLists.size()); }

 private:
  TGlyphCache() = default;

  std::vector<std::unique_ptr<TGlyphList>> FLists;
};

}  // namespace splitter
