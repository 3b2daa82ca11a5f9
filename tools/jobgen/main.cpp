// jobgen: writes a sample check-run print job; see job_generator.h.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/error.h"
#include "tools/jobgen/job_generator.h"

int main(int argc, char** argv) {
  std::string error;
  const std::optional<jobgen::TJobOptions> options =
      jobgen::ParseJobOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) {
    std::fprintf(stderr, "jobgen: %s\n%s", error.c_str(), jobgen::JobOptionsHelp().c_str());
    return 2;
  }
  if (options->FShowHelp) {
    std::fputs(jobgen::JobOptionsHelp().c_str(), stdout);
    return 0;
  }
  const std::string text = jobgen::GenerateJob(*options).FText;
  if (!options->FOutput.empty()) {
    if (!win::Env().WriteFileAtomic(options->FOutput, text)) {
      std::fprintf(stderr, "jobgen: cannot write %s: %s\n", options->FOutput.c_str(),
                   win::SysErrorMessage(win::GetLastError()).c_str());
      return 1;
    }
    return 0;
  }
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0) {
    std::fprintf(stderr, "jobgen: cannot write the job to standard output\n");
    return 1;
  }
  return 0;
}
