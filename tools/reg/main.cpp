#include <iostream>
#include <string>
#include <vector>

#include "tools/reg/regtool.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return regtool::Run(args, std::cin, std::cout, std::cerr);
}
