// The hive text: whatever parses serialises into a text that parses to the
// same keys and values (and, unchanged, to the very same text), and values
// set on it, of every type and with any bytes, read back after a
// serialise/parse round.
#include "platform/hive.h"

#include <string>
#include <vector>

#include "fuzz/support/fuzz_support.h"
#include "platform/text.h"

namespace {

constexpr int kMostChanges = 4;

std::string Shown(const win::THiveValue& value) {
  return "\"" + value.Name + "\" type " + std::to_string(value.Type) + " (" +
         std::to_string(value.Data.size()) + " bytes)";
}

bool SameValue(const win::THiveValue& a, const win::THiveValue& b) {
  return win::SameText(a.Name, b.Name) && a.Type == b.Type && a.Data == b.Data;
}

// Both hives hold the same keys, each with the same values in the same order.
void CheckSameContent(const win::THive& expected, const win::THive& got, const std::string& what) {
  const std::vector<std::string> keys = expected.KeyPaths();
  fuzz::Check(keys == got.KeyPaths(), what + ": the keys differ");
  for (const std::string& key : keys) {
    const std::vector<win::THiveValue> values = expected.Values(key);
    const std::vector<win::THiveValue> gotValues = got.Values(key);
    fuzz::Check(values.size() == gotValues.size(), what + ": the values of " + key + " differ");
    for (std::size_t i = 0; i < values.size(); ++i) {
      fuzz::Check(
          SameValue(values[i], gotValues[i]),
          what + ": " + key + " holds " + Shown(gotValues[i]) + ", not " + Shown(values[i]));
    }
  }
}

win::THive Reparsed(const win::THive& hive, const std::string& what) {
  const std::string text = hive.Serialise();
  try {
    return win::THive::Parse(text, "fuzz");
  } catch (const win::EHiveFormatError& error) {
    fuzz::Fail(what + ": the serialised hive does not parse: " + error.Message());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::TInput input(data, size);
  const std::string_view text = input.Part();
  win::THive hive;
  try {
    hive = win::THive::Parse(text, "fuzz");
  } catch (const win::EHiveFormatError&) {
    return 0;
  }
  const win::THive again = Reparsed(hive, "parsed");
  CheckSameContent(hive, again, "parsed");
  if (text.find_first_not_of(" \t\r\n") != std::string_view::npos) {
    fuzz::Check(hive.Serialise() == text, "an unchanged hive serialises to another text");
  }

  // Changes: a key path, a value name, a type and the data, each part ended
  // by a zero byte (the type is one byte).
  for (int n = 0; n < kMostChanges && !input.Empty(); ++n) {
    const std::string key(input.Part());
    win::THiveValue value;
    value.Name = std::string(input.Part());
    value.Type = input.Byte() % 12;
    value.Data = std::string(input.Part());
    if (!win::IsStorableKeyPath(key)) {
      try {
        hive.CreateKey(key);
      } catch (const win::Exception&) {
        continue;
      }
      fuzz::Fail("a key that the text cannot hold was created: " + key);
    }
    const std::string stored = hive.CreateKey(key);
    const bool set = hive.SetValue(stored, value);
    fuzz::Check(set == win::IsStorableValueName(value.Name),
                "a value named " + value.Name + (set ? " was set" : " was not set"));
    if (!set) continue;
    const win::THive changed = Reparsed(hive, "changed");
    CheckSameContent(hive, changed, "changed");
    const win::THiveValue* found = changed.FindValue(stored, value.Name);
    fuzz::Check(found != nullptr && SameValue(*found, value),
                "the value set on " + stored + " reads back as " +
                    (found ? Shown(*found) : std::string("nothing")));
    hive = changed;
  }
  return 0;
}
