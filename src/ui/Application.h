#pragma once
// The program's face towards the desktop: its name and icon, and Qt's own texts
// (standard buttons, the file and font dialogs) in Russian, like the rest of the interface.
class QApplication;

// False when Qt's Russian translation could not be loaded (the texts stay English).
bool SetUpApplication(QApplication& app);
