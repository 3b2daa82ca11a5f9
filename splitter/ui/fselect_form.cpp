#include "splitter/ui/fselect_form.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QScreen>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/params.h"
#include "platform/path.h"
#include "platform/text.h"
#include "platform/vcl/application.h"
#include "platform/vcl/directory_list_box.h"
#include "platform/vcl/drive_combo_box.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/file_list_box.h"
#include "platform/vcl/filter_combo_box.h"
#include "platform/vcl/memo.h"
#include "platform/vcl/open_dialog.h"
#include "splitter/engine/utilities.h"
#include "splitter/ui/button_with_color.h"
#include "splitter/ui/cleanup.h"
#include "splitter/ui/fselect_queue.h"
#include "splitter/ui/kept_files.h"
#include "splitter/ui/main_window.h"

namespace splitter {

namespace {

constexpr int kClientWidth = 421;
constexpr int kClientHeight = 365;
constexpr int kTopBandHeight = 219;
constexpr int kMiddleBandHeight = 101;
constexpr int kBottomBandHeight = 44;
constexpr unsigned kFormColor = 0xE1E5EA;
constexpr TColor kButtonFace = 0xD0C8BF;  // RGB BF C8 D0, as the button takes it
constexpr int kFontPixels = 12;
constexpr int kButtonFontPixels = 13;
constexpr int kControlHeight = 21;
constexpr int kButtonWidth = 89;
constexpr int kButtonHeight = 25;
constexpr int kButtonTop = 8;

QFrame* NewPanel(QWidget* parent, const char* name) {
  auto* panel = new QFrame(parent);
  panel->setObjectName(name);
  win::SetBackgroundColor(*panel, kFormColor);
  return panel;
}

QLabel* NewLabel(QWidget* parent, const char* name, const char* text) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  return label;
}

TBitBtnWithColor* NewButton(QWidget* parent, const char* name, const char* caption, int left) {
  auto* button = new TBitBtnWithColor(parent);
  button->setObjectName(name);
  button->setText(caption);
  button->SetColor(kButtonFace);
  button->setFont(win::VerdanaFont(kButtonFontPixels, true));
  button->setGeometry(left, kButtonTop, kButtonWidth, kButtonHeight);
  return button;
}

std::vector<std::string> Lines(win::TMemoLines& lines) {
  std::vector<std::string> entries;
  for (int i = 0; i < lines.Count(); ++i) entries.push_back(lines[i]);
  return entries;
}

}  // namespace

TForm_FSelect::TForm_FSelect(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::MSWindowsFixedSizeDialogHint),
      Panel_Top(NewPanel(this, "Panel_Top")),
      Panel1(NewPanel(this, "Panel1")),
      Panel_BClient(NewPanel(Panel1, "Panel_BClient")),
      Panel_Bottom(NewPanel(this, "Panel_Bottom")),
      Panel_Buttons(NewPanel(Panel_Bottom, "Panel_Buttons")),
      Label_Name(NewLabel(Panel_Top, "Label_Name", "File Name")),
      Edit_FName(new win::TEdit(Panel_Top)),
      FileListBox_Main(new win::TFileListBox(Panel_Top)),
      FilterComboBox_Main(new win::TFilterComboBox(Panel_Top)),
      Label_DirLabel(NewLabel(Panel_Top, "Label_DirLabel", "Directory")),
      Label_Directory(NewLabel(Panel_Top, "Label_Directory", "")),
      DirectoryListBox_Main(new win::TDirectoryListBox(Panel_Top)),
      DriveComboBox_Main(new win::TDriveComboBox(Panel_Top)),
      Memo_Queue(new win::TMemo(Panel_BClient)),
      btnPrint(NewButton(Panel_Buttons, "btnPrint", "Print", 10)),
      btnDiscard(NewButton(Panel_Buttons, "btnDiscard", "Discard", 106)),
      btnExit(NewButton(Panel_Buttons, "btnExit", "Exit", 324)),
      OpenDialog1(win::NewOpenDialog()) {
  BuildLayout();
  Connect();
  win::RunHandler([this] { FormCreate(); });
}

