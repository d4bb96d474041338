#include "cli/Steps.h"

void RegisterIpsSteps(StepRegistry&) {}
