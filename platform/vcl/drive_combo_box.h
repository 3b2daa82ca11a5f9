// TDriveComboBox: the drives of the prefix (the letters of its dosdevices/
// folder), each shown as "c:", a connected network drive with its remote
// name ("x: \\srv\data"). Choosing a drive moves the linked folder list to
// it; the combo follows the folder list when that moves to another drive.
#pragma once

#include <QComboBox>

namespace win {

class TDirectoryListBox;

class TDriveComboBox : public QComboBox {
  Q_OBJECT

 public:
  // Lists the drives and shows the current directory's drive.
  explicit TDriveComboBox(QWidget* parent = nullptr);

  // The upper-case letter shown, 0 when none is.
  char Drive() const;
  // Shows `drive` and moves the linked folder list to it. Raises as
  // TDirectoryListBox::SetDrive.
  void SetDrive(char drive);

  void SetDirList(TDirectoryListBox* dirList);

 signals:
  // The user chose a drive.
  void Change();

 private:
  void ReadDrives();
  void ShowDrive(char drive);
  void DriveChosen(int index);

  TDirectoryListBox* FDirList = nullptr;
};

}  // namespace win
