#include "ui/message_service.h"

#include <QFont>
#include <QMessageBox>

namespace varno::ui {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kInformation:
      return QMessageBox::Information;
    case MessageIcon::kQuestion:
      return QMessageBox::Question;
    case MessageIcon::kWarning:
      return QMessageBox::Warning;
    case MessageIcon::kCritical:
      return QMessageBox::Critical;
    case MessageIcon::kNone:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

QString DisplayText(std::string_view utf8) {
  QString s = Q(utf8);
  s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

void QtMessageService::Show(std::string_view text, std::string_view title, MessageIcon icon) {
  QMessageBox box(ToQtIcon(icon), Q(title), DisplayText(text), QMessageBox::Ok, parent_);
  // Texts may name points and paths from files: never taken for markup.
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

bool QtMessageService::AskYesNo(std::string_view text, std::string_view title, MessageIcon icon,
                                bool defaultNo) {
  QMessageBox box(ToQtIcon(icon), Q(title), DisplayText(text), QMessageBox::Yes | QMessageBox::No,
                  parent_);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(defaultNo ? QMessageBox::No : QMessageBox::Yes);
  return box.exec() == QMessageBox::Yes;
}

void InstallFontSubstitutions() {
  QFont::insertSubstitution(QString::fromUtf8(kFontMincho), QStringLiteral("IPAMincho"));
  QFont::insertSubstitution(QString::fromUtf8(kFontPMincho), QStringLiteral("IPAPMincho"));
  QFont::insertSubstitution(QString::fromUtf8(kFontGothic), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QString::fromUtf8(kFontPGothic), QStringLiteral("IPAPGothic"));
}

}  // namespace varno::ui