TForm_FSelect::~TForm_FSelect() {
  QueuedFiles.Clear();
  const QSignalBlocker quiet(Memo_Queue);
  Memo_Queue->Lines().Clear();
}

void TForm_FSelect::BuildLayout() {
  setObjectName("Form_FSelect");
  setWindowTitle(kCaption);
  setFixedSize(kClientWidth, kClientHeight);
  setFont(win::VerdanaFont(kFontPixels));
  win::SetBackgroundColor(*this, kFormColor);
  if (const QScreen* shown = screen()) {
    move(shown->availableGeometry().center() - rect().center());
  }

  Panel_Top->setGeometry(0, 0, kClientWidth, kTopBandHeight);
  Label_Name->move(8, 4);
  Edit_FName->setObjectName("Edit_FName");
  Edit_FName->setGeometry(7, 26, 202, kControlHeight);
  Edit_FName->SetText("*.RUZ");
  FileListBox_Main->setObjectName("FileListBox_Main");
  FileListBox_Main->setGeometry(6, 52, 203, 132);
  FileListBox_Main->SetMask("*.RUZ");
  FileListBox_Main->SetFileEdit(Edit_FName);
  FilterComboBox_Main->setObjectName("FilterComboBox_Main");
  FilterComboBox_Main->setGeometry(5, 189, 205, kControlHeight);
  FilterComboBox_Main->SetFilter("Zerurud Printer File|*.RUZ|All Files|*.*");
  FilterComboBox_Main->SetFileList(FileListBox_Main);
  Label_DirLabel->move(223, 4);
  Label_Directory->setGeometry(230, 28, 179, Label_Directory->sizeHint().height());
  DirectoryListBox_Main->setObjectName("DirectoryListBox_Main");
  DirectoryListBox_Main->setGeometry(225, 54, 188, 132);
  DirectoryListBox_Main->SetFileList(FileListBox_Main);
  DirectoryListBox_Main->SetDirLabel(Label_Directory);
  DriveComboBox_Main->setObjectName("DriveComboBox_Main");
  DriveComboBox_Main->setGeometry(226, 190, 186, kControlHeight);
  DriveComboBox_Main->SetDirList(DirectoryListBox_Main);

  Panel1->setGeometry(0, kTopBandHeight, kClientWidth, kMiddleBandHeight);
  Panel_BClient->setGeometry(9, 14, 401, 73);
  Panel_BClient->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  Panel_BClient->setLineWidth(1);
  Memo_Queue->setObjectName("Memo_Queue");
  Memo_Queue->setGeometry(1, 1, 399, 71);
  Memo_Queue->setReadOnly(true);
  Memo_Queue->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  Memo_Queue->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo_Queue->setFrameShape(QFrame::NoFrame);
  Memo_Queue->setFocusPolicy(Qt::ClickFocus);
  win::SetBackgroundColor(*Memo_Queue, kFormColor);

  Panel_Bottom->setGeometry(0, kTopBandHeight + kMiddleBandHeight, kClientWidth, kBottomBandHeight);
  Panel_Buttons->setGeometry(0, 0, kClientWidth, kBottomBandHeight);
}

void TForm_FSelect::Connect() {
  connect(FileListBox_Main, &win::TFileListBox::DblClick, this,
          [this] { win::RunHandler([this] { FileListBox_MainDblClick(); }); });
  connect(
      FileListBox_Main, &win::TFileListBox::KeyPress, this,
      [this](char& key) { Edit_FNameKeyPress(key); }, Qt::DirectConnection);
  connect(
      Edit_FName, &win::TEdit::KeyPress, this, [this](char& key) { Edit_FNameKeyPress(key); },
      Qt::DirectConnection);
  connect(FilterComboBox_Main, &win::TFilterComboBox::Change, this,
          [this] { win::RunHandler([this] { FilterComboBox_MainChange(); }); });
  connect(DirectoryListBox_Main, &win::TDirectoryListBox::Change, this,
          [this] { win::RunHandler([this] { RefreshFromDirectory(); }); });
  connect(Memo_Queue, &win::TMemo::Change, this,
          [this] { win::RunHandler([this] { FormPaint(); }); });
  connect(btnPrint, &QPushButton::clicked, this,
          [this] { win::RunHandler([this] { btnPrintClick(); }); });
  connect(btnDiscard, &QPushButton::clicked, this,
          [this] { win::RunHandler([this] { btnDiscardClick(); }); });
  connect(btnExit, &QPushButton::clicked, this, [this] { btnExitClick(); });
}

