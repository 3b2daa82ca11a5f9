#include "platform/hive.h"

#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/hivefile.h"
#include "tests/support/expect_raises.h"
#include "tests/support/temp_prefix.h"

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using testing_support::ExpectRaises;
using win::THive;
using win::THiveValue;

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

// Texts that must come back byte for byte after a parse.
const char* const kRoundTrips[] = {
    // Plain regedit output
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Printer]\r\n"
    "\"FilePath\"=\"C:\\\\Capture\\\\\"\r\n"
    "\"ExpandTo\"=dword:00000046\r\n"
    "@=\"default \\\"quoted\\\"\"\r\n\r\n",
    // LF line ends, comments, odd spacing, no final line end
    "Windows Registry Editor Version 5.00\n"
    "; written by hand\n"
    "[HKEY_LOCAL_MACHINE\\A]   \n"
    "  \"x\" =   \"1\"\n"
    "\t; a comment between values\n"
    "\"y\"=DWORD:1\n"
    "[HKEY_LOCAL_MACHINE\\A\\B]",
    // Hex types with continuation lines
    "Windows Registry Editor Version 5.00\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\H]\r\n"
    "\"bin\"=hex:01,02,\\\r\n"
    "  ff,00\r\n"
    "\"exp\"=hex(2):25,00,41,00,25,00,00,00\r\n"
    "\"multi\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
    "\"qword\"=hex(b):01,00,00,00,00,00,00,00\r\n"
    "\"empty\"=hex:\r\n",
};

TEST(Hive, ParseSerialiseRoundTrip) {
  for (const char* text : kRoundTrips) {
    EXPECT_EQ(THive::Parse(text, "t.reg").Serialise(), text) << text;
  }
}

TEST(Hive, DecodesEveryDataForm) {
  const THive hive =
      THive::Parse(std::string(kRoundTrips[2]) + "\"wide\"=hex(1):e9,00,41,01,00,00\r\n", "t");
  struct {
    const char* name;
    win::DWORD type;
    std::string data;
  } const expected[] = {
      {"bin", win::REG_BINARY, std::string("\x01\x02\xff\x00", 4)},
      {"exp", win::REG_EXPAND_SZ, std::string("%A%\0", 4)},
      {"multi", win::REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
      {"qword", 0xb, std::string("\x01\0\0\0\0\0\0\0", 8)},
      {"empty", win::REG_BINARY, ""},
      // A character beyond one byte has no narrow form.
      {"wide", win::REG_SZ, std::string("\xe9?\0", 3)},
  };
  for (const auto& row : expected) {
    const THiveValue* value = hive.FindValue("H", row.name);
    ASSERT_NE(value, nullptr) << row.name;
    EXPECT_EQ(value->Type, row.type) << row.name;
    EXPECT_EQ(value->Data, row.data) << row.name;
  }
  const THive quoted = THive::Parse(kRoundTrips[0], "t");
  EXPECT_EQ(quoted.FindValue("software\\zerurud\\printer", "filepath")->Data,
            std::string("C:\\Capture\\\0", 12));
  EXPECT_EQ(quoted.FindValue("SOFTWARE\\Zerurud\\Printer", "ExpandTo")->Data,
            std::string("\x46\0\0\0", 4));
  EXPECT_EQ(quoted.FindValue("SOFTWARE\\Zerurud\\Printer", "")->Data,
            std::string("default \"quoted\"\0", 17));
}

TEST(Hive, NewDataIsWrittenAsRegeditWritesItAndReadsBack) {
  THive hive;
  hive.CreateKey("K");
  const std::string longText(40, 'x');
  const THiveValue values[] = {
      {"s", win::REG_SZ, std::string("C:\\a \"b\"\0", 9)},
      {"d", win::REG_DWORD, std::string("\x78\x56\x34\x12", 4)},
      {"e", win::REG_EXPAND_SZ, longText + '\0'},
      {"m", win::REG_MULTI_SZ, std::string("a\0b\0\0", 5)},
      {"b", win::REG_BINARY, std::string("\x00\xff", 2)},
      // Texts with line breaks cannot be quoted on one line.
      {"lines", win::REG_SZ, std::string("a\r\nb\0", 5)},
  };
  for (const THiveValue& value : values) ASSERT_TRUE(hive.SetValue("K", value));
  const std::string text = hive.Serialise();
  EXPECT_NE(text.find("\"s\"=\"C:\\\\a \\\"b\\\"\"\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"d\"=dword:12345678\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"m\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"b\"=hex:00,ff\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\"lines\"=hex(1):"), std::string::npos) << text;
  EXPECT_NE(text.find(",\\\r\n  "), std::string::npos) << "long data wrap: " << text;
  for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos;
       start = end + 2) {
    EXPECT_LE(end - start, 80u) << text.substr(start, end - start);
  }
  const THive back = THive::Parse(text, "t");
  for (const THiveValue& value : values) {
    const THiveValue* read = back.FindValue("K", value.Name);
    ASSERT_NE(read, nullptr) << value.Name;
    EXPECT_EQ(read->Type, value.Type) << value.Name;
    EXPECT_EQ(read->Data, value.Data) << value.Name;
  }
}

