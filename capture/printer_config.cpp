#include "capture/printer_config.h"

#include <string_view>

#include "capture/converter_messages.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/registry.h"

namespace capture {

namespace {

void WarnDefaultUsed(std::string_view name, std::string_view expected) {
  ReportWarning("the printer setting " + std::string(name) + " is not " + std::string(expected) +
                "; its default is used");
}

std::string ReadText(win::TRegistry& registry, const std::string& name) {
  if (!registry.ValueExists(name)) return "";
  try {
    return registry.ReadString(name);
  } catch (const win::ERegistryException&) {
    WarnDefaultUsed(name, "a text");
    return "";
  }
}

std::int32_t ReadRowCount(win::TRegistry& registry) {
  if (!registry.ValueExists("ExpandTo")) return kDefaultRowCount;
  std::int32_t rows;
  try {
    rows = registry.ReadInteger("ExpandTo");
  } catch (const win::ERegistryException&) {
    WarnDefaultUsed("ExpandTo", "an integer");
    return kDefaultRowCount;
  }
  if (rows < 1) {
    ReportWarning("the printer setting ExpandTo is " + std::to_string(rows) +
                  ", but a page needs at least one row; " + std::to_string(kDefaultRowCount) +
                  " rows are used");
    return kDefaultRowCount;
  }
  if (rows > kMaxRowCount) {
    ReportWarning("the printer setting ExpandTo is " + std::to_string(rows) +
                  ", but a page holds at most " + std::to_string(kMaxRowCount) + " rows; " +
                  std::to_string(kMaxRowCount) + " rows are used");
    return kMaxRowCount;
  }
  return rows;
}

}  // namespace

TPrinterConfig ReadPrinterConfig() {
  TPrinterConfig config;
  win::TRegistry registry(win::KEY_ALL_ACCESS);
  if (!registry.OpenKey(kPrinterKey, false)) return config;
  config.FFilePath = win::IncludeTrailingBackslash(ReadText(registry, "FilePath"));
  config.FChain = ReadText(registry, "Chain");
  config.FExpandTo = ReadRowCount(registry);
  registry.CloseKey();
  return config;
}

void PrepareCaptureFolder(const std::string& folder) {
  // The converter runs as root, but writes as the session's user: like a
  // Windows folder, the new one takes the rights of the folder it lies in, so
  // that users who may write there may write in it too.
  if (!win::DirectoryExists(folder)) win::CreateDirTakingParentRights(folder);
}

}  // namespace capture
