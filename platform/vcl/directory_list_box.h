// TDirectoryListBox: the folder tree of the prefix's Windows file system as
// one list: the root and every folder down to the current one, then the
// current folder's subfolders (as the platform's search finds them, hidden
// ones left out), sorted. Double-clicking a line (or Enter) opens it.
//
// Moving to a folder makes it the process's current directory
// (win::SetCurrentDir), hands it to the linked file list, shows it in the
// linked label, and then raises Change, every time a folder is set.
#pragma once

#include <string>

#include <QListWidget>

class QLabel;

namespace win {

class TFileListBox;

class TDirectoryListBox : public QListWidget {
  Q_OBJECT

 public:
  // Opens on the process's current directory.
  explicit TDirectoryListBox(QWidget* parent = nullptr);

  // The current folder, a full Windows path ("C:\Jobs", a root keeps its
  // backslash: "C:\"), as the process's current directory spells it.
  std::string Directory() const { return FDirectory; }
  // Moves to `directory` (full, or relative to the current directory).
  // Raises win::EInOutError with the system's message when it cannot be
  // made the current directory; the list then stays where it was.
  void SetDirectory(const std::string& directory);
  // The upper-case drive letter of Directory, 0 on a UNC path.
  char Drive() const;
  // Moves to the folder that `drive` last had as its current one (its root
  // when that folder is gone). Raises as SetDirectory.
  void SetDrive(char drive);

  void SetFileList(TFileListBox* fileList);
  void SetDirLabel(QLabel* label);

 signals:
  void Change();

 protected:
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void ReadFolderNames();
  void OpenLine(QListWidgetItem* item);
  void ShowInLabel();

  std::string FDirectory;
  TFileListBox* FFileList = nullptr;
  QLabel* FDirLabel = nullptr;
};

}  // namespace win
