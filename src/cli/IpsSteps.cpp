#include "cli/Steps.h"
#include "ips/BpsFile.h"
#include "ips/IpsFile.h"
#include "ips/IpsFromPerevod.h"
#include "ips/IpsText.h"
#include "ips/MagicIps.h"
#include "ips/RomCompare.h"

void RegisterIpsSteps(StepRegistry& r) {
  r.add("LoadIps", LoadIps);
  r.add("ApplyIps", ApplyIps);
  r.add("SaveIpsAs", SaveIpsAs);
  r.add("GenerateIpsFromPerevod", GenerateIpsFromPerevod);
  r.add("MakeMagicIps", MakeMagicIps);
  r.add("ExtractTextFromIps", ExtractTextFromIps);
  r.add("SaveBps", SaveBps);
  r.add("GenerateBpsFromPerevod", GenerateBpsFromPerevod);
  r.add("ApplyBps", ApplyBps);
  r.add("CompareRomsToIps", StepDef{2, 2, [](Workspace& ws, const StepArgs& a) { CompareRomsToIps(ws, a[0], a[1]); }});
  r.add("CompareRomsToBps", StepDef{2, 2, [](Workspace& ws, const StepArgs& a) { CompareRomsToBps(ws, a[0], a[1]); }});
}
