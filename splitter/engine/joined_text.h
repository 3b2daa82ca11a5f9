// The joined capture text of a run: the lines of every loaded capture file,
// in load order, without their line ends. Each file's text is kept as loaded
// and the lines point into it, so joining copies no text.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

#include "splitter/engine/huge_page_allocator.h"

namespace splitter {

// The bytes of one file as loaded.
using TTextBuffer = THugeVector<char>;

enum class TReadOutcome { Read, NotOpened, ReadFailed };

// Reads the whole file named by the Windows path `path` (relative to the
// current directory, or full) into `data`. When the file cannot be opened,
// or reading it breaks off, the Windows code is in GetLastError.
TReadOutcome ReadTextFile(const std::string& path, TTextBuffer& data);

class TJoinedText {
 public:
  // Appends the lines of one file's text. A line ends at CR LF, at a lone
  // CR and at a lone LF; a zero byte ends the text; a final line end makes
  // no empty line, and a text without one loses nothing.
  void Append(TTextBuffer text);

  std::size_t Count() const { return FLines.size(); }
  bool Empty() const { return FLines.empty(); }
  std::string_view Line(std::size_t index) const { return FLines[index]; }
  const THugeVector<std::string_view>& Lines() const { return FLines; }

  void Clear();

 private:
  // A deque never moves its elements, so the views stay valid.
  std::deque<TTextBuffer> FTexts;
  THugeVector<std::string_view> FLines;
};

}  // namespace splitter