void TForm_FSelect::FormCreate() {
  Creating = true;
  Label_Directory->clear();
  try {
    LoadSettings();
    QueuedFiles.Clear();
    const std::string first = win::ParamStr(1);
    if (win::ParamCount() >= 1 && first != "." && win::FileExists(first)) {
      QueuedFiles.Add(first);
      Memo_Queue->Lines().Add(first);
      AutoPrint = true;
    } else {
      const std::string files = Paths.ProductFolder + "Files\\";
      FileListBox_Main->ApplyFilePath(win::DirectoryExists(files) ? files : Paths.ProductFolder);
      FileListBox_Main->Items().Clear();
      PendingPattern.clear();
      RefreshFileList();
    }
    StartFolder = win::GetCurrentDir();
  } catch (...) {
    Creating = false;
    throw;
  }
  Creating = false;
  InPaint = false;
  update();
}

// A configuration file that cannot take the product folder back still
// leaves a working window: the error is shown and the rest of the settings
// are read, so the window opens on the folder found.
void TForm_FSelect::LoadSettings() {
  SelectIniFile(1);
  win::TIniFile ini(IniFileName);
  OpenDialog1->Title = "Please Browse to Vez Location";
  OpenDialog1->Filter = "VEZ Exe|*.exe";
  OpenDialog1->FileName = "VEZ7.EXE";
  try {
    Paths.ResolveProductFolder(ini, *OpenDialog1, *this);
  } catch (const win::EIniFileException& error) {
    ShowErrorBox(error.Message());
  }
  Settings = ReadSelectionSettings(ini);
}

void TForm_FSelect::RefreshFileList() {
  if (PendingPattern.empty()) {
    RefreshFromDirectory();
    return;
  }
  std::string folder = win::ExtractFilePath(PendingPattern);
  if (folder.empty()) {
    folder = win::IncludeTrailingBackslash(win::LowerCase(DirectoryListBox_Main->Directory()));
  }
  const int top = FileListBox_Main->TopIndex();
  FileListBox_Main->Items().Clear();
  for (const std::string& name : UnqueuedFiles(PendingPattern, folder, QueuedFiles)) {
    FileListBox_Main->Items().Add(name);
  }
  Edit_FName->SetText(FileListBox_Main->Mask());
  FileListBox_Main->SetTopIndex(top);
  PendingPattern.clear();
}

void TForm_FSelect::RefreshFromDirectory() {
  PendingPattern =
      win::IncludeTrailingBackslash(DirectoryListBox_Main->Directory()) + FileListBox_Main->Mask();
  RefreshFileList();
}

void TForm_FSelect::FilterComboBox_MainChange() {
  if (!Creating) RefreshFileList();
}

void TForm_FSelect::FileListBox_MainDblClick() {
  const int index = FileListBox_Main->ItemIndex();
  if (index < 0) return;
  const std::string path =
      QueuedPath(DirectoryListBox_Main->Directory(), FileListBox_Main->Items()[index]);
  if (QueuedFiles.IndexOf(path) < 0) {
    QueuedFiles.Add(path);
    Memo_Queue->Lines().Add(path);
  }
  RefreshFileList();
}

void TForm_FSelect::UpdateButtons() {
  btnPrint->setEnabled(Memo_Queue->Lines().Count() > 0);
  btnDiscard->setEnabled(btnPrint->isEnabled());
}

void TForm_FSelect::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  // Print shows a modal window, which cannot happen inside Qt's painting:
  // the handler runs from the event loop right after.
  if (FPaintScheduled) return;
  FPaintScheduled = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        FPaintScheduled = false;
        win::RunHandler([this] { FormPaint(); });
      },
      Qt::QueuedConnection);
}

