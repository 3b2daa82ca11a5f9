#include "platform/tests/pe_image.h"

namespace win_testing {

namespace {

constexpr std::uint32_t kHeadersOffset = 0x40;
constexpr std::uint32_t kSectionRva = 0x1000;
constexpr std::uint32_t kSectionOffset = 0x200;
// The resource tree: type, name and language directories of one entry
// each, the data entry, then the data.
constexpr std::uint32_t kNameDirectory = 0x18;
constexpr std::uint32_t kLanguageDirectory = 0x30;
constexpr std::uint32_t kDataEntry = 0x48;
constexpr std::uint32_t kData = 0x58;
constexpr std::uint32_t kSubdirectory = 0x80000000;

void Put(std::string& image, std::size_t offset, std::uint64_t value, int size) {
  if (image.size() < offset + size) image.resize(offset + size, '\0');
  for (int i = 0; i < size; ++i) image[offset + i] = static_cast<char>(value >> (8 * i) & 0xFF);
}

void PutDirectory(std::string& image, std::size_t at, std::uint32_t id, std::uint32_t target) {
  Put(image, at + 14, 1, 2);  // one entry with a number
  Put(image, at + 16, id, 4);
  Put(image, at + 20, target, 4);
}

}  // namespace

std::string BuildPeImage(const TPeImageSpec& spec) {
  std::string image(kSectionOffset, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Put(image, 0x3C, kHeadersOffset, 4);
  Put(image, kHeadersOffset, 0x00004550, 4);  // "PE\0\0"
  const std::size_t coff = kHeadersOffset + 4;
  const std::uint32_t optionalSize = spec.Pe32Plus ? 240 : 224;
  Put(image, coff, spec.Pe32Plus ? 0x8664 : 0x14C, 2);
  Put(image, coff + 2, 1, 2);
  Put(image, coff + 16, optionalSize, 2);
  Put(image, coff + 18, 0x0102, 2);
  const std::size_t optional = coff + 20;
  Put(image, optional, spec.Pe32Plus ? 0x20B : 0x10B, 2);
  const std::size_t directories = optional + (spec.Pe32Plus ? 108 : 92);
  Put(image, directories, 16, 4);

  std::string section(kData, '\0');
  PutDirectory(section, 0, spec.ResourceType, kSubdirectory | kNameDirectory);
  PutDirectory(section, kNameDirectory, 1, kSubdirectory | kLanguageDirectory);
  PutDirectory(section, kLanguageDirectory, 0x0409, kDataEntry);
  Put(section, kDataEntry, kSectionRva + kData, 4);
  Put(section, kDataEntry + 4, spec.ResourceData.size(), 4);
  section += spec.ResourceData;
  const std::size_t rawSize = (section.size() + 0x1FF) & ~std::size_t{0x1FF};
  section.resize(rawSize, '\0');
  if (spec.HasResources) {
    Put(image, directories + 4 + 8 * 2, kSectionRva, 4);
    Put(image, directories + 8 + 8 * 2, section.size(), 4);
  }

  const std::size_t table = optional + optionalSize;
  image.replace(table, 6, ".rsrc\0", 6);
  Put(image, table + 8, section.size(), 4);
  Put(image, table + 12, kSectionRva, 4);
  Put(image, table + 16, rawSize, 4);
  Put(image, table + 20, kSectionOffset, 4);
  Put(image, table + 36, 0x40000040, 4);
  return image + section;
}

std::string PeImageWithVersion(const std::string& versionBlock) {
  TPeImageSpec spec;
  spec.ResourceData = versionBlock;
  return BuildPeImage(spec);
}

}  // namespace win_testing
