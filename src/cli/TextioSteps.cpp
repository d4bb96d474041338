#include "cli/Steps.h"

void RegisterTextioSteps(StepRegistry&) {}
