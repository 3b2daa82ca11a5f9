// Windows command lines: one text that the started program splits into its
// arguments itself. This is the split the C runtime of Windows programs does,
// so that a command line built for Windows reaches a host program as the same
// argv it would have reached a Windows one.
//
// The program (first part) ends at the first blank or tab outside quotation
// marks; quotation marks in it only group and are dropped, backslashes are
// plain characters. In the arguments after it, blanks and tabs outside
// quotation marks separate; 2n backslashes before a quotation mark give n
// backslashes and the mark groups, 2n+1 give n backslashes and a literal
// mark; inside a quoted part a doubled mark gives one literal mark;
// backslashes before anything else stay as they are.
//
// It knows nothing about files: finding the program is process.h's work.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace win {

// The argv of `commandLine`. The program is always element 0, and is empty
// when the line is empty or begins with a blank.
std::vector<std::string> SplitCommandLine(std::string_view commandLine);

// `argument` quoted where needed so that SplitCommandLine gives it back as one
// argument unchanged (not for the program part, which cannot hold a quotation
// mark).
std::string QuoteArgument(std::string_view argument);

}  // namespace win
