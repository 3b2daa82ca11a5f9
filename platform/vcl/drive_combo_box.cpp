#include "platform/vcl/drive_combo_box.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/files.h"
#include "platform/network.h"
#include "platform/prefix.h"
#include "platform/text.h"
#include "platform/vcl/application.h"
#include "platform/vcl/directory_list_box.h"
#include "platform/vcl/qt_text.h"

namespace win {

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent) {
  ReadDrives();
  const std::string current = GetCurrentDir();
  if (current.size() >= 2 && current[1] == ':') ShowDrive(current[0]);
  connect(this, &QComboBox::activated, this, &TDriveComboBox::DriveChosen);
}

char TDriveComboBox::Drive() const {
  const QVariant letter = currentData();
  return letter.isValid() ? static_cast<char>(letter.toInt()) : '\0';
}

void TDriveComboBox::SetDrive(char drive) {
  ShowDrive(drive);
  if (FDirList != nullptr) FDirList->SetDrive(UpperCase(std::string(1, drive))[0]);
}

void TDriveComboBox::SetDirList(TDirectoryListBox* dirList) {
  if (FDirList != nullptr) disconnect(FDirList, nullptr, this, nullptr);
  FDirList = dirList;
  if (FDirList == nullptr) return;
  connect(FDirList, &TDirectoryListBox::Change, this, [this] { ShowDrive(FDirList->Drive()); });
  ShowDrive(FDirList->Drive());
}

void TDriveComboBox::ReadDrives() {
  std::vector<char> letters;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(DosDevicesPath(), error)) {
    const std::string name = entry.path().filename().string();
    if (name.size() == 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]))) {
      letters.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(name[0]))));
    }
  }
  std::sort(letters.begin(), letters.end());
  letters.erase(std::unique(letters.begin(), letters.end()), letters.end());

  std::vector<TNetResource> connected;
  EnumConnectedDisks(connected);
  clear();
  for (char letter : letters) {
    std::string text = LowerCase(std::string(1, letter)) + ":";
    for (const TNetResource& resource : connected) {
      if (SameText(resource.LocalName, std::string(1, letter) + ":")) {
        text += " " + resource.RemoteName;
      }
    }
    addItem(ToQt(text), static_cast<int>(letter));
  }
}

void TDriveComboBox::ShowDrive(char drive) {
  const int index = findData(static_cast<int>(UpperCase(std::string(1, drive))[0]));
  if (index >= 0) setCurrentIndex(index);
}

void TDriveComboBox::DriveChosen(int index) {
  const char drive = static_cast<char>(itemData(index).toInt());
  RunHandler([this, drive] {
    try {
      SetDrive(drive);
    } catch (...) {
      if (FDirList != nullptr) ShowDrive(FDirList->Drive());
      throw;
    }
    emit Change();
  });
}

}  // namespace win
