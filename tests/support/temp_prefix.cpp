#include "tests/support/temp_prefix.h"

#include <stdlib.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/prefix.h"

namespace testing_support {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "zerurud-test-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

TempPrefix::TempPrefix() {
  if (const char* old = std::getenv("ZERURUD_PREFIX")) savedPrefix_ = old;
  savedCwd_ = fs::current_path();
  ::setenv("ZERURUD_PREFIX", dir_.path().c_str(), 1);
  win::PrefixRoot();
  fs::current_path(driveC());
}

TempPrefix::~TempPrefix() {
  std::error_code ec;
  fs::current_path(savedCwd_, ec);
  if (savedPrefix_) {
    ::setenv("ZERURUD_PREFIX", savedPrefix_->c_str(), 1);
  } else {
    ::unsetenv("ZERURUD_PREFIX");
  }
}

fs::path TempPrefix::OnDriveC(const std::string& windowsPath) const {
  std::string relative = windowsPath.substr(3);
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  return driveC() / relative;
}

void WriteFile(const fs::path& file, const std::string& data) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out << data;
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

std::string ReadFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

}  // namespace testing_support
