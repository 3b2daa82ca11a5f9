#include "platform/version_image.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace win {

namespace {

constexpr std::uint32_t kResourceTypeVersion = 16;
constexpr std::uint32_t kHighBit = 0x80000000;

// Little-endian numbers at offsets that may lie outside the image: a read
// that does not fit gives nothing.
class TImageReader {
 public:
  explicit TImageReader(std::string_view image) : FImage(image) {}

  std::optional<std::uint64_t> Number(std::uint64_t offset, int size) const {
    if (offset > FImage.size() || FImage.size() - offset < static_cast<std::uint64_t>(size)) {
      return std::nullopt;
    }
    std::uint64_t value = 0;
    for (int i = size - 1; i >= 0; --i) {
      value = value << 8 | static_cast<unsigned char>(FImage[offset + i]);
    }
    return value;
  }
  std::optional<std::uint32_t> Word(std::uint64_t offset) const { return Narrowed(offset, 2); }
  std::optional<std::uint32_t> Dword(std::uint64_t offset) const { return Narrowed(offset, 4); }

  std::optional<std::string_view> Bytes(std::uint64_t offset, std::uint64_t size) const {
    if (offset > FImage.size() || FImage.size() - offset < size) return std::nullopt;
    return FImage.substr(offset, size);
  }

 private:
  std::optional<std::uint32_t> Narrowed(std::uint64_t offset, int size) const {
    const auto value = Number(offset, size);
    if (!value) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
  }

  std::string_view FImage;
};

// ---- PE

struct TSection {
  std::uint32_t VirtualAddress = 0;
  std::uint32_t VirtualSize = 0;
  std::uint32_t RawSize = 0;
  std::uint32_t RawOffset = 0;
};

class TPeImage {
 public:
  explicit TPeImage(std::string_view image) : FReader(image) {}

  DWORD Find(std::string_view& block) {
    const auto headers = FReader.Dword(0x3C);
    if (!headers || FReader.Dword(*headers) != 0x00004550u) return ERROR_BAD_FORMAT;
    const std::uint64_t coff = *headers + 4;
    const auto sectionCount = FReader.Word(coff + 2);
    const auto optionalSize = FReader.Word(coff + 16);
    const std::uint64_t optional = coff + 20;
    const auto magic = FReader.Word(optional);
    if (!sectionCount || !optionalSize || !magic) return ERROR_BAD_FORMAT;
    std::uint64_t directories = 0;
    if (*magic == 0x10B) {
      directories = optional + 92;
    } else if (*magic == 0x20B) {
      directories = optional + 108;
    } else {
      return ERROR_BAD_FORMAT;
    }
    const std::uint64_t sectionTable = optional + *optionalSize;
    for (std::uint32_t i = 0; i < *sectionCount; ++i) {
      const std::uint64_t entry = sectionTable + 40 * std::uint64_t{i};
      const auto virtualSize = FReader.Dword(entry + 8);
      const auto virtualAddress = FReader.Dword(entry + 12);
      const auto rawSize = FReader.Dword(entry + 16);
      const auto rawOffset = FReader.Dword(entry + 20);
      if (!virtualSize || !virtualAddress || !rawSize || !rawOffset) return ERROR_BAD_FORMAT;
      FSections.push_back({*virtualAddress, *virtualSize, *rawSize, *rawOffset});
    }
    const auto directoryCount = FReader.Dword(directories);
    if (!directoryCount) return ERROR_BAD_FORMAT;
    constexpr std::uint32_t kResourceDirectory = 2;
    if (*directoryCount <= kResourceDirectory) return ERROR_RESOURCE_DATA_NOT_FOUND;
    const auto resourceRva = FReader.Dword(directories + 4 + 8 * kResourceDirectory);
    if (!resourceRva) return ERROR_BAD_FORMAT;
    if (*resourceRva == 0) return ERROR_RESOURCE_DATA_NOT_FOUND;
    const auto resources = FileOffset(*resourceRva);
    if (!resources) return ERROR_BAD_FORMAT;
    FResources = *resources;
    return FindVersionData(block);
  }

 private:
  std::optional<std::uint64_t> FileOffset(std::uint64_t rva) const {
    for (const TSection& section : FSections) {
      if (rva < section.VirtualAddress) continue;
      const std::uint64_t inside = rva - section.VirtualAddress;
      if (inside < section.RawSize && inside < std::max(section.VirtualSize, section.RawSize)) {
        return section.RawOffset + inside;
      }
    }
    return std::nullopt;
  }

  // The entry of a resource directory with `id`, or its first entry when
  // `id` is not given: the entry's target, with the subdirectory bit.
  std::optional<std::uint32_t> Entry(std::uint32_t directory, std::optional<std::uint32_t> id) {
    const std::uint64_t at = FResources + directory;
    const auto named = FReader.Word(at + 12);
    const auto numbered = FReader.Word(at + 14);
    if (!named || !numbered) return std::nullopt;
    for (std::uint32_t i = 0; i < *named + *numbered; ++i) {
      const std::uint64_t entry = at + 16 + 8 * std::uint64_t{i};
      const auto name = FReader.Dword(entry);
      const auto target = FReader.Dword(entry + 4);
      if (!name || !target) return std::nullopt;
      if (!id || *name == *id) return *target;
    }
    return std::nullopt;
  }

