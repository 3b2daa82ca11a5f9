#include "splitter/ui/fselect_queue.h"

#include "platform/path.h"
#include "platform/search.h"
#include "platform/text.h"

namespace splitter {

std::vector<std::string> UnqueuedFiles(const std::string& pattern, const std::string& folder,
                                       const win::TStringList& queued) {
  std::vector<std::string> names;
  win::TSearchRec found;
  if (win::FindFirst(pattern, 0, found) == 0) {
    do {
      const std::string name = win::LowerCase(found.Name);
      if (queued.IndexOf(win::LowerCase(folder) + name) < 0) names.push_back(name);
    } while (win::FindNext(found) == 0);
  }
  win::FindClose(found);
  return names;
}

std::string QueuedPath(const std::string& folder, const std::string& name) {
  return win::LowerCase(win::IncludeTrailingBackslash(folder) + name);
}

std::vector<std::string> BuildRunList(
    const std::vector<std::string>& queue,
    const std::function<std::string(const std::string&)>& mapToLocalDrive) {
  std::vector<std::string> runList;
  for (const std::string& line : queue) {
    runList.push_back(line.size() >= 2 && line[1] == '\\' ? mapToLocalDrive(line) : line);
  }
  return runList;
}

}  // namespace splitter
