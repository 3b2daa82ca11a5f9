// TFilterComboBox: the file types of a filter string
// ("Text files|*.txt|All files|*.*"), showing the descriptions. Choosing one
// sets the linked file list's mask, then raises Change.
#pragma once

#include <string>
#include <vector>

#include <QComboBox>

namespace win {

class TFileListBox;

class TFilterComboBox : public QComboBox {
  Q_OBJECT

 public:
  // Starts with the filter "All files (*.*)|*.*".
  explicit TFilterComboBox(QWidget* parent = nullptr);

  std::string Filter() const { return FFilter; }
  // Replaces the entries and selects the first. A description without a
  // mask gets "*.*".
  void SetFilter(const std::string& filter);
  // The mask of the selected entry ("*.*" when none is).
  std::string Mask() const;
  int ItemIndex() const { return currentIndex(); }
  // Selects an entry and sets the linked file list's mask; no Change.
  void SetItemIndex(int index);

  void SetFileList(TFileListBox* fileList);

 signals:
  // The user chose an entry; the linked file list has its mask already.
  void Change();

 private:
  void ApplyMask();

  std::string FFilter;
  std::vector<std::string> FMasks;
  TFileListBox* FFileList = nullptr;
};

}  // namespace win
