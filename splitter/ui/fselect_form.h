// Form_FSelect, DAVURI's main window: the user browses folders for capture
// files, double-clicks them into a queue, and Print runs the processing
// window (TMainWindow) over the queue, then cleans up after a run that
// reached the check-writing program and shows in the queue what is left.
// A capture file named first on the command line is printed without a
// click, and the window closes when the queue is empty afterwards.
//
// The decisions about the queue live in fselect_queue.h, the product folder
// and the drive map in fselect_paths.h, the clean-up in cleanup.h; this
// class wires them to the widgets.
//
// Typed entries in Edit_FName are not applied: the window was designed so
// that its exit handler would apply them only while a flag is set, and
// nothing ever sets it, so Enter in the edit or the file list is swallowed
// and does nothing.
#pragma once

#include <memory>
#include <string>

#include <QWidget>

#include "common/dialogs.h"
#include "platform/db.h"
#include "platform/stringlist.h"
#include "splitter/engine/settings.h"
#include "splitter/ui/fselect_paths.h"

class QFrame;
class QLabel;

namespace win {
class TDirectoryListBox;
class TDriveComboBox;
class TEdit;
class TFileListBox;
class TFilterComboBox;
class TMemo;
}  // namespace win

namespace splitter {

class TBitBtnWithColor;

class TForm_FSelect : public QWidget, public common::TErrorBox {
  Q_OBJECT

 public:
  static constexpr const char* kCaption = "Zerurud VP Multiple Account Process";

  // Builds the window and runs FormCreate: reads the configuration file,
  // settles the product folder and takes a command-line capture file.
  explicit TForm_FSelect(QWidget* parent = nullptr);
  ~TForm_FSelect() override;

  // The program's one database connection (Form_Startup.db), handed to
  // every processing run; set by the start-up before the message loop.
  win::TZConnection* Database = nullptr;

  // The handlers, public so that the program and its tests drive them as
  // the events would.
  void FormPaint();
  void FileListBox_MainDblClick();
  void btnPrintClick();
  void btnDiscardClick();
  void btnExitClick();
  void Edit_FNameKeyPress(char& key);

  // common::TErrorBox: the application's standard error box.
  void ShowErrorBox(const std::string& message) override;

  QFrame* const Panel_Top;
  QFrame* const Panel1;
  QFrame* const Panel_BClient;
  QFrame* const Panel_Bottom;
  QFrame* const Panel_Buttons;
  QLabel* const Label_Name;
  win::TEdit* const Edit_FName;
  win::TFileListBox* const FileListBox_Main;
  win::TFilterComboBox* const FilterComboBox_Main;
  QLabel* const Label_DirLabel;
  QLabel* const Label_Directory;
  win::TDirectoryListBox* const DirectoryListBox_Main;
  win::TDriveComboBox* const DriveComboBox_Main;
  win::TMemo* const Memo_Queue;
  TBitBtnWithColor* const btnPrint;
  TBitBtnWithColor* const btnDiscard;
  TBitBtnWithColor* const btnExit;
  std::unique_ptr<win::TOpenDialog> OpenDialog1;

  // The window's state.
  win::TStringList QueuedFiles;  // the lines of Memo_Queue, looked up ignoring case
  std::string PendingPattern;
  std::string StartFolder;
  bool Creating = false;
  bool AutoPrint = false;
  bool InPaint = false;

  // The settings read at creation; ProductFolder lives in Paths.
  TFSelectPaths Paths;
  TSelectionSettings Settings;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void BuildLayout();
  void Connect();
  void FormCreate();
  void LoadSettings();
  void RefreshFileList();
  void RefreshFromDirectory();
  void UpdateButtons();
  void SetQueue(const win::TStringList& paths);
  void FilterComboBox_MainChange();
  // Print's steps 2 to 7 with the processing window.
  void RunProcessingWindow();
  void CleanUpAfterRun(win::TStringList& runList);
  // Print's last step, after an error too.
  void FinishPrint();

  bool FPaintScheduled = false;
};

}  // namespace splitter
