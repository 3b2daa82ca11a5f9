// The remaining lines of the joined capture text while the account split
// takes its pages out, with an index built once over the whole text.
//
// The split gathers an account's pages by searching, again and again, for
// the first remaining line equal (without regard to letter case) to the
// account's key line, and taking the page around it. Lines of equal content
// are chained at construction, and the remaining lines form a linked list,
// so every search and every take costs time in proportion to what it finds
// and takes, and the whole split is linear in the text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "splitter/engine/huge_page_allocator.h"
#include "splitter/engine/joined_text.h"

namespace splitter {

class TAccountPages {
 public:
  // Indexes `text`, which must outlive this object.
  explicit TAccountPages(const TJoinedText& text);

  bool Empty() const { return FRemaining == 0; }

  // The 0-based original index of the remaining line at `position`, if the
  // remaining text has that many lines.
  std::optional<std::uint32_t> RemainingAt(std::size_t position) const;

  enum class TTakeResult {
    Taken,  // no line equal to the key line remains, or nothing remains
    Stuck,  // a page cannot be taken, so the search would repeat forever
  };
  // Moves every page of the account whose key line is the original line
  // `keyIndex` into `batch`, in text order: while a line equal to it
  // remains, the `numLines` lines starting `accountLine` - 1 lines above the
  // first such line (fewer at the end of the text). `attempts` grows by
  // `numLines` per page, one for each line the take tried. Stuck when
  // `numLines` is 0 or less, when the account line lies outside the page, or
  // when an equal line stands too near the top for its page to start; the
  // pages taken before are then in `batch`.
  TTakeResult TakeAccount(std::uint32_t keyIndex, int numLines, int accountLine,
                          std::vector<std::string_view>& batch, long long& attempts);

  // Moves every remaining line into `batch`, in text order.
  void TakeAll(std::vector<std::string_view>& batch);
  // Drops every remaining line.
  void DiscardAll();

 private:
  static constexpr std::uint32_t kNone = UINT32_MAX;

  void BuildClasses();
  void Unlink(std::uint32_t index);
  std::uint32_t FirstRemainingOfClass(std::uint32_t cls);

  const TJoinedText& FText;
  std::size_t FRemaining;
  std::uint32_t FHead;
  THugeVector<std::uint32_t> FNext;
  THugeVector<std::uint32_t> FPrev;
  std::vector<bool> FTaken;
  // Lines of equal content (ignoring case) share a class: FClassOf names
  // its slot in FClassSlots, which holds the first member that may still
  // remain, and FNextSame chains each line to the next one of its class.
  static constexpr std::uint64_t kEmptySlot = UINT64_MAX;
  THugeVector<std::uint32_t> FClassOf;
  THugeVector<std::uint32_t> FNextSame;
  THugeVector<std::uint64_t> FClassSlots;
};

}  // namespace splitter
