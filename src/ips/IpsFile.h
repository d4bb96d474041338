#pragma once
// The patch in memory: loading it from a file, applying it to the ROM, saving it.
#include "workspace/Dialogs.h"
#include "workspace/Workspace.h"

// The file dialogs' filter for patches (a UTF-8 literal: pass it through W()).
inline constexpr char kIpsFilter[] = "Patch файл (*.ips)|*.ips|Все файлы (*.*)|*.*";

void LoadIps(Workspace& ws);
void ApplyIps(Workspace& ws);
void SaveIpsAs(Workspace& ws);

// A patch file written whole (temporary file, rename; no backup) to `name`, asked for with
// a save dialog when empty. `kind` ("IPS", "BPS") names it in the log. True when written.
bool SavePatchFile(Workspace& ws, Text& name, const Text& title, const Text& filter, const Text& kind,
                   std::string_view bytes);

// A refusal: the message box (OK) and the same line in the log.
void IpsRefusal(Workspace& ws, const Text& text);
// The checks every reader of IpsImage makes before its scan: not empty, and "PATCH" first.
bool CheckIpsImage(Workspace& ws);
// The log line for a patch whose last record lacks bytes.
Text IpsCutShortWarning();

// ProgressBar1 over a scan of `length` steps, moved at most a few hundred times, so a
// patch of many small records does not spend its time repainting the bar.
class IpsProgress {
 public:
  IpsProgress(Workspace& ws, size_t length);
  void at(size_t position) {
    if (position >= next_) move(position);
  }

 private:
  void move(size_t position);

  Progress bar_;
  size_t step_;
  size_t next_ = 0;
};
