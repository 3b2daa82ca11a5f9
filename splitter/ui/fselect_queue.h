// The file selection window's decisions about its queue, kept apart from its
// widgets: which files of a folder the file list offers (never a queued
// one), the path a double click queues, and the run list Print hands over.
// Queued paths are compared without regard to letter case.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/stringlist.h"

namespace splitter {

// The plain files (no directories, hidden or system files) that `pattern`
// finds, each as its lower-case name, leaving out those whose lower-case
// `folder` + name is in `queued`. In the order the search finds them.
std::vector<std::string> UnqueuedFiles(const std::string& pattern, const std::string& folder,
                                       const win::TStringList& queued);

// `folder` (with a backslash added when it has none at its end) and `name`,
// in lower case: what a double click queues.
std::string QueuedPath(const std::string& folder, const std::string& name);

// What Print hands to the processing window: every line of the queue, a
// network path (its second character a backslash) through `mapToLocalDrive`.
std::vector<std::string> BuildRunList(
    const std::vector<std::string>& queue,
    const std::function<std::string(const std::string&)>& mapToLocalDrive);

}  // namespace splitter
