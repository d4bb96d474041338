#include "ui/Application.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

bool SetUpApplication(QApplication& app) {
  QApplication::setApplicationName(QStringLiteral("tarvello"));
  // No display name: Qt would append it to every window's caption. The boxes carry the
  // program's name as their own title (BoxTitle).
  QApplication::setDesktopFileName(QStringLiteral("tarvello"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvello.svg")));
  // The interface is Russian whatever the system's language.
  auto* translator = new QTranslator(&app);
  if (!translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  QApplication::installTranslator(translator);
  return true;
}
