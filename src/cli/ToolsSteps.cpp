#include "cli/Steps.h"

void RegisterToolsSteps(StepRegistry&) {}
