#include "ui/frm_main.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "geodesy/ellipsoid.h"
#include "state/module_state.h"
#include "text/version.h"
#include "ui/frm_adv.h"
#include "ui/frm_para_file1.h"
#include "ui/frm_printer.h"
#include "ui/message_service.h"
#include "ui/single_point.h"
#include "ui/texts.h"

namespace varno::ui {

namespace {

// Client area of the window, pixels.
constexpr int kClientWidth = 496;
constexpr int kClientHeight = 488;

constexpr double kWindowFontPt = 9.0;
constexpr double kGroupCaptionPt = 11.25;

QFont WindowFont() {
  QFont f(QString::fromUtf8(kFontPGothic));
  f.setPointSizeF(kWindowFontPt);
  return f;
}

template <typename W>
W* Named(W* w, const char* name) {
  w->setObjectName(QLatin1String(name));
  return w;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, QRect geometry,
                  const char* tip = nullptr) {
  auto* l = Named(new QLabel(Q(caption), parent), name);
  l->setTextFormat(Qt::PlainText);  // some show names read from files
  l->setGeometry(geometry);
  if (tip) l->setToolTip(Q(tip));
  return l;
}

QLineEdit* MakeBox(QWidget* parent, const char* name, const char* text, QRect geometry,
                   const char* tip) {
  auto* e = Named(new QLineEdit(Q(text), parent), name);
  e->setGeometry(geometry);
  e->setToolTip(Q(tip));
  return e;
}

// A value label drawn like a read-only box: window background, window text,
// centred.
QLabel* MakeValueLabel(QWidget* parent, const char* name, QRect geometry, const char* tip) {
  auto* l = Named(new QLabel(parent), name);
  l->setGeometry(geometry);
  l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  l->setAlignment(Qt::AlignCenter);
  l->setAutoFillBackground(true);
  QPalette p = l->palette();
  p.setColor(QPalette::Window, p.color(QPalette::Base));
  p.setColor(QPalette::WindowText, p.color(QPalette::Text));
  l->setPalette(p);
  if (tip) l->setToolTip(Q(tip));
  return l;
}

QGroupBox* MakeFrame(QWidget* parent, const char* name, const char* caption, QRect geometry) {
  auto* g = Named(new QGroupBox(Q(caption), parent), name);
  g->setGeometry(geometry);
  return g;
}

// The white and the grey line along the top edge of the client area.
class ClientArea : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setPen(Qt::white);
    p.drawLine(0, 0, width(), 0);
    p.setPen(QColor(128, 128, 128));
    p.drawLine(0, 1, width(), 1);
  }
};

}  // namespace

// ---------------------------------------------------------------------------
// FrmMain

FrmMain::FrmMain(ModuleState& state, MessageService& messages, QWidget* parent)
    : QMainWindow(parent), state_(state), messages_(messages) {
  setObjectName(QStringLiteral("frmMain"));
  setFont(WindowFont());
  BuildControls();
  BuildMenus();

  // Window load.
  setWindowTitle(
      Q(kProgramTitle) + Q(text::kCaptionVer) +
      QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision) +
      Q(text::kCaptionTail));
  FillZones();
  state_.geo.ellipsoids = geo::MakeEllipsoidTable();
  picCalc1->setVisible(true);
  ShowFramesForFormat();

  // A fixed arrangement: the window keeps the size of its client area.
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    const QRect r = s->availableGeometry();
    const QSize size = sizeHint();
    move(r.center() - QPoint(size.width() / 2, size.height() / 2));
  }
}

FrmMain::~FrmMain() = default;

