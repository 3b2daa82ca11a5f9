#include "platform/vcl/directory_list_box.h"

#include <algorithm>
#include <vector>

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyle>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/search.h"
#include "platform/text.h"
#include "platform/vcl/application.h"
#include "platform/vcl/file_list_box.h"
#include "platform/vcl/qt_text.h"

namespace win {

namespace {

constexpr int kPathRole = Qt::UserRole;

// The root of a full path ("C:\", "\\srv\share\") and the folder names below it.
void SplitFolders(const std::string& path, std::string& root, std::vector<std::string>& names) {
  root = IncludeTrailingBackslash(ExtractFileDrive(path));
  names.clear();
  std::string name;
  for (std::size_t i = root.size(); i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (!name.empty()) names.push_back(name);
      name.clear();
    } else {
      name += path[i];
    }
  }
}

}  // namespace

TDirectoryListBox::TDirectoryListBox(QWidget* parent)
    : QListWidget(parent), FDirectory(GetCurrentDir()) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  ReadFolderNames();
}

void TDirectoryListBox::SetDirectory(const std::string& directory) {
  if (!SetCurrentDir(directory)) {
    const DWORD code = GetLastError();
    throw EInOutError(SysErrorMessage(code), code);
  }
  FDirectory = GetCurrentDir();
  ReadFolderNames();
  ShowInLabel();
  if (FFileList != nullptr) FFileList->SetDirectory(FDirectory);
  emit Change();
}

char TDirectoryListBox::Drive() const {
  return FDirectory.size() >= 2 && FDirectory[1] == ':' ? UpperCase(FDirectory.substr(0, 1))[0]
                                                        : '\0';
}

void TDirectoryListBox::SetDrive(char drive) {
  const std::string root = std::string(1, drive) + ":\\";
  std::string folder;
  if (!GetFullPathName(std::string(1, drive) + ":", folder) || !DirectoryExists(folder)) {
    folder = root;
  }
  SetDirectory(folder);
}

void TDirectoryListBox::SetFileList(TFileListBox* fileList) {
  if (FFileList != nullptr) FFileList->FDirList = nullptr;
  FFileList = fileList;
  if (FFileList == nullptr) return;
  FFileList->FDirList = this;
  FFileList->SetDirectory(FDirectory);
}

void TDirectoryListBox::SetDirLabel(QLabel* label) {
  FDirLabel = label;
  ShowInLabel();
}

void TDirectoryListBox::ReadFolderNames() {
  clear();
  std::string root;
  std::vector<std::string> names;
  SplitFolders(FDirectory, root, names);
  const QIcon openIcon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  const QIcon closedIcon = style()->standardIcon(QStyle::SP_DirClosedIcon);

  // The path down to the current folder: each line one level further in.
  std::string path = root;
  auto addLine = [this](const std::string& text, const std::string& linePath, int level,
                        const QIcon& icon) {
    auto* line = new QListWidgetItem(icon, QString(level * 2, ' ') + ToQt(text), this);
    line->setData(kPathRole, ToQt(linePath));
  };
  addLine(root, root, 0, openIcon);
  for (std::size_t i = 0; i < names.size(); ++i) {
    path = IncludeTrailingBackslash(path) + names[i];
    addLine(names[i], path, static_cast<int>(i) + 1, openIcon);
  }
  setCurrentRow(count() - 1);

  std::vector<std::string> subfolders;
  TSearchRec found;
  for (int result = FindFirst(IncludeTrailingBackslash(FDirectory) + "*", faDirectory, found);
       result == 0; result = FindNext(found)) {
    if ((found.Attr & faDirectory) != 0) subfolders.push_back(found.Name);
  }
  FindClose(found);
  std::sort(subfolders.begin(), subfolders.end(),
            [](const std::string& a, const std::string& b) { return CompareText(a, b) < 0; });
  const int level = static_cast<int>(names.size()) + 1;
  for (const std::string& name : subfolders) {
    addLine(name, IncludeTrailingBackslash(FDirectory) + name, level, closedIcon);
  }
}

void TDirectoryListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  QListWidget::mouseDoubleClickEvent(event);
  OpenLine(itemAt(event->position().toPoint()));
}

void TDirectoryListBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    OpenLine(currentItem());
    return;
  }
  QListWidget::keyPressEvent(event);
}

void TDirectoryListBox::OpenLine(QListWidgetItem* item) {
  if (item == nullptr) return;
  const std::string path = FromQt(item->data(kPathRole).toString());
  RunHandler([this, &path] { SetDirectory(path); });
}

void TDirectoryListBox::ShowInLabel() {
  if (FDirLabel == nullptr) return;
  FDirLabel->setText(ToQt(FDirectory));
}

}  // namespace win