TEST(Hive, NamesTheTextCannotHoldAreRefused) {
  THive hive;
  hive.CreateKey("K");
  const std::string before = hive.Serialise();
  for (const char* path : {"K\\a\nb", "K\\\\x", "a\n"}) {
    EXPECT_FALSE(win::IsStorableKeyPath(path)) << path;
    EXPECT_THROW(hive.CreateKey(path), win::Exception) << path;
  }
  EXPECT_FALSE(hive.SetValue("K", {"a\nb", win::REG_SZ, std::string("x\0", 2)}));
  EXPECT_EQ(hive.Serialise(), before);
  // Leading and trailing backslashes are no empty names; a lone CR is text.
  EXPECT_TRUE(win::IsStorableKeyPath("\\K\\"));
  ASSERT_TRUE(hive.SetValue("K", {"a\rb", win::REG_SZ, std::string("x\0", 2)}));
  const THive reread = THive::Parse(hive.Serialise(), "t");
  const THiveValue* back = reread.FindValue("K", "a\rb");
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Data, std::string("x\0", 2));
}

TEST(Hive, ChangeTouchesOnlyItsOwnLines) {
  const std::string before = kHeader +
                             "; keep me\r\n"
                             "[HKEY_LOCAL_MACHINE\\Software\\Zerurud\\Printer]\r\n"
                             "\"FilePath\" = \"C:\\\\Old\"\r\n"
                             "\"Chain\"=\"x\"\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\SYSTEM\\Other]\r\n"
                             "\"v\"=dword:1\r\n";
  THive hive = THive::Parse(before, "t");
  ASSERT_TRUE(hive.SetValue("SOFTWARE\\ZERURUD\\PRINTER",
                            {"filepath", win::REG_SZ, std::string("C:\\New\0", 7)}));
  std::string expected = before;
  const std::string oldLine = "\"FilePath\" = \"C:\\\\Old\"";
  expected.replace(expected.find(oldLine), oldLine.size(), "\"FilePath\"=\"C:\\\\New\"");
  EXPECT_EQ(hive.Serialise(), expected) << "stored name spelling and every other line kept";

  // A new value joins its key's other values; a new key goes beside its kin.
  ASSERT_TRUE(hive.SetValue("software\\zerurud\\printer",
                            {"ExpandTo", win::REG_DWORD, std::string("\x46\0\0\0", 4)}));
  EXPECT_EQ(hive.CreateKey("SOFTWARE\\Zerurud\\Ruvuduzer"), "Software\\Zerurud\\Ruvuduzer");
  EXPECT_EQ(hive.Serialise(), kHeader +
                                  "; keep me\r\n"
                                  "[HKEY_LOCAL_MACHINE\\Software\\Zerurud\\Printer]\r\n"
                                  "\"FilePath\"=\"C:\\\\New\"\r\n"
                                  "\"Chain\"=\"x\"\r\n"
                                  "\"ExpandTo\"=dword:00000046\r\n\r\n"
                                  "[HKEY_LOCAL_MACHINE\\Software\\Zerurud\\Ruvuduzer]\r\n\r\n"
                                  "[HKEY_LOCAL_MACHINE\\SYSTEM\\Other]\r\n"
                                  "\"v\"=dword:1\r\n");
}

