// Loading: reading, deciphering and joining the capture files, the printer
// test page, and the detection of the document kind.
#include <algorithm>
#include <chrono>
#include <climits>

#include "capturefile/crypt.h"
#include "platform/error.h"
#include "platform/path.h"
#include "platform/stringlist.h"
#include "platform/text.h"
#include "splitter/engine/main_form/main.h"

namespace splitter {

namespace {

// The title line of a printer test page as a capture holds it.
const std::string kTestPageLine = std::string(23, ' ') + "Printer Test Page" + std::string(96, ' ');

// How the cipher loops keep the window responsive: they look at the clock
// after every chunk and hand the view the progress (and a turn at its
// messages) only when this much time has passed.
constexpr std::size_t kCipherChunk = 64 * 1024;
constexpr auto kViewInterval = std::chrono::milliseconds(25);

int ClampToInt(std::size_t value) {
  return static_cast<int>(std::min<std::size_t>(value, INT_MAX));
}

}  // namespace

void Tform_Main::CipherWithProgress(char* bytes, std::size_t size, TCipherMode mode) {
  FProgressMax = ClampToInt(size);
  FView.SetProgressRange(FProgressMax);
  FView.SetProgressPosition(0);
  if (size < 2) return;
  // The first byte stays as it is; the bar moves once for every byte after it.
  capturefile::TCrypt crypt;
  using Clock = std::chrono::steady_clock;
  Clock::time_point lastShown = Clock::now();
  std::size_t shown = 1;
  for (std::size_t done = 1; done < size;) {
    const std::size_t chunk = std::min(kCipherChunk, size - done);
    if (mode == TCipherMode::DecryptCapture) {
      crypt.DecryptBuffer(bytes + done, chunk);
    } else {
      crypt.EncryptBufferForHandOff(bytes + done, chunk);
    }
    done += chunk;
    const Clock::time_point now = Clock::now();
    if (done == size || now - lastShown >= kViewInterval) {
      FView.StepProgressBy(ClampToInt(done - shown));
      FView.ProcessMessages();
      shown = done;
      lastShown = now;
    }
  }
}

void Tform_Main::ShowFinalMessage(const std::string& message) {
  FView.HideProgress();
  FView.SetLabelText(message);
  FView.Pause(kMessagePauseMs);
}

bool Tform_Main::LoadCaptures() {
  FView.SetLabelText("Decrypting...");
  FJoinedText.Clear();
  FTestPageFound = false;
  while (SelectedFiles->Count() > 0) {
    const std::string file = SelectedFiles->Strings(0);
    TTextBuffer bytes;
    const TReadOutcome outcome = ReadTextFile(file, bytes);
    const win::DWORD code = win::GetLastError();
    if (outcome == TReadOutcome::NotOpened) {
      throw win::EInOutError("Cannot open file \"" + file + "\". " + win::SysErrorMessage(code),
                             code);
    }
    // As the class library's file stream reports a read that breaks off.
    if (outcome == TReadOutcome::ReadFailed) throw win::EInOutError("Stream read error", code);
    FOutputFolder = win::ExtractFilePath(file);
    if (EncDec) CipherWithProgress(bytes.data(), bytes.size(), TCipherMode::DecryptCapture);
    FJoinedText.Append(std::move(bytes));
    SelectedFiles->Delete(0);
  }
  FProgressMax = ClampToInt(FJoinedText.Count());
  FView.SetProgressRange(FProgressMax);

  // The very first line is not looked at: a test page there is not one.
  const auto& lines = FJoinedText.Lines();
  if (lines.size() > 1 && std::any_of(lines.begin() + 1, lines.end(), [](std::string_view line) {
        return win::SameText(line, kTestPageLine);
      })) {
    ShowFinalMessage("Printer Test Page Found!\rAborting Printing.");
    FJoinedText.Clear();
    FTestPageFound = true;
    return false;
  }
  if (Action == "??" && FJoinedText.Count() > 51) DetectDocumentKind();
  FProgressMax = ClampToInt(FJoinedText.Count());
  FView.SetProgressRange(FProgressMax);
  FView.SetProgressPosition(0);
  return true;
}

void Tform_Main::DetectDocumentKind() {
  Action = "AP";
  if (!DocumentDefinitions) return;
  const win::TStringList& definitions = *DocumentDefinitions;
  const int count = definitions.Count();
  int i = 0;
  bool found = false;
  while (!found && i < count - 1) {
    // Only one marker is passed over: a second one right after it is read as
    // a line number, and fails as one.
    if (definitions.Strings(i) == "DD") ++i;
    const int lineNumber = win::StrToInt(definitions.Strings(i));
    const std::string& tag = definitions.Strings(i + 1);
    if (lineNumber < 1 || static_cast<std::size_t>(lineNumber) > FJoinedText.Count()) {
      throw win::Exception("List index out of bounds (" + std::to_string(lineNumber - 1) + ")");
    }
    const std::string_view line = FJoinedText.Line(static_cast<std::size_t>(lineNumber - 1));
    if (!tag.empty() && tag[0] == '>') {
      const int limit = win::StrToInt(win::Copy(tag, 2, 3));
      found = static_cast<long long>(win::TrimBlanks(line).size()) > limit;
    } else {
      found = !tag.empty() && line.find(tag) != std::string_view::npos;
    }
    if (!found) i += 2;
  }
  if (found) Action = i < definitions.IndexOf("DD") ? "PR" : "OT";
}

}  // namespace splitter
