#include "platform/version.h"

#include <cstring>
#include <optional>
#include <string_view>

#include "platform/files.h"
#include "platform/text.h"
#include "platform/version_block.h"
#include "platform/version_image.h"

namespace win {

namespace {

std::size_t AlignTo4(std::size_t length) { return (length + 3) & ~std::size_t{3}; }

// The block, then room of its size for narrowed texts.
std::size_t InformationSize(std::size_t blockLength) { return 2 * AlignTo4(blockLength); }

bool ReadProgramFile(const std::string& fileName, std::string& image) {
  if (ReadWholeFile(fileName, image)) return true;
  constexpr std::string_view kExtension = ".exe";
  const bool hostProgramName =
      fileName.size() > kExtension.size() &&
      SameText(std::string_view(fileName).substr(fileName.size() - kExtension.size()), kExtension);
  if (GetLastError() != ERROR_FILE_NOT_FOUND || !hostProgramName) return false;
  return ReadWholeFile(fileName.substr(0, fileName.size() - kExtension.size()), image);
}

// The file's sound version block; nothing, with the last error, otherwise.
std::optional<std::string> ReadVersionBlock(const std::string& fileName) {
  std::string image;
  if (fileName.empty()) {
    Fail(ERROR_FILE_NOT_FOUND);
    return std::nullopt;
  }
  if (!ReadProgramFile(fileName, image)) return std::nullopt;
  std::string_view found;
  const DWORD code = FindVersionBlock(image, found);
  if (code != ERROR_SUCCESS) {
    Fail(code);
    return std::nullopt;
  }
  const std::optional<std::size_t> length = VersionBlockLength(found);
  if (!length) {
    Fail(ERROR_INVALID_DATA);
    return std::nullopt;
  }
  return std::string(found.substr(0, *length));
}

}  // namespace

DWORD GetFileVersionInfoSize(const std::string& fileName, DWORD* handle) {
  if (handle != nullptr) *handle = 0;
  const std::optional<std::string> block = ReadVersionBlock(fileName);
  if (!block) return 0;
  SetLastError(ERROR_SUCCESS);
  return static_cast<DWORD>(InformationSize(block->size()));
}

bool GetFileVersionInfo(const std::string& fileName, DWORD /*handle*/, DWORD length, void* data) {
  const std::optional<std::string> block = ReadVersionBlock(fileName);
  if (!block) return false;
  const std::size_t size = InformationSize(block->size());
  if (data == nullptr || length < size) return Fail(ERROR_INSUFFICIENT_BUFFER);
  std::memset(data, 0, size);
  std::memcpy(data, block->data(), block->size());
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool VerQueryValue(const void* block, const std::string& subBlock, void** buffer, UINT* length) {
  if (block == nullptr || buffer == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const auto* bytes = static_cast<const unsigned char*>(block);
  // GetFileVersionInfo checked this length against the block it copied.
  const std::size_t blockLength = bytes[0] | bytes[1] << 8;
  const std::string_view raw(static_cast<const char*>(block), blockLength);
  const std::optional<TVersionValue> value = QueryVersionBlock(raw, subBlock);
  if (!value) return Fail(ERROR_RESOURCE_TYPE_NOT_FOUND);
  if (!value->IsText) {
    *buffer = const_cast<char*>(raw.data() + value->Offset);
    if (length != nullptr) *length = static_cast<UINT>(value->Value.size());
    return true;
  }
  // The narrowed text takes at most half of the room its UTF-16 form has at
  // the same offset, so texts read one after another never overlap.
  char* text = const_cast<char*>(raw.data()) + AlignTo4(blockLength) + value->Offset;
  const std::string narrow = NarrowVersionText(value->Value);
  std::memcpy(text, narrow.data(), narrow.size());
  text[narrow.size()] = '\0';
  *buffer = text;
  if (length != nullptr) *length = static_cast<UINT>(narrow.size() + 1);
  return true;
}

}  // namespace win
