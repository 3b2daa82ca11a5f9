// The hive reader on a large value: a 1.6 MB binary value is about 20,000
// continuation lines of a 5 MB .reg file, read by every registry call. Four
// times the data should cost about four times as much.
#include <string>

#include <benchmark/benchmark.h>

#include "platform/registry.h"
#include "tests/support/temp_prefix.h"

namespace {

void BM_ReadLargeBinaryValue(benchmark::State& state) {
  const std::size_t bytes = static_cast<std::size_t>(state.range(0));
  testing_support::TempPrefix prefix;
  std::string data(bytes, '\0');
  for (std::size_t i = 0; i < bytes; ++i) data[i] = static_cast<char>(i * 131 % 251);
  {
    win::TRegistry registry;
    registry.OpenKey("SOFTWARE\\Zerurud\\Bench", true);
    registry.WriteBinary("Blob", data);
    registry.WriteString("After", "x");
  }
  for (auto _ : state) {
    win::TRegistry registry(win::KEY_READ);
    registry.OpenKeyReadOnly("SOFTWARE\\Zerurud\\Bench");
    const std::string back = registry.ReadBinary("Blob");
    if (back != data) state.SkipWithError("the value did not read back byte for byte");
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_ReadLargeBinaryValue)
    ->ArgName("bytes")
    ->Arg(400000)
    ->Arg(1600000)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
