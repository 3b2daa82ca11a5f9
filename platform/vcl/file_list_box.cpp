#include "platform/vcl/file_list_box.h"

#include <set>

#include <QKeyEvent>
#include <QMouseEvent>

#include "platform/error.h"
#include "platform/files.h"
#include "platform/path.h"
#include "platform/search.h"
#include "platform/vcl/directory_list_box.h"
#include "platform/vcl/edit.h"
#include "platform/vcl/key_press.h"

namespace win {

namespace {

std::vector<std::string> SplitMasks(const std::string& mask) {
  std::vector<std::string> masks;
  std::size_t start = 0;
  while (start <= mask.size()) {
    const std::size_t end = std::min(mask.find(';', start), mask.size());
    if (end > start) masks.push_back(mask.substr(start, end - start));
    start = end + 1;
  }
  return masks;
}

}  // namespace

TFileListBox::TFileListBox(QWidget* parent)
    : QListWidget(parent), FDirectory(GetCurrentDir()), FItems(*this, true) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QListWidget::currentRowChanged, this, &TFileListBox::UpdateFileEdit);
  Update();
}

void TFileListBox::SetDirectory(const std::string& directory) {
  FDirectory = directory;
  Update();
}

void TFileListBox::SetMask(const std::string& mask) {
  FMask = mask;
  Update();
}

void TFileListBox::Update() {
  FItems.Clear();
  std::set<std::string> seen;
  for (const std::string& mask : SplitMasks(FMask)) {
    TSearchRec found;
    for (int result = FindFirst(IncludeTrailingBackslash(FDirectory) + mask, 0, found); result == 0;
         result = FindNext(found)) {
      if (seen.insert(found.Name).second) FItems.Add(found.Name);
    }
    FindClose(found);
  }
  UpdateFileEdit();
}

void TFileListBox::SetItemIndex(int index) {
  setCurrentRow(index < 0 || index >= count() ? -1 : index);
}

int TFileListBox::TopIndex() const {
  const QModelIndex top = indexAt(QPoint(1, 1));
  return top.isValid() ? top.row() : 0;
}

void TFileListBox::SetTopIndex(int index) {
  if (index >= 0 && index < count()) scrollToItem(item(index), QAbstractItemView::PositionAtTop);
}

std::string TFileListBox::FileName() const {
  const int index = ItemIndex();
  if (index < 0) return {};
  return IncludeTrailingBackslash(FDirectory) + FItems.Strings(index);
}

void TFileListBox::SetFileEdit(TEdit* edit) {
  FFileEdit = edit;
  UpdateFileEdit();
}

void TFileListBox::ApplyFilePath(const std::string& path) {
  if (path.empty()) return;
  auto enter = [this](const std::string& folder) {
    if (FDirList != nullptr) {
      FDirList->SetDirectory(folder);
      return;
    }
    std::string full;
    if (!GetFullPathName(folder, full) || !DirectoryExists(full)) {
      throw EInOutError(SysErrorMessage(ERROR_PATH_NOT_FOUND), ERROR_PATH_NOT_FOUND);
    }
    SetDirectory(full.size() == 3 ? full : ExcludeTrailingBackslash(full));
  };
  if (DirectoryExists(path)) {
    enter(path);
    return;
  }
  const std::string folder = ExtractFilePath(path);
  const std::string name = ExtractFileName(path);
  if (!folder.empty()) enter(folder);
  if (name.find_first_of("*?") != std::string::npos) {
    SetMask(name);
  } else if (!name.empty()) {
    SetItemIndex(FItems.IndexOf(name));
  }
}

void TFileListBox::keyPressEvent(QKeyEvent* event) {
  char key = KeyPressCharOf(*event);
  if (key != 0) {
    emit KeyPress(key);
    if (key == 0) return;
  }
  QListWidget::keyPressEvent(event);
}

void TFileListBox::mouseDoubleClickEvent(QMouseEvent* event) {
  QListWidget::mouseDoubleClickEvent(event);
  emit DblClick();
}

void TFileListBox::UpdateFileEdit() {
  if (FFileEdit == nullptr) return;
  const int index = ItemIndex();
  FFileEdit->SetText(index < 0 ? FMask : FItems.Strings(index));
}

}  // namespace win
