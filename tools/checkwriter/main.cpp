// VEZ7.EXE, the stand-in check-writing program (check_writer.h).
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/checkwriter/check_writer.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  std::error_code error;
  const std::filesystem::path productFolder = std::filesystem::current_path(error);
  if (error) {
    std::cerr << "VEZ7.EXE: no working directory: " << error.message() << std::endl;
    return 1;
  }
  return checkwriter::RunStandIn(arguments, productFolder, std::cerr);
}
