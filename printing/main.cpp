// zerurud, the CUPS backend of the virtual check printer: it hands each job
// to the capture converter as the driver's plug-in does on Windows, the job's
// PostScript on the converter's standard input and the job's user as its
// command line, in the prefix that the device URI names.
//
// Installed with mode 0700 it runs as root, which the converter needs to
// write the capture file as the session's user.
#include <cups/backend.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "printing/converter_feed.h"
#include "printing/device_uri.h"

int main(int argc, char** argv) {
  if (argc == 1) {
    std::puts("direct zerurud \"Zerurud Printer\" \"Zerurud Printer (capture converter)\"");
    return CUPS_BACKEND_OK;
  }
  if (argc != 6 && argc != 7) {
    std::fputs("Usage: zerurud job-id user title copies options [file]\n", stderr);
    return CUPS_BACKEND_FAILED;
  }
  const char* uri = std::getenv("DEVICE_URI");
  std::filesystem::path prefix;
  if (uri == nullptr || !printing::PrefixOfDeviceUri(uri, prefix)) {
    std::fprintf(stderr, "ERROR: zerurud: the device URI %s is not zerurud:<prefix folder>\n",
                 uri == nullptr ? "(none)" : uri);
    return CUPS_BACKEND_FAILED;
  }
  if (::geteuid() == 0) {
    std::string reason;
    if (!printing::PrefixIsSafeForRoot(prefix, reason)) {
      std::fprintf(stderr, "ERROR: zerurud: refused to run as root: %s\n", reason.c_str());
      return CUPS_BACKEND_FAILED;
    }
  }
  int job = STDIN_FILENO;
  if (argc == 7) {
    job = ::open(argv[6], O_RDONLY | O_CLOEXEC);
    if (job < 0) {
      std::fprintf(stderr, "ERROR: zerurud: cannot open the job %s: %s\n", argv[6],
                   std::strerror(errno));
      return CUPS_BACKEND_FAILED;
    }
  }
  // One run, one capture: the converter reads the job once, whatever the
  // number of copies asked for.
  const bool handedOver = printing::FeedConverter(printing::ConverterPath(), prefix, argv[2], job);
  return handedOver ? CUPS_BACKEND_OK : CUPS_BACKEND_FAILED;
}
