// ExpectRaises: a check that a call raises an error of one type with a given
// text, for the errors that carry the system's messages. Unlike EXPECT_THROW
// it checks the text; unlike a hand-written try/catch it cannot pass when
// nothing is raised. An error of another type passes on and fails the test
// as an unexpected exception.
//
//   ExpectRaises<win::EIniFileException>([&] { ini.WriteString(...); },
//                                        "Unable to write to C:\\NoSuch\\DAVURI.INI");
//   if (auto error = ExpectRaises<win::EZSQLException>(call, StartsWith("Table")))
//     EXPECT_EQ(error->ErrorCode, 1146u);
#pragma once

#include <optional>
#include <source_location>
#include <string>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace testing_support {

// Runs `call`. When it raises an E whose what() matches `text` (a string for
// the exact text, or a string matcher), returns the error for further checks
// of its fields; otherwise records a failure at the caller's line and
// returns nothing.
template <class E, class Call>
std::optional<E> ExpectRaises(Call&& call, const ::testing::Matcher<const std::string&>& text,
                              std::source_location where = std::source_location::current()) {
  try {
    call();
  } catch (const E& error) {
    const std::string message = error.what();
    ::testing::StringMatchResultListener why;
    if (text.MatchAndExplain(message, &why)) return error;
    ADD_FAILURE_AT(where.file_name(), where.line())
        << "raised \"" << message << "\"; expected text that "
        << ::testing::DescribeMatcher<const std::string&>(text) << " " << why.str();
    return std::nullopt;
  }
  ADD_FAILURE_AT(where.file_name(), where.line())
      << "nothing raised; expected an error with text that "
      << ::testing::DescribeMatcher<const std::string&>(text);
  return std::nullopt;
}

}  // namespace testing_support
