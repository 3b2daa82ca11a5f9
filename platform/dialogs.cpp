#include "platform/dialogs.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/text.h"

namespace win {

namespace {

std::string& TitleSlot() {
  static std::string title;
  return title;
}

TDialogs*& InstalledDialogs() {
  static TDialogs* installed = nullptr;
  return installed;
}

// A box is one line: a line break ("\r\n", "\r" or "\n") becomes one blank.
std::string OnOneLine(const std::string& message) {
  std::string line;
  line.reserve(message.size());
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') continue;
    line += message[i] == '\r' || message[i] == '\n' ? ' ' : message[i];
  }
  return line;
}

bool IsSet(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0';
}

}  // namespace

TBoxKind ConfirmKind(TConfirmButtons buttons) {
  return buttons == TConfirmButtons::YesNo ? TBoxKind::ConfirmYesNo : TBoxKind::ConfirmYesCancel;
}

std::string DescribeBox(TBoxKind kind, const std::string& message, bool answer) {
  std::string line = TitleSlot().empty() ? "" : TitleSlot() + ": ";
  switch (kind) {
    case TBoxKind::Information:
      return line + "Information: " + OnOneLine(message);
    case TBoxKind::ConfirmYesNo:
      return line + "Confirmation (Yes/No): " + OnOneLine(message) + " -> " +
             (answer ? "Yes" : "No");
    case TBoxKind::ConfirmYesCancel:
      return line + "Confirmation (Yes/Cancel): " + OnOneLine(message) + " -> " +
             (answer ? "Yes" : "Cancel");
    case TBoxKind::WarningOkCancel:
      return line + "Warning (OK/Cancel): " + OnOneLine(message) + " -> " +
             (answer ? "OK" : "Cancel");
    case TBoxKind::Error:
      return line + "Error: " + OnOneLine(message);
  }
  return line + OnOneLine(message);
}

TConsoleDialogs::TConsoleDialogs(std::ostream& out) : FOut(out) {}

void TConsoleDialogs::ShowInformation(const std::string& message) {
  FOut << DescribeBox(TBoxKind::Information, message, true) << std::endl;
}

bool TConsoleDialogs::Confirm(const std::string& message, TConfirmButtons buttons) {
  FOut << DescribeBox(ConfirmKind(buttons), message, true) << std::endl;
  return true;
}

bool TConsoleDialogs::WarnOkCancel(const std::string& message) {
  FOut << DescribeBox(TBoxKind::WarningOkCancel, message, true) << std::endl;
  return true;
}

void TConsoleDialogs::ShowError(const std::string& message) {
  FOut << DescribeBox(TBoxKind::Error, message, true) << std::endl;
}

void TScriptedDialogs::ShowInformation(const std::string& message) {
  Shown.push_back(DescribeBox(TBoxKind::Information, message, true));
}

bool TScriptedDialogs::Confirm(const std::string& message, TConfirmButtons buttons) {
  return NextAnswer(ConfirmKind(buttons), message);
}

bool TScriptedDialogs::WarnOkCancel(const std::string& message) {
  return NextAnswer(TBoxKind::WarningOkCancel, message);
}

void TScriptedDialogs::ShowError(const std::string& message) {
  Shown.push_back(DescribeBox(TBoxKind::Error, message, true));
}

bool TScriptedDialogs::NextAnswer(TBoxKind kind, const std::string& message) {
  if (Answers.empty()) throw TScriptEnded{message};
  const bool answer = Answers.front();
  Answers.pop_front();
  Shown.push_back(DescribeBox(kind, message, answer));
  return answer;
}

TConsoleOpenDialog::TConsoleOpenDialog(std::ostream& out) : FOut(out) {}

bool TConsoleOpenDialog::Execute() {
  std::string line = TitleSlot().empty() ? "" : TitleSlot() + ": ";
  line += "Open: " + (Title.empty() ? std::string("Open") : OnOneLine(Title));
  if (!Filter.empty()) line += " (" + OnOneLine(Filter) + ")";
  FOut << line << ": no file can be picked unattended" << std::endl;
  std::fflush(nullptr);
  std::_Exit(1);
}

const std::string& ApplicationTitle() { return TitleSlot(); }

void SetApplicationTitle(const std::string& title) { TitleSlot() = title; }

TDialogs& Dialogs() {
  static TConsoleDialogs console(std::cerr);
  TDialogs* installed = InstalledDialogs();
  return installed != nullptr ? *installed : console;
}

void SetDialogs(TDialogs* dialogs) { InstalledDialogs() = dialogs; }

TDialogsKind DialogsKindFromEnvironment() {
  const char* chosen = std::getenv("ZERURUD_DIALOGS");
  if (chosen != nullptr) {
    if (SameText(chosen, "qt")) return TDialogsKind::Qt;
    if (SameText(chosen, "console")) return TDialogsKind::Console;
  }
  return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY") ? TDialogsKind::Qt : TDialogsKind::Console;
}

}  // namespace win
