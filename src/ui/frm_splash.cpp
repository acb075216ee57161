#include "ui/frm_splash.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

#include "text/version.h"
#include "ui/message_service.h"
#include "ui/texts.h"

namespace varno::ui {

void ClickFrame::mouseReleaseEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton) emit clicked();
  QFrame::mouseReleaseEvent(e);
}

QPixmap MakeLogo(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::white);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, true);
  const double s = size / 64.0;
  // The grid before the earthquake (grey) and after it (dark red), shifted.
  p.setPen(QPen(QColor(160, 160, 160), 1.5 * s));
  for (int i = 0; i <= 3; ++i) {
    p.drawLine(QPointF(8 * s, (8 + 12 * i) * s), QPointF(44 * s, (8 + 12 * i) * s));
    p.drawLine(QPointF((8 + 12 * i) * s, 8 * s), QPointF((8 + 12 * i) * s, 44 * s));
  }
  p.setPen(QPen(QColor(192, 0, 0), 1.5 * s));
  for (int i = 0; i <= 3; ++i) {
    p.drawLine(QPointF(20 * s, (20 + 12 * i) * s), QPointF(56 * s, (20 + 12 * i) * s));
    p.drawLine(QPointF((20 + 12 * i) * s, 20 * s), QPointF((20 + 12 * i) * s, 56 * s));
  }
  p.setPen(QPen(QColor(0, 64, 192), 3 * s, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(14 * s, 14 * s), QPointF(40 * s, 40 * s));
  p.setBrush(QColor(0, 64, 192));
  p.setPen(Qt::NoPen);
  const QPointF head[3] = {QPointF(46 * s, 46 * s), QPointF(33 * s, 41 * s),
                           QPointF(41 * s, 33 * s)};
  p.drawPolygon(head, 3);
  return pm;
}

FrmSplash::FrmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("frmSplash"));
  setFixedSize(420, 240);
  setFont(parent ? parent->font() : font());

  Frame1 = new ClickFrame(this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setGeometry(8, 8, 404, 224);
  Frame1->setFrameStyle(QFrame::Box | QFrame::Raised);
  Frame1->setToolTip(Q(text::kFrame1Tip));

  imgLogo = new QLabel(Frame1);
  imgLogo->setObjectName(QStringLiteral("imgLogo"));
  imgLogo->setGeometry(20, 24, 96, 96);
  imgLogo->setPixmap(MakeLogo(96));

  QFont title(QString::fromUtf8(kFontPMincho));
  title.setPointSizeF(21);
  lblProductName = new QLabel(Frame1);
  lblProductName->setObjectName(QStringLiteral("lblProductName"));
  lblProductName->setFont(title);
  lblProductName->setGeometry(130, 30, 264, 48);

  lblVersion = new QLabel(QStringLiteral("Ver."), Frame1);
  lblVersion->setObjectName(QStringLiteral("lblVersion"));
  lblVersion->setGeometry(130, 86, 200, 20);

  lblProduct = new QLabel(QStringLiteral("震災前成果(2000) → 震災後成果(2011)"), Frame1);
  lblProduct->setObjectName(QStringLiteral("lblProduct"));
  lblProduct->setGeometry(130, 116, 264, 20);

  lblCompany = new QLabel(QStringLiteral("VARNO"), Frame1);
  lblCompany->setObjectName(QStringLiteral("lblCompany"));
  lblCompany->setGeometry(20, 190, 370, 20);

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));

  // Load.
  lblVersion->setText(
      QStringLiteral("Ver.%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
  lblProductName->setText(Q(kProgramTitle));
  Timer1->setInterval(300);
  connect(Timer1, &QTimer::timeout, this, &FrmSplash::Tick);
  connect(Frame1, &ClickFrame::clicked, this, [this] {
    const bool before = !started_;
    close();
    if (before) {
      Timer1->stop();
      started_ = true;  // the sequence must not start any more
      emit closedBeforeStart();
    }
  });
  Timer1->start();

  if (QScreen* s = QGuiApplication::primaryScreen()) {
    const QRect r = s->availableGeometry();
    move(r.center() - QPoint(width() / 2, height() / 2));
  }
}

void FrmSplash::Tick() {
  // The sequence runs once; ticks during the modal loading window find the
  // flag already set.
  if (started_) return;
  started_ = true;
  Timer1->stop();
  emit firstTick();
}

}  // namespace varno::ui
