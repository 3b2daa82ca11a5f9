// Step 7 of the installer's run: the launcher's old shortcuts removed from
// the Startup folders and Start menus, common ones first, where present.
// Folders that do not exist and shortcuts that cannot be deleted are passed
// over; nothing is reported.
#pragma once

namespace installer {

void RemoveOldShortCuts();

}  // namespace installer
