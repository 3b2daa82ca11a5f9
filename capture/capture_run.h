// TProcess: the conversion of one print job. It reads the job's PostScript
// from standard input, extracts the text of every page onto the page grid,
// enciphers the rows into the bytes of a capture file, writes the file while
// impersonating the user of the chosen desktop session, and starts the
// follow-up program there without waiting for it.
//
// The file is written in one piece through an atomic replace, so a reader
// (the splitter) sees no file or the whole file, never a part, and a run that
// fails leaves nothing behind. Every failure is reported by a message box
// (converter_messages.h); none ends the run abnormally.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "capture/check_record.h"
#include "capture/text_extraction.h"
#include "capturefile/capture_text.h"
#include "capturefile/crypt.h"
#include "platform/handle.h"

namespace capture {

class TProcess {
 public:
  // `chain`: the follow-up program, empty for none; `rowCount`: rows per page.
  TProcess(std::string chain, std::int32_t rowCount);
  TProcess(const TProcess&) = delete;
  TProcess& operator=(const TProcess&) = delete;

  // Converts the job on standard input into the capture file `outputPath`
  // (a Windows path). `userName` chooses the session on a terminal server.
  void Run(const std::string& outputPath, const std::string& userName);

 private:
  void ReadJob();
  void ReportDroppedStrings() const;
  // Steps that need the token; false when the follow-up may not start.
  bool WriteAsUser(const std::string& outputPath, win::HANDLE token);
  bool WriteCaptureFile(const std::string& outputPath) const;
  void StartFollowUp(const std::string& outputPath, win::HANDLE token, bool terminalServer);

  std::string FChain;
  std::int32_t FRowCount;
  capturefile::TCaptureText FPageLines;
  capturefile::TCrypt FCrypt;
  std::unique_ptr<TCheckRecord> FCheckRecord;
  std::unique_ptr<TTextExtraction> FExtraction;
};

}  // namespace capture
