// The registry as the class library's TRegistry shows it: one open key of
// HKEY_LOCAL_MACHINE at a time, typed values read and written by name.
//
// The hive is the prefix's system.reg (prefix.h HivePath), a text file in the
// regedit export format (hive.h). Every call reads the file again, so a
// change made by another process is seen at once; every change is a
// read-modify-write of the file under the hive's lock, so concurrent writers
// never lose each other's change. Key and value names are case-insensitive
// and keep the spelling they were created with.
//
// Key paths are relative to the open key, or to the root when no key is open
// or the path begins with a backslash ("\Software\Zerurud\Ruvuduzer").
//
// Opening with full access (KEY_ALL_ACCESS, the default) fails when the
// effective user may not write the hive, the way it fails on Windows for a
// user without administrator rights; a read-only open still works. Reads of a
// value of the wrong type, and writes that fail, raise ERegistryException
// with the class library's message. A hive that cannot be parsed makes opens
// fail and reads raise, with the file and line in the message.
//
// It does not expand REG_EXPAND_SZ texts, and knows no other root key.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/error.h"
#include "platform/regtypes.h"

namespace win {

class THive;
struct THiveValue;

enum class HKEY { HKEY_LOCAL_MACHINE };
inline constexpr HKEY HKEY_LOCAL_MACHINE = HKEY::HKEY_LOCAL_MACHINE;

using REGSAM = DWORD;
inline constexpr REGSAM KEY_READ = 0x20019;
inline constexpr REGSAM KEY_WRITE = 0x20006;
inline constexpr REGSAM KEY_ALL_ACCESS = 0xF003F;

// "Invalid data type for '%s'", "Failed to get data for '%s'",
// "Failed to set data for '%s'", or a hive that cannot be parsed.
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

class TRegistry {
 public:
  explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
  ~TRegistry();
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return FRootKey; }
  // Closes the open key.
  void SetRootKey(HKEY root);
  // The rights of the next OpenKey.
  REGSAM Access() const { return FAccess; }
  void SetAccess(REGSAM access) { FAccess = access; }

  // Makes `key` the open key, creating it (and its parents) when `canCreate`.
  // False when it is missing and not created, when the hive cannot be read
  // or parsed, or when Access asks for writing and the caller may not write
  // the hive; GetLastError tells which.
  bool OpenKey(const std::string& key, bool canCreate);
  // OpenKey with KEY_READ, never creating; Access becomes KEY_READ.
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  // The open key's path below the root, in its stored spelling; empty when
  // none is open.
  const std::string& CurrentPath() const { return FCurrentPath; }

  bool KeyExists(const std::string& key);
  bool ValueExists(const std::string& name);
  // The value's type; REG_NONE when it is missing.
  DWORD GetDataType(const std::string& name);

  // REG_SZ or REG_EXPAND_SZ text as stored; empty when the value is missing
  // or has no data (of any type).
  std::string ReadString(const std::string& name);
  // REG_DWORD; raises for a missing value as well as for another type.
  std::int32_t ReadInteger(const std::string& name);
  // REG_MULTI_SZ; empty when the value is missing.
  std::vector<std::string> ReadMultiString(const std::string& name);
  // REG_BINARY; raises for a missing value as well as for another type.
  std::string ReadBinary(const std::string& name);

  // Each write replaces the value whatever its type was; name "" is the
  // key's default value. Raises when no key is open with write access, the
  // key has been deleted meanwhile, or the hive cannot be written.
  void WriteString(const std::string& name, const std::string& value);
  void WriteExpandString(const std::string& name, const std::string& value);
  void WriteInteger(const std::string& name, std::int32_t value);
  void WriteBinary(const std::string& name, std::string_view data);
  void WriteMultiString(const std::string& name, const std::vector<std::string>& values);

  // False when the value is missing or the hive cannot be written.
  bool DeleteValue(const std::string& name);
  // Deletes `key` with all its subkeys; false when it is missing or the
  // hive cannot be written. Deleting the open key closes it.
  bool DeleteKey(const std::string& key);

  // Names of the open key's values and subkeys, in stored order and spelling.
  std::vector<std::string> GetValueNames();
  std::vector<std::string> GetKeyNames();

 private:
  std::string ResolvePath(const std::string& key) const;
  const THiveValue* FindValue(const THive& hive, const std::string& name) const;
  void WriteValue(const std::string& name, DWORD type, std::string data);

  HKEY FRootKey = HKEY_LOCAL_MACHINE;
  REGSAM FAccess;
  bool FKeyOpen = false;
  bool FWritable = false;
  std::string FCurrentPath;
};

}  // namespace win
