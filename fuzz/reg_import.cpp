// `reg import`: a .reg file of any content either fails with one "ERROR: "
// line and leaves the hive as it was, or succeeds and leaves a hive that
// still parses, holding every key and value of the file next to what was
// there before.
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "platform/env.h"
#include "platform/hive.h"
#include "platform/prefix.h"
#include "tools/reg/regtool.h"

namespace {

// What the machine's hive holds before every import: a key the file may
// extend or overwrite, in the file's own line-end style.
constexpr std::string_view kStartingHive =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Printer]\r\n"
    "\"FilePath\"=\"C:\\\\Capture\"\r\n"
    "\"ExpandTo\"=dword:00000046\r\n"
    "\r\n";

std::string HiveText() {
  std::string text;
  if (!win::Env().ReadFile(win::HivePath(), text)) fuzz::Fail("the hive cannot be read");
  return text;
}

win::THive ParsedHive(const std::string& text) {
  try {
    return win::THive::Parse(text, "hive");
  } catch (const win::EHiveFormatError& error) {
    fuzz::Fail("the import left a hive that does not parse: " + error.Message());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path folder = fuzz::MachineDriveC() / "fuzz";
  fuzz::EmptyFolder(folder);
  const std::filesystem::path file = folder / "import.reg";
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  fuzz::WriteHostFile(file, text);
  fuzz::WriteHostFile(win::HivePath(), kStartingHive);

  std::istringstream in;
  std::ostringstream out;
  std::ostringstream err;
  const int code = regtool::Run({"import", file.string()}, in, out, err);
  const std::string after = HiveText();
  if (code != 0) {
    fuzz::Check(code == 1, "exit code " + std::to_string(code));
    fuzz::Check(err.str().starts_with("ERROR: ") && err.str().ends_with("\n") &&
                    err.str().find('\n') == err.str().size() - 1,
                "not one error line: " + err.str());
    fuzz::Check(after == kStartingHive, "a failed import changed the hive");
    return 0;
  }
  fuzz::Check(out.str() == "The operation completed successfully.\n", "output: " + out.str());
  const win::THive hive = ParsedHive(after);
  const win::THive imported = win::THive::Parse(text, "import");
  for (const std::string& key : imported.KeyPaths()) {
    fuzz::Check(hive.KeyExists(key), "key " + key + " not imported");
    for (const win::THiveValue& value : imported.Values(key)) {
      const win::THiveValue* found = hive.FindValue(key, value.Name);
      fuzz::Check(found != nullptr && found->Type == value.Type && found->Data == value.Data,
                  "value \"" + value.Name + "\" of " + key + " not imported as it was");
    }
  }
  return 0;
}
