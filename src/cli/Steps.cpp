#include "cli/Steps.h"

StepRegistry AllSteps() {
  StepRegistry registry;
  RegisterWorkspaceSteps(registry);
  RegisterTextioSteps(registry);
  RegisterIpsSteps(registry);
  RegisterProcessingSteps(registry);
  RegisterToolsSteps(registry);
  RegisterTableEditSteps(registry);
  RegisterEditorSteps(registry);
  RegisterGraphicsSteps(registry);
  RegisterCompressionSteps(registry);
  return registry;
}
