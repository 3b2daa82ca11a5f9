// windowshots DIR: writes fselect_empty.png and fselect_queue.png (the file
// selection window on a machine with three capture files, its queue empty
// and then holding two of them) and processing.png (the processing window as
// a run shows its progress). Runs without a display (the offscreen platform
// unless one is named).
#include <cstdio>
#include <string>

#include <QApplication>
#include <QDir>
#include <QImage>

#include "platform/params.h"
#include "platform/prefix.h"
#include "platform/vcl/application.h"
#include "platform/vcl/file_list_box.h"
#include "splitter/ui/fselect_form.h"
#include "splitter/ui/main_window.h"
#include "tests/support/temp_prefix.h"

namespace {

bool Save(const QWidget& window, const QDir& dir, const char* name) {
  const QString path = dir.filePath(name);
  if (const_cast<QWidget&>(window).grab().toImage().save(path)) return true;
  std::fprintf(stderr, "windowshots: cannot write %s\n", path.toLocal8Bit().constData());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: windowshots DIR\n");
    return 2;
  }
  const QDir dir(QDir::current().absoluteFilePath(QString::fromLocal8Bit(argv[1])));
  win::PrepareQtPlatform();
  QApplication application(argc, argv);
  win::InitializeApplication("Multiple Account Processing");
  if (!QDir().mkpath(dir.path())) {
    std::fprintf(stderr, "windowshots: cannot create %s\n", argv[1]);
    return 1;
  }

  // A machine with the product in C:\VEZ and captures in its Files folder.
  testing_support::TempPrefix prefix;
  const auto write = [&](const std::string& path, const std::string& data) {
    testing_support::WriteFile(prefix.OnDriveC(path), data);
  };
  write("C:\\Apps\\DAVURI.EXE", "");
  write("C:\\Apps\\DAVURI.INI", "[Configuration]\r\nDurEDOPath=C:\\VEZ\r\n");
  write("C:\\VEZ\\VEZ7.EXE", "");
  for (const char* name :
       {"TL-PC7-202435-97432-811.RUZ", "TL-PC7-202435-97433-812.RUZ", "PAYROLL-0611.RUZ"}) {
    write(std::string("C:\\VEZ\\Files\\") + name, "");
  }
  testing_support::WriteFile(win::HivePath(),
                             "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Zerurud\\Ruvuduzer]\r\n"
                             "\"Directory\"=\"C:\\\\VEZ\"\r\n");
  win::SetCommandLine("C:\\Apps\\DAVURI.EXE", {".", "C:\\Apps\\DAVURI.INI"});

  splitter::TForm_FSelect fselect;
  fselect.show();
  fselect.FormPaint();
  bool saved = Save(fselect, dir, "fselect_empty.png");
  for (int take = 0; take < 2; ++take) {
    fselect.FileListBox_Main->SetItemIndex(0);
    fselect.FileListBox_MainDblClick();
  }
  fselect.FileListBox_Main->SetItemIndex(0);
  saved = Save(fselect, dir, "fselect_queue.png") && saved;
  fselect.hide();

  // Not shown, so the engine does not start: the window as the split step
  // shows it halfway.
  splitter::TMainWindow processing;
  processing.SetLabelText("Splitting Files...");
  processing.SetProgressRange(100);
  processing.SetProgressPosition(45);
  saved = Save(processing, dir, "processing.png") && saved;
  return saved ? 0 : 1;
}
