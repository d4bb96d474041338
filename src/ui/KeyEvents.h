#pragma once
// Qt's key events as the editor's key table names them (editor/KeyCodes.h).
class QKeyEvent;

// The virtual-key number of the key; a character key by the physical key that carries
// it, so that the Ctrl keys work in the Russian layout too. 0 for a key without one.
int VirtualKey(const QKeyEvent& e);
// 1 Shift, 2 Ctrl, 4 Alt, added together.
int ModifierValue(const QKeyEvent& e);
