// tarvello.ini is edited by hand: any content must give normalised settings.
#include <cstddef>
#include <cstdint>

#include "workspace/Settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const Text input(reinterpret_cast<const char*>(data), size);
  NullHost host;
  Workspace ws(host);
  ApplySettingsText(ws, input);
  for (const Text* yesNo : {&ws.ExtendedLogs, &ws.UseHEXaddr, &ws.MakeBAKFiles, &ws.OverwriteOldFile,
                            &ws.SkipUnknownTRChars, &ws.IgnoreTRVocWarnings, &ws.LeaveChangesInPerevodAddr})
    if (*yesNo != "YES" && *yesNo != "NO") __builtin_trap();
  // The key searched for may itself be anything.
  const size_t cut = size / 3;
  const Text value = GetSettingValue(input.substr(cut), input.substr(0, cut));
  if (value.size() > size) __builtin_trap();
  return 0;
}