void FrmMain::BuildControls() {
  auto* client = new ClientArea(this);
  client->setObjectName(QStringLiteral("client"));
  client->setFixedSize(kClientWidth, kClientHeight);
  setCentralWidget(client);

  lblParFile = MakeLabel(client, "lblParFile", text::kParFileNone, QRect(8, 6, 480, 18));

  frmData = MakeFrame(client, "frmData", text::kFrmData, QRect(8, 28, 196, 46));
  optBl = Named(new QRadioButton(Q(text::kOptBl), frmData), "optBl");
  optBl->setGeometry(10, 20, 80, 20);
  optBl->setToolTip(Q(text::kOptBlTip));
  optXy = Named(new QRadioButton(Q(text::kOptXy), frmData), "optXy");
  optXy->setGeometry(92, 20, 100, 20);
  optXy->setToolTip(Q(text::kOptXyTip));
  optXy->setChecked(true);

  cmdPrint = Named(new QPushButton(Q(text::kCmdPrint), client), "cmdPrint");
  cmdPrint->setGeometry(214, 38, 80, 30);
  cmdPrint->setToolTip(Q(text::kCmdPrintTip));
  cmdPrint->setEnabled(false);
  cmdClear = Named(new QPushButton(Q(text::kCmdClear), client), "cmdClear");
  cmdClear->setGeometry(302, 38, 88, 30);
  cmdClear->setToolTip(Q(text::kCmdClearTip));
  cmdFile = Named(new QPushButton(Q(text::kCmdFile), client), "cmdFile");
  cmdFile->setGeometry(398, 38, 90, 30);
  cmdFile->setToolTip(Q(text::kCmdFileTip));

  Label15 = MakeLabel(client, "Label15", text::kLabel15, QRect(8, 100, 110, 18));
  QPalette green = Label15->palette();
  green.setColor(QPalette::WindowText, ToQColor(colors::kDarkGreen));
  Label15->setPalette(green);
  Label17 = MakeLabel(client, "Label17", text::kLabel17, QRect(130, 80, 200, 16));
  cmbPara = Named(new QComboBox(client), "cmbPara");
  cmbPara->setEditable(true);
  cmbPara->setInsertPolicy(QComboBox::NoInsert);
  cmbPara->setGeometry(130, 97, 200, 22);
  QFont fixed(QString::fromUtf8(kFontGothic));
  fixed.setPointSizeF(kWindowFontPt);
  cmbPara->setFont(fixed);
  Label17->setFont(fixed);

  lblInputName = MakeLabel(client, "lblInputName", text::kLblInputName, QRect(8, 128, 120, 18));
  txtName = MakeBox(client, "txtName", text::kTxtName, QRect(130, 126, 200, 22), text::kTxtNameTip);

  // The two groups: latitude/longitude sub-frame, X/Y sub-frame, height row.
  BuildSide(client, true);
  BuildSide(client, false);

  // The arrow between the groups, at the lower edge of the latitude/longitude
  // sub-frames.
  picCalc1 = Named(new ArrowButton(client), "picCalc1");
  picCalc1->move(217, 156 + 24 + 70 - 24);
  picCalc1->setToolTip(Q(text::kPicCalcTip));
  picCalc1->setAccessibleName(Q(text::kPicCalcName));
  picCalc1->setAccessibleDescription(Q(text::kPicCalcTip));

  lblStatus = Named(new QLabel(client), "lblStatus");
  lblStatus->setTextFormat(Qt::PlainText);  // shows paths and names from files
  lblStatus->setGeometry(6, 402, 484, 80);
  lblStatus->setFrameStyle(QFrame::Box | QFrame::Plain);
  lblStatus->setLineWidth(1);
  lblStatus->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  lblStatus->setWordWrap(true);
  lblStatus->setAutoFillBackground(true);
  lblStatus->setMargin(2);
  SetStatusColor(colors::kLightGreen);
  SetStatusText(std::string(text::kStatusLine1) + "\r\n" + text::kStatusLine2 + "\r\n" +
                text::kStatusLine3);

  // Dark red group captions.
  setStyleSheet(QStringLiteral(
      "QGroupBox#fraTky::title, QGroupBox#fraJgd::title { color: rgb(192, 0, 0); }"));

  ConnectControls();
}

