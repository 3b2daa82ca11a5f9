// The file selection window's paths, kept apart from its widgets: the
// product folder it settles on at its creation, and the map from connected
// network shares to their drive letters that Print applies to queued UNC
// paths. The window owns one and hands in its dialogs.
#pragma once

#include <memory>
#include <string>

#include "common/dialogs.h"
#include "platform/inifile.h"
#include "platform/stringlist.h"

namespace splitter {

class TFSelectPaths {
 public:
  // Sets ProductFolder from "DurEDOPath" of section "Configuration" of
  // `ini`, or from the product's own record (LocateProductFolder, with
  // `openDialog1` and `errorBox`) when that is empty, names no folder, or
  // names one through this computer's own name (the shared form a start on
  // this computer wrote). Writes the folder back in the form other
  // computers reach it by: a folder on C: as \\<computer name>\..., others
  // universal. Raises win::EIniFileException "Unable to write to %s" when
  // `ini` cannot be written; ProductFolder is then the folder found so far.
  void ResolveProductFolder(win::TIniFile& ini, common::TOpenDialog& openDialog1,
                            common::TErrorBox& errorBox);

  // Fills RemoteToLocal (created here) with remote name = local drive for
  // the network disks connected now; empty when the network provider gives
  // none. Only the provider's first batch of connections is read.
  void EnumConnectedDrives();
  // `path` with a connected share at its start (its letters in any case)
  // replaced by the share's drive: \\SRV\DATA\in\a.ruz with \\srv\data on
  // X: gives X:\in\a.ruz. The connections are those of the first call; a
  // path on no connected share comes back unchanged.
  std::string MapToLocalDrive(const std::string& path);

  // Ends with a backslash once resolved.
  std::string ProductFolder;
  // remote=local lines, looked up ignoring case; null until the first
  // MapToLocalDrive, then kept.
  std::unique_ptr<win::TStringList> RemoteToLocal;
};

}  // namespace splitter
