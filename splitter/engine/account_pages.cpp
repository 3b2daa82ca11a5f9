#include "splitter/engine/account_pages.h"

#include <bit>
#include <cstring>

#include "platform/error.h"

namespace splitter {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;

// The eight bytes with ASCII a-z turned into A-Z, all at once.
std::uint64_t UpperWord(std::uint64_t w) {
  std::uint64_t low7 = w & ~kHighBits;
  std::uint64_t atLeastA = low7 + (0x80 - 'a') * kOnes;
  std::uint64_t aboveZ = low7 + (0x80 - 'z' - 1) * kOnes;
  std::uint64_t lowerCase = (atLeastA ^ aboveZ) & ~w & kHighBits;
  return w ^ (lowerCase >> 2);
}

std::uint64_t LoadWord(const char* p, std::size_t n) {
  std::uint64_t w = 0;
  std::memcpy(&w, p, n);
  return w;
}

std::uint64_t LineHashIgnoringCase(std::string_view line) {
  std::uint64_t h = line.size() * 0x9E3779B97F4A7C15ULL;
  std::size_t i = 0;
  for (; i + 8 <= line.size(); i += 8) {
    h = (h ^ UpperWord(LoadWord(line.data() + i, 8))) * 0xFF51AFD7ED558CCDULL;
    h ^= h >> 29;
  }
  if (i < line.size()) {
    h = (h ^ UpperWord(LoadWord(line.data() + i, line.size() - i))) * 0xFF51AFD7ED558CCDULL;
  }
  return h ^ (h >> 32);
}

bool SameLineIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  std::size_t i = 0;
  for (; i + 8 <= a.size(); i += 8) {
    if (UpperWord(LoadWord(a.data() + i, 8)) != UpperWord(LoadWord(b.data() + i, 8))) return false;
  }
  std::size_t rest = a.size() - i;
  return UpperWord(LoadWord(a.data() + i, rest)) == UpperWord(LoadWord(b.data() + i, rest));
}

}  // namespace

TAccountPages::TAccountPages(const TJoinedText& text)
    : FText(text), FRemaining(text.Count()), FHead(text.Empty() ? kNone : 0) {
  if (text.Count() >= kNone) throw win::Exception("The capture text has too many lines to split.");
  const auto count = static_cast<std::uint32_t>(text.Count());
  FNext.resize(count);
  FPrev.resize(count);
  FTaken.assign(count, false);
  for (std::uint32_t i = 0; i < count; ++i) {
    FNext[i] = i + 1 < count ? i + 1 : kNone;
    FPrev[i] = i > 0 ? i - 1 : kNone;
  }
  BuildClasses();
}

void TAccountPages::BuildClasses() {
  const auto count = static_cast<std::uint32_t>(FText.Count());
  FClassOf.resize(count);
  FNextSame.resize(count);
  // Open addressing, at most half full. A slot holds the upper half of its
  // class's hash, so that probing rarely has to compare lines, and the
  // class's first line that may still remain (its cursor).
  const std::size_t slots = std::bit_ceil(std::size_t{2} * count + 2);
  FClassSlots.assign(slots, kEmptySlot);
  // The hashes first, so that the slots can be fetched ahead of their use:
  // the table is far larger than the caches.
  THugeVector<std::uint64_t> hashes(count);
  for (std::uint32_t i = 0; i < count; ++i) hashes[i] = LineHashIgnoringCase(FText.Line(i));
  constexpr std::uint32_t kFetchAhead = 16;
  // From the last line to the first, so that each slot ends up holding its
  // class's first line and every line points to the next one of its class.
  for (std::uint32_t i = count; i-- > 0;) {
    if (i >= kFetchAhead) __builtin_prefetch(&FClassSlots[hashes[i - kFetchAhead] & (slots - 1)]);
    const std::string_view line = FText.Line(i);
    const std::uint64_t hash = hashes[i];
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    std::size_t slot = hash & (slots - 1);
    for (;; slot = (slot + 1) & (slots - 1)) {
      const std::uint64_t entry = FClassSlots[slot];
      if (entry == kEmptySlot) {
        FNextSame[i] = kNone;
        break;
      }
      const auto member = static_cast<std::uint32_t>(entry);
      if (static_cast<std::uint32_t>(entry >> 32) == tag &&
          SameLineIgnoringCase(FText.Line(member), line)) {
        FNextSame[i] = member;
        break;
      }
    }
    FClassSlots[slot] = (std::uint64_t{tag} << 32) | i;
    FClassOf[i] = static_cast<std::uint32_t>(slot);
  }
}

std::optional<std::uint32_t> TAccountPages::RemainingAt(std::size_t position) const {
  if (position >= FRemaining) return std::nullopt;
  std::uint32_t node = FHead;
  while (position-- > 0) node = FNext[node];
  return node;
}

void TAccountPages::Unlink(std::uint32_t index) {
  std::uint32_t prev = FPrev[index];
  std::uint32_t next = FNext[index];
  if (prev == kNone) {
    FHead = next;
  } else {
    FNext[prev] = next;
  }
  if (next != kNone) FPrev[next] = prev;
  FTaken[index] = true;
  --FRemaining;
}

std::uint32_t TAccountPages::FirstRemainingOfClass(std::uint32_t cls) {
  std::uint64_t& entry = FClassSlots[cls];
  auto cursor = static_cast<std::uint32_t>(entry);
  while (cursor != kNone && FTaken[cursor]) cursor = FNextSame[cursor];
  entry = (entry & ~std::uint64_t{kNone}) | cursor;
  return cursor;
}

TAccountPages::TTakeResult TAccountPages::TakeAccount(std::uint32_t keyIndex, int numLines,
                                                      int accountLine,
                                                      std::vector<std::string_view>& batch,
                                                      long long& attempts) {
  // Without lines to take, or with the account line outside the page, the
  // equal line is never taken and would be found again forever.
  const long long above = static_cast<long long>(accountLine) - 1;
  if (numLines <= 0 || above < 0 || above >= numLines) return TTakeResult::Stuck;
  const std::uint32_t cls = FClassOf[keyIndex];
  while (FRemaining > 0) {
    std::uint32_t match = FirstRemainingOfClass(cls);
    if (match == kNone) break;
    std::uint32_t start = match;
    for (long long step = 0; step < above; ++step) {
      start = FPrev[start];
      if (start == kNone) return TTakeResult::Stuck;
    }
    for (int taken = 0; taken < numLines && start != kNone; ++taken) {
      std::uint32_t next = FNext[start];
      batch.push_back(FText.Line(start));
      Unlink(start);
      start = next;
    }
    attempts += numLines;
  }
  return TTakeResult::Taken;
}

void TAccountPages::TakeAll(std::vector<std::string_view>& batch) {
  for (std::uint32_t node = FHead; node != kNone; node = FNext[node]) {
    batch.push_back(FText.Line(node));
  }
  DiscardAll();
}

void TAccountPages::DiscardAll() {
  for (std::uint32_t node = FHead; node != kNone; node = FNext[node]) FTaken[node] = true;
  FHead = kNone;
  FRemaining = 0;
}

}  // namespace splitter
