#pragma once
// Translation insertion: every line's text, encoded through the table, overwrites the
// ROM bytes from the line's address on, byte for character, nothing more.
#include <cstdint>

#include "workspace/Workspace.h"

// The number of the general error line for a byte that would land outside the image.
inline constexpr int kErrOutsideRom = 1101;

// `shift` is added to every line's address; 0 for the plain command. True when the
// translation went in and was committed; false after a refusal or a failure.
bool PutPerevodInRom(Workspace& ws, std::int32_t shift);
