#include "ui/desktop.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "text/version.h"
#include "ui/message_service.h"

namespace varno::ui {

void SetApplicationIdentity() {
  QCoreApplication::setApplicationName(QStringLiteral("varno"));
  QCoreApplication::setApplicationVersion(Q(kVersionText));
  QGuiApplication::setDesktopFileName(QStringLiteral("varno"));
}

bool InstallQtJapanese(QTranslator& translator) {
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  if (!translator.load(japanese, QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    return false;
  }
  if (!QCoreApplication::installTranslator(&translator)) return false;
  // Dates and sizes in the file dialogs, paper units in the printer dialogs.
  QLocale::setDefault(japanese);
  return true;
}

}  // namespace varno::ui
