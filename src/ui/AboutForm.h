#pragma once
// The about box: the version and the credits. Made once, then only hidden and shown.
#include <QDialog>

#include "workspace/Workspace.h"

class AboutForm : public QDialog {
  Q_OBJECT
 public:
  AboutForm(const Workspace& ws, QWidget* parent = nullptr);
};