// The keyboard rules of the boxes and what each control does.
void FrmMain::ConnectControls() {
  // The ten coordinate boxes: Enter successor, latitude/longitude box or not.
  rules_ = {{
      {txtTkyx, txtTkyy, false},
      {txtTkyy, txtTkyh, false},
      {txtTkyh, picCalc1, false},
      {txtTB, txtTL, true},
      {txtTL, txtTkyh, true},
      {txtJgdx, txtJgdy, false},
      {txtJgdy, txtJgdh, false},
      {txtJgdh, picCalc1, false},
      {txtJB, txtJL, true},
      {txtJL, txtJgdh, true},
  }};
  for (const BoxRule& r : rules_) {
    r.box->installEventFilter(this);
    connect(r.box, &QLineEdit::textChanged, this, [this] { cmdPrint->setEnabled(false); });
  }
  txtName->installEventFilter(this);
  connect(cmbPara->lineEdit(), &QLineEdit::textEdited, this,
          [this] { cmdPrint->setEnabled(false); });

  connect(optBl, &QRadioButton::clicked, this, [this] {
    if (optBl->isChecked()) ShowFramesForFormat();
  });
  connect(optXy, &QRadioButton::clicked, this, [this] {
    if (optXy->isChecked()) ShowFramesForFormat();
  });
  connect(picCalc1, &ArrowButton::clicked, this, &FrmMain::Calculate);
  connect(cmdPrint, &QPushButton::clicked, this, [this] {
    emit printRequested();
    cmdPrint->setEnabled(false);
  });
  connect(cmdClear, &QPushButton::clicked, this, &FrmMain::ClearValues);
  connect(cmdFile, &QPushButton::clicked, this, &FrmMain::batchRequested);
}

// One group: the pre-earthquake (`pre`) or the post-earthquake side.
void FrmMain::BuildSide(QWidget* client, bool pre) {
  QFont caption(QString::fromUtf8(kFontPGothic));
  caption.setPointSizeF(kGroupCaptionPt);
  const QFont body = WindowFont();
  QGroupBox*& g = pre ? fraTky : fraJgd;
  g = MakeFrame(client, pre ? "fraTky" : "fraJgd", pre ? text::kFraTky : text::kFraJgd,
                QRect(pre ? 6 : 280, 156, 210, 240));
  g->setToolTip(Q(pre ? text::kFraTkyTip : text::kFraJgdTip));
  g->setFont(caption);

  QGroupBox*& bl = pre ? fraTkyBL : fraJgdBL;
  bl = MakeFrame(g, pre ? "fraTkyBL" : "fraJgdBL", text::kFraBL, QRect(6, 24, 198, 70));
  bl->setFont(body);
  (pre ? Label1 : Label3) = MakeLabel(bl, pre ? "Label1" : "Label3", text::kLblLat,
                                      QRect(8, 20, 36, 20), text::kLblLatTip);
  (pre ? txtTB : txtJB) = MakeBox(bl, pre ? "txtTB" : "txtJB", text::kExampleLat,
                                  QRect(44, 18, 146, 22), text::kExampleLatTip);
  (pre ? Label2 : Label4) = MakeLabel(bl, pre ? "Label2" : "Label4", text::kLblLon,
                                      QRect(8, 44, 36, 20), text::kLblLonTip);
  (pre ? txtTL : txtJL) = MakeBox(bl, pre ? "txtTL" : "txtJL", text::kExampleLon,
                                  QRect(44, 42, 146, 22), text::kExampleLonTip);

  QGroupBox*& xy = pre ? fraTkyxy : fraJgdxy;
  xy = MakeFrame(g, pre ? "fraTkyxy" : "fraJgdxy", pre ? text::kFraTkyxy : text::kFraJgdxy,
                 QRect(6, 96, 198, 112));
  xy->setFont(body);
  (pre ? Label5 : Label11) =
      MakeLabel(xy, pre ? "Label5" : "Label11", text::kLblX, QRect(8, 20, 20, 20), text::kLblXTip);
  (pre ? txtTkyx : txtJgdx) =
      MakeBox(xy, pre ? "txtTkyx" : "txtJgdx", text::kExampleX, QRect(30, 18, 140, 22),
              pre ? text::kExampleXTip : text::kExampleJgdXTip);
  (pre ? Label7 : Label13) =
      MakeLabel(xy, pre ? "Label7" : "Label13", text::kLblMetre, QRect(174, 20, 16, 20));
  (pre ? Label6 : Label12) =
      MakeLabel(xy, pre ? "Label6" : "Label12", text::kLblY, QRect(8, 44, 20, 20), text::kLblYTip);
  (pre ? txtTkyy : txtJgdy) =
      MakeBox(xy, pre ? "txtTkyy" : "txtJgdy", text::kExampleY, QRect(30, 42, 140, 22),
              pre ? text::kExampleYTip : text::kExampleJgdYTip);
  (pre ? Label8 : Label14) =
      MakeLabel(xy, pre ? "Label8" : "Label14", text::kLblMetre, QRect(174, 44, 16, 20));
  (pre ? Label9 : Label16) =
      MakeLabel(xy, pre ? "Label9" : "Label16", text::kLblConvergence, QRect(8, 68, 70, 18));
  (pre ? lblTkyn : lblJgdn) = MakeValueLabel(xy, pre ? "lblTkyn" : "lblJgdn",
                                             QRect(78, 66, 112, 20), text::kLblConvergenceTip);
  (pre ? Label10 : Label18) =
      MakeLabel(xy, pre ? "Label10" : "Label18", text::kLblScale, QRect(8, 90, 70, 18));
  (pre ? lblTkys : lblJgds) =
      MakeValueLabel(xy, pre ? "lblTkys" : "lblJgds", QRect(78, 88, 112, 20), nullptr);

  QLabel*& lh = pre ? Label19 : Label21;
  lh = MakeLabel(g, pre ? "Label19" : "Label21", text::kLblH, QRect(14, 212, 20, 20));
  QLineEdit*& h = pre ? txtTkyh : txtJgdh;
  h = MakeBox(g, pre ? "txtTkyh" : "txtJgdh", text::kExampleH, QRect(36, 210, 140, 22),
              text::kExampleHTip);
  QLabel*& lm = pre ? Label20 : Label22;
  lm = MakeLabel(g, pre ? "Label20" : "Label22", text::kLblMetre, QRect(180, 212, 16, 20));
  for (QWidget* w :
       {static_cast<QWidget*>(lh), static_cast<QWidget*>(h), static_cast<QWidget*>(lm)}) {
    w->setFont(body);
  }
}

