// The INI file at the sizes the splitter meets: reading an AccountCodes
// section of thousands of keys (every splitter run does it once), and a
// queue file of thousands of entries written in one batch. Four times the
// keys should cost about four times as much.
#include <string>

#include <benchmark/benchmark.h>

#include "platform/inifile.h"
#include "platform/stringlist.h"
#include "tests/support/temp_prefix.h"

namespace {

std::string AccountCodesFile(int keys) {
  std::string text = "[Configuration]\r\nNumLines=42\r\n[AccountCodes]\r\n";
  for (int i = 0; i < keys; ++i) {
    text += "A" + std::to_string(100000 + i) + "=Code " + std::to_string(i) + "\r\n";
  }
  return text + "[OrigFile]\r\nNumberOfDays=3\r\n";
}

void BM_ReadSectionValues(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  testing_support::TempPrefix prefix;
  testing_support::WriteFile(prefix.driveC() / "davuri.ini", AccountCodesFile(keys));
  const win::TIniFile ini("C:\\DAVURI.INI");
  win::TStringList values;
  for (auto _ : state) {
    ini.ReadSectionValues("AccountCodes", values);
    benchmark::DoNotOptimize(values.Count());
  }
  state.counters["keys"] = values.Count();
}
BENCHMARK(BM_ReadSectionValues)
    ->ArgName("keys")
    ->Arg(2000)
    ->Arg(8000)
    ->Unit(benchmark::kMillisecond);

// As the hand-off writes its queue file: one entry per account.
void BM_BatchWrite(benchmark::State& state) {
  const int entries = static_cast<int>(state.range(0));
  testing_support::TempPrefix prefix;
  for (auto _ : state) {
    win::TIniFile ini("C:\\QUEUE.INI");
    ini.BeginUpdate();
    ini.WriteString("Options", "Action", "AP");
    for (int i = 0; i < entries; ++i) {
      ini.WriteString("Accounts Used", "Account " + std::to_string(i + 1) + ":",
                      "A" + std::to_string(100000 + i));
    }
    ini.EndUpdate();
  }
}
BENCHMARK(BM_BatchWrite)->ArgName("entries")->Arg(2000)->Arg(46656)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
