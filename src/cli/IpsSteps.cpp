#include "cli/Steps.h"
#include "ips/IpsFile.h"
#include "ips/IpsFromPerevod.h"
#include "ips/IpsText.h"
#include "ips/MagicIps.h"

void RegisterIpsSteps(StepRegistry& r) {
  r.add("LoadIps", LoadIps);
  r.add("ApplyIps", ApplyIps);
  r.add("SaveIpsAs", SaveIpsAs);
  r.add("GenerateIpsFromPerevod", GenerateIpsFromPerevod);
  r.add("MakeMagicIps", MakeMagicIps);
  r.add("ExtractTextFromIps", ExtractTextFromIps);
}
