// The printer-driver directory and the installation of drivers from it.
#include <cstring>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/path.h"
#include "platform/spooler.h"
#include "platform/spooler_hive.h"
#include "platform/text.h"

namespace win {

namespace {

using spooler::Text;

bool IsOwnEnvironment(const char* environment) {
  return Text(environment).empty() || SameText(Text(environment), kPrinterEnvironment);
}

// A driver's file: where it is taken from, and its bare name.
struct TDriverFile {
  std::string Source;
  std::string Name;
};

TDriverFile FileOf(const std::string& named) {
  const bool hasFolder = named.find_first_of("\\:") != std::string::npos;
  return {hasFolder ? named : std::string(spooler::kDriverDirectory) + "\\" + named,
          ExtractFileName(named)};
}

// Copies the file into the version folder unless `onlyNewer` and the copy
// there is at least as new.
bool InstallFile(const TDriverFile& file, const std::string& folder, bool onlyNewer) {
  const std::string target = folder + "\\" + file.Name;
  TDateTime sourceTime = 0;
  TDateTime targetTime = 0;
  if (onlyNewer && FileLastWriteTime(target, targetTime) &&
      FileLastWriteTime(file.Source, sourceTime) && sourceTime <= targetTime) {
    return true;
  }
  std::string data;
  return ReadWholeFile(file.Source, data) && WriteWholeFile(target, data);
}

std::vector<THiveValue> DriverRecord(const DRIVER_INFO_6& driver) {
  using namespace spooler;
  std::string date;
  std::string version;
  for (int i = 0; i < 4; ++i)
    date += static_cast<char>(driver.ftDriverDate.dwLowDateTime >> (8 * i) & 0xFF);
  for (int i = 0; i < 4; ++i)
    date += static_cast<char>(driver.ftDriverDate.dwHighDateTime >> (8 * i) & 0xFF);
  for (int i = 0; i < 8; ++i)
    version += static_cast<char>(driver.dwlDriverVersion >> (8 * i) & 0xFF);
  const auto bare = [](const char* path) { return ExtractFileName(Text(path)); };
  return {
      DwordValue("Version", driver.cVersion),
      StringValue("Driver", bare(driver.pDriverPath).c_str()),
      StringValue("Data File", bare(driver.pDataFile).c_str()),
      StringValue("Configuration File", bare(driver.pConfigFile).c_str()),
      StringValue("Help File", bare(driver.pHelpFile).c_str()),
      MultiStringValue("Dependent Files", TextList(driver.pDependentFiles)),
      StringValue("Monitor", driver.pMonitorName),
      StringValue("Datatype", driver.pDefaultDataType),
      MultiStringValue("Previous Names", TextList(driver.pszzPreviousNames)),
      BinaryValue("DriverDate", date),
      BinaryValue("DriverVersion", version),
      StringValue("Manufacturer", driver.pszMfgName),
      StringValue("OEM Url", driver.pszOEMUrl),
      StringValue("HardwareID", driver.pszHardwareID),
      StringValue("Provider", driver.pszProvider),
  };
}

}  // namespace

bool GetPrinterDriverDirectory(const char* name, const char* environment, DWORD level,
                               BYTE* directory, DWORD size, DWORD* needed) {
  if (!spooler::IsLocalServer(name)) return Fail(ERROR_INVALID_NAME);
  if (level != 1) return Fail(ERROR_INVALID_LEVEL);
  if (!IsOwnEnvironment(environment)) return Fail(ERROR_INVALID_ENVIRONMENT);
  const std::string path = spooler::kDriverDirectory;
  const auto required = static_cast<DWORD>(path.size() + 1);
  if (needed != nullptr) *needed = required;
  if (directory == nullptr || size < required) return Fail(ERROR_INSUFFICIENT_BUFFER);
  // Where the caller may not create it, the driver files are missing from
  // it, which the driver's installation reports.
  ForceDirectories(path);
  std::memcpy(directory, path.c_str(), required);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool AddPrinterDriverEx(const char* name, DWORD level, const BYTE* info, DWORD copyFlags) {
  if (!spooler::IsLocalServer(name)) return Fail(ERROR_INVALID_NAME);
  if (level != 6) return Fail(ERROR_INVALID_LEVEL);
  if (info == nullptr) return Fail(ERROR_INVALID_PARAMETER);
  const auto& driver = *reinterpret_cast<const DRIVER_INFO_6*>(info);
  const std::string driverName = Text(driver.pName);
  if (copyFlags != APD_COPY_NEW_FILES && copyFlags != APD_COPY_ALL_FILES) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (driverName.empty() || driverName.find('\\') != std::string::npos ||
      Text(driver.pDriverPath).empty() || Text(driver.pDataFile).empty() ||
      Text(driver.pConfigFile).empty()) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  if (!IsOwnEnvironment(driver.pEnvironment)) return Fail(ERROR_INVALID_ENVIRONMENT);
  if (!spooler::MayChangeSpooler()) return false;

  std::vector<TDriverFile> files;
  for (const char* named :
       {driver.pDriverPath, driver.pDataFile, driver.pConfigFile, driver.pHelpFile}) {
    if (!Text(named).empty()) files.push_back(FileOf(named));
  }
  for (const std::string& named : spooler::TextList(driver.pDependentFiles)) {
    files.push_back(FileOf(named));
  }
  for (const TDriverFile& file : files) {
    if (!FileExists(file.Source)) return Fail(ERROR_FILE_NOT_FOUND);
  }
  const std::string folder =
      std::string(spooler::kDriverDirectory) + "\\" + std::to_string(driver.cVersion);
  if (!ForceDirectories(folder)) return false;
  for (const TDriverFile& file : files) {
    if (!InstallFile(file, folder, copyFlags == APD_COPY_NEW_FILES)) return false;
  }

  const std::string key = spooler::DriversKey(driver.cVersion) + "\\" + driverName;
  const std::vector<THiveValue> record = DriverRecord(driver);
  return spooler::ChangeSpooler([&](THive& hive) {
    hive.DeleteKey(key);
    const std::string stored = hive.CreateKey(key);
    for (const THiveValue& value : record) hive.SetValue(stored, value);
    return ERROR_SUCCESS;
  });
}

}  // namespace win
