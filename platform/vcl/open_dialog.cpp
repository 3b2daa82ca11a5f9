#include "platform/vcl/open_dialog.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "platform/files.h"
#include "platform/path.h"
#include "platform/vcl/application.h"
#include "platform/vcl/directory_list_box.h"
#include "platform/vcl/drive_combo_box.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/file_list_box.h"
#include "platform/vcl/filter_combo_box.h"
#include "platform/vcl/qt_text.h"

namespace win {

namespace {

class TOpenDialogWindow : public QDialog {
 public:
  TOpenDialogWindow(const TOpenDialog& settings, QWidget* parent) : QDialog(parent) {
    setWindowTitle(ToQt(settings.Title.empty() ? std::string("Open") : settings.Title));
    auto* layout = new QGridLayout(this);
    FFileName = new TEdit(this);
    FFileName->setObjectName("FileName");
    FFiles = new TFileListBox(this);
    FFiles->setObjectName("Files");
    FFolders = new TDirectoryListBox(this);
    FFolders->setObjectName("Folders");
    FDrives = new TDriveComboBox(this);
    FDrives->setObjectName("Drives");
    FTypes = new TFilterComboBox(this);
    FTypes->setObjectName("Types");
    auto* folderLabel = new QLabel(this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->setObjectName("Buttons");

    layout->addWidget(new QLabel("File name:", this), 0, 0);
    layout->addWidget(FFileName, 1, 0);
    layout->addWidget(FFiles, 2, 0);
    layout->addWidget(new QLabel("Files of type:", this), 3, 0);
    layout->addWidget(FTypes, 4, 0);
    layout->addWidget(new QLabel("Folders:", this), 0, 1);
    layout->addWidget(folderLabel, 1, 1);
    layout->addWidget(FFolders, 2, 1);
    layout->addWidget(new QLabel("Drives:", this), 3, 1);
    layout->addWidget(FDrives, 4, 1);
    layout->addWidget(buttons, 5, 0, 1, 2);

    FFolders->SetFileList(FFiles);
    FFolders->SetDirLabel(folderLabel);
    FDrives->SetDirList(FFolders);
    FTypes->SetFileList(FFiles);
    if (!settings.Filter.empty()) FTypes->SetFilter(settings.Filter);

    std::string folder = settings.InitialDir;
    if (folder.empty()) folder = ExtractFilePath(settings.FileName);
    if (!folder.empty() && DirectoryExists(folder)) {
      RunHandler([this, &folder] { FFolders->SetDirectory(folder); });
    }
    FFileName->SetText(ExtractFileName(settings.FileName));

    connect(buttons, &QDialogButtonBox::accepted, this,
            [this] { RunHandler([this] { TakeName(); }); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(FFiles, &TFileListBox::DblClick, this, [this] {
      if (FFiles->ItemIndex() >= 0) RunHandler([this] { TakeName(); });
    });
    connect(FFiles, &QListWidget::currentRowChanged, this, [this](int row) {
      if (row >= 0) FFileName->SetText(FFiles->Items()[row]);
    });
  }

  std::string Chosen() const { return FChosen; }

 private:
  void TakeName() {
    const std::string name = FFileName->Text();
    if (name.empty()) return;
    if (name.find_first_of("*?") != std::string::npos) {
      FFiles->ApplyFilePath(name);
      return;
    }
    std::string full;
    const bool hasFolder = name.find_first_of("\\:") != std::string::npos;
    if (!GetFullPathName(hasFolder ? name : IncludeTrailingBackslash(FFolders->Directory()) + name,
                         full)) {
      return;
    }
    if (DirectoryExists(full)) {
      FFolders->SetDirectory(full);
      FFileName->SetText("");
      return;
    }
    FChosen = full;
    accept();
  }

  TEdit* FFileName;
  TFileListBox* FFiles;
  TDirectoryListBox* FFolders;
  TDriveComboBox* FDrives;
  TFilterComboBox* FTypes;
  std::string FChosen;
};

}  // namespace

bool TQtOpenDialog::Execute() {
  TOpenDialogWindow window(*this, QApplication::activeWindow());
  if (window.exec() != QDialog::Accepted) return false;
  FileName = window.Chosen();
  return true;
}

}  // namespace win