void FrmMain::BuildMenus() {
  QMenuBar* bar = menuBar();
  mnuFileMain = Named(bar->addMenu(Q(text::kMnuFileMain)), "mnuFileMain");
  mnuEnd = Named(mnuFileMain->addAction(Q(text::kMnuEnd)), "mnuEnd");
  mnuSettingMain = Named(bar->addMenu(Q(text::kMnuSettingMain)), "mnuSettingMain");
  mnuAdv = Named(mnuSettingMain->addAction(Q(text::kMnuAdv)), "mnuAdv");
  mnuAdv->setCheckable(true);
  mnuClear = Named(mnuSettingMain->addAction(Q(text::kMnuClear)), "mnuClear");
  mnuPrinter = Named(mnuSettingMain->addAction(Q(text::kMnuPrinter)), "mnuPrinter");
  mnuIkkatsu = Named(bar->addAction(Q(text::kMnuIkkatsu)), "mnuIkkatsu");
  mnuView = Named(bar->addMenu(Q(text::kMnuView)), "mnuView");
  mnuMap = Named(mnuView->addAction(Q(text::kMnuMap)), "mnuMap");

  connect(mnuEnd, &QAction::triggered, this, &QWidget::close);
  connect(mnuAdv, &QAction::triggered, this, &FrmMain::ToggleAdv);
  connect(mnuClear, &QAction::triggered, this, &FrmMain::ClearValues);
  connect(mnuPrinter, &QAction::triggered, this, &FrmMain::ShowPrinterSetup);
  connect(mnuIkkatsu, &QAction::triggered, this, &FrmMain::batchRequested);
  connect(mnuMap, &QAction::triggered, this, &FrmMain::mapRequested);
}

void FrmMain::FillZones() {
  for (std::string_view item : geo::ZoneItems()) cmbPara->addItem(Q(item));
  cmbPara->setCurrentIndex(8);
  cmbPara->setEnabled(true);
}

