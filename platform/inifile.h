// TIniFile: a Windows INI file ([Section] lines and key=value lines) read
// and written with the semantics of the Windows profile functions.
//
// Sections and keys are found ignoring letter case (blanks inside a
// section's brackets do not count); the first section and the first key of a
// name win. A line without "=" is no key. A value loses its surrounding
// blanks, then one matching pair of enclosing quotation marks (" or ').
// Nothing is cached: every read reads the file, every write rewrites it at
// once, atomically, with CRLF line ends. A missing file reads as empty and is
// created by the first write. Texts are bytes; nothing is converted.
//
// Many writes in a row can be gathered (BeginUpdate ... EndUpdate, as the
// class library's memory INI file gathers them until UpdateFile): the file is
// read once at the start, reads and writes in between use the copy in
// memory, and the file is written once at the end with the bytes that the
// same writes made one by one would have left.
#pragma once

#include <memory>
#include <string>

#include "platform/error.h"
#include "platform/stringlist.h"

namespace win {

// "Unable to write to %s", with the file's name as the object was given it.
class EIniFileException : public Exception {
 public:
  using Exception::Exception;
};

class TIniFile {
 public:
  // `fileName` is a Windows path; a relative one is resolved at each call.
  explicit TIniFile(const std::string& fileName);
  ~TIniFile();

  const std::string& FileName() const { return FFileName; }

  // The value, or `defaultValue` when the file, section or key is missing.
  std::string ReadString(const std::string& section, const std::string& ident,
                         const std::string& defaultValue) const;
  // Decimal with an optional sign, or hexadecimal after "$" or "0x"; any
  // other text, or a number beyond 32 bits, gives `defaultValue`.
  int ReadInteger(const std::string& section, const std::string& ident, int defaultValue) const;
  // Read as an integer: 0 is false, any other number true.
  bool ReadBool(const std::string& section, const std::string& ident, bool defaultValue) const;
  // A decimal number with "." as the separator and an optional exponent.
  double ReadFloat(const std::string& section, const std::string& ident, double defaultValue) const;

  // Replaces the key's value in place, or adds the key after the last key of
  // its section, or adds the section at the end of the file. Raises
  // EIniFileException when the file cannot be written, and for a section,
  // key or value that would read back as something else (a line break
  // anywhere, "]" in a section name, "=" in a key or "[" at its start),
  // writing nothing then.
  void WriteString(const std::string& section, const std::string& ident, const std::string& value);
  void WriteInteger(const std::string& section, const std::string& ident, int value);

  // The key names of the section in file order (`idents` is cleared first).
  void ReadSection(const std::string& section, TStringList& idents) const;
  // name=value for every key of the section in file order; a key given twice
  // shows the first value both times.
  void ReadSectionValues(const std::string& section, TStringList& values) const;
  // A section without keys counts as missing, as in the class library.
  bool SectionExists(const std::string& section) const;
  bool ValueExists(const std::string& section, const std::string& ident) const;

  // Starts gathering writes; calls nest, and only the outermost EndUpdate
  // writes. A file that exists but cannot be read makes every write of the
  // batch raise, as it would one by one.
  void BeginUpdate();
  // Writes the gathered changes in one step (nothing when there were none)
  // and ends the batch. Raises EIniFileException "Unable to write to %s"
  // when the file cannot be written; the changes are dropped then. A write
  // that raised inside the batch leaves the ones before it gathered.
  void EndUpdate();

 private:
  struct TBatch;

  std::string FFileName;
  std::unique_ptr<TBatch> FBatch;
};

}  // namespace win
