#include "ui/message_service.h"

#include <QFont>
#include <QMessageBox>
#include <QWidget>
#include <cmath>

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

Rgb TextColorOn(Rgb background) {
  auto linear = [](uint8_t v) {
    const double c = v / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const double lum =
      0.2126 * linear(background.r) + 0.7152 * linear(background.g) + 0.0722 * linear(background.b);
  // Contrast with white, 1.05 / (lum + 0.05), beats contrast with black,
  // (lum + 0.05) / 0.05, below lum = sqrt(1.05 * 0.05) - 0.05.
  constexpr Rgb kBlack{0, 0, 0}, kWhite{255, 255, 255};
  return (lum + 0.05) * (lum + 0.05) < 1.05 * 0.05 ? kWhite : kBlack;
}

void SetStatusBackground(QWidget* label, Rgb background) {
  label->setAutoFillBackground(true);
  QPalette p = label->palette();
  p.setColor(QPalette::Window, ToQColor(background));
  p.setColor(QPalette::WindowText, ToQColor(TextColorOn(background)));
  label->setPalette(p);
}

void InstallFontSubstitutions() {
  QFont::insertSubstitution(QString::fromUtf8(kFontMincho), QStringLiteral("IPAMincho"));
  QFont::insertSubstitution(QString::fromUtf8(kFontPMincho), QStringLiteral("IPAPMincho"));
  QFont::insertSubstitution(QString::fromUtf8(kFontGothic), QStringLiteral("IPAGothic"));
  QFont::insertSubstitution(QString::fromUtf8(kFontPGothic), QStringLiteral("IPAPGothic"));
}

}  // namespace varno::ui
