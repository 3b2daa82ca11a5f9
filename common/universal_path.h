// Full, universal paths: the form of a path that other computers can use.
#pragma once

#include <string>

namespace common {

// `path` made full against the process's current directory, with a mapped
// network drive replaced by its universal name ("X:\in" with X: = \\srv\data
// gives "\\srv\data\in"). Local drives, unconnected letters and UNC paths
// keep the full form. The whole text is one path: blanks or quotation marks
// in it mean nothing special. A path that cannot be made full (too long, or
// not a path at all) is returned as given.
std::string ExpandToUniversalPath(const std::string& path);

}  // namespace common
