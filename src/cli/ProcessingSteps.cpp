#include "cli/Steps.h"

void RegisterProcessingSteps(StepRegistry&) {}
