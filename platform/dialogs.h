// Message boxes and the file-open dialog as the window programs ask for them,
// behind interfaces that do not know how they are shown.
//
// A program installs one TDialogs for the whole run (SetDialogs): the Qt one
// shows real boxes (platform/vcl), the console one serves unattended runs
// (each box is one line on stderr and takes the answer of its default
// button: OK, or Yes), the scripted one answers from a list in tests.
// ZERURUD_DIALOGS ("qt" or "console") says which of the first two a program
// should use; without it, Qt where a display is available.
//
// Nothing here shows a window; the Qt implementations live in platform/vcl.
#pragma once

#include <deque>
#include <ostream>
#include <string>
#include <vector>

namespace win {

// The buttons of a confirmation box; the first is the default.
enum class TConfirmButtons { YesNo, YesCancel };

// The kinds of box, each with its buttons.
enum class TBoxKind { Information, ConfirmYesNo, ConfirmYesCancel, WarningOkCancel, Error };
TBoxKind ConfirmKind(TConfirmButtons buttons);

// The message boxes of a window program; every box carries the
// application's title (ApplicationTitle) as its caption.
class TDialogs {
 public:
  virtual ~TDialogs() = default;

  // An information box with an OK button.
  virtual void ShowInformation(const std::string& message) = 0;
  // A confirmation box; true for Yes, false for No or Cancel.
  virtual bool Confirm(const std::string& message, TConfirmButtons buttons) = 0;
  // A warning box with OK and Cancel; true for OK.
  virtual bool WarnOkCancel(const std::string& message) = 0;
  // The application's standard error box (an error raised by a handler).
  virtual void ShowError(const std::string& message) = 0;
};

// Unattended boxes: each one is a line on `out`, and questions take their
// default answer (Yes, OK), which the line names.
class TConsoleDialogs : public TDialogs {
 public:
  explicit TConsoleDialogs(std::ostream& out);

  void ShowInformation(const std::string& message) override;
  bool Confirm(const std::string& message, TConfirmButtons buttons) override;
  bool WarnOkCancel(const std::string& message) override;
  void ShowError(const std::string& message) override;

 private:
  std::ostream& FOut;
};

// Boxes for tests: every box shown is recorded as its console line, and the
// questions take their answers from Answers in order (true is Yes or OK),
// the line naming the answer given. A question past the end of the script
// throws TScriptEnded with its message, so that a loop
// that keeps asking cannot hang a test.
class TScriptedDialogs : public TDialogs {
 public:
  struct TScriptEnded {
    std::string Question;
  };

  void ShowInformation(const std::string& message) override;
  bool Confirm(const std::string& message, TConfirmButtons buttons) override;
  bool WarnOkCancel(const std::string& message) override;
  void ShowError(const std::string& message) override;

  std::deque<bool> Answers;
  std::vector<std::string> Shown;

 private:
  bool NextAnswer(TBoxKind kind, const std::string& message);
};

// The one line a box is written as, unattended or in a script: the title (when
// set), the kind of box, the message with its line breaks as blanks, and for
// a question the answer taken. `answer` is ignored for boxes with one button.
//   "Multiple Account Processing: Confirmation (Yes/No): Continue? -> Yes"
std::string DescribeBox(TBoxKind kind, const std::string& message, bool answer);

// The caption of the application's message boxes (the class library's
// Application.Title); empty until a program sets it.
const std::string& ApplicationTitle();
void SetApplicationTitle(const std::string& title);

// The boxes installed for this process; the console ones on stderr until a
// program installs others.
TDialogs& Dialogs();
// Installs `dialogs` (not owned, must outlive its use); nullptr goes back to
// the console boxes.
void SetDialogs(TDialogs* dialogs);

// Which boxes ZERURUD_DIALOGS asks for: "qt" or "console"; unset or any other
// text means Qt when DISPLAY or WAYLAND_DISPLAY is set, console otherwise.
enum class TDialogsKind { Qt, Console };
TDialogsKind DialogsKindFromEnvironment();

// A file-open dialog as the class library has it: set the properties, run
// Execute, and read FileName afterwards. A cancelled dialog keeps the
// FileName it had. Filter is "Description|mask|Description|mask...".
class TOpenDialog {
 public:
  virtual ~TOpenDialog() = default;

  // Shows the dialog; true when the user picked a file (FileName is then
  // its full Windows path).
  virtual bool Execute() = 0;

  std::string InitialDir;
  std::string Title;
  std::string Filter;
  std::string FileName;
};

// The open dialog of an unattended run: nobody can pick a file, and a
// question without a default must not loop, so Execute writes the dialog as
// one line ("Multiple Account Processing: Open: Please Browse to Vez
// Location (VEZ Exe|*.exe): no file can be picked unattended") and ends the
// program at once with exit code 1.
class TConsoleOpenDialog : public TOpenDialog {
 public:
  explicit TConsoleOpenDialog(std::ostream& out);
  [[noreturn]] bool Execute() override;

 private:
  std::ostream& FOut;
};

}  // namespace win
