// An environment variable set (or removed, for nullopt) for as long as the
// object lives, and put back as it was afterwards.
#pragma once

#include <optional>
#include <string>

namespace testing_support {

class TScopedVariable {
 public:
  TScopedVariable(const char* name, const std::optional<std::string>& value);
  ~TScopedVariable();
  TScopedVariable(const TScopedVariable&) = delete;
  TScopedVariable& operator=(const TScopedVariable&) = delete;

 private:
  const char* FName;
  std::optional<std::string> FOld;
};

}  // namespace testing_support
