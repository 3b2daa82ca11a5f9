#include "tests/support/expect_raises.h"

#include <stdexcept>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace testing_support {
namespace {

// An error with a field of its own, as the database errors carry a code.
struct TCodedError : std::runtime_error {
  TCodedError(const std::string& message, int code) : std::runtime_error(message), Code(code) {}
  int Code;
};

void Raise(const std::string& message, int code) { throw TCodedError(message, code); }

TEST(ExpectRaises, ReturnsTheRaisedErrorWhenTypeAndTextMatch) {
  const auto error = ExpectRaises<TCodedError>([] { Raise("Table 't' doesn't exist", 1146); },
                                               "Table 't' doesn't exist");
  ASSERT_TRUE(error.has_value());
  EXPECT_EQ(error->Code, 1146);

  // A base class catches the derived error; a matcher checks part of the text.
  EXPECT_TRUE(ExpectRaises<std::runtime_error>([] { Raise("UPDATE command denied", 1142); },
                                               ::testing::StartsWith("UPDATE command")));
}

TEST(ExpectRaises, FailsWhenNothingIsRaised) {
  EXPECT_NONFATAL_FAILURE(
      EXPECT_FALSE(ExpectRaises<std::runtime_error>([] {}, "List index out of bounds (1)")),
      "nothing raised; expected an error with text that is equal to \"List index out of "
      "bounds (1)\"");
}

TEST(ExpectRaises, FailsOnAnotherText) {
  EXPECT_NONFATAL_FAILURE(
      EXPECT_FALSE(ExpectRaises<TCodedError>([] { Raise("Unable to write to C:\\b.ini", 0); },
                                             "Unable to write to C:\\a.ini")),
      "raised \"Unable to write to C:\\b.ini\"; expected text that is equal to");
  EXPECT_NONFATAL_FAILURE(
      ExpectRaises<TCodedError>([] { Raise("Table", 0); }, ::testing::HasSubstr("denied")),
      "raised \"Table\"; expected text that has substring \"denied\"");
}

TEST(ExpectRaises, AnErrorOfAnotherTypePassesOn) {
  EXPECT_THROW(ExpectRaises<TCodedError>([] { throw std::logic_error("other"); }, "other"),
               std::logic_error);
}

}  // namespace
}  // namespace testing_support
