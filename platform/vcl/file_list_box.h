// TFileListBox: the plain files of one folder of the prefix's Windows file
// system that match a mask, sorted, as the platform's search finds them
// (search.h: letter case as on disk; hidden, system and directory entries
// left out). It never reads the host's folders directly.
//
// A linked edit (SetFileEdit) always shows the selected line's text, or the
// mask when no line is selected.
#pragma once

#include <string>

#include <QListWidget>

#include "platform/vcl/list_items.h"

namespace win {

class TEdit;

class TFileListBox : public QListWidget {
  Q_OBJECT

 public:
  // Opens on the process's current directory with the mask "*.*".
  explicit TFileListBox(QWidget* parent = nullptr);

  // The folder shown, a full Windows path. Setting it reads the folder
  // again; a folder that cannot be read shows no lines.
  std::string Directory() const { return FDirectory; }
  void SetDirectory(const std::string& directory);
  // One mask or several separated by ";" ("*.RUZ", "*.txt;*.log").
  std::string Mask() const { return FMask; }
  void SetMask(const std::string& mask);
  // Reads the folder again with the mask.
  void Update();

  TListItems& Items() { return FItems; }
  // The selected line, -1 for none.
  int ItemIndex() const { return currentRow(); }
  void SetItemIndex(int index);
  // The first visible line.
  int TopIndex() const;
  void SetTopIndex(int index);
  // Directory + the selected line as a full path; empty when none is selected.
  std::string FileName() const;

  void SetFileEdit(TEdit* edit);

  // A path typed by the user: its folder part (when it has one) becomes the
  // Directory, a folder name opens that folder, a name with "*" or "?"
  // becomes the Mask, and any other name selects its line when there is one.
  // Raises win::EInOutError with the system's message when the folder
  // cannot be entered (through the linked folder list when there is one).
  void ApplyFilePath(const std::string& path);

 signals:
  void DblClick();
  // A character key (key_press.h); a handler that sets `key` to 0 discards
  // it. Connect directly: the handler writes the key.
  void KeyPress(char& key);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  friend class TDirectoryListBox;
  void UpdateFileEdit();

  std::string FDirectory;
  std::string FMask = "*.*";
  TListItems FItems;
  TEdit* FFileEdit = nullptr;
  // The folder list that owns the Directory, when linked.
  class TDirectoryListBox* FDirList = nullptr;
};

}  // namespace win
