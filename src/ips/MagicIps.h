#pragma once
// Magic IPS: the whole ROM as a patch of equal pieces, so that applying it to any file
// of the ROM's length gives the ROM itself.
#include "workspace/Workspace.h"

void MakeMagicIps(Workspace& ws);
