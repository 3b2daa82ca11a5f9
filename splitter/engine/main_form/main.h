// Tform_Main, the processing window's engine: it carries out one run of the
// splitter (settings, chain commands, loading and splitting the captures,
// account checks, hand-off, clean-up) and talks to its window only through
// TMainView (main_view.h). It knows nothing about Qt.
//
// The fields below are the run's state under the names the rest of the
// splitter uses; the file selection window fills the "given" ones before the
// run and reads PrintNotRun and SelectedFiles afterwards. The operations are
// implemented in this folder, one file per concern: main_run_state.cpp,
// main_settings.cpp, main_loading.cpp, main_splitting.cpp,
// account_checks.cpp, bad_accounts.cpp, handoff.cpp, chain_commands.cpp and
// sequence.cpp, which drives the steps of steps.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/db.h"
#include "platform/handle.h"
#include "splitter/engine/joined_text.h"
#include "splitter/engine/main_form/main_view.h"
#include "splitter/engine/main_form/steps.h"

namespace win {
class TStringList;
}

namespace splitter {

// The class library's silent abort: the user cancelled, and the run goes to
// clean-up instead of showing an error. The message says what was cancelled.
class EAbort : public win::Exception {
 public:
  using win::Exception::Exception;
};

class Tform_Main {
 public:
  // The caption the window is designed with; formCreate appends kVersionSuffix.
  static constexpr const char* kCaption = "Account File Generation";
  static constexpr const char* kVersionSuffix = " v5.0";
  // How long a final message stays before the run goes on.
  static constexpr unsigned kMessagePauseMs = 3000;

  explicit Tform_Main(TMainView& view);
  ~Tform_Main();
  Tform_Main(const Tform_Main&) = delete;
  Tform_Main& operator=(const Tform_Main&) = delete;

  TMainView& View() { return FView; }

  // --- Run state and window (main_run_state.cpp) ---------------------------

  // Step kStepSettings; the caption gains its version; PrintNotRun 2.
  void formCreate();
  // Without SelectedFiles: "No files were selected!" and on to clean-up.
  void formShow();
  // Sends the run to clean-up (kStepCleanUp), invalidates and raises win::Exception
  // with `message`, which ends the running handler.
  [[noreturn]] void FatalStop(const std::string& message);
  // A warning box with OK and Cancel: OK returns, Cancel ends the program.
  void WarnOrQuit(const std::string& message);

  // --- Settings (main_settings.cpp) -----------------------------------------

  // Reads the run's settings from the configuration file (SelectIniFile(1)).
  // Stops the run through FatalStop when "VEZ7.EXE" is missing; raises the
  // INI file's "Unable to write to %s" when "DurEDOPath" cannot be written.
  void ReadRunSettings();

  // --- Loading (main_loading.cpp) -------------------------------------------

  // Reads, deciphers and joins every file of SelectedFiles (emptying it),
  // then checks for a printer test page and resolves an Action of "??".
  // Returns false when a test page was found (the text is then discarded).
  // Raises win::EInOutError when a file cannot be read.
  bool LoadCaptures();
  // Sets Action to "AP", "PR" or "OT" from DocumentDefinitions. Raises
  // win::Exception for a line entry that is not a number or lies outside
  // the text.
  void DetectDocumentKind();

  // --- Splitting (main_splitting.cpp) ---------------------------------------

  // LoadCaptures, then cuts the joined text into one split file per account
  // (AP, into the folder of the last capture file, recorded in WrittenFiles
  // and WrittenAccounts) or into the hand-off file (any other Action).
  // Raises win::EFCreateError when a file cannot be written.
  void SplitCaptures();
  // Whether the last LoadCaptures found a printer test page.
  bool TestPageFound() const { return FTestPageFound; }

  // --- Account checks (account_checks.cpp) ----------------------------------

  // Checks every entry of WrittenAccounts against the product's database and
  // deals with the rejected ones by HandleBadAcct; true when the run may be
  // printed. Database errors other than a table that cannot be opened pass
  // on as win::Exception.
  bool CheckAccounts();
  // Empty when `accountId` (already in upper case) passes, otherwise why not.
  std::string CheckAccount(const std::string& accountId);
  // The "Action" column's value ("AP", "PR", "OT") and the kind's name for
  // messages, for an Action text or number.
  static std::string ActionCode(const std::string& action);
  static std::string DocumentKindName(const std::string& action);
  // Makes the "configuration" row `identifier` hold `value`, sending an
  // UPDATE only when it differs. Raises the database's error.
  void SetConfigurationValue(const std::string& value, const std::string& identifier);

  // --- Bad accounts (bad_accounts.cpp) --------------------------------------

  // Appends one entry to the log named by BadAcctFile, starting it with its
  // header when new; failures are shown, not raised.
  void LogBadAccount(const std::string& accountId, const std::string& path);
  // Moves entry `index` of WrittenFiles to a free bad-ID name, logs it, tells
  // the user, and removes it from both lists.
  void MoveToBadFile(int index);
  // Deletes the run's own split files, logs taken-back entries again, empties
  // both lists and sends the run to clean-up.
  void AbortSplit();
  // Logs every taken-back entry again and removes it from both lists, for a
  // run that will not print it.
  void LogTakenBackAgain();
  // Whether the file starts with the log's four header lines, letter case
  // included; false when it cannot be read.
  static bool IsBadAccountLog(const std::string& path);
  // Takes the entries of the log `path` into WrittenFiles / WrittenAccounts
  // with kTakenBackMark, leaving the log under the TempFile name (a log
  // already under that name stays where it is). Raises
  // win::Exception when the log cannot be taken back, EAbort when the user
  // cancels; the log then keeps its name.
  void ReloadBadAccountLog(const std::string& path);

