#include "platform/params.h"

#include <gtest/gtest.h>

#include "platform/path.h"

namespace {

TEST(Params, SetDirectly) {
  win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {"file.ruz", "other.ini"});
  EXPECT_EQ(win::ParamCount(), 2);
  EXPECT_EQ(win::ParamStr(0), "C:\\Apps\\DAVURI.EXE");
  EXPECT_EQ(win::ParamStr(1), "file.ruz");
  EXPECT_EQ(win::ParamStr(2), "other.ini");
  EXPECT_EQ(win::ParamStr(3), "");
  EXPECT_EQ(win::ParamStr(-1), "");
}

TEST(Params, ProgramPathInWindowsForm) {
  const char* argv[] = {"whatever-name", ".", "c:\\cfg\\my.ini"};
  win::InitCommandLine(3, argv);
  EXPECT_EQ(win::ParamCount(), 2);
  EXPECT_EQ(win::ParamStr(2), "c:\\cfg\\my.ini");
  // The running test binary lies outside drive C:, so Z: (the host's /) covers it.
  const std::string program = win::ParamStr(0);
  EXPECT_EQ(program.substr(0, 3), "Z:\\") << program;
  EXPECT_EQ(win::ExtractFileName(program), "win_params_tests");
}

}  // namespace
