#include "cli/Runner.h"

#include <climits>
#include <ostream>
#include <variant>

#include "cli/ConsoleHost.h"
#include "cli/Steps.h"
#include "workspace/CharTable.h"
#include "workspace/Files.h"
#include "workspace/Log.h"
#include "workspace/Settings.h"

namespace {

const char kUsage[] =
    "usage: tarvello-cli [--strict] [--ini FILE] [--set KEY=VALUE]... [--answer yes|no|ok|cancel]... "
    "[--input TEXT]... [--file PATH]... STEP...\n"
    "       STEP = OperationName[:ARG[,ARG]...]\n";

struct Step {
  const StepDef* def;
  StepArgs args;
  std::string written;  // as given on the command line, for the [FAIL] line
};
struct Option {
  std::string name;
  Text value;
};
using Item = std::variant<Step, Option>;

struct UsageError {
  std::string what;
};

// Arguments are the program's own text as they stand. Bytes that are no UTF-8 stay too:
// they can only be a file's name, which must keep reaching the file.
Text ToText(const std::string& utf8) {
  return utf8;
}

StepArgs SplitArgs(const Text& list) {
  StepArgs args;
  size_t start = 0;
  for (;;) {
    const size_t comma = list.find(',', start);
    args.push_back(list.substr(start, comma == Text::npos ? Text::npos : comma - start));
    if (comma == Text::npos) return args;
    start = comma + 1;
  }
}

Step ParseStep(const StepRegistry& registry, const std::string& token) {
  const Text text = ToText(token);
  const size_t colon = text.find(':');
  const Text name = text.substr(0, colon);
  const StepDef* def = registry.find(name);
  if (!def) throw UsageError{"unknown step: " + token};
  StepArgs args = colon == Text::npos ? StepArgs{} : SplitArgs(text.substr(colon + 1));
  if (args.size() < def->minArgs || args.size() > def->maxArgs) throw UsageError{"wrong number of arguments: " + token};
  for (size_t i = 0; i < args.size() && i < def->checks.size(); ++i)
    if (def->checks[i])
      if (const std::string bad = def->checks[i](args[i]); !bad.empty())
        throw UsageError{"bad argument in " + token + ": " + bad};
  return Step{def, std::move(args), token};
}

struct Batch {
  std::vector<Item> items;
  bool strict = false;
};

Text Absolute(const Text& name) {
  if (!name.empty() && name.front() == kPathSeparator) return name;
  return JoinPath(CurrentDirectory(), name);
}

Batch Parse(const StepRegistry& registry, const std::vector<std::string>& args) {
  Batch batch;
  auto& items = batch.items;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--strict") {
      batch.strict = true;
      continue;
    }
    if (a.rfind("--", 0) != 0) {
      items.emplace_back(ParseStep(registry, a));
      continue;
    }
    if (a != "--ini" && a != "--set" && a != "--answer" && a != "--input" && a != "--file")
      throw UsageError{"unknown option: " + a};
    if (i + 1 >= args.size()) throw UsageError{"missing value after " + a};
    Text value = ToText(args[++i]);
    if (a == "--answer" && value != "yes" && value != "no" && value != "ok" && value != "cancel")
      throw UsageError{"--answer takes yes, no, ok or cancel"};
    if (a == "--set" && value.find('=') == Text::npos) throw UsageError{"--set takes KEY=VALUE"};
    // Reading settings would create a missing file empty and run on the defaults: a
    // misspelt name must stop the run before anything is done or made.
    if (a == "--ini" && !FileExists(Absolute(value))) throw UsageError{"settings file not found: " + args[i]};
    items.emplace_back(Option{a, std::move(value)});
  }
  return batch;
}

void SetField(Workspace& ws, const Text& assignment) {
  const size_t eq = assignment.find('=');
  const Text key = assignment.substr(0, eq);
  const Text value = assignment.substr(eq + 1);
  if (SetSetting(ws, key, value)) {
    // As the Options item does: a loaded table is read again in the mode now set.
    if (key == "ExtendedTables") SetExtendedTables(ws, ws.ExtendedTables == "YES");
    return;
  }
  if (key == "SettingsFilePath")
    ws.SettingsFilePath = value;
  else if (key == "GenTableFileName")
    ws.GenTableFileName = value;
  else
    throw UsageError{"unknown key: " + key};
}

void Apply(Workspace& ws, ConsoleHost& host, const Option& o) {
  if (o.name == "--ini") {
    ws.SettingsFilePath = Absolute(o.value);
    ReadSettings(ws);
    ApplyStartupDefaults(ws, CurrentDirectory());
  } else if (o.name == "--set") {
    SetField(ws, o.value);
  } else if (o.name == "--answer") {
    host.answers.push_back(o.value);
  } else if (o.name == "--input") {
    host.inputs.push_back(o.value);
  } else {
    host.files.push_back(Absolute(o.value));
  }
}

// Unknown keys are usage errors too, found before any step runs.
void CheckKeys(const std::vector<Item>& items) {
  NullHost quiet;
  Workspace scratch(quiet);
  for (const auto& item : items)
    if (auto* o = std::get_if<Option>(&item); o && o->name == "--set") SetField(scratch, o->value);
}

// True when the step did its work.
bool RunStep(Workspace& ws, const Step& step) {
  // Operations report their own failures; this only keeps a fault that escapes one from
  // ending the whole run, as the workbench keeps running after it.
  return WasDone(ws, [&] {
    try {
      step.def->run(ws, step.args);
    } catch (...) {
      LogOperationError(ws);
    }
  });
}

}  // namespace

int RunBatch(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  const StepRegistry registry = AllSteps();
  ConsoleHost host(out);
  Batch batch;
  try {
    batch = Parse(registry, args);
    CheckKeys(batch.items);
  } catch (const UsageError& e) {
    err << "tarvello-cli: " << e.what << '\n' << kUsage;
    return 2;
  }
  Workspace ws(host);
  InitWorkspace(ws, CurrentDirectory());
  for (const auto& item : batch.items) {
    if (auto* step = std::get_if<Step>(&item)) {
      if (!RunStep(ws, *step) && batch.strict) {
        out << "[FAIL] " << step->written << '\n' << std::flush;
        return 1;
      }
    } else {
      Apply(ws, host, std::get<Option>(item));
    }
    out.flush();
  }
  return host.failures > 0 ? 1 : 0;
}