void FrmMain::SetStatusText(std::string_view text) {
  if (text == statusUtf8_) return;
  statusUtf8_.assign(text);
  lblStatus->setText(DisplayText(text));
}

void FrmMain::SetStatusColor(Rgb color) {
  if (statusColorSet_ && color == statusColor_) return;
  statusColorSet_ = true;
  statusColor_ = color;
  SetStatusBackground(lblStatus, color);
}

void FrmMain::ShowFramesForFormat() {
  const bool bl = optBl->isChecked();
  fraTkyBL->setVisible(bl);
  fraJgdBL->setVisible(bl);
  fraTkyxy->setVisible(!bl);
  fraJgdxy->setVisible(!bl);
}

void FrmMain::ClearValues() {
  for (QLineEdit* e : {txtTB, txtTL, txtJB, txtJL, txtTkyx, txtTkyy, txtTkyh}) e->setText({});
  lblTkyn->setText({});
  lblTkys->setText({});
  for (QLineEdit* e : {txtJgdx, txtJgdy, txtJgdh}) e->setText({});
  lblJgdn->setText({});
  lblJgds->setText({});
  ShowFramesForFormat();
  txtName->setText({});
}

void FrmMain::Calculate() {
  ArrowHandler(*this);
  emit converted();
}

FrmAdv* FrmMain::frmAdv() const {
  return frmAdv_.data();
}

void FrmMain::ToggleAdv() {
  if (frmAdv_ && frmAdv_->isVisible()) {
    mnuAdv->setChecked(false);
    frmAdv_->hide();
    return;
  }
  if (!frmAdv_) {
    frmAdv_ = new FrmAdv(state_, *this);  // loaded once, a child of the window
    connect(frmAdv_, &FrmAdv::closed, this, [this] {
      picCalc1->setVisible(true);
      mnuAdv->setChecked(false);
    });
  }
  mnuAdv->setChecked(true);
  frmAdv_->show();
  frmAdv_->raise();
}

QPrinter& FrmMain::printer() {
  if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::PrinterResolution);
  return *printer_;
}

FrmPrinter* FrmMain::ShowPrinterSetup() {
  // Modal to this window but not blocking: the dialog writes its choice into
  // the printer only when it is confirmed, and deletes itself when closed.
  if (!frmPrinter_) {
    frmPrinter_ = new FrmPrinter(printer(), QPrinterInfo::availablePrinterNames(),
                                 QPrinterInfo::defaultPrinterName(), this);
    frmPrinter_->setAttribute(Qt::WA_DeleteOnClose);
  }
  frmPrinter_->open();
  return frmPrinter_.data();
}

QString FrmMain::field(Field f) const {
  return FieldWidget(f)->property("text").toString();
}

void FrmMain::SetField(Field f, const QString& text) {
  FieldWidget(f)->setProperty("text", text);
}

QWidget* FrmMain::FieldWidget(Field f) const {
  switch (f) {
    case Field::kTB:
      return txtTB;
    case Field::kTL:
      return txtTL;
    case Field::kTkyx:
      return txtTkyx;
    case Field::kTkyy:
      return txtTkyy;
    case Field::kTkyn:
      return lblTkyn;
    case Field::kTkys:
      return lblTkys;
    case Field::kTkyh:
      return txtTkyh;
    case Field::kJB:
      return txtJB;
    case Field::kJL:
      return txtJL;
    case Field::kJgdx:
      return txtJgdx;
    case Field::kJgdy:
      return txtJgdy;
    case Field::kJgdn:
      return lblJgdn;
    case Field::kJgds:
      return lblJgds;
    case Field::kJgdh:
      return txtJgdh;
    case Field::kName:
      return txtName;
  }
  return txtName;
}

void FrmMain::ShowSubFrame(FieldSide side, bool latLon) {
  const bool pre = side == FieldSide::kPre;
  (latLon ? (pre ? fraTkyBL : fraJgdBL) : (pre ? fraTkyxy : fraJgdxy))->setVisible(true);
}

