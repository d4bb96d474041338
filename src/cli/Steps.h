#pragma once
// The operations the batch runner can call by name.
#include <functional>
#include <map>

#include "workspace/Workspace.h"

using StepArgs = std::vector<Text>;
// What is wrong with one argument (cli/ArgChecks.h), empty when nothing is.
using ArgCheck = std::string (*)(const Text&);

struct StepDef {
  size_t minArgs = 0;
  size_t maxArgs = 0;  // SIZE_MAX: a list of any length
  std::function<void(Workspace&, const StepArgs&)> run;
  std::vector<ArgCheck> checks = {};  // by position, made before any step runs; null: anything goes
};

class StepRegistry {
 public:
  void add(const Text& name, StepDef def) { steps_[name] = std::move(def); }
  // An operation that takes no arguments.
  void add(const Text& name, void (*op)(Workspace&)) {
    add(name, StepDef{0, 0, [op](Workspace& ws, const StepArgs&) { op(ws); }});
  }
  const StepDef* find(const Text& name) const {
    auto it = steps_.find(name);
    return it == steps_.end() ? nullptr : &it->second;
  }

 private:
  std::map<Text, StepDef> steps_;
};

// Each family of operations registers its own steps.
void RegisterWorkspaceSteps(StepRegistry& registry);
void RegisterTextioSteps(StepRegistry& registry);
void RegisterIpsSteps(StepRegistry& registry);
void RegisterProcessingSteps(StepRegistry& registry);
void RegisterToolsSteps(StepRegistry& registry);
void RegisterTableEditSteps(StepRegistry& registry);
void RegisterEditorSteps(StepRegistry& registry);
void RegisterGraphicsSteps(StepRegistry& registry);
void RegisterCompressionSteps(StepRegistry& registry);

StepRegistry AllSteps();
