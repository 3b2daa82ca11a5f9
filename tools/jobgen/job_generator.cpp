#include "tools/jobgen/job_generator.h"

#include <cmath>
#include <cstdio>

#include "platform/text.h"

namespace jobgen {

namespace {

// splitmix64: the same numbers on every platform, unlike the standard
// library's distributions.
class TRandom {
 public:
  explicit TRandom(std::uint64_t seed) : FState(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A number from `low` to `high`, both included.
  std::int64_t Between(std::int64_t low, std::int64_t high) {
    return low + static_cast<std::int64_t>(Next() % static_cast<std::uint64_t>(high - low + 1));
  }
  template <typename T, std::size_t N>
  const T& Pick(const T (&items)[N]) {
    return items[Next() % N];
  }

 private:
  std::uint64_t FState;
};

constexpr std::int32_t kLeftMargin = 250;  // device x of column 0
constexpr std::int32_t kFirstStubRow = 28;
constexpr std::int32_t kMinRowCount = kFirstStubRow + 2;

const char* const kPayees[] = {
    "Acme Supply Company",      "Northwind Traders",      "Blue Ridge Utilities",
    "Harbor Freight Lines",     "Summit Office Partners", "Greenfield Landscaping",
    "Metro Water District",     "Oak Street Bakery",      "Pioneer Insurance Group",
    "Riverside Medical Center",
};
const char* const kMemos[] = {
    "Memo: Invoice 4471",   "Memo: Monthly service", "Memo: Net 30 \\(paid in full\\)",
    "Memo: Deposit refund", "Memo: Q2 maintenance",  "Memo: Freight charges",
};
const char* const kOnes[] = {"",        "One",     "Two",       "Three",    "Four",
                             "Five",    "Six",     "Seven",     "Eight",    "Nine",
                             "Ten",     "Eleven",  "Twelve",    "Thirteen", "Fourteen",
                             "Fifteen", "Sixteen", "Seventeen", "Eighteen", "Nineteen"};
const char* const kTens[] = {"",      "",      "Twenty",  "Thirty", "Forty",
                             "Fifty", "Sixty", "Seventy", "Eighty", "Ninety"};

// Prologue and per-page furniture of the driver: nothing here may hold a
// marker the extraction looks for, or a text-drawing command.
const char* const kPrologue[] = {
    "%%Creator: Zerurud Print Driver",
    "%%BoundingBox: 12 12 600 780",
    "%%DocumentNeededResources: (atend)",
    "%%DocumentSuppliedResources: procset Zerurud_Basics 1.0 0",
    "%%LanguageLevel: 2",
    "%%EndComments",
    "%%BeginProlog",
    "%%BeginResource: procset Zerurud_Basics 1.0 0",
    "userdict /Zerurud_Basics 32 dict put Zerurud_Basics begin",
    "/M {moveto} bind def /L {lineto} bind def /n {newpath} bind def",
    "/s {show} bind def /K {stroke} bind def /w {setlinewidth} bind def",
    "/J {setlinecap} bind def /j {setlinejoin} bind def",
    "/scol {setcmykcolor} bind def /mFS {makefont setfont} bind def",
    "end",
    "%%EndResource",
    "%%EndProlog",
    "%%BeginSetup",
    "Zerurud_Basics begin",
    "[{",
    "%%BeginFeature: *Resolution 600dpi",
    "<</HWResolution [600 600]>> setpagedevice",
    "%%EndFeature",
    "} stopped cleartomark",
};

std::string AmountInWords(std::int64_t cents) {
  std::int64_t dollars = cents / 100;
  std::string words;
  const auto below1000 = [&words](std::int64_t n) {
    if (n >= 100) {
      words += std::string(kOnes[n / 100]) + " Hundred ";
      n %= 100;
    }
    if (n >= 20) {
      words += kTens[n / 10];
      words += n % 10 ? std::string("-") + kOnes[n % 10] + " " : std::string(" ");
    } else if (n > 0) {
      words += std::string(kOnes[n]) + " ";
    }
  };
  if (dollars >= 1000) {
    below1000(dollars / 1000);
    words += "Thousand ";
    dollars %= 1000;
  }
  below1000(dollars);
  if (words.empty()) words = "Zero ";
  char cent[16];
  std::snprintf(cent, sizeof cent, "%02d/100", static_cast<int>(cents % 100));
  return words + "dollars and " + cent;
}

std::string AmountInFigures(std::int64_t cents) {
  const std::int64_t dollars = cents / 100;
  char text[48];
  if (dollars >= 1000) {
    std::snprintf(text, sizeof text, "**%lld,%03lld.%02lld", static_cast<long long>(dollars / 1000),
                  static_cast<long long>(dollars % 1000), static_cast<long long>(cents % 100));
  } else {
    std::snprintf(text, sizeof text, "**%lld.%02lld", static_cast<long long>(dollars),
                  static_cast<long long>(cents % 100));
  }
  return text;
}

// Device units per column and per row, as the converter calibrates them for
// this job: a font of 90 or more takes fixed scales, a smaller one the scales
// of the "dollars and" line, which every page has near its top.
class TLayout {
 public:
  explicit TLayout(std::int32_t fontSize) {
    const double w = 100.0 / fontSize;
    if (fontSize >= 90) {
      FColumnScale = w * 0.1 * 0.18137254901960784;
      FRowScale = 0.009974747474747477;
    } else {
      FColumnScale = w * 0.1 * 0.17483660130718953;
      FRowScale = (100.0 / -fontSize) * (-0.1) * 0.1111111111111111;
    }
  }
  std::int64_t X(std::int32_t column) const {
    return kLeftMargin + std::llround(column / FColumnScale);
  }
  std::int64_t Y(std::int32_t row) const { return std::llround(row / FRowScale); }

