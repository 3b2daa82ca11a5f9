#include "platform/registry.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/hivefile.h"
#include "platform/prefix.h"
#include "platform/text.h"

namespace win {

namespace {

constexpr REGSAM kWriteRights = 0x0006;  // KEY_SET_VALUE | KEY_CREATE_SUB_KEY

std::string Quoted(const std::string& format, const std::string& name) {
  std::string text = format;
  text.replace(text.find("%s"), 2, name);
  return text;
}

[[noreturn]] void RaiseInvalidType(const std::string& name) {
  throw ERegistryException(Quoted("Invalid data type for '%s'", name));
}

[[noreturn]] void RaiseGetFailed(const std::string& name) {
  throw ERegistryException(Quoted("Failed to get data for '%s'", name));
}

[[noreturn]] void RaiseSetFailed(const std::string& name) {
  throw ERegistryException(Quoted("Failed to set data for '%s'", name));
}

// The effective ids decide, because the converter impersonates users: the
// hive is replaced by a rename, so its folder must be writable as well.
bool MayWriteHive(const std::filesystem::path& hive) {
  if (::faccessat(AT_FDCWD, hive.parent_path().c_str(), W_OK, AT_EACCESS) != 0) return false;
  return ::faccessat(AT_FDCWD, hive.c_str(), W_OK, AT_EACCESS) == 0 || errno == ENOENT;
}

// The code a failed hive read or write left, for calls that report through
// GetLastError.
DWORD LastErrorOr(DWORD fallback) {
  return GetLastError() != ERROR_SUCCESS ? GetLastError() : fallback;
}

std::string TextUpToZero(const std::string& data) { return data.substr(0, data.find('\0')); }

THive LoadForRead() {
  try {
    return LoadHive(HivePath());
  } catch (const ERegistryException&) {
    throw;
  } catch (const Exception& error) {
    throw ERegistryException(error.Message());
  }
}

}  // namespace

TRegistry::TRegistry(REGSAM access) : FAccess(access) {}

TRegistry::~TRegistry() = default;

void TRegistry::SetRootKey(HKEY root) {
  CloseKey();
  FRootKey = root;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  const std::string path = ResolvePath(key);
  const bool wantsWrite = (FAccess & kWriteRights) != 0;
  try {
    const std::filesystem::path hivePath = HivePath();
    const bool mayWrite = MayWriteHive(hivePath);
    if (wantsWrite && !mayWrite) return Fail(ERROR_ACCESS_DENIED);
    const THive hive = LoadHive(hivePath);
    std::string stored;
    if (hive.KeyExists(path)) {
      stored = hive.StoredPath(path);
    } else if (!canCreate) {
      return Fail(ERROR_FILE_NOT_FOUND);
    } else if (!mayWrite) {
      return Fail(ERROR_ACCESS_DENIED);
    } else {
      UpdateHive(hivePath, [&](THive& current) {
        stored = current.CreateKey(path);
        return true;
      });
    }
    FCurrentPath = stored;
  } catch (const EHiveFormatError&) {
    return Fail(ERROR_INVALID_DATA);
  } catch (const Exception&) {
    return Fail(LastErrorOr(ERROR_ACCESS_DENIED));
  }
  FKeyOpen = true;
  FWritable = wantsWrite;
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& key) {
  FAccess = KEY_READ;
  return OpenKey(key, false);
}

void TRegistry::CloseKey() {
  FKeyOpen = false;
  FWritable = false;
  FCurrentPath.clear();
}

std::string TRegistry::ResolvePath(const std::string& key) const {
  if (key.starts_with("\\") || !FKeyOpen || FCurrentPath.empty()) return key;
  return key.empty() ? FCurrentPath : FCurrentPath + "\\" + key;
}

bool TRegistry::KeyExists(const std::string& key) {
  try {
    return LoadHive(HivePath()).KeyExists(ResolvePath(key));
  } catch (const Exception&) {
    return false;
  }
}

const THiveValue* TRegistry::FindValue(const THive& hive, const std::string& name) const {
  return FKeyOpen ? hive.FindValue(FCurrentPath, name) : nullptr;
}

bool TRegistry::ValueExists(const std::string& name) {
  const THive hive = LoadForRead();
  return FindValue(hive, name) != nullptr;
}

DWORD TRegistry::GetDataType(const std::string& name) {
  const THive hive = LoadForRead();
  const THiveValue* value = FindValue(hive, name);
  return value != nullptr ? value->Type : REG_NONE;
}

std::string TRegistry::ReadString(const std::string& name) {
  const THive hive = LoadForRead();
  const THiveValue* value = FindValue(hive, name);
  // A value without data reads as empty text whatever its type, as the class
  // library reads it.
  if (value == nullptr || value->Data.empty()) return std::string();
  if (value->Type != REG_SZ && value->Type != REG_EXPAND_SZ) RaiseInvalidType(name);
  return TextUpToZero(value->Data);
}

std::int32_t TRegistry::ReadInteger(const std::string& name) {
  const THive hive = LoadForRead();
  const THiveValue* value = FindValue(hive, name);
  if (value == nullptr) RaiseGetFailed(name);
  if (value->Type != REG_DWORD || value->Data.size() != 4) RaiseInvalidType(name);
  std::uint32_t number = 0;
  for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(value->Data[i]);
  return static_cast<std::int32_t>(number);
}

std::vector<std::string> TRegistry::ReadMultiString(const std::string& name) {
  const THive hive = LoadForRead();
  const THiveValue* value = FindValue(hive, name);
  std::vector<std::string> texts;
  if (value == nullptr) return texts;
  if (value->Type != REG_MULTI_SZ) RaiseInvalidType(name);
  // The list ends at the first empty text, as Windows reads it.
  std::string_view data = value->Data;
  while (!data.empty() && data.front() != '\0') {
    const std::size_t zero = data.find('\0');
    texts.emplace_back(data.substr(0, zero));
    data = zero == std::string_view::npos ? std::string_view() : data.substr(zero + 1);
  }
  return texts;
}

std::string TRegistry::ReadBinary(const std::string& name) {
  const THive hive = LoadForRead();
  const THiveValue* value = FindValue(hive, name);
  if (value == nullptr) RaiseGetFailed(name);
  if (value->Type != REG_BINARY) RaiseInvalidType(name);
  return value->Data;
}

void TRegistry::WriteValue(const std::string& name, DWORD type, std::string data) {
  if (!FKeyOpen || !FWritable) RaiseSetFailed(name);
  bool written = false;
  try {
    UpdateHive(HivePath(), [&](THive& hive) {
      written = hive.SetValue(FCurrentPath, {name, type, std::move(data)});
      return written;
    });
  } catch (const EHiveFormatError& error) {
    throw ERegistryException(error.Message());
  } catch (const Exception&) {
    RaiseSetFailed(name);
  }
  if (!written) RaiseSetFailed(name);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
  WriteValue(name, REG_SZ, value + '\0');
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
  WriteValue(name, REG_EXPAND_SZ, value + '\0');
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
  std::string data;
  const auto bits = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) data += static_cast<char>(bits >> (8 * i) & 0xFF);
  WriteValue(name, REG_DWORD, data);
}

