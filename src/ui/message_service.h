// The Qt message boxes behind MessageService, the font set-up of the program
// and the small conversions between the logic's UTF-8 texts and Qt.
#pragma once

#include <QColor>
#include <QString>
#include <string>
#include <string_view>

#include "text/report.h"

class QWidget;

namespace varno::ui {

using varno::MessageIcon;
using varno::MessageService;

// QMessageBox with the given title and icon: OK only, or Yes/No.
class QtMessageService : public MessageService {
 public:
  explicit QtMessageService(QWidget* parent = nullptr) : parent_(parent) {}
  void Show(std::string_view text, std::string_view title, MessageIcon icon) override;
  bool AskYesNo(std::string_view text, std::string_view title, MessageIcon icon,
                bool defaultNo) override;

 private:
  QWidget* parent_;
};

// Maps the Windows font names the windows ask for to the IPA fonts of this
// platform ("ＭＳ 明朝" -> IPAMincho and so on). Run once, before any window.
void InstallFontSubstitutions();

// Font names used by the windows.
inline constexpr const char* kFontMincho = "ＭＳ 明朝";
inline constexpr const char* kFontPMincho = "ＭＳ Ｐ明朝";
inline constexpr const char* kFontGothic = "ＭＳ ゴシック";
inline constexpr const char* kFontPGothic = "ＭＳ Ｐゴシック";

// UTF-8 to QString.
inline QString Q(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}
inline std::string U8(const QString& s) {
  return s.toStdString();
}

// The logic's line breaks are CR (code 13) or CR LF; Qt draws LF.
QString DisplayText(std::string_view utf8);

inline QColor ToQColor(Rgb c) {
  return QColor(c.r, c.g, c.b);
}

// Black or white, whichever contrasts more with `background` (WCAG relative
// luminance): white on the dark-red status, black on the light ones.
Rgb TextColorOn(Rgb background);

// A status label's background and, with it, a readable text colour.
void SetStatusBackground(QWidget* label, Rgb background);

}  // namespace varno::ui
