// The hive: HKEY_LOCAL_MACHINE as the text that regedit exports, kept line
// for line (hivetext.h reads and writes the lines; hivefile.h keeps the
// file).
//
// A parsed hive remembers the text of every key line, value, comment and
// blank line, so that writing it back after a change alters only the lines
// of what changed; new keys and values are written the way regedit writes
// them.
//
// Key paths are below HKEY_LOCAL_MACHINE ("SOFTWARE\Zerurud\Printer", "" for
// the root itself); a key exists when a key line names it or a key below it.
// Names compare without regard to (ASCII) letter case.
//
// It knows nothing of access rights or of the open key of TRegistry.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/hivetext.h"

namespace win {

class THive {
 public:
  // A hive holding only the header.
  THive();

  // Throws EHiveFormatError, naming `source` and the line, for bad text.
  // Empty text is an empty hive.
  static THive Parse(std::string_view text, const std::string& source);
  std::string Serialise() const;

  bool KeyExists(std::string_view path) const;
  // The stored spelling of an existing key's path.
  std::string StoredPath(std::string_view path) const;
  // Every key that has a key line, in file order, each once.
  std::vector<std::string> KeyPaths() const;
  // Direct subkeys of `path`, in order of first appearance.
  std::vector<std::string> SubkeyNames(std::string_view path) const;
  // The values of `path` in file order; a name given twice counts once, with
  // its last data, as regedit's import leaves it.
  std::vector<THiveValue> Values(std::string_view path) const;
  // Null when the key or the value is missing.
  const THiveValue* FindValue(std::string_view path, std::string_view name) const;

  // Creates the key and returns its stored path; the parts that already
  // exist keep their spelling. Raises Exception for a path the text cannot
  // hold (IsStorableKeyPath).
  std::string CreateKey(std::string_view path);
  // Removes the key with all its subkeys; false when it is missing. The root
  // cannot be deleted.
  bool DeleteKey(std::string_view path);
  // Adds or replaces a value of an existing key; false when the key is
  // missing or the text cannot hold the value's name (IsStorableValueName).
  bool SetValue(std::string_view path, const THiveValue& value);
  bool DeleteValue(std::string_view path, std::string_view name);

 private:
  struct TEntry {
    bool IsValue = false;
    std::string Text;  // as read, with its line ends; empty once changed
    THiveValue Value;
  };
  struct TSection {
    std::string Path;
    std::string Text;  // the key line as read; empty for a new key
    std::vector<TEntry> Entries;
  };

  int SectionOf(std::string_view path, bool last) const;
  void InsertSection(const std::string& path);

  std::string FHead;  // header line and whatever precedes the first key
  std::string FLineEnd = "\r\n";
  std::vector<TSection> FSections;
};

}  // namespace win