void TRegistry::WriteBinary(const std::string& name, std::string_view data) {
  WriteValue(name, REG_BINARY, std::string(data));
}

void TRegistry::WriteMultiString(const std::string& name, const std::vector<std::string>& values) {
  std::string data;
  for (const std::string& text : values) {
    // An empty text would end the list for every reader.
    if (!text.empty()) data += text + '\0';
  }
  WriteValue(name, REG_MULTI_SZ, data + '\0');
}

bool TRegistry::DeleteValue(const std::string& name) {
  if (!FKeyOpen || !FWritable) return Fail(ERROR_ACCESS_DENIED);
  bool deleted = false;
  try {
    UpdateHive(HivePath(), [&](THive& hive) {
      deleted = hive.DeleteValue(FCurrentPath, name);
      return deleted;
    });
  } catch (const EHiveFormatError&) {
    return Fail(ERROR_INVALID_DATA);
  } catch (const Exception&) {
    return Fail(LastErrorOr(ERROR_ACCESS_DENIED));
  }
  return deleted || Fail(ERROR_FILE_NOT_FOUND);
}

bool TRegistry::DeleteKey(const std::string& key) {
  const std::string path = ResolvePath(key);
  bool deleted = false;
  std::string stored;
  try {
    const std::filesystem::path hivePath = HivePath();
    if (!MayWriteHive(hivePath)) return Fail(ERROR_ACCESS_DENIED);
    UpdateHive(hivePath, [&](THive& hive) {
      stored = hive.StoredPath(path);
      deleted = hive.DeleteKey(path);
      return deleted;
    });
  } catch (const EHiveFormatError&) {
    return Fail(ERROR_INVALID_DATA);
  } catch (const Exception&) {
    return Fail(LastErrorOr(ERROR_ACCESS_DENIED));
  }
  if (!deleted) return Fail(ERROR_FILE_NOT_FOUND);
  const std::string_view current = FCurrentPath;
  if (FKeyOpen && SameText(current.substr(0, stored.size()), stored) &&
      (current.size() == stored.size() || current[stored.size()] == '\\')) {
    CloseKey();
  }
  return true;
}

std::vector<std::string> TRegistry::GetValueNames() {
  std::vector<std::string> names;
  if (!FKeyOpen) return names;
  for (const THiveValue& value : LoadForRead().Values(FCurrentPath)) names.push_back(value.Name);
  return names;
}

std::vector<std::string> TRegistry::GetKeyNames() {
  if (!FKeyOpen) return {};
  return LoadForRead().SubkeyNames(FCurrentPath);
}

}  // namespace win