bool FrmMain::latLonInput() const {
  return optBl->isChecked();
}

QString FrmMain::zoneItem() const {
  return cmbPara->currentText();
}

QStringList FrmMain::zoneItems() const {
  return ItemTexts(*cmbPara);
}

void FrmMain::SetPrintEnabled(bool enabled) {
  cmdPrint->setEnabled(enabled);
}

bool FrmMain::printEnabled() const {
  return cmdPrint->isEnabled();
}

void FrmMain::SetParFileText(const QString& text) {
  lblParFile->setText(text);
}

void FrmMain::LockZones(int zoneNo) {
  LockZoneList(*cmbPara, zoneNo);
}

const FrmMain::BoxRule* FrmMain::RuleFor(QObject* box) const {
  for (const BoxRule& r : rules_) {
    if (r.box == box) return &r;
  }
  return nullptr;
}

bool FrmMain::FilterKey(const BoxRule& rule, int code) {
  cmdPrint->setEnabled(false);
  if (code == 13) {
    rule.next->setFocus(Qt::OtherFocusReason);
    return false;
  }
  if (rule.latLon && optXy->isChecked()) {
    SetStatusColor(colors::kDarkRed);
    SetStatusText(text::kKeyNotLatLon);
    return false;
  }
  if ((code >= 45 && code <= 57) || code == 8) {
    SetStatusColor(colors::kLightYellow);
    SetStatusText(text::kKeyAccepted);
    return true;
  }
  SetStatusColor(colors::kDarkRed);
  SetStatusText(text::kKeyRejected);
  return false;
}

namespace {

// The character code a key press delivers to the filter, or -1 for keys that
// do not pass through it (navigation, function and modifier keys).
int KeyCode(const QKeyEvent& k) {
  switch (k.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return 13;
    case Qt::Key_Backspace:
      return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
    case Qt::Key_Insert:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
      return -1;
    default:
      break;
  }
  const QString t = k.text();
  if (t.isEmpty()) {
    // Ctrl with a letter yields its control character (Ctrl+V is 22).
    if ((k.modifiers() & Qt::ControlModifier) && k.key() >= Qt::Key_A && k.key() <= Qt::Key_Z) {
      return k.key() - Qt::Key_A + 1;
    }
    return -1;
  }
  int code = t.at(0).unicode();
  if ((k.modifiers() & Qt::ControlModifier) && code >= 'a' && code <= 'z') code = code - 'a' + 1;
  if ((k.modifiers() & Qt::ControlModifier) && code >= 'A' && code <= 'Z') code = code - 'A' + 1;
  return code;
}

}  // namespace

bool FrmMain::eventFilter(QObject* watched, QEvent* event) {
  if (watched == txtName) {
    if (event->type() == QEvent::KeyPress) {
      auto* k = static_cast<QKeyEvent*>(event);
      if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        (optBl->isChecked() ? txtTB : txtTkyx)->setFocus(Qt::OtherFocusReason);
        return true;
      }
    }
    return QMainWindow::eventFilter(watched, event);
  }
  const BoxRule* rule = RuleFor(watched);
  if (!rule) return QMainWindow::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::KeyPress: {
      const int code = KeyCode(*static_cast<QKeyEvent*>(event));
      if (code < 0) return false;
      return !FilterKey(*rule, code);
    }
    case QEvent::InputMethod: {
      // Text from an input method passes the same filter, character by
      // character; a composition is not shown in the box.
      auto* im = static_cast<QInputMethodEvent*>(event);
      const QString commit = im->commitString();
      if (commit.isEmpty()) return !im->preeditString().isEmpty();
      for (QChar c : commit) {
        if (!FilterKey(*rule, c.unicode())) return true;
      }
      return false;
    }
    case QEvent::FocusIn:
      rule->box->setSelection(0, std::min<int>(60, static_cast<int>(rule->box->text().size())));
      return false;
    default:
      return false;
  }
}

void FrmMain::closeEvent(QCloseEvent* event) {
  event->accept();
  emit unloaded();
}

}  // namespace varno::ui
