#include "platform/spooler_hive.h"

#include "platform/hivefile.h"
#include "platform/prefix.h"
#include "platform/registry.h"
#include "platform/spooler.h"

namespace win::spooler {

std::string DriversKey(DWORD version) {
  return std::string(kPrintKey) + "\\Environments\\" + kPrinterEnvironment + "\\Drivers\\Version-" +
         std::to_string(version);
}

bool IsLocalServer(const char* name) { return name == nullptr || *name == '\0'; }

std::string Text(const char* text) { return text == nullptr ? std::string() : std::string(text); }

std::vector<std::string> TextList(const char* list) {
  std::vector<std::string> texts;
  if (list == nullptr) return texts;
  for (const char* text = list; *text != '\0'; text += texts.back().size() + 1) {
    texts.emplace_back(text);
  }
  return texts;
}

THiveValue StringValue(const std::string& name, const char* text) {
  return {name, REG_SZ, Text(text) + '\0'};
}

THiveValue DwordValue(const std::string& name, DWORD number) {
  std::string data;
  for (int i = 0; i < 4; ++i) data += static_cast<char>(number >> (8 * i) & 0xFF);
  return {name, REG_DWORD, data};
}

THiveValue MultiStringValue(const std::string& name, const std::vector<std::string>& texts) {
  std::string data;
  for (const std::string& text : texts) data += text + '\0';
  return {name, REG_MULTI_SZ, data + '\0'};
}

THiveValue BinaryValue(const std::string& name, const std::string& data) {
  return {name, REG_BINARY, data};
}

bool MayChangeSpooler() {
  // Opening the spooler's key for writing is what decides the right to
  // change it, as for every other writer of the hive.
  TRegistry rights(KEY_ALL_ACCESS);
  return rights.OpenKey(kPrintKey, true);
}

bool ChangeSpooler(const std::function<DWORD(THive&)>& change) {
  if (!MayChangeSpooler()) return false;
  DWORD result = ERROR_SUCCESS;
  try {
    UpdateHive(HivePath(), [&](THive& hive) {
      result = change(hive);
      return result == ERROR_SUCCESS;
    });
  } catch (const EHiveFormatError&) {
    return Fail(ERROR_INVALID_DATA);
  } catch (const Exception&) {
    return Fail(GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_ACCESS_DENIED);
  }
  if (result != ERROR_SUCCESS) return Fail(result);
  SetLastError(ERROR_SUCCESS);
  return true;
}

bool ReadSpooler(THive& hive) {
  try {
    hive = LoadHive(HivePath());
    return true;
  } catch (const EHiveFormatError&) {
    return Fail(ERROR_INVALID_DATA);
  } catch (const Exception&) {
    return Fail(GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_ACCESS_DENIED);
  }
}

}  // namespace win::spooler