  DWORD FindVersionData(std::string_view& block) {
    std::uint32_t directory = 0;
    // Type, then name, then language: two subdirectories, then the data.
    for (int level = 0; level < 3; ++level) {
      const auto target =
          Entry(directory, level == 0 ? std::optional(kResourceTypeVersion) : std::nullopt);
      if (!target) return ERROR_RESOURCE_TYPE_NOT_FOUND;
      const bool subdirectory = (*target & kHighBit) != 0;
      if (subdirectory != (level < 2)) return ERROR_RESOURCE_TYPE_NOT_FOUND;
      directory = *target & ~kHighBit;
    }
    const auto dataRva = FReader.Dword(FResources + directory);
    const auto dataSize = FReader.Dword(FResources + directory + 4);
    if (!dataRva || !dataSize) return ERROR_RESOURCE_TYPE_NOT_FOUND;
    const auto dataOffset = FileOffset(*dataRva);
    if (!dataOffset) return ERROR_RESOURCE_TYPE_NOT_FOUND;
    const auto bytes = FReader.Bytes(*dataOffset, *dataSize);
    if (!bytes) return ERROR_RESOURCE_TYPE_NOT_FOUND;
    block = *bytes;
    return ERROR_SUCCESS;
  }

  TImageReader FReader;
  std::vector<TSection> FSections;
  std::uint64_t FResources = 0;
};

// ---- ELF (little-endian, 32 or 64 bits)

DWORD FindElfSection(std::string_view image, std::string_view& block) {
  const TImageReader reader(image);
  const bool wide = image[4] == 2;
  if ((image[4] != 1 && !wide) || image[5] != 1) return ERROR_BAD_FORMAT;
  const int addressSize = wide ? 8 : 4;
  const auto tableOffset = reader.Number(wide ? 0x28 : 0x20, addressSize);
  const auto entrySize = reader.Word(wide ? 0x3A : 0x2E);
  const auto count = reader.Word(wide ? 0x3C : 0x30);
  const auto namesIndex = reader.Word(wide ? 0x3E : 0x32);
  if (!tableOffset || !entrySize || !count || !namesIndex) return ERROR_BAD_FORMAT;
  if (*entrySize < (wide ? 64u : 40u)) return ERROR_BAD_FORMAT;
  // The whole table must lie in the file, so no entry's offset can wrap.
  if (*tableOffset > image.size() || (image.size() - *tableOffset) / *entrySize < *count) {
    return ERROR_BAD_FORMAT;
  }

  struct TElfSection {
    std::uint32_t Name = 0;
    std::uint32_t Type = 0;
    std::uint64_t Offset = 0;
    std::uint64_t Size = 0;
  };
  const auto section = [&](std::uint32_t index) -> std::optional<TElfSection> {
    const std::uint64_t at = *tableOffset + std::uint64_t{*entrySize} * index;
    const auto name = reader.Dword(at);
    const auto type = reader.Dword(at + 4);
    const auto offset = reader.Number(at + (wide ? 24 : 16), addressSize);
    const auto size = reader.Number(at + (wide ? 32 : 20), addressSize);
    if (!name || !type || !offset || !size) return std::nullopt;
    return TElfSection{*name, *type, *offset, *size};
  };

  if (*namesIndex >= *count) return ERROR_BAD_FORMAT;
  const auto names = section(*namesIndex);
  if (!names) return ERROR_BAD_FORMAT;
  const auto nameTable = reader.Bytes(names->Offset, names->Size);
  if (!nameTable) return ERROR_BAD_FORMAT;
  constexpr std::uint32_t kNoBits = 8;
  const std::string_view wanted(kVersionSection, sizeof kVersionSection);  // with its zero
  for (std::uint32_t i = 0; i < *count; ++i) {
    const auto candidate = section(i);
    if (!candidate) return ERROR_BAD_FORMAT;
    if (candidate->Name >= nameTable->size() || candidate->Type == kNoBits) continue;
    if (nameTable->substr(candidate->Name, wanted.size()) != wanted) continue;
    const auto bytes = reader.Bytes(candidate->Offset, candidate->Size);
    if (!bytes) return ERROR_BAD_FORMAT;
    block = *bytes;
    return ERROR_SUCCESS;
  }
  return ERROR_RESOURCE_TYPE_NOT_FOUND;
}

}  // namespace

DWORD FindVersionBlock(std::string_view image, std::string_view& block) {
  if (image.size() >= 64 && image.starts_with("MZ")) return TPeImage(image).Find(block);
  if (image.size() >= 52 && image.starts_with("\x7F"
                                              "ELF"))
    return FindElfSection(image, block);
  return ERROR_BAD_FORMAT;
}

}  // namespace win
