#pragma once
// A patch built from the translation: one data record per line, its text encoded
// through the table at the line's own address.
#include "workspace/Workspace.h"

void GenerateIpsFromPerevod(Workspace& ws);
