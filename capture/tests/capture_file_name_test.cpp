#include "capture/capture_file_name.h"

#include <set>
#include <string>

#include <gtest/gtest.h>

#include "platform/registry.h"
#include "tests/support/temp_prefix.h"

using capture::CaptureFileName;
using capture::TLocalTime;

TEST(CaptureFileName, FieldsWithoutLeadingZeros) {
  const struct {
    TLocalTime time;
    std::int32_t number;
    const char* name;
  } cases[] = {
      {{2024, 3, 5, 9, 7, 4, 32}, 811, "TL-PC7-202435-97432-811.ruz"},
      {{2024, 12, 31, 23, 59, 59, 999}, 32767, "TL-PC7-20241231-235959999-32767.ruz"},
      {{2025, 1, 1, 0, 0, 0, 0}, 0, "TL-PC7-202511-0000-0.ruz"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CaptureFileName("PC7", c.time, c.number), c.name) << c.name;
  }
}

TEST(CaptureFileName, AComputerNameCannotLeaveTheFolder) {
  const TLocalTime time{2024, 3, 5, 9, 7, 4, 32};
  const struct {
    std::string computerName;
    const char* name;
  } cases[] = {
      {"\\..\\..\\E\\X", "TL-_.._.._E_X-202435-97432-811.ruz"},
      {"../../etc/x", "TL-.._.._etc_x-202435-97432-811.ruz"},
      {"C:EVIL", "TL-C_EVIL-202435-97432-811.ruz"},
      {"A*B?C\"D<E>F|G", "TL-A_B_C_D_E_F_G-202435-97432-811.ruz"},
      {std::string("A\tB\nC\0D", 7), "TL-A_B_C_D-202435-97432-811.ruz"},
      {"PC-7.LAN", "TL-PC-7.LAN-202435-97432-811.ruz"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CaptureFileName(c.computerName, time, 811), c.name) << c.computerName;
  }
}

TEST(CaptureFileName, ComputerNameFromTheMachineOrUnknown) {
  testing_support::TempPrefix prefix;
  win::TRegistry registry;
  ASSERT_TRUE(
      registry.OpenKey("SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName", true));
  registry.WriteString("ComputerName", "PC7");
  EXPECT_EQ(capture::ComputerNameForFile(), "PC7");
  // Longer than the 15 characters of a network name: the read fails.
  registry.WriteString("ComputerName", "A-VERY-LONG-COMPUTER-NAME");
  EXPECT_EQ(capture::ComputerNameForFile(), "UNKNOWN");
}

TEST(CaptureFileNumber, RunsOfOneMomentDrawDifferentNumbers) {
  // Processes started in the same second, even the same nanosecond, differ by
  // their process ids; the same second at other nanoseconds differs too.
  std::set<std::int32_t> byProcess;
  std::set<std::int32_t> byNanosecond;
  for (int i = 0; i < 200; ++i) {
    const std::int32_t number = capture::FileNumberFromSeed(1709626024, 32000000, 4000 + i);
    EXPECT_GE(number, 0);
    EXPECT_LE(number, capture::kMaxFileNumber);
    byProcess.insert(number);
    byNanosecond.insert(capture::FileNumberFromSeed(1709626024, 32000000 + i * 1000, 4000));
  }
  EXPECT_GE(byProcess.size(), 195u);
  EXPECT_GE(byNanosecond.size(), 195u);
  EXPECT_EQ(capture::FileNumberFromSeed(1709626024, 5, 6),
            capture::FileNumberFromSeed(1709626024, 5, 6));
}
