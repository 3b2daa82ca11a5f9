#include "platform/vcl/filter_combo_box.h"

#include "platform/vcl/application.h"
#include "platform/vcl/file_list_box.h"
#include "platform/vcl/qt_text.h"

namespace win {

namespace {

constexpr const char* kAnyFile = "*.*";

std::vector<std::string> SplitAtBars(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('|', start), text.size());
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

}  // namespace

TFilterComboBox::TFilterComboBox(QWidget* parent) : QComboBox(parent) {
  SetFilter("All files (*.*)|*.*");
  connect(this, &QComboBox::activated, this, [this] {
    RunHandler([this] {
      ApplyMask();
      emit Change();
    });
  });
}

void TFilterComboBox::SetFilter(const std::string& filter) {
  FFilter = filter;
  FMasks.clear();
  clear();
  if (!filter.empty()) {
    const std::vector<std::string> parts = SplitAtBars(filter);
    for (std::size_t i = 0; i < parts.size(); i += 2) {
      addItem(ToQt(parts[i]));
      FMasks.push_back(i + 1 < parts.size() && !parts[i + 1].empty() ? parts[i + 1] : kAnyFile);
    }
  }
  SetItemIndex(0);
}

std::string TFilterComboBox::Mask() const {
  const int index = currentIndex();
  return index >= 0 && index < static_cast<int>(FMasks.size()) ? FMasks[index] : kAnyFile;
}

void TFilterComboBox::SetItemIndex(int index) {
  setCurrentIndex(index);
  ApplyMask();
}

void TFilterComboBox::SetFileList(TFileListBox* fileList) {
  FFileList = fileList;
  ApplyMask();
}

void TFilterComboBox::ApplyMask() {
  if (FFileList != nullptr) FFileList->SetMask(Mask());
}

}  // namespace win
