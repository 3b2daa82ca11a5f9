#include "platform/spawn.h"

#include "platform/processobject.h"

namespace win {

bool Launch(const TLaunch& launch, TProcessInformation& info) {
  TProgramStart start;
  start.Program = launch.Program;
  start.Argv = launch.Argv;
  start.Environment = launch.Environment;
  start.Directory = launch.Directory;
  start.InheritHandles = launch.InheritHandles;
  start.NullStandardHandles = launch.NullStandardHandles;
  start.Change = launch.Change;
  start.Uid = launch.Ids.Uid;
  start.Gid = launch.Ids.Gid;
  start.Groups = launch.Ids.Groups;
  TStartedProgram started;
  if (!Env().StartProgram(start, started)) return false;
  info.Process = new TProcessObject(started.Pid, started.PidFd);
  info.ProcessId = static_cast<DWORD>(started.Pid);
  return true;
}

}  // namespace win
