#include "platform/network.h"

#include <cctype>
#include <optional>

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

DWORD WNetGetUniversalName(const std::string& localPath, std::string& universalName,
                           std::size_t bufferSize) {
  const auto result = [](DWORD code) {
    SetLastError(code);
    return code;
  };
  if (localPath.size() < 2 || localPath[1] != ':' ||
      !std::isalpha(static_cast<unsigned char>(localPath[0]))) {
    return result(ERROR_BAD_DEVICE);
  }
  const std::optional<THive> hive = ReadHive();
  if (!hive) return result(ERROR_NO_NETWORK);
  const THiveValue* connection = hive->FindValue(kConnectionsKey, localPath.substr(0, 2));
  const auto remote = connection != nullptr ? Text(*connection) : std::nullopt;
  if (!remote || remote->empty()) return result(ERROR_NOT_CONNECTED);

  std::string rest = localPath.substr(2);
  std::string name = *remote;
  if (!name.ends_with('\\') && !rest.empty() && !rest.starts_with('\\')) name += '\\';
  if (name.ends_with('\\') && rest.starts_with('\\')) rest.erase(0, 1);
  name += rest;
  if (name.size() + 1 > bufferSize) return result(ERROR_MORE_DATA);
  universalName = name;
  return result(NO_ERROR);
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
