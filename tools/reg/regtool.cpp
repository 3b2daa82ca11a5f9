#include "tools/reg/regtool.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <istream>
#include <map>
#include <optional>
#include <ostream>

#include "platform/error.h"
#include "platform/hivefile.h"
#include "platform/env.h"
#include "platform/prefix.h"
#include "platform/registry.h"
#include "platform/text.h"

namespace regtool {

namespace {

using win::DWORD;
using win::THive;
using win::THiveValue;

constexpr std::string_view kRootName = "HKEY_LOCAL_MACHINE";
const char* const kNotFound = "The system was unable to find the specified registry key or value.";
const char* const kSuccess = "The operation completed successfully.";

// A one-line failure that ends the command.
struct TCommandError {
  std::string Message;
};

[[noreturn]] void Raise(const std::string& message) { throw TCommandError{message}; }
[[noreturn]] void RaiseSyntax() { Raise("Invalid syntax."); }

struct TTypeName {
  DWORD Type;
  const char* Name;
};
constexpr TTypeName kTypeNames[] = {
    {win::REG_NONE, "REG_NONE"},
    {win::REG_SZ, "REG_SZ"},
    {win::REG_EXPAND_SZ, "REG_EXPAND_SZ"},
    {win::REG_BINARY, "REG_BINARY"},
    {win::REG_DWORD, "REG_DWORD"},
    {5, "REG_DWORD_BIG_ENDIAN"},
    {6, "REG_LINK"},
    {win::REG_MULTI_SZ, "REG_MULTI_SZ"},
    {11, "REG_QWORD"},
};

std::string TypeName(DWORD type) {
  for (const TTypeName& entry : kTypeNames) {
    if (entry.Type == type) return entry.Name;
  }
  return "REG_UNKNOWN(" + std::to_string(type) + ")";
}

// The types that add accepts.
std::optional<DWORD> TypeFromName(std::string_view name) {
  const std::string upper = win::UpperCase(name);
  for (const DWORD type :
       {win::REG_SZ, win::REG_EXPAND_SZ, win::REG_DWORD, win::REG_BINARY, win::REG_MULTI_SZ}) {
    if (TypeName(type) == upper) return type;
  }
  return std::nullopt;
}

std::string HexBytes(std::string_view data) {
  std::string text;
  for (const char c : data) {
    char digits[4];
    std::snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(c));
    text += digits;
  }
  return text;
}

std::string DisplayData(const THiveValue& value) {
  const std::string& data = value.Data;
  switch (value.Type) {
    case win::REG_SZ:
    case win::REG_EXPAND_SZ:
      return data.substr(0, data.find('\0'));
    case win::REG_MULTI_SZ: {
      std::string text;
      for (std::size_t start = 0; start < data.size() && data[start] != '\0';) {
        const std::size_t zero = std::min(data.find('\0', start), data.size());
        if (!text.empty()) text += "\\0";
        text += data.substr(start, zero - start);
        start = zero + 1;
      }
      return text;
    }
    case win::REG_DWORD:
      if (data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i) number = number << 8 | static_cast<unsigned char>(data[i]);
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", number);
        return text;
      }
      return HexBytes(data);
    default:
      return HexBytes(data);
  }
}

std::string ValueLine(const THiveValue& value) {
  return "    " + (value.Name.empty() ? std::string("(Default)") : value.Name) + "    " +
         TypeName(value.Type) + "    " + DisplayData(value);
}

// The path below HKEY_LOCAL_MACHINE of a key argument.
std::string KeyPath(const std::string& key) {
  const std::string upper = win::UpperCase(key);
  for (const std::string_view root : {std::string_view("HKLM"), kRootName}) {
    if (upper == root) return std::string();
    if (upper.starts_with(std::string(root) + "\\")) return key.substr(root.size() + 1);
  }
  Raise("Invalid key name.");
}

std::string FullKeyName(const std::string& stored) {
  return std::string(kRootName) + (stored.empty() ? "" : "\\" + stored);
}

bool IsSameOrBelow(std::string_view path, std::string_view key) {
  if (key.empty()) return true;
  if (path.size() < key.size() || !win::SameText(path.substr(0, key.size()), key)) return false;
  return path.size() == key.size() || path[key.size()] == '\\';
}

// The arguments after the operation: positional ones in order, options by
// their upper-case name ("/V") with their argument, if they take one.
struct TArguments {
  std::vector<std::string> Positional;
  std::map<std::string, std::string> Options;

  bool Has(const std::string& option) const { return Options.contains(option); }
};

