// The capture converter's hot paths: the cipher over a buffer, and a whole
// print job through the extraction into capture file bytes. Bytes per second
// are of the cipher's buffer and of the job's PostScript respectively; two job
// sizes show that the cost grows linearly with the pages. Each run starts
// from fresh memory for the rows, as a converter process does.
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include <benchmark/benchmark.h>

#include "capture/check_record.h"
#include "capture/text_extraction.h"
#include "capturefile/capture_text.h"
#include "capturefile/crypt.h"
#include "tools/jobgen/job_generator.h"

namespace {

constexpr std::size_t kCipherBuffer = 1 << 20;

std::string CipherInput() {
  std::string buffer(kCipherBuffer, ' ');
  for (std::size_t i = 0; i < buffer.size(); i += 7) buffer[i] = static_cast<char>('A' + i % 26);
  return buffer;
}

void BM_Encrypt(benchmark::State& state) {
  std::string buffer = CipherInput();
  capturefile::TCrypt crypt;
  for (auto _ : state) {
    crypt.EncryptBuffer(buffer.data(), buffer.size());
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buffer.size()));
}
BENCHMARK(BM_Encrypt);

void BM_Decrypt(benchmark::State& state) {
  std::string buffer = CipherInput();
  capturefile::TCrypt crypt;
  for (auto _ : state) {
    crypt.DecryptBuffer(buffer.data(), buffer.size());
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buffer.size()));
}
BENCHMARK(BM_Decrypt);

void BM_EncryptForHandOff(benchmark::State& state) {
  std::string buffer = CipherInput();
  capturefile::TCrypt crypt;
  for (auto _ : state) {
    crypt.EncryptBufferForHandOff(buffer.data(), buffer.size());
    benchmark::DoNotOptimize(buffer.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * buffer.size()));
}
BENCHMARK(BM_EncryptForHandOff);

// Jobs of five accounts; `signatureBytes` 0 leaves only text and rules on
// the pages, which shows the cost per page of the output (7840 bytes a page).
const std::string& Job(std::int32_t pages, std::int32_t signatureBytes) {
  static std::map<std::pair<std::int32_t, std::int32_t>, std::string> jobs;
  std::string& job = jobs[{pages, signatureBytes}];
  if (job.empty()) {
    jobgen::TJobOptions options;
    options.FAccounts = {"A100", "B200", "C300", "D400", "E500"};
    options.FPages = pages;
    options.FSignatureBytes = signatureBytes;
    job = jobgen::GenerateJob(options).FText;
  }
  return job;
}

// What the converter does with a job: each line to the extraction, then the
// rows of all pages into the bytes of the capture file.
void BM_ExtractAndEncode(benchmark::State& state) {
  const std::int32_t pages = static_cast<std::int32_t>(state.range(0));
  const std::string& job = Job(pages, static_cast<std::int32_t>(state.range(1)));
  std::size_t fileSize = 0;
  for (auto _ : state) {
    capture::TCheckRecord grid(70);
    capturefile::TCaptureText pageLines;
    capture::TTextExtraction extraction(grid, pageLines);
    const char* next = job.data();
    const char* const end = job.data() + job.size();
    while (next < end && !extraction.EndOfJob()) {
      const char* feed = static_cast<const char*>(std::memchr(next, '\n', end - next));
      if (feed == nullptr) feed = end;
      extraction.ProcessLine(std::string_view(next, feed - next));
      next = feed + 1;
    }
    capturefile::TCrypt crypt;
    pageLines.Encipher(crypt);
    fileSize = pageLines.Content().size();
    benchmark::DoNotOptimize(pageLines.Content().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * job.size()));
  state.counters["pages"] =
      benchmark::Counter(static_cast<double>(pages), benchmark::Counter::kIsIterationInvariantRate);
  state.counters["job_bytes_per_page"] = static_cast<double>(job.size()) / pages;
  state.counters["file_bytes"] = static_cast<double>(fileSize);
}
BENCHMARK(BM_ExtractAndEncode)
    ->ArgNames({"pages", "signature_bytes"})
    ->Args({5000, 1500})
    ->Args({20000, 1500})
    ->Args({5000, 0})
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
