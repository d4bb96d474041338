#pragma once
// "Исправить контрольные суммы заголовка": the header checksums made right in the image.
#include "workspace/Workspace.h"

// False when refused (no ROM) or failed; an image without a known header, or with
// right checksums, is reported and left as it is.
bool FixHeaderChecksums(Workspace& ws);
