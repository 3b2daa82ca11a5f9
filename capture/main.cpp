// VAVavidi, the capture converter: started once per print job with the job's
// PostScript on standard input and a user name as its command line, it turns
// the job into one capture file and starts the follow-up program. It always
// ends with exit code 0; what went wrong is on standard error.
#include <exception>
#include <string>

#include "capture/capture_file_name.h"
#include "capture/capture_run.h"
#include "capture/converter_messages.h"
#include "capture/printer_config.h"
#include "platform/impersonation.h"

namespace {

// The command line after the program's name: the arguments joined by single
// blanks, so that one argument keeps its blanks exactly.
std::string CommandLineTail(int argc, char** argv) {
  std::string tail;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) tail += ' ';
    tail += argv[i];
  }
  return tail;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const capture::TPrinterConfig config = capture::ReadPrinterConfig();
    capture::PrepareCaptureFolder(config.FFilePath);
    const std::string fileName = capture::CaptureFileName(
        capture::ComputerNameForFile(), capture::ReadLocalTime(), capture::DrawFileNumber());
    capture::TProcess process(config.FChain, config.FExpandTo);
    process.Run(config.FFilePath + fileName, CommandLineTail(argc, argv));
  } catch (const std::exception& error) {
    capture::ReportError(std::string("the print job could not be converted: ") + error.what());
  }
  // An impersonation still in force would otherwise last through the exit,
  // and whatever runs there (exit handlers, the sanitizers' leak check,
  // coverage data) would act as the user.
  win::RevertToSelf();
  return 0;
}