TEST(Hive, KeysAreCaseInsensitiveAndImpliedByTheirSubkeys) {
  THive hive = THive::Parse(kHeader +
                                "[HKEY_LOCAL_MACHINE\\Software\\A\\Deep]\r\n"
                                "[HKEY_LOCAL_MACHINE\\software\\B]\r\n"
                                "\"x\"=\"1\"\r\n"
                                "[HKEY_LOCAL_MACHINE\\SOFTWARE\\b]\r\n"
                                "\"X\"=\"2\"\r\n\"y\"=\"3\"\r\n",
                            "t");
  EXPECT_TRUE(hive.KeyExists("SOFTWARE\\a"));
  EXPECT_TRUE(hive.KeyExists("\\software\\A\\deep\\"));
  EXPECT_FALSE(hive.KeyExists("SOFTWARE\\A\\De"));
  EXPECT_EQ(hive.StoredPath("SOFTWARE\\A"), "Software\\A");
  EXPECT_EQ(hive.SubkeyNames("software"), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(hive.SubkeyNames(""), (std::vector<std::string>{"Software"}));
  EXPECT_EQ(hive.KeyPaths(), (std::vector<std::string>{"Software\\A\\Deep", "software\\B"}));
  // A key given twice merges as an import would: the later data win.
  const std::vector<THiveValue> values = hive.Values("SOFTWARE\\B");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0].Data, std::string("2\0", 2));
  EXPECT_EQ(hive.FindValue("Software\\B", "x")->Data, std::string("2\0", 2));

  ASSERT_TRUE(hive.SetValue("Software\\A", {"new", win::REG_SZ, std::string("v\0", 2)}))
      << "an implied key gets a key line of its own";
  EXPECT_EQ(hive.KeyPaths().back(), "Software\\A");
  EXPECT_FALSE(hive.SetValue("Software\\Missing", {"v", win::REG_SZ, std::string("\0", 1)}));

  EXPECT_TRUE(hive.DeleteValue("SOFTWARE\\B", "X"));
  EXPECT_EQ(hive.FindValue("SOFTWARE\\B", "x"), nullptr) << "both copies go";
  EXPECT_FALSE(hive.DeleteValue("SOFTWARE\\B", "X"));
  EXPECT_FALSE(hive.DeleteKey(""));
  EXPECT_TRUE(hive.DeleteKey("SOFTWARE\\A"));
  EXPECT_FALSE(hive.KeyExists("Software\\A\\Deep"));
  EXPECT_TRUE(hive.KeyExists("Software\\B"));
  EXPECT_FALSE(hive.DeleteKey("SOFTWARE\\A"));
}

TEST(Hive, EmptyTextIsAnEmptyHive) {
  for (const char* text : {"", "  \r\n\n"}) {
    const THive hive = THive::Parse(text, "t");
    EXPECT_EQ(hive.Serialise(), kHeader) << '"' << text << '"';
    EXPECT_TRUE(hive.KeyPaths().empty());
  }
}