  // --- Hand-off (handoff.cpp) -----------------------------------------------

  // For an AP job, writes the queue file beside CurrentFile (QueueFileName):
  // each distinct account (letter case ignored) with all of its files; then
  // RunCheckWriter. Raises win::EIniFileException when it cannot be written.
  void WriteQueueAndPrint();
  // Sets "LatePreProcess", starts the check-writing program for Action in
  // ProductFolder and waits for it, handing the window its messages every
  // 5 ms; then kStepCleanUp and a repaint. Stops the run through FatalStop when
  // the program cannot be started.
  void RunCheckWriter();
  // Starts `program` with `parameters` (a command-line tail) in `directory`
  // (empty: the current one), with the splitter's environment: as a new
  // process, or failing that through the shell. The process handle, or
  // nullptr with the shell's error code (below 32) in `errorCode`.
  win::HANDLE StartProgram(const std::string& program, const std::string& parameters,
                           const std::string& directory, win::DWORD& errorCode);

  // --- Chain commands (chain_commands.cpp) ----------------------------------

  // Starts the next run of a chain command, which Timer_Execute then
  // watches, or ends the chain phase with kStepSplit.
  void RunNextPreChain();
  // Timer_Execute's handler: once ChainProcess has ended, a running chain
  // command goes back to kStepChainCommands (a running print to
  // kStepCleanUp) and the window is invalidated.
  void Timer_ExecuteTimer();

  // --- The sequence (sequence.cpp) ------------------------------------------

  // The paint handler, which drives the run: runs the step that Step names,
  // and nothing while Step is odd (a step runs, or kStepFinished). An
  // error raised in a step passes on: the window shows it in the
  // application's standard error box (after FatalStop, the next paint then
  // cleans up).
  void formPaint();

  // --- The run's fields -----------------------------------------------------

  std::uint8_t Step = kStepSettings;  // steps.h; odd while a step runs
  std::uint8_t PrintNotRun = 0;
  // Given by the file selection window, which owns them; may be missing.
  win::TStringList* SelectedFiles = nullptr;
  win::TStringList* WrittenFiles = nullptr;
  win::TStringList* WrittenAccounts = nullptr;
  std::string BadIDFileName;
  std::string BadAcctFile;
  std::string TempFile;
  int HandleBadAcct = 0;  // 0 ask, 1 continue, 3 abort
  bool StripAcctID = false;
  std::string BackupFileName;
  // Created and released by the run.
  std::unique_ptr<win::TStringList> ChainInputFiles;
  int ChainFileIndex = 0;  // 1-based
  std::unique_ptr<win::TStringList> PreChainCommands;
  std::string ChainProgram;
  win::HANDLE ChainProcess = nullptr;
  std::uint16_t ChainDelay = 0;
  std::string ProductFolder;  // ends with a backslash
  std::string ProductExe;
  std::string Action;
  int NumLines = 0;
  int AccountLine = 0;
  int AccountCol = 0;
  int AccountWidth = 0;
  bool EncDec = false;
  std::unique_ptr<win::TStringList> DocumentDefinitions;
  std::unique_ptr<win::TStringList> AccountCodes;
  std::string CurrentFile;
  std::string OutputTemplate;
  std::string LastOutputName;
  std::string QueueFileName;
  // Set by the window: the user asked it to close (no further chain command
  // starts), or the application is ending (the wait for the check-writing
  // program stops).
  bool CloseRequested = false;
  bool ApplicationTerminated = false;

  // The data word of WrittenFiles / WrittenAccounts entries taken back from a
  // bad-account log; the run's own split files carry 0.
  static constexpr std::intptr_t kTakenBackMark = 1;
  // The program's one database connection (Form_Startup.db), open for the
  // whole program run; CheckAccounts binds the queries below to it.
  win::TZConnection* Database = nullptr;
  win::TZQuery tblAccounts;
  win::TZQuery tblAcctForms;
  win::TZQuery tblUserAccts;

 private:
  // Deciphers or enciphers a whole buffer with the progress bar running over
  // its bytes (main_loading.cpp).
  enum class TCipherMode { DecryptCapture, EncryptForHandOff };
  void CipherWithProgress(char* bytes, std::size_t size, TCipherMode mode);
  void ShowFinalMessage(const std::string& message);
  // The account split of one AP pass (main_splitting.cpp).
  void WriteAccountBatch(const std::string& keyLine, std::string_view bytes);
  void ShowInvalidPageFormat();
  // The steps kStepSettings and kStepSplit (sequence.cpp).
  void RunSettingsStep();
  void RunSplitStep();
  // Step 4's work up to the choice of the next step.
  void SplitWithTakenBackLogs();
  // Closes ChainProcess when there is one (handoff.cpp).
  void ReleaseChainProcess();

  TMainView& FView;
  // The joined capture text, the folder of the last capture loaded, and the
  // range last given to the progress bar.
  TJoinedText FJoinedText;
  std::string FOutputFolder;
  bool FTestPageFound = false;
  int FProgressMax = 0;
  unsigned long long FSplitFilesMade = 0;
  // Set by AbortSplit; what CheckAccounts reports.
  bool FAccountCheckAborted = false;
  // The account checks' parts (account_checks.cpp).
  bool OpenAccountTables();
  void CloseAccountTables();
  void CheckEveryAccount();
};

}  // namespace splitter
