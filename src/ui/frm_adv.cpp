#include "ui/frm_adv.h"

#include <QAction>
#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "state/module_state.h"
#include "ui/message_service.h"
#include "ui/texts.h"

namespace varno::ui {

namespace {

QString TwoLines(const char* first, const char* second) {
  return Q(first) + QLatin1Char('\n') + Q(second);
}

}  // namespace

FrmAdv::FrmAdv(ModuleState& state, QWidget& owner) : QWidget(&owner, Qt::Dialog), state_(state) {
  setObjectName(QStringLiteral("frmAdv"));
  setWindowTitle(Q(text::kAdvCaption));
  setFont(owner.font());
  setFixedSize(360, 200);

  frm0 = new QGroupBox(Q(text::kFrm0), this);
  frm0->setObjectName(QStringLiteral("frm0"));
  frm0->setGeometry(10, 8, 340, 140);
  optR3 = new QRadioButton(TwoLines(text::kOptR3a, text::kOptR3b), frm0);
  optR3->setObjectName(QStringLiteral("optR3"));
  optR3->setGeometry(12, 20, 320, 40);
  optR = new QRadioButton(TwoLines(text::kOptRa, text::kOptRb), frm0);
  optR->setObjectName(QStringLiteral("optR"));
  optR->setGeometry(12, 62, 320, 40);
  opt3 = new QRadioButton(Q(text::kOpt3), frm0);
  opt3->setObjectName(QStringLiteral("opt3"));
  opt3->setGeometry(12, 106, 320, 24);
  optR->setChecked(true);
  state_.mode = params::ConversionMode::kGridOnly;

  cmdClose = new QPushButton(Q(text::kAdvOk), this);
  cmdClose->setObjectName(QStringLiteral("cmdClose"));
  cmdClose->setToolTip(Q(text::kAdvOkTip));
  cmdClose->setGeometry(140, 158, 80, 30);

  connect(optR3, &QRadioButton::toggled, this, [this](bool on) {
    if (on) state_.mode = params::ConversionMode::kGridThenRep;
  });
  connect(optR, &QRadioButton::toggled, this, [this](bool on) {
    if (on) state_.mode = params::ConversionMode::kGridOnly;
  });
  connect(opt3, &QRadioButton::toggled, this, [this](bool on) {
    if (on) state_.mode = params::ConversionMode::kRepOnly;
  });
  connect(cmdClose, &QPushButton::clicked, this, [this] {
    emit closed();
    hide();
  });

  Centre();
}

void FrmAdv::Centre() {
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    const QRect r = s->availableGeometry();
    move(r.center() - QPoint(width() / 2, height() / 2));
  }
}

void FrmAdv::closeEvent(QCloseEvent* event) {
  // Unloading: the next opening starts afresh, centred, with grid only.
  event->accept();
  emit closed();
  optR->setChecked(true);
  state_.mode = params::ConversionMode::kGridOnly;
  Centre();
}

}  // namespace varno::ui
