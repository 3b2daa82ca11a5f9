// Names and account IDs of the split files: the base-36 counter over the "?"
// positions of a name template, and the account-ID filter.
#pragma once

#include <string>

namespace splitter {

// The name that follows `previous` for `templ`: every "?" of the template is
// a counter position holding 0-9 then A-Z, counted up from the right with
// carry; after all Z it wraps to all 0. An empty (or differently long)
// previous name gives the template with every "?" as "0".
std::string NextFileName(const std::string& previous, const std::string& templ);

// How many names the template's counter gives before it wraps (36 to the
// power of its "?" count), or 0 when that does not fit a 64-bit count.
unsigned long long FileNameCapacity(const std::string& templ);

// `id` without every character other than 0-9 and A-Z.
std::string StripAccountID(const std::string& id);

}  // namespace splitter
