#include "ui/frm_format.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "ui/dialog_texts.h"
#include "ui/format_texts.h"
#include "ui/message_service.h"

namespace varno::ui {

namespace {

QLabel* GreyLabel(const char* text, QWidget* parent) {
  auto* label = new QLabel(Q(text), parent);
  label->setAutoFillBackground(true);
  QPalette pal = label->palette();
  pal.setColor(QPalette::Window, ToQColor(colors::kGrey));
  label->setPalette(pal);
  return label;
}

QPlainTextEdit* HelpBox(const char* text, int lines, QWidget* parent) {
  auto* box = new QPlainTextEdit(parent);
  box->setReadOnly(true);
  box->setLineWrapMode(QPlainTextEdit::NoWrap);
  box->setFont(QFont(QString::fromUtf8(kFontMincho), 10));
  box->setPlainText(Q(text));
  const int lineHeight = box->fontMetrics().lineSpacing();
  box->setMinimumHeight(lineHeight * lines + 12);
  box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 76);
  return box;
}

}  // namespace

FrmFormat::FrmFormat(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmFormat"));
  setWindowTitle(Q(dtext::kFrmFormat));
  setModal(false);

  lblDai = GreyLabel(dtext::kLblDai, this);
  QFont heading = lblDai->font();
  heading.setPointSizeF(heading.pointSizeF() * 1.2);
  heading.setBold(true);
  lblDai->setFont(heading);
  Label1 = GreyLabel(dtext::kFormatLabel1, this);
  Text1 = HelpBox(dtext::kFormatText1, 12, this);
  Label2 = GreyLabel(dtext::kFormatLabel2, this);
  Text2 = HelpBox(dtext::kFormatText2, 10, this);
  Label4 = GreyLabel(dtext::kFormatLabel4, this);
  Text4 = HelpBox(dtext::kFormatText4, 8, this);
  Label3 = GreyLabel(dtext::kFormatLabel3, this);
  Text3 = HelpBox(dtext::kFormatText3, 5, this);
  cmdClose = new QPushButton(Q(dtext::kCmdClose), this);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblDai);
  layout->addWidget(Label1);
  layout->addWidget(Text1, 3);
  layout->addWidget(Label2);
  layout->addWidget(Text2, 3);
  layout->addWidget(Label4);
  layout->addWidget(Text4, 3);
  layout->addWidget(Label3);
  layout->addWidget(Text3, 1);
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(cmdClose);
  layout->addLayout(row);

  // Every control is found by its name.
  const std::pair<QWidget*, const char*> named[] = {
      {lblDai, "lblDai"}, {Label1, "Label1"},    {Text1, "Text1"}, {Label2, "Label2"},
      {Text2, "Text2"},   {Label4, "Label4"},    {Text4, "Text4"}, {Label3, "Label3"},
      {Text3, "Text3"},   {cmdClose, "cmdClose"}};
  for (const auto& [w, name] : named) w->setObjectName(QLatin1String(name));

  connect(cmdClose, &QPushButton::clicked, this, &QWidget::hide);
}

void FrmFormat::ShowModeless() {
  show();
  raise();
  activateWindow();
}

}  // namespace varno::ui