TArguments ParseArguments(const std::vector<std::string>& args,
                          const std::vector<std::string>& flags,
                          const std::vector<std::string>& withValue) {
  TArguments parsed;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const std::string option =
        arg.starts_with("/") || arg.starts_with("-") ? "/" + win::UpperCase(arg.substr(1)) : "";
    const bool isFlag = std::find(flags.begin(), flags.end(), option) != flags.end();
    const bool takesValue =
        std::find(withValue.begin(), withValue.end(), option) != withValue.end();
    if (!isFlag && !takesValue) {
      // Host paths begin with a slash too; a stray option ends up as a
      // positional argument too many.
      parsed.Positional.push_back(arg);
      continue;
    }
    if (parsed.Has(option) || (takesValue && i + 1 >= args.size())) RaiseSyntax();
    parsed.Options[option] = takesValue ? args[++i] : std::string();
  }
  return parsed;
}

// The value an option pair /v NAME or /ve names; nullopt for neither.
std::optional<std::string> ValueName(const TArguments& args) {
  if (args.Has("/V") && args.Has("/VE")) RaiseSyntax();
  if (args.Has("/V")) return args.Options.at("/V");
  if (args.Has("/VE")) return std::string();
  return std::nullopt;
}

bool Confirm(std::istream& in, std::ostream& out, const std::string& question) {
  out << question << " (Yes/No)? " << std::flush;
  std::string answer;
  if (!std::getline(in, answer)) return false;
  return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

[[noreturn]] void RaiseCancelled() { Raise("The operation was canceled by the user."); }

THive ReadHive() { return win::LoadHive(win::HivePath()); }

void Update(const std::function<bool(THive&)>& change) { win::UpdateHive(win::HivePath(), change); }

std::string EncodeData(DWORD type, const std::string& text, const std::string& separator) {
  switch (type) {
    case win::REG_DWORD: {
      const std::optional<std::uint32_t> number = win::TryStrToUInt(text);
      if (!number) Raise("Invalid syntax. Specify valid numeric value for '/d'.");
      std::string data;
      for (int i = 0; i < 4; ++i) data += static_cast<char>(*number >> (8 * i) & 0xFF);
      return data;
    }
    case win::REG_BINARY: {
      if (text.size() % 2 != 0 ||
          text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos) {
        Raise("Invalid syntax. Specify valid hexadecimal value for '/d'.");
      }
      std::string data;
      for (std::size_t i = 0; i < text.size(); i += 2) {
        data += static_cast<char>(std::stoi(text.substr(i, 2), nullptr, 16));
      }
      return data;
    }
    case win::REG_MULTI_SZ: {
      std::string data;
      for (std::size_t start = 0; start <= text.size();) {
        const std::size_t at = separator.empty() ? std::string::npos : text.find(separator, start);
        const std::string item =
            text.substr(start, at == std::string::npos ? std::string::npos : at - start);
        if (!item.empty()) data += item + '\0';
        if (at == std::string::npos) break;
        start = at + separator.size();
      }
      return data + '\0';
    }
    default:
      return text + '\0';
  }
}

int Query(const std::vector<std::string>& argv, std::ostream& out) {
  const TArguments args = ParseArguments(argv, {"/VE"}, {"/V"});
  if (args.Positional.size() != 1) RaiseSyntax();
  const std::string path = KeyPath(args.Positional[0]);
  const THive hive = ReadHive();
  if (!hive.KeyExists(path)) Raise(kNotFound);
  const std::string keyName = FullKeyName(hive.StoredPath(path));
  std::string text = "\n" + keyName + "\n";
  if (const auto name = ValueName(args)) {
    const THiveValue* value = hive.FindValue(path, *name);
    if (value == nullptr) Raise(kNotFound);
    text += ValueLine(*value) + "\n";
  } else {
    for (const THiveValue& value : hive.Values(path)) text += ValueLine(value) + "\n";
    const std::vector<std::string> subkeys = hive.SubkeyNames(path);
    if (!subkeys.empty()) text += "\n";
    for (const std::string& subkey : subkeys) text += keyName + "\\" + subkey + "\n";
  }
  out << text << "\n";
  return 0;
}

int Add(const std::vector<std::string>& argv, std::istream& in, std::ostream& out) {
  const TArguments args = ParseArguments(argv, {"/VE", "/F"}, {"/V", "/T", "/D", "/S"});
  if (args.Positional.size() != 1) RaiseSyntax();
  const std::string path = KeyPath(args.Positional[0]);
  DWORD type = win::REG_SZ;
  if (args.Has("/T")) {
    const auto named = TypeFromName(args.Options.at("/T"));
    if (!named) Raise("Invalid type \"" + args.Options.at("/T") + "\".");
    type = *named;
  }
  std::optional<std::string> name = ValueName(args);
  if (!name && args.Has("/D")) name = std::string();
  std::optional<THiveValue> value;
  if (name) {
    const std::string data = args.Has("/D") ? args.Options.at("/D") : std::string();
    value = THiveValue{*name, type,
                       EncodeData(type, data, args.Has("/S") ? args.Options.at("/S") : "\\0")};
  } else if (args.Has("/T") || args.Has("/S")) {
    RaiseSyntax();
  }
  if (value && !args.Has("/F") && ReadHive().FindValue(path, value->Name) != nullptr &&
      !Confirm(in, out,
               "Value " + (value->Name.empty() ? std::string("(Default)") : value->Name) +
                   " exists, overwrite")) {
    RaiseCancelled();
  }
  Update([&](THive& hive) {
    hive.CreateKey(path);
    if (value) hive.SetValue(path, *value);
    return true;
  });
  out << kSuccess << "\n";
  return 0;
}

int Delete(const std::vector<std::string>& argv, std::istream& in, std::ostream& out) {
  const TArguments args = ParseArguments(argv, {"/VE", "/VA", "/F"}, {"/V"});
  if (args.Positional.size() != 1) RaiseSyntax();
  const std::string path = KeyPath(args.Positional[0]);
  const std::optional<std::string> name = ValueName(args);
  if (name && args.Has("/VA")) RaiseSyntax();
  const THive current = ReadHive();
  if (!current.KeyExists(path)) Raise(kNotFound);
  if (!name && !args.Has("/VA") && path.empty()) Raise("Access is denied.");
  if (name && current.FindValue(path, *name) == nullptr) Raise(kNotFound);
  const std::string question =
      name ? "Delete the registry value " + (name->empty() ? std::string("(Default)") : *name)
      : args.Has("/VA")
          ? "Delete all values under the registry key " + FullKeyName(current.StoredPath(path))
          : "Permanently delete the registry key " + FullKeyName(current.StoredPath(path));
  if (!args.Has("/F") && !Confirm(in, out, question)) RaiseCancelled();
  bool found = false;
  Update([&](THive& hive) {
    if (name) {
      found = hive.DeleteValue(path, *name);
    } else if (args.Has("/VA")) {
      found = hive.KeyExists(path);
      for (const THiveValue& value : hive.Values(path)) hive.DeleteValue(path, value.Name);
    } else {
      found = hive.DeleteKey(path);
    }
    return found;
  });
  if (!found) Raise(kNotFound);
  out << kSuccess << "\n";
  return 0;
}

int Import(const std::vector<std::string>& argv, std::ostream& out) {
  const TArguments args = ParseArguments(argv, {}, {});
  if (args.Positional.size() != 1) RaiseSyntax();
  const std::string& file = args.Positional[0];
  std::string text;
  if (!win::Env().ReadFile(file, text)) Raise("Error opening the file. There may be a disk or file system error.");
  const THive imported = THive::Parse(text, file);
  Update([&](THive& hive) {
    for (const std::string& path : imported.KeyPaths()) {
      hive.CreateKey(path);
      for (const THiveValue& value : imported.Values(path)) hive.SetValue(path, value);
    }
    return true;
  });
  out << kSuccess << "\n";
  return 0;
}

int Export(const std::vector<std::string>& argv, std::istream& in, std::ostream& out) {
  const TArguments args = ParseArguments(argv, {"/Y"}, {});
  if (args.Positional.size() != 2) RaiseSyntax();
  const std::string path = KeyPath(args.Positional[0]);
  const std::string& file = args.Positional[1];
  const THive hive = ReadHive();
  if (!hive.KeyExists(path)) Raise(kNotFound);
  THive exported;
  const std::string stored = hive.StoredPath(path);
  exported.CreateKey(stored);
  for (const std::string& key : hive.KeyPaths()) {
    if (!IsSameOrBelow(key, stored)) continue;
    exported.CreateKey(key);
    for (const THiveValue& value : hive.Values(key)) exported.SetValue(key, value);
  }
  std::error_code ec;
  if (!args.Has("/Y") && std::filesystem::exists(file, ec) &&
      !Confirm(in, out, "File " + file + " already exists. Overwrite")) {
    RaiseCancelled();
  }
  if (!win::Env().WriteFileAtomic(file, exported.Serialise())) {
    Raise(win::SysErrorMessage(win::GetLastError()) + ".");
  }
  out << kSuccess << "\n";
  return 0;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
        std::ostream& err) {
  try {
    if (args.empty()) RaiseSyntax();
    const std::string operation = win::UpperCase(args[0]);
    if (operation == "QUERY") return Query(args, out);
    if (operation == "ADD") return Add(args, in, out);
    if (operation == "DELETE") return Delete(args, in, out);
    if (operation == "IMPORT") return Import(args, out);
    if (operation == "EXPORT") return Export(args, in, out);
    RaiseSyntax();
  } catch (const TCommandError& error) {
    err << "ERROR: " << error.Message << "\n";
  } catch (const win::Exception& error) {
    err << "ERROR: " << error.Message() << "\n";
  }
  return 1;
}

}  // namespace regtool
