#include "platform/network.h"

#include <cctype>
#include <optional>
#include <utility>

#include "platform/hivefile.h"
#include "platform/prefix.h"

namespace win {

namespace {

constexpr const char* kConnectionsKey = "SOFTWARE\\Zerurud\\Platform\\Network\\Connections";
constexpr const char* kSharesKey = "SOFTWARE\\Zerurud\\Platform\\Network\\Shares";

std::optional<THive> ReadHive() {
  try {
    return LoadHive(HivePath());
  } catch (const Exception&) {
    return std::nullopt;
  }
}

// The value's text when it is one; the tables hold nothing else.
std::optional<std::string> Text(const THiveValue& value) {
  if (value.Type != REG_SZ && value.Type != REG_EXPAND_SZ) return std::nullopt;
  return value.Data.substr(0, value.Data.find('\0'));
}

DWORD Result(DWORD code) {
  SetLastError(code);
  return code;
}

// An open enumeration: the connections as they were when it opened, and
// how many of them were handed out.
class TNetEnumeration : public TKernelObject {
 public:
  explicit TNetEnumeration(std::vector<TNetResource> entries) : FEntries(std::move(entries)) {}

  std::vector<TNetResource> FEntries;
  std::size_t FNext = 0;
};

std::size_t BufferSpace(const TNetResource& entry) {
  return kNetResourceRecordSize + entry.LocalName.size() + 1 + entry.RemoteName.size() + 1;
}

}  // namespace

bool EnumConnectedDisks(std::vector<TNetResource>& resources) {
  const std::optional<THive> hive = ReadHive();
  if (!hive) return Fail(ERROR_NO_NETWORK);
  resources.clear();
  for (const THiveValue& value : hive->Values(kConnectionsKey)) {
    if (const auto remote = Text(value)) resources.push_back({value.Name, *remote});
  }
  SetLastError(ERROR_SUCCESS);
  return true;
}

DWORD WNetOpenEnum(DWORD scope, DWORD type, DWORD /*usage*/, const TNetResource* container,
                   HANDLE& enumHandle) {
  if (scope != RESOURCE_CONNECTED) return Result(ERROR_NOT_SUPPORTED);
  if (container != nullptr) return Result(ERROR_INVALID_PARAMETER);
  std::vector<TNetResource> entries;
  if (type == RESOURCETYPE_DISK || type == RESOURCETYPE_ANY) {
    std::vector<TNetResource> disks;
    if (!EnumConnectedDisks(disks)) return Result(ERROR_NO_NETWORK);
    for (TNetResource& disk : disks) {
      if (disk.RemoteName.size() > 2 && disk.RemoteName.ends_with('\\')) {
        disk.RemoteName.pop_back();
      }
      if (!disk.RemoteName.empty()) entries.push_back(std::move(disk));
    }
  }
  enumHandle = new TNetEnumeration(std::move(entries));
  return Result(NO_ERROR);
}

DWORD WNetEnumResource(HANDLE enumHandle, DWORD& count, std::vector<TNetResource>& entries,
                       std::size_t bufferSize) {
  const DWORD wanted = count;
  count = 0;
  entries.clear();
  auto* enumeration = HandleObject<TNetEnumeration>(enumHandle);
  if (enumeration == nullptr) return Result(ERROR_INVALID_HANDLE);
  const std::vector<TNetResource>& all = enumeration->FEntries;
  if (enumeration->FNext == all.size()) return Result(ERROR_NO_MORE_ITEMS);
  std::size_t used = 0;
  while (count < wanted && enumeration->FNext < all.size() &&
         used + BufferSpace(all[enumeration->FNext]) <= bufferSize) {
    used += BufferSpace(all[enumeration->FNext]);
    entries.push_back(all[enumeration->FNext++]);
    ++count;
  }
  return Result(count == 0 ? ERROR_MORE_DATA : NO_ERROR);
}

DWORD WNetCloseEnum(HANDLE enumHandle) {
  if (HandleObject<TNetEnumeration>(enumHandle) == nullptr) return Result(ERROR_INVALID_HANDLE);
  CloseHandle(enumHandle);
  return Result(NO_ERROR);
}

DWORD WNetGetUniversalName(const std::string& localPath, std::string& universalName,
                           std::size_t bufferSize) {
  if (localPath.size() < 2 || localPath[1] != ':' ||
      !std::isalpha(static_cast<unsigned char>(localPath[0]))) {
    return Result(ERROR_BAD_DEVICE);
  }
  const std::optional<THive> hive = ReadHive();
  if (!hive) return Result(ERROR_NO_NETWORK);
  const THiveValue* connection = hive->FindValue(kConnectionsKey, localPath.substr(0, 2));
  const auto remote = connection != nullptr ? Text(*connection) : std::nullopt;
  if (!remote || remote->empty()) return Result(ERROR_NOT_CONNECTED);

  std::string rest = localPath.substr(2);
  std::string name = *remote;
  if (!name.ends_with('\\') && !rest.empty() && !rest.starts_with('\\')) name += '\\';
  if (name.ends_with('\\') && rest.starts_with('\\')) rest.erase(0, 1);
  name += rest;
  if (name.size() + 1 > bufferSize) return Result(ERROR_MORE_DATA);
  universalName = name;
  return Result(NO_ERROR);
}

bool FindShareHostFolder(const std::string& remoteName, std::filesystem::path& hostFolder) {
  std::string_view share = remoteName;
  if (share.size() > 2 && share.ends_with('\\')) share.remove_suffix(1);
  const std::optional<THive> hive = ReadHive();
  if (!hive) return Fail(ERROR_NO_NETWORK);
  const THiveValue* entry = hive->FindValue(kSharesKey, share);
  const auto folder = entry != nullptr ? Text(*entry) : std::nullopt;
  if (!folder || folder->empty()) return Fail(ERROR_BAD_NET_NAME);
  hostFolder = *folder;
  return true;
}

}  // namespace win
