#include "tools/checkwriter/check_writer.h"

#include <unistd.h>

#include <algorithm>
#include <set>
#include <string_view>

#include "capturefile/capture_codec.h"
#include "platform/env.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/hostpath.h"
#include "platform/inifile.h"

namespace checkwriter {

namespace fs = std::filesystem;

namespace {

constexpr char kFormFeed = '\f';
constexpr const char* kUsage =
    "usage: VEZ7.EXE -Q \"queue file\" | -A 2 \"hand-off file\" | -A 3 \"hand-off file\"";

bool IsTextByte(unsigned char byte) {
  return byte >= 0x20 || byte == '\t' || byte == kFormFeed || byte == '\r' || byte == '\n';
}

// Text as the splitter writes it: text bytes only, every line ended by CRLF.
bool IsPlainText(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (!IsTextByte(byte)) return false;
    if (byte == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) return false;
    if (byte == '\n' && (i == 0 || bytes[i - 1] != '\r')) return false;
  }
  return bytes.empty() || bytes.back() == '\n';
}

// Deciphered text may differ from what was written in its second byte (the
// hand-off cipher cannot always be undone there), so only the bytes count.
bool IsDecipheredText(std::string_view text) {
  for (const char c : text) {
    if (!IsTextByte(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string ReadHandedOverFile(const std::string& path) {
  std::string bytes;
  if (!win::ReadWholeFile(path, bytes)) {
    throw ECheckWriterError("cannot read " + path + ": " +
                            win::SysErrorMessage(win::GetLastError()));
  }
  return bytes;
}

void AddPages(const std::vector<std::string>& lines, int pageLines, TPrintedBatch& batch) {
  for (std::size_t first = 0; first < lines.size(); first += static_cast<std::size_t>(pageLines)) {
    const std::size_t end = std::min(lines.size(), first + static_cast<std::size_t>(pageLines));
    batch.Pages.emplace_back(lines.begin() + static_cast<std::ptrdiff_t>(first),
                             lines.begin() + static_cast<std::ptrdiff_t>(end));
  }
}

TPrintedBatch ReadFileBatch(const std::string& name, const std::vector<std::string>& paths,
                            int pageLines) {
  TPrintedBatch batch{name, {}};
  for (const std::string& path : paths) {
    AddPages(HandedOverLines(ReadHandedOverFile(path), path), pageLines, batch);
  }
  return batch;
}

std::vector<TPrintedBatch> ReadQueue(const std::string& queueFile, int pageLines) {
  if (!win::FileExists(queueFile)) throw ECheckWriterError("cannot open queue file " + queueFile);
  const win::TIniFile queue(queueFile);
  if (queue.ReadString("Options", "Action", "") != "AP") {
    throw ECheckWriterError("queue file " + queueFile + " is not for an AP job");
  }
  std::vector<TPrintedBatch> batches;
  std::set<std::string> seen;
  for (int n = 1;; ++n) {
    const std::string key = "Account " + std::to_string(n) + ":";
    if (!queue.ValueExists("Accounts Used", key)) break;
    const std::string account = queue.ReadString("Accounts Used", key, "");
    if (!seen.insert(account).second) {
      throw ECheckWriterError("queue file " + queueFile + " lists account " + account + " twice");
    }
    const std::string section = "Account:" + account;
    std::vector<std::string> files;
    for (int m = 1;; ++m) {
      const std::string fileKey = "File " + std::to_string(m) + ":";
      if (!queue.ValueExists(section, fileKey)) break;
      files.push_back(queue.ReadString(section, fileKey, ""));
    }
    if (files.empty()) {
      throw ECheckWriterError("queue file " + queueFile + " lists no files for account " + account);
    }
    batches.push_back(ReadFileBatch(account, files, pageLines));
  }
  if (batches.empty()) throw ECheckWriterError("queue file " + queueFile + " lists no accounts");
  return batches;
}

std::string PrintedFileName(const std::string& name) {
  static const char kHex[] = "0123456789ABCDEF";
  if (name.empty()) return "%.txt";
  std::string encoded;
  for (const char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
        c == '_') {
      encoded += c;
    } else {
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xf];
    }
  }
  return encoded + ".txt";
}

std::string PrintedText(const TPrintedBatch& batch) {
  std::string text;
  for (std::size_t page = 0; page < batch.Pages.size(); ++page) {
    if (page > 0) text += kFormFeed;
    for (const std::string& line : batch.Pages[page]) text += line + "\n";
  }
  return text;
}

std::string SummaryText(const std::vector<TPrintedBatch>& batches) {
  std::string text;
  for (const TPrintedBatch& batch : batches) {
    const std::size_t pages = batch.Pages.size();
    text += batch.Name + ": " + std::to_string(pages) + (pages == 1 ? " page\n" : " pages\n");
  }
  return text;
}

void WriteOrRaise(const fs::path& file, const std::string& data) {
  if (!win::Env().WriteFileAtomic(file, data)) {
    throw ECheckWriterError("cannot write " + file.string() + ": " +
                            win::SysErrorMessage(win::GetLastError()));
  }
}

int PageLinesSetting(const fs::path& productFolder) {
  std::string folder;
  if (!win::WindowsPathFromHost(productFolder, folder)) return kDefaultPageLines;
  const win::TIniFile settings(folder + "\\VEZ7.INI");
  const int pageLines = settings.ReadInteger("Printing", "PageLines", kDefaultPageLines);
  if (pageLines < 1) {
    throw ECheckWriterError("PageLines in " + settings.FileName() + " must be at least 1");
  }
  return pageLines;
}

}  // namespace

std::vector<std::string> HandedOverLines(const std::string& bytes, const std::string& fileName) {
  if (IsPlainText(bytes)) return SplitLines(bytes);
  const std::string text = capturefile::DecodeHandOffFile(bytes);
  if (!IsDecipheredText(text)) throw ECheckWriterError(fileName + " holds no text to print");
  return SplitLines(text);
}

std::vector<TPrintedBatch> ReadJob(const std::vector<std::string>& arguments, int pageLines) {
  if (arguments.size() == 2 && arguments[0] == "-Q") return ReadQueue(arguments[1], pageLines);
  if (arguments.size() == 3 && arguments[0] == "-A" &&
      (arguments[1] == "2" || arguments[1] == "3")) {
    return {ReadFileBatch(arguments[1] == "2" ? "PR" : "OT", {arguments[2]}, pageLines)};
  }
  throw ECheckWriterError(kUsage);
}

void WritePrinted(const fs::path& productFolder, const std::vector<TPrintedBatch>& batches) {
  const std::string pid = std::to_string(::getpid());
  const fs::path printed = productFolder / "printed";
  const fs::path staged = productFolder / (".printed-new-" + pid);
  const fs::path replaced = productFolder / (".printed-old-" + pid);
  std::error_code ignored;
  try {
    fs::remove_all(staged);
    fs::create_directory(staged);
    for (const TPrintedBatch& batch : batches) {
      WriteOrRaise(staged / PrintedFileName(batch.Name), PrintedText(batch));
    }
    WriteOrRaise(staged / "summary.txt", SummaryText(batches));
    const bool hadPrinted = fs::exists(printed);
    if (hadPrinted) fs::rename(printed, replaced);
    try {
      fs::rename(staged, printed);
    } catch (const fs::filesystem_error&) {
      if (hadPrinted) fs::rename(replaced, printed, ignored);
      throw;
    }
    fs::remove_all(replaced, ignored);
  } catch (const fs::filesystem_error& error) {
    fs::remove_all(staged, ignored);
    throw ECheckWriterError(std::string("cannot write ") + printed.string() + ": " +
                            error.code().message());
  } catch (const ECheckWriterError&) {
    fs::remove_all(staged, ignored);
    throw;
  }
}

int RunStandIn(const std::vector<std::string>& arguments, const fs::path& productFolder,
               std::ostream& errors) {
  try {
    WritePrinted(productFolder, ReadJob(arguments, PageLinesSetting(productFolder)));
    return 0;
  } catch (const std::exception& error) {
    errors << "VEZ7.EXE: " << error.what() << std::endl;
    return 1;
  }
}

}  // namespace checkwriter