void TForm_FSelect::FormPaint() {
  if (InPaint) return;
  InPaint = true;
  if (AutoPrint) {
    win::RunHandler([this] { btnPrintClick(); });
    if (Memo_Queue->Lines().Count() == 0) {
      btnExitClick();
      return;
    }
    AutoPrint = false;
  }
  UpdateButtons();
  InPaint = false;
}

void TForm_FSelect::btnPrintClick() {
  try {
    if (!win::SetCurrentDir(StartFolder)) {
      const win::DWORD code = win::GetLastError();
      throw win::EInOutError(win::SysErrorMessage(code), code);
    }
    RunProcessingWindow();
  } catch (...) {
    FinishPrint();
    throw;
  }
  FinishPrint();
}

void TForm_FSelect::FinishPrint() {
  RefreshFileList();
  UpdateButtons();
  update();
  TFileCleanUp(ReadBadAccountLogFiles(Settings.BadAcctFile))
      .CleanUpProductFolder(Paths.ProductFolder);
}

// The window lives until this returns, so that it is gone before the file
// list is refreshed; whatever happens once it holds the run list, the queue
// shows what it left.
void TForm_FSelect::RunProcessingWindow() {
  TMainWindow window(this);
  Tform_Main& form = window.Form();
  win::TStringList runList;
  for (const std::string& entry :
       BuildRunList(Lines(Memo_Queue->Lines()),
                    [this](const std::string& path) { return Paths.MapToLocalDrive(path); })) {
    runList.Add(entry);
  }
  win::TStringList selectedFiles = runList;
  win::TStringList writtenFiles;
  win::TStringList writtenAccounts;
  form.SelectedFiles = &selectedFiles;
  form.WrittenFiles = &writtenFiles;
  form.WrittenAccounts = &writtenAccounts;
  form.BadIDFileName = Settings.BadIDFileName;
  form.BadAcctFile = Settings.BadAcctFile;
  form.TempFile = Settings.TempFile;
  form.HandleBadAcct = Settings.HandleBadAcct;
  form.StripAcctID = Settings.StripAcctID;
  form.BackupFileName.clear();
  form.Database = Database;
  try {
    QCoreApplication::processEvents();
    window.ShowModal();
    if (form.PrintNotRun == 0) {
      selectedFiles = runList;
      CleanUpAfterRun(selectedFiles);
    }
  } catch (...) {
    SetQueue(selectedFiles);
    throw;
  }
  SetQueue(selectedFiles);
}

// Each processed file leaves the list once its clean-up is done, so that
// after a failed deletion the queue shows the ones not yet cleaned up.
void TForm_FSelect::CleanUpAfterRun(win::TStringList& runList) {
  const TFileCleanUp cleanUp(ReadBadAccountLogFiles(Settings.BadAcctFile));
  while (runList.Count() > 0) {
    cleanUp.CleanUpProcessedFile(runList[0], Paths.ProductFolder, Settings.DeleteOrigFiles,
                                 Settings.NumberOfDays);
    runList.Delete(0);
  }
}

void TForm_FSelect::SetQueue(const win::TStringList& paths) {
  Memo_Queue->Lines().Clear();
  QueuedFiles.Clear();
  for (int i = 0; i < paths.Count(); ++i) {
    QueuedFiles.Add(paths[i]);
    Memo_Queue->Lines().Add(paths[i]);
  }
}

void TForm_FSelect::btnDiscardClick() {
  Memo_Queue->Lines().Clear();
  QueuedFiles.Clear();
  RefreshFileList();
  UpdateButtons();
}

void TForm_FSelect::btnExitClick() { close(); }

// Enter would apply the typed entry, which this window never does (see the
// header), so the key only goes; other keys pass on.
void TForm_FSelect::Edit_FNameKeyPress(char& key) {
  if (key == '\r') key = 0;
}

void TForm_FSelect::ShowErrorBox(const std::string& message) { win::Dialogs().ShowError(message); }

}  // namespace splitter