TEST(Hive, MalformedTextNamesSourceAndLine) {
  struct {
    std::string text;
    int line;
    const char* reason;
  } const bad[] = {
      {"REGEDIT4\r\n", 1, "expected the header"},
      {"\xFF\xFEW\0i\0", 1, "UTF-16"},
      {"Windows Registry Editor Version 5.00\n\"a\"=\"b\"\n", 2, "before the first key"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A\n", 2, "must end with ']'"},
      {"Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\A]\n", 2,
       "only HKEY_LOCAL_MACHINE"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINEX]\n", 2,
       "only HKEY_LOCAL_MACHINE"},
      {"Windows Registry Editor Version 5.00\n[-HKEY_LOCAL_MACHINE\\A]\n", 2, "deleting keys"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A\\\\B]\n", 2, "empty key name"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\]\n", 2, "empty key name"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\n\"a\n", 4,
       "value name has no closing"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\nname=\"x\"\n", 3,
       "expected \"name\"=data"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\" \"x\"\n", 3,
       "expected '='"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"C:\\\"\n", 3,
       "text has no closing"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"x\" y\n", 3,
       "after the closing"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=dword:123456789\n", 3,
       "dword data"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=dword:\n", 3,
       "dword data"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=dword:12g4\n", 3,
       "dword data"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=hex:1,zz\n", 3,
       "bad hex byte \"zz\""},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=hex:01,,02\n", 3,
       "bad hex byte \"\""},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=hex:100\n", 3,
       "bad hex byte"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=hex(2):41,00,42\n", 3,
       "even number"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=hex(:00\n", 3,
       "hex type number"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=hex(2)00\n", 3,
       "expected ':'"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=hex:01,\\\n", 3,
       "past the end"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=-\n", 3,
       "deleting values"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=42\n", 3,
       "unknown data"},
      {"Windows Registry Editor Version 5.00\n[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\n", 3,
       "unknown data"},
  };
  for (const auto& row : bad) {
    SCOPED_TRACE(row.text);
    const auto error = ExpectRaises<win::EHiveFormatError>(
        [&] { THive::Parse(row.text, "/p/system.reg"); },
        AllOf(StartsWith("/p/system.reg, line " + std::to_string(row.line) + ": "),
              HasSubstr(row.reason)));
    if (error) {
      EXPECT_EQ(error->Line, row.line);
    }
  }
}

// Every prefix of a valid hive, and every single-byte corruption of it,
// either parses or is reported; none may crash or throw anything else.
TEST(Hive, DamagedTextIsParsedOrReported) {
  const std::string valid =
      kRoundTrips[0] + std::string(kRoundTrips[2]).substr(kHeader.size()) + "; end\r\n";
  ASSERT_NO_THROW(THive::Parse(valid, "t"));
  std::vector<std::string> damaged;
  for (std::size_t length = 0; length <= valid.size(); ++length)
    damaged.push_back(valid.substr(0, length));
  for (std::size_t at = 0; at < valid.size(); ++at) {
    for (const char c : {'\\', '"', '[', ']', '\n', '\0', ',', '='}) {
      std::string text = valid;
      text[at] = c;
      damaged.push_back(text);
    }
  }
  for (const std::string& text : damaged) {
    try {
      THive::Parse(text, "t").Serialise();
    } catch (const win::EHiveFormatError&) {
    } catch (...) {
      ADD_FAILURE() << "unexpected error for: " << text;
    }
  }
}

TEST(HiveFile, MissingFileIsEmptyAndUpdatesCreateIt) {
  testing_support::TempDir dir;
  const auto file = dir.path() / "system.reg";
  EXPECT_TRUE(win::LoadHive(file).KeyPaths().empty());
  win::UpdateHive(file, [](THive& hive) {
    hive.CreateKey("A");
    return true;
  });
  EXPECT_EQ(testing_support::ReadFile(file), kHeader + "[HKEY_LOCAL_MACHINE\\A]\r\n\r\n");
}

TEST(HiveFile, UnparsableFileIsReportedAndLeftAlone) {
  testing_support::TempDir dir;
  const auto file = dir.path() / "system.reg";
  const std::string broken = kHeader + "[HKEY_LOCAL_MACHINE\\A]\r\ngarbage\r\n";
  testing_support::WriteFile(file, broken);
  EXPECT_THROW(win::UpdateHive(file, [](THive&) { return true; }), win::EHiveFormatError);
  EXPECT_EQ(testing_support::ReadFile(file), broken);
}

TEST(HiveFile, ConcurrentWritersLoseNothing) {
  testing_support::TempDir dir;
  const auto file = dir.path() / "system.reg";
  constexpr int kWriters = 4;
  constexpr int kValuesEach = 25;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      for (int i = 0; i < kValuesEach; ++i) {
        win::UpdateHive(file, [&](THive& hive) {
          hive.CreateKey("K");
          return hive.SetValue("K", {std::to_string(w) + "-" + std::to_string(i), win::REG_SZ,
                                     std::string("\0", 1)});
        });
      }
    });
  }
  for (std::thread& writer : writers) writer.join();
  EXPECT_EQ(win::LoadHive(file).Values("K").size(),
            static_cast<std::size_t>(kWriters * kValuesEach));
}

}  // namespace
