// The account split end to end: one capture file of 42-line pages whose
// accounts take turns (the order that makes a search over the remaining text
// most expensive) is read, deciphered, split into one enciphered file per
// account and written, as step 4 of a run does it. Two sizes show that the
// cost grows linearly with the pages; the heap is counted by replacing the
// global allocator, and its peak during the split is set against the size of
// the capture file. The figures and their limits are printed at the end.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "capturefile/capture_text.h"
#include "capturefile/crypt.h"
#include "platform/files.h"
#include "platform/stringlist.h"
#include "platform/text.h"
#include "splitter/engine/main_form/main.h"
#include "splitter/engine/main_form/main_view.h"
#include "tests/support/processing_window.h"
#include "tests/support/temp_prefix.h"

namespace {

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); 0 when unreadable.
long StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
  }
  return 0;
}

// Starts the peak resident size (VmHWM) afresh from the current size.
void ResetPeakMemory() { std::ofstream("/proc/self/clear_refs") << "5"; }

constexpr int kLinesPerPage = 42;
constexpr int kAccounts = 2000;
constexpr int kRowWidth = 110;

// A window that shows nothing.
class TQuietView : public splitter::TMainView {
 public:
  std::string Caption() const override { return {}; }
  void SetCaption(const std::string&) override {}
  void SetLabelText(const std::string&) override {}
  void SetProgressRange(int) override {}
  void SetProgressPosition(int) override {}
  void StepProgressBy(int) override {}
  void HideProgress() override {}
  void ProcessMessages() override {}
  void Pause(unsigned) override {}
  void ShowInformation(const std::string&) override {}
  bool Confirm(const std::string&, splitter::TConfirmButtons) override { return true; }
  bool WarnOkCancel(const std::string&) override { return true; }
  void ShowErrorBox(const std::string&) override {}
  common::TOpenDialog& OpenDialog1() override { std::abort(); }
  void Invalidate() override {}
  void Close() override {}
  [[noreturn]] void QuitProgram() override { std::abort(); }
  void SetTimerInterval(unsigned) override {}
  void SetTimerEnabled(bool) override {}
};

// A capture row: the text, then blanks to the row's width.
std::string Row(const char* format, int a, int b = 0, int c = 0) {
  char text[kRowWidth + 1];
  std::snprintf(text, sizeof text, format, a, b, c);
  std::string row = text;
  row.resize(kRowWidth, ' ');
  return row;
}

// Writes C:\Jobs\tl-bench-<pages>.ruz and returns its size.
std::size_t WriteCapture(const std::string& path, int pages) {
  capturefile::TCaptureText text;
  for (int page = 0; page < pages; ++page) {
    const int account = page % kAccounts;
    text.AppendLine(Row("A%d", 100000 + account));
    for (int line = 2; line <= kLinesPerPage; ++line) {
      text.AppendLine(
          Row("  page %d line %d   Pay to the order of account %d", page + 1, line, account));
    }
  }
  capturefile::TCrypt crypt;
  text.Encipher(crypt);
  if (!win::WriteWholeFile(path, text.Content())) std::abort();
  return text.Content().size();
}

struct TFigures {
  double Milliseconds = 0;
  double PeakRatio = 0;
};
std::map<int, TFigures> gFigures;

void BM_SplitRun(benchmark::State& state) {
  const int pages = static_cast<int>(state.range(0));
  testing_support::TempPrefix prefix;
  win::ForceDirectories("C:\\Jobs");
  win::ForceDirectories("C:\\VEZ");
  const std::string capture = "C:\\Jobs\\tl-bench-" + std::to_string(pages) + ".ruz";
  const std::size_t fileSize = WriteCapture(capture, pages);
  std::size_t peakExtra = 0;
  int splitFiles = 0;
  for (auto _ : state) {
    // A run writes its split files anew: the clean-up after every printed
    // run deletes them, so the previous iteration's files go first, untimed.
    state.PauseTiming();
    for (const auto& entry : std::filesystem::directory_iterator(prefix.OnDriveC("C:\\Jobs"))) {
      if (entry.path().extension() == ".DAT") std::filesystem::remove(entry.path());
    }
    state.ResumeTiming();
    TQuietView view;
    testing_support::TProcessingWindow window(view);
    window.SelectedFiles.Add(capture);
    splitter::Tform_Main& form = window.Form;
    form.CurrentFile = capture;
    form.ProductFolder = "C:\\VEZ\\";
    form.Action = "AP";
    form.NumLines = kLinesPerPage;
    form.AccountLine = 1;
    form.AccountCol = 1;
    form.AccountWidth = 8;
    form.EncDec = true;
    form.StripAcctID = true;

    ResetPeakMemory();
    const long before = StatusKb("VmRSS");
    form.SplitCaptures();
    const long peak = StatusKb("VmHWM");
    peakExtra = std::max<std::size_t>(peakExtra,
                                      static_cast<std::size_t>(std::max(0L, peak - before)) * 1024);
    splitFiles = window.WrittenFiles.Count();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fileSize));
  state.counters["split_files"] = splitFiles;
  state.counters["capture_MB"] = static_cast<double>(fileSize) / 1e6;
  state.counters["peak_memory_per_capture_byte"] = static_cast<double>(peakExtra) / fileSize;
  gFigures[pages].PeakRatio = static_cast<double>(peakExtra) / fileSize;
}
BENCHMARK(BM_SplitRun)
    ->ArgName("pages")
    ->Arg(20000)
    ->Arg(80000)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(4)
    ->UseRealTime();

class TFigureReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration) continue;
      const std::string name = run.benchmark_name();
      const std::size_t at = name.find("pages:");
      if (at == std::string::npos) continue;
      gFigures[win::StrToInt(name.substr(at + 6, name.find('/', at) - at - 6))].Milliseconds =
          run.GetAdjustedRealTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
};

void PrintFigures() {
  const TFigures small = gFigures[20000];
  const TFigures large = gFigures[80000];
  if (small.Milliseconds <= 0 || large.Milliseconds <= 0) return;
  const double ratio = large.Milliseconds / small.Milliseconds;
  const double peak = std::max(small.PeakRatio, large.PeakRatio);
  auto verdict = [](bool met) { return met ? "met" : "NOT MET"; };
  std::printf("\nSplit run, 42-line pages, %d accounts:\n", kAccounts);
  std::printf("  20,000 pages: %8.1f ms   (limit 1000 ms: %s)\n", small.Milliseconds,
              verdict(small.Milliseconds <= 1000));
  std::printf("  80,000 pages: %8.1f ms   (4x the pages costs %.2fx; limit 5x: %s)\n",
              large.Milliseconds, ratio, verdict(ratio <= 5));
  std::printf("  peak memory growth during the split: %.2fx the capture file   (limit 4x: %s)\n",
              peak, verdict(peak <= 4));
  std::printf("  files under %s\n", std::filesystem::temp_directory_path().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("TMPDIR") == nullptr && std::filesystem::is_directory("/dev/shm")) {
    ::setenv("TMPDIR", "/dev/shm", 1);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  TFigureReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  PrintFigures();
  return 0;
}
