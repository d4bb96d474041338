#include "cli/Steps.h"
#include "workspace/CharTable.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Perevod.h"
#include "workspace/Rom.h"
#include "workspace/Settings.h"

void RegisterWorkspaceSteps(StepRegistry& r) {
  r.add("LoadRom", LoadRom);
  r.add("SaveRom", SaveRom);
  r.add("LoadTable", LoadTable);
  r.add("SaveTable", SaveTable);
  r.add("LoadPerevod", LoadPerevod);
  r.add("SavePerevod", SavePerevod);
  r.add("SavePerevodTextOnly", SavePerevodTextOnly);
  r.add("ReadSettings", [](Workspace& ws) {
    ReadSettings(ws);
    ApplyStartupDefaults(ws, CurrentDirectory());
  });
  r.add("WriteSettings", WriteSettings);
  r.add("SaveLogFile", SaveLogFile);
}
