// The capture load and split: a capture file of any content, split with any
// page layout and job kind, puts every line of the file into exactly one
// split file (or the one hand-off file), unless the run stops on a test page,
// a page it cannot read or a kind it cannot tell; and every split file has
// its account.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "capturefile/capture_codec.h"
#include "capturefile/crypt.h"
#include "common/product.h"
#include "fuzz/support/fuzz_support.h"
#include "fuzz/support/quiet_main_view.h"
#include "platform/error.h"
#include "platform/files.h"
#include "platform/params.h"
#include "platform/stringlist.h"
#include "splitter/engine/main_form/main.h"

namespace {

constexpr const char* kCaptureFile = "C:\\Jobs\\tl-x.ruz";
constexpr const char* kInvalidPage = "Invalid Page Format Found!\rAborting Printing.";

// The lines a capture's text holds: up to a zero byte, ended by CR LF, a
// lone CR or a lone LF; a last line end starts no further line.
std::vector<std::string> LinesOf(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

std::map<std::string, int> Counted(const std::vector<std::string>& lines) {
  std::map<std::string, int> counts;
  for (const std::string& line : lines) ++counts[line];
  return counts;
}

std::string ReadOrFail(const std::string& path) {
  std::string bytes;
  if (!win::ReadWholeFile(path, bytes)) fuzz::Fail("cannot read " + path);
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::filesystem::path driveC = fuzz::MachineDriveC();
  fuzz::EmptyFolder(driveC / "Jobs");
  fuzz::EmptyFolder(driveC / "VEZ");
  win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {});

  fuzz::TInput input(data, size);
  fuzz::TQuietMainView view;
  splitter::Tform_Main form(view);
  win::TStringList selected;
  win::TStringList writtenFiles;
  win::TStringList writtenAccounts;
  form.SelectedFiles = &selected;
  form.WrittenFiles = &writtenFiles;
  form.WrittenAccounts = &writtenAccounts;
  static const char* const kActions[] = {"AP", "AP", "PR", "OT", "??"};
  form.Action = kActions[input.Below(4)];
  form.NumLines = input.Below(12) - 1;
  form.AccountLine = input.Below(14) - 1;
  form.AccountCol = input.Below(10);
  form.AccountWidth = input.Below(10);
  form.EncDec = input.Bit();
  form.StripAcctID = input.Bit();
  form.ProductFolder = "C:\\VEZ\\";
  form.AccountCodes = std::make_unique<win::TStringList>();
  form.AccountCodes->Add("A100=ACME");
  // What resolves "??": a payroll mark on line 2, another kind on line 3.
  form.DocumentDefinitions = std::make_unique<win::TStringList>();
  for (const char* line : {"2", "PAYROLL", "DD", "3", ">10"}) form.DocumentDefinitions->Add(line);
  form.CurrentFile = kCaptureFile;

  // The rest is the capture's text, enciphered as the converter writes it
  // when the run deciphers.
  const std::string_view text = input.Rest();
  const std::vector<std::string> lines = LinesOf(text);
  std::string bytes(text);
  if (form.EncDec) {
    capturefile::TCrypt crypt;
    bytes = capturefile::EncodeCaptureFile(lines, crypt);
  }
  fuzz::WriteHostFile(driveC / "Jobs" / "tl-x.ruz", bytes);
  selected.Add(kCaptureFile);

  try {
    form.SplitCaptures();
  } catch (const win::Exception& error) {
    fuzz::Check(error.Message().starts_with("Too many accounts for the split file names "),
                "the split raised " + error.Message());
    return 0;
  }
  fuzz::Check(selected.Count() == 0, "the capture is still selected");
  fuzz::Check(writtenFiles.Count() == writtenAccounts.Count(), "files and accounts differ");

  std::vector<std::string> files;
  for (int i = 0; i < writtenFiles.Count(); ++i) files.push_back(writtenFiles[i]);
  const bool handOff = win::FileExists("C:\\VEZ\\" + std::string(common::kHandOffFileName));
  if (handOff) files.push_back("C:\\VEZ\\" + std::string(common::kHandOffFileName));
  if (form.TestPageFound()) {
    fuzz::Check(files.empty(), "a test page was split");
    return 0;
  }
  // A page it cannot read, or a kind that stayed unknown, ends the run
  // without printing.
  const bool stopped =
      std::find(view.Labels.begin(), view.Labels.end(), kInvalidPage) != view.Labels.end() ||
      form.Action == "??";
  fuzz::Check(stopped || form.Action == "AP" || handOff || lines.empty(),
              "a PR or OT job without a hand-off file");

  // Every line in exactly one file: the same lines, as many times each.
  // Enciphered split files keep their length, but their reader cannot undo
  // every byte, so they are compared by size.
  std::vector<std::string> split;
  std::size_t splitBytes = 0;
  for (const std::string& file : files) {
    const std::string content = ReadOrFail(file);
    splitBytes += content.size();
    if (!form.EncDec) {
      fuzz::Check(content.empty() || content.ends_with("\r\n"), file + " does not end its line");
      for (std::string& line : LinesOf(content)) split.push_back(std::move(line));
    }
  }
  std::size_t lineBytes = 0;
  for (const std::string& line : lines) lineBytes += line.size() + 2;
  if (stopped) {
    fuzz::Check(splitBytes <= lineBytes, "a stopped split wrote more than it read");
    return 0;
  }
  fuzz::Check(splitBytes == lineBytes, std::to_string(lines.size()) + " lines of " +
                                           std::to_string(lineBytes) + " bytes were split into " +
                                           std::to_string(splitBytes) + " bytes");
  if (!form.EncDec) fuzz::Check(Counted(split) == Counted(lines), "the split lost or made lines");
  return 0;
}
