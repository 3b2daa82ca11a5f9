#include "tests/support/scoped_variable.h"

#include <stdlib.h>

#include <cstdlib>

namespace testing_support {

TScopedVariable::TScopedVariable(const char* name, const std::optional<std::string>& value)
    : FName(name) {
  if (const char* old = std::getenv(name)) FOld = old;
  if (value) {
    ::setenv(name, value->c_str(), 1);
  } else {
    ::unsetenv(name);
  }
}

TScopedVariable::~TScopedVariable() {
  if (FOld) {
    ::setenv(FName, FOld->c_str(), 1);
  } else {
    ::unsetenv(FName);
  }
}

}  // namespace testing_support