 private:
  double FColumnScale;
  double FRowScale;
};

class TJobWriter {
 public:
  TJobWriter(const TJobOptions& options, std::string& out)
      : FOut(out), FLineEnd(options.FCrlf ? "\r\n" : "\n"), FLayout(options.FFontSize) {}

  void Line(std::string_view text) {
    FOut += text;
    FOut += FLineEnd;
  }
  void Text(std::int32_t column, std::int32_t row, std::string_view text) {
    char coordinates[48];
    std::snprintf(coordinates, sizeof coordinates, "%lld %lld M (",
                  static_cast<long long>(FLayout.X(column)),
                  static_cast<long long>(FLayout.Y(row)));
    FOut += coordinates;
    FOut += text;
    FOut += ") s";
    FOut += FLineEnd;
  }
  void Rule(std::int32_t column, std::int32_t row, std::int32_t columns) {
    char rule[80];
    std::snprintf(rule, sizeof rule, "n %lld %lld M %lld 0 rlineto K",
                  static_cast<long long>(FLayout.X(column)), static_cast<long long>(FLayout.Y(row)),
                  static_cast<long long>(FLayout.X(columns) - kLeftMargin));
    Line(rule);
  }

 private:
  std::string& FOut;
  std::string FLineEnd;
  TLayout FLayout;
};

// The check's background: a frame and a band of fine diagonal strokes.
void WriteSecurityPattern(TJobWriter& writer) {
  writer.Line("gsave 0.85 setgray 0.5 w");
  writer.Line("n 250 60 M 4985 0 rlineto 0 1900 rlineto -4985 0 rlineto closepath K");
  for (int stroke = 0; stroke < 24; ++stroke) {
    char line[64];
    std::snprintf(line, sizeof line, "n %d 80 M 400 1860 rlineto K", 300 + stroke * 200);
    writer.Line(line);
  }
  writer.Line("grestore");
}

void WriteSignature(TJobWriter& writer, TRandom& random, std::int32_t bytes) {
  if (bytes <= 0) return;
  const std::int32_t width = 240;
  const std::int32_t height = (bytes * 8 + width - 1) / width;
  char line[160];
  std::snprintf(line, sizeof line,
                "gsave 3560 1300 translate 600 150 scale /picstr %d string def %d %d 1 [%d 0 0 "
                "-%d 0 %d]",
                width / 8, width, height, width, height, height);
  writer.Line(line);
  writer.Line("{currentfile picstr readhexstring pop} image");
  static const char kHex[] = "0123456789ABCDEF";
  std::string hex;
  for (std::int32_t i = 0; i < bytes; ++i) {
    const std::uint64_t value = random.Next();
    hex += kHex[value & 15];
    hex += kHex[(value >> 4) & 15];
    if (hex.size() == 64 || i + 1 == bytes) {
      writer.Line(hex);
      hex.clear();
    }
  }
  writer.Line("grestore");
}

void WritePage(TJobWriter& writer, TRandom& random, const TJobOptions& options,
               std::int32_t pageNumber, const std::string& account) {
  char text[96];
  std::snprintf(text, sizeof text, "%%%%Page: %d %d", pageNumber, pageNumber);
  writer.Line(text);
  writer.Line("%%PageBoundingBox: 12 12 600 780");
  writer.Line("%%BeginPageSetup");
  writer.Line("/Gs1 save def userdict begin 0.1 0.1 scale");
  writer.Line("%%EndPageSetup");
  writer.Line("/DeviceGray dup setcolorspace /colspABC exch def");
  writer.Line("0 0 0 1 scol 1 w 0 J 0 j");
  WriteSecurityPattern(writer);

  // The account ID comes first and at the margin, so that it opens its line.
  writer.Text(0, options.FAccountLine - 1, account);
  std::snprintf(text, sizeof text, "Check %lld", static_cast<long long>(100000 + pageNumber));
  writer.Text(90, 2, text);
  std::snprintf(text, sizeof text, "Date %02lld/%02lld/2024",
                static_cast<long long>(random.Between(1, 12)),
                static_cast<long long>(random.Between(1, 28)));
  writer.Text(80, 6, text);
  const std::int64_t cents = random.Between(100, 99999999);
  writer.Text(10, 10, "Pay to the order of");
  writer.Text(32, 10, random.Pick(kPayees));
  writer.Text(90, 10, AmountInFigures(cents));
  writer.Rule(30, 11, 55);
  writer.Text(10, 13, AmountInWords(cents));
  writer.Rule(10, 14, 95);
  writer.Text(10, 18, random.Pick(kMemos));
  writer.Rule(70, 19, 35);
  WriteSignature(writer, random, options.FSignatureBytes);
  writer.Text(72, 20, "Authorized Signature");
  std::snprintf(text, sizeof text, "C%06dC A%09lldA %010lldC", 100000 + pageNumber,
                static_cast<long long>(random.Between(100000000, 999999999)),
                static_cast<long long>(random.Between(1000000000, 9999999999)));
  writer.Text(20, 24, text);
  writer.Rule(0, 26, 105);

  const std::int32_t stubLines = static_cast<std::int32_t>(
      std::min<std::int64_t>(random.Between(3, 8), options.FRowCount - kFirstStubRow - 1));
  writer.Text(10, kFirstStubRow, "Invoice      Date         Amount");
  for (std::int32_t line = 1; line <= stubLines; ++line) {
    const std::int64_t part = random.Between(100, 999999);
    std::snprintf(text, sizeof text, "INV-%05lld    %02lld/%02lld/2024   %lld.%02lld",
                  static_cast<long long>(random.Between(1, 99999)),
                  static_cast<long long>(random.Between(1, 12)),
                  static_cast<long long>(random.Between(1, 28)), static_cast<long long>(part / 100),
                  static_cast<long long>(part % 100));
    writer.Text(10, kFirstStubRow + line, text);
  }
  writer.Line("grestore");
  writer.Line("%%SowPage");
  writer.Line("Gs1 restore");
}

std::string GeneratedAccount(TRandom& random) {
  char id[16];
  std::snprintf(id, sizeof id, "%c%05lld", static_cast<char>('A' + random.Between(0, 25)),
                static_cast<long long>(random.Between(0, 99999)));
  return id;
}

}  // namespace

TGeneratedJob GenerateJob(const TJobOptions& options) {
  TRandom random(options.FSeed);
  std::vector<std::string> accounts = options.FAccounts;
  if (accounts.empty()) {
    for (int i = 0; i < 3; ++i) accounts.push_back(GeneratedAccount(random));
  }
  const std::int32_t pages =
      options.FPages > 0 ? options.FPages
                         : static_cast<std::int32_t>(accounts.size()) * options.FPagesPerAccount;

  TGeneratedJob job;
  TJobWriter writer(options, job.FText);
  writer.Line("%!PS-Adobe-3.0");
  writer.Line("%%Title: " + options.FTitle);
  for (const char* line : kPrologue) writer.Line(line);
  writer.Line("/F0S" + std::to_string(options.FFontSize) + " F0 [" +
              std::to_string(options.FFontSize) + " 0 0 -" + std::to_string(options.FFontSize) +
              " 0 0 ] mFS");
  writer.Line("F0S" + std::to_string(options.FFontSize) + " setfont");
  writer.Line("%%EndSetup");
  for (std::int32_t page = 0; page < pages; ++page) {
    const std::string& account = accounts[(page / options.FPagesPerAccount) % accounts.size()];
    WritePage(writer, random, options, page + 1, account);
    job.FPageAccounts.push_back(account);
  }
  writer.Line("%%Trailer");
  writer.Line("%%Pages: " + std::to_string(pages));
  writer.Line("%%EOF");
  return job;
}

namespace {

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t comma = text.find(',', start);
    parts.push_back(text.substr(start, comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

bool IsUsableAccount(const std::string& id) {
  if (id.empty() || id.size() > kMaxAccountLength) return false;
  for (char c : id) {
    if (static_cast<unsigned char>(c) <= ' ' || c == '(' || c == ')' || c == '\\') return false;
  }
  return true;
}

}  // namespace

std::optional<TJobOptions> ParseJobOptions(const std::vector<std::string>& args,
                                           std::string& error) {
  TJobOptions options;
  struct TNumberOption {
    const char* name;
    std::int32_t* target;
    std::int64_t low;
    std::int64_t high;
  };
  const TNumberOption numbers[] = {
      {"--account-line", &options.FAccountLine, 1, 100000},
      {"--rows", &options.FRowCount, kMinRowCount, 100000},
      {"--font-size", &options.FFontSize, 10, 1000},
      {"--pages-per-account", &options.FPagesPerAccount, 1, 1000000},
      {"--pages", &options.FPages, 1, 10000000},
      {"--signature-bytes", &options.FSignatureBytes, 0, 1000000},
  };
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help") {
      options.FShowHelp = true;
      continue;
    }
    if (arg == "--crlf") {
      options.FCrlf = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      error = arg.starts_with("--") ? arg + " needs a value" : "unknown argument " + arg;
      return std::nullopt;
    }
    const std::string& value = args[++i];
    bool known = true;
    if (arg == "--seed") {
      const std::optional<std::uint32_t> seed = win::TryStrToUInt(value);
      if (!seed) {
        error = "--seed needs a number of 0 or more, not " + value;
        return std::nullopt;
      }
      options.FSeed = static_cast<std::uint64_t>(*seed);
    } else if (arg == "--accounts") {
      options.FAccounts = SplitAtCommas(value);
      for (const std::string& id : options.FAccounts) {
        if (!IsUsableAccount(id)) {
          error = "account ID \"" + id +
                  "\" must be 1 to 8 characters without blanks, "
                  "parentheses or backslashes";
          return std::nullopt;
        }
      }
    } else if (arg == "--title") {
      options.FTitle = value;
    } else if (arg == "--output") {
      options.FOutput = value;
    } else {
      known = false;
      for (const TNumberOption& number : numbers) {
        if (arg != number.name) continue;
        known = true;
        const std::optional<int> read = win::TryStrToInt(value);
        if (!read || *read < number.low || *read > number.high) {
          error = arg + " needs a number from " + std::to_string(number.low) + " to " +
                  std::to_string(number.high) + ", not " + value;
          return std::nullopt;
        }
        *number.target = *read;
      }
    }
    if (!known) {
      error = "unknown argument " + arg;
      return std::nullopt;
    }
  }
  if (options.FAccountLine > options.FRowCount) {
    error = "--account-line must not exceed --rows (" + std::to_string(options.FRowCount) + ")";
    return std::nullopt;
  }
  return options;
}

std::string JobOptionsHelp() {
  return "usage: jobgen [options]\n"
         "Writes a sample check-run print job (PostScript) to standard output.\n"
         "  --accounts ID,ID,...     account IDs of the run, 1 to 8 characters each\n"
         "                           (default: three drawn from the seed)\n"
         "  --account-line N         1-based line of each page that holds the account ID\n"
         "                           in columns 1-8 (default 1)\n"
         "  --pages-per-account N    pages of each account in a row (default 1)\n"
         "  --pages N                total pages; the accounts repeat in turn\n"
         "                           (default: every account once)\n"
         "  --rows N                 rows per page the layout must fit (default 70, min 30)\n"
         "  --font-size N            size of the first font, 10 to 1000 (default 83)\n"
         "  --signature-bytes N      size of the signature bitmap on every page\n"
         "                           (default 1500; 0: none)\n"
         "  --title TEXT             job title (default \"Check Run\")\n"
         "  --seed N                 seed of payees, amounts, dates (default 1)\n"
         "  --crlf                   end lines with carriage return and line feed\n"
         "  --output FILE            write to FILE instead of standard output\n";
}

}  // namespace jobgen
