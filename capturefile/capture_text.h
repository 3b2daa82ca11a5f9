// The plain content of a capture file while the converter builds it: every
// row followed by a carriage return and a line feed, page after page, in one
// block. The block grows in place where the allocator can (large blocks are
// remapped, not copied), and Encipher turns the content into the file's bytes
// where it lies, so a job's rows are held once: a 5,000-page job needs about
// 39 MB, not twice that for a list of rows and a second buffer for the file.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "capturefile/crypt.h"

namespace capturefile {

class TCaptureText {
 public:
  TCaptureText() = default;
  ~TCaptureText();
  TCaptureText(TCaptureText&& other) noexcept;
  TCaptureText& operator=(TCaptureText&& other) noexcept;
  TCaptureText(const TCaptureText&) = delete;
  TCaptureText& operator=(const TCaptureText&) = delete;

  // Adds `line` and its line end. Throws std::bad_alloc when memory runs out
  // and std::logic_error once the content is enciphered.
  void AppendLine(std::string_view line);

  std::size_t LineCount() const { return FLineCount; }
  bool Empty() const { return FLineCount == 0; }

  // The plain content, or the capture file's bytes after Encipher.
  std::string_view Content() const { return std::string_view(FData, FSize); }

  // The lines of the plain content, without their line ends.
  std::vector<std::string> Lines() const;

  // Enciphers the content into a capture file: byte 0 stays, every later
  // byte goes through `crypt` (fresh at the start key for a new file).
  void Encipher(TCrypt& crypt);

 private:
  void Reserve(std::size_t size);

  char* FData = nullptr;
  std::size_t FSize = 0;
  std::size_t FCapacity = 0;
  std::size_t FLineCount = 0;
  bool FEnciphered = false;
};

}  // namespace capturefile
