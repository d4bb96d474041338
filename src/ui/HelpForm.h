#pragma once
// The user's guide: the rich-text help file named by HelpFileName, shown beside the
// main window. Closing it discards it; the next opening reads the file again.
#include <QWidget>

#include "workspace/Workspace.h"

class QPushButton;
class QTextBrowser;

class HelpForm : public QWidget {
  Q_OBJECT
 public:
  HelpForm(Workspace& ws, QWidget* parent = nullptr);
  // False when the file is missing or unreadable; the user has been told why.
  bool loadHelpFile();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  Workspace& ws_;
  QTextBrowser* helpText_;
  QPushButton* closeButton_;
};
