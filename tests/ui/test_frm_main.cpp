// The main window: start state, keyboard filter, Enter chain, input-format
// switch, ClearValues, the print button's rules, the menus and frmAdv.
#include <gtest/gtest.h>

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "text/version.h"
#include "ui/frm_adv.h"
#include "ui/frm_main.h"
#include "ui/message_service.h"
#include "ui/texts.h"
#include "ui_test_support.h"
#include "window_controls.h"

namespace varno::ui {
namespace {

using testing::Ctl;
using testing::GridFile;
using testing::RecordingMessages;

class FrmMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(grid.ok());
    testing::LoadStore(state, grid.path());
    w = std::make_unique<FrmMain>(state, messages);
    Ctl(*w).cmbPara->setEnabled(false);
    w->show();
    QApplication::setActiveWindow(w.get());
  }
  // Visible within the window (the window itself may be offscreen).
  bool Shown(QWidget* c) const { return c->isVisibleTo(w.get()); }

  GridFile grid;
  ModuleState state;
  RecordingMessages messages;
  std::unique_ptr<FrmMain> w;
};

TEST_F(FrmMainTest, StartState) {
  EXPECT_EQ(w->windowTitle(), QString::fromUtf8("座標変換プログラム    Ver.1.0.0     Veltra区"));
  EXPECT_TRUE(Ctl(*w).optXy->isChecked());
  EXPECT_FALSE(Ctl(*w).optBl->isChecked());
  EXPECT_TRUE(Shown(Ctl(*w).fraTkyxy));
  EXPECT_TRUE(Shown(Ctl(*w).fraJgdxy));
  EXPECT_FALSE(Shown(Ctl(*w).fraTkyBL));
  EXPECT_FALSE(Shown(Ctl(*w).fraJgdBL));
  EXPECT_TRUE(Shown(Ctl(*w).picCalc1));
  EXPECT_FALSE(Ctl(*w).cmdPrint->isEnabled());
  EXPECT_EQ(Ctl(*w).cmbPara->count(), 19);
  EXPECT_EQ(Ctl(*w).cmbPara->currentIndex(), 8);
  EXPECT_EQ(Ctl(*w).cmbPara->currentText(), QStringLiteral(" 9  360000.  1395000."));
  const std::pair<QLineEdit*, const char*> examples[] = {
      {Ctl(*w).txtTB, "360503.954"},    {Ctl(*w).txtTL, "1365802.392"},
      {Ctl(*w).txtJB, "360503.954"},    {Ctl(*w).txtJL, "1365802.392"},
      {Ctl(*w).txtTkyx, "193524.0771"}, {Ctl(*w).txtTkyy, "34235.1330"},
      {Ctl(*w).txtJgdx, "193524.0771"}, {Ctl(*w).txtJgdy, "34235.1330"},
      {Ctl(*w).txtTkyh, "123.4560"},    {Ctl(*w).txtJgdh, "123.4560"}};
  for (const auto& [box, text] : examples) EXPECT_EQ(box->text(), QString::fromLatin1(text));
  EXPECT_EQ(Ctl(*w).txtName->text(), QStringLiteral("No Name"));
  EXPECT_EQ(w->statusText(), std::string(text::kStatusLine1) + "\r\n" + text::kStatusLine2 +
                                 "\r\n" + text::kStatusLine3);
  EXPECT_EQ(w->statusColor(), colors::kLightGreen);
  EXPECT_EQ(Ctl(*w).lblStatus->palette().color(QPalette::Window), QColor(192, 255, 192));
  // Every control is found by its name.
  for (const char* name : {"txtTB", "lblJgds", "picCalc1", "cmbPara", "lblParFile", "fraTkyxy"}) {
    EXPECT_NE(w->findChild<QWidget*>(QLatin1String(name)), nullptr) << name;
  }
  // The menus: two menus, the batch command on the bar itself, and the view
  // menu with the parameter-range picture.
  const QList<QAction*> bar = w->menuBar()->actions();
  ASSERT_EQ(bar.size(), 4);
  EXPECT_EQ(bar[3]->menu(), Ctl(*w).mnuView);
  EXPECT_EQ(Ctl(*w).mnuView->actions(), (QList<QAction*>{Ctl(*w).mnuMap}));
  EXPECT_EQ(bar[0]->text(), QString::fromUtf8("プログラム"));
  EXPECT_EQ(bar[1]->text(), QString::fromUtf8("設定"));
  EXPECT_EQ(bar[2], Ctl(*w).mnuIkkatsu);
  EXPECT_EQ(Ctl(*w).mnuIkkatsu->menu(), nullptr);
  EXPECT_EQ(Ctl(*w).mnuSettingMain->actions(),
            (QList<QAction*>{Ctl(*w).mnuAdv, Ctl(*w).mnuClear, Ctl(*w).mnuPrinter}));
}

struct KeyCase {
  const char* box;
  bool latLonInput;  // optBl selected
  Qt::Key key;
  char ch;  // 0: no text
  Qt::KeyboardModifiers mods;
  bool accepted;  // the box text changes
  const char* status;
  Rgb color;
};

TEST_F(FrmMainTest, KeyboardFilter) {
  const KeyCase cases[] = {
      {"txtTB", false, Qt::Key_5, '5', {}, false, text::kKeyNotLatLon, colors::kDarkRed},
      {"txtJL", false, Qt::Key_Backspace, 0, {}, false, text::kKeyNotLatLon, colors::kDarkRed},
      {"txtTB", true, Qt::Key_5, '5', {}, true, text::kKeyAccepted, colors::kLightYellow},
      {"txtTkyx", false, Qt::Key_A, 'a', {}, false, text::kKeyRejected, colors::kDarkRed},
      {"txtTkyx", false, Qt::Key_Slash, '/', {}, true, text::kKeyAccepted, colors::kLightYellow},
      {"txtTkyx", true, Qt::Key_Minus, '-', {}, true, text::kKeyAccepted, colors::kLightYellow},
      // The edges of the accepted range: '.' and '9' in, ',' and ':' out.
      {"txtTkyx", false, Qt::Key_Period, '.', {}, true, text::kKeyAccepted, colors::kLightYellow},
      {"txtTkyx", false, Qt::Key_9, '9', {}, true, text::kKeyAccepted, colors::kLightYellow},
      {"txtTkyx", false, Qt::Key_Comma, ',', {}, false, text::kKeyRejected, colors::kDarkRed},
      {"txtTkyx", false, Qt::Key_Colon, ':', {}, false, text::kKeyRejected, colors::kDarkRed},
      {"txtJgdh", false, Qt::Key_Space, ' ', {}, false, text::kKeyRejected, colors::kDarkRed},
      {"txtTkyy", false, Qt::Key_Backspace, 0, {}, true, text::kKeyAccepted, colors::kLightYellow},
      {"txtTkyy", false, Qt::Key_V, 'v', Qt::ControlModifier, false, text::kKeyRejected,
       colors::kDarkRed},
  };
  QApplication::clipboard()->setText(QStringLiteral("999"));
  for (const KeyCase& c : cases) {
    SCOPED_TRACE(std::string(c.box) + " key " + std::to_string(c.key));
    (c.latLonInput ? Ctl(*w).optBl : Ctl(*w).optXy)->click();
    w->SetStatusText("");
    w->SetStatusColor(colors::kLightGreen);
    auto* box = w->findChild<QLineEdit*>(QLatin1String(c.box));
    ASSERT_NE(box, nullptr);
    box->setFocus();
    box->setText(QStringLiteral("12"));
    box->setCursorPosition(2);
    Ctl(*w).cmdPrint->setEnabled(true);
    if (c.ch) {
      QTest::keyClick(box, c.ch, c.mods);
    } else {
      QTest::keyClick(box, c.key, c.mods);
    }
    EXPECT_EQ(box->text() != QStringLiteral("12"), c.accepted) << box->text().toStdString();
    EXPECT_EQ(w->statusText(), c.status);
    EXPECT_EQ(w->statusColor(), c.color);
    // The background as given, the text readable on it: white on dark red.
    const QPalette p = Ctl(*w).lblStatus->palette();
    EXPECT_EQ(p.color(QPalette::Window), ToQColor(c.color));
    EXPECT_EQ(p.color(QPalette::WindowText),
              c.color == colors::kDarkRed ? QColor(Qt::white) : QColor(Qt::black));
    EXPECT_FALSE(Ctl(*w).cmdPrint->isEnabled());
  }
  // Navigation keys do not pass through the filter.
  w->SetStatusText("x");
  QTest::keyClick(Ctl(*w).txtTkyx, Qt::Key_Left);
  QTest::keyClick(Ctl(*w).txtTkyx, Qt::Key_Delete);
  EXPECT_EQ(w->statusText(), "x");
}

TEST_F(FrmMainTest, InputMethodTextIsFilteredLikeKeys) {
  auto commit = [](QLineEdit* box, const QString& s) {
    QInputMethodEvent e;
    e.setCommitString(s);
    QApplication::sendEvent(box, &e);
  };
  Ctl(*w).txtTkyx->setText(QStringLiteral("1"));
  commit(Ctl(*w).txtTkyx, QString::fromUtf8("５"));  // full-width digit
  EXPECT_EQ(Ctl(*w).txtTkyx->text(), QStringLiteral("1"));
  EXPECT_EQ(w->statusText(), text::kKeyRejected);
  EXPECT_EQ(w->statusColor(), colors::kDarkRed);

  commit(Ctl(*w).txtTB, QStringLiteral("5"));  // a latitude box in X/Y input
  EXPECT_EQ(w->statusText(), text::kKeyNotLatLon);
  EXPECT_EQ(Ctl(*w).txtTB->text(), QStringLiteral("360503.954"));

  Ctl(*w).txtTkyx->setCursorPosition(1);
  commit(Ctl(*w).txtTkyx, QStringLiteral("5"));
  EXPECT_EQ(Ctl(*w).txtTkyx->text(), QStringLiteral("15"));
  EXPECT_EQ(w->statusText(), text::kKeyAccepted);

  // A composition in progress is not shown in the box.
  QInputMethodEvent pre(QString::fromUtf8("あ"), {});
  QApplication::sendEvent(Ctl(*w).txtTkyy, &pre);
  EXPECT_EQ(Ctl(*w).txtTkyy->text(), QStringLiteral("34235.1330"));
}

TEST_F(FrmMainTest, EnterChainsAndSelectionOnFocus) {
  auto chain = [&](std::vector<QWidget*> path) {
    path.front()->setFocus();
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
      EXPECT_EQ(QApplication::focusWidget(), path[i + 1])
          << "after " << path[i]->objectName().toStdString();
    }
  };
  chain({Ctl(*w).txtName, Ctl(*w).txtTkyx, Ctl(*w).txtTkyy, Ctl(*w).txtTkyh, Ctl(*w).picCalc1});
  chain({Ctl(*w).txtJgdx, Ctl(*w).txtJgdy, Ctl(*w).txtJgdh, Ctl(*w).picCalc1});
  // In X/Y input the latitude box still passes Enter on.
  chain({Ctl(*w).txtTB, Ctl(*w).txtTL, Ctl(*w).txtTkyh});
  chain({Ctl(*w).txtJB, Ctl(*w).txtJL, Ctl(*w).txtJgdh});
  Ctl(*w).optBl->click();
  chain({Ctl(*w).txtName, Ctl(*w).txtTB, Ctl(*w).txtTL, Ctl(*w).txtTkyh, Ctl(*w).picCalc1});
  // The box that receives the focus has its text selected.
  Ctl(*w).txtTB->setFocus();
  QTest::keyClick(Ctl(*w).txtTB, Qt::Key_Return);
  EXPECT_EQ(Ctl(*w).txtTL->selectedText(), Ctl(*w).txtTL->text());
  // Enter on the arrow converts, like a click.
  Ctl(*w).optXy->click();
  Ctl(*w).picCalc1->setFocus();
  QTest::keyClick(Ctl(*w).picCalc1, Qt::Key_Return);
  EXPECT_TRUE(Ctl(*w).cmdPrint->isEnabled());
  EXPECT_NE(Ctl(*w).txtJgdx->text(), QStringLiteral("193524.0771"));
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(FrmMainTest, FormatSwitchKeepsTexts) {
  w->Calculate();
  EXPECT_TRUE(Shown(Ctl(*w).fraTkyBL) && Shown(Ctl(*w).fraJgdBL) && Shown(Ctl(*w).fraTkyxy));
  const QString lat = Ctl(*w).txtJB->text();
  Ctl(*w).optBl->click();
  EXPECT_FALSE(Shown(Ctl(*w).fraTkyxy));
  EXPECT_FALSE(Shown(Ctl(*w).fraJgdxy));
  EXPECT_TRUE(Shown(Ctl(*w).fraJgdBL));
  Ctl(*w).optXy->click();
  EXPECT_TRUE(Shown(Ctl(*w).fraJgdxy));
  EXPECT_FALSE(Shown(Ctl(*w).fraJgdBL));
  EXPECT_EQ(Ctl(*w).txtJB->text(), lat);
  EXPECT_EQ(Ctl(*w).txtTkyx->text(), QStringLiteral("193524.0771"));
}

TEST_F(FrmMainTest, ClearValuesAndPrintButtonRules) {
  w->Calculate();
  ASSERT_TRUE(Ctl(*w).cmdPrint->isEnabled());
  QTest::keyClicks(Ctl(*w).txtName, "abc");  // the name does not count
  EXPECT_TRUE(Ctl(*w).cmdPrint->isEnabled());
  Ctl(*w).txtJgdh->setText(QStringLiteral("1"));  // a program change does
  EXPECT_FALSE(Ctl(*w).cmdPrint->isEnabled());

  w->Calculate();
  const std::string status = w->statusText();
  Ctl(*w).cmdClear->click();
  for (QLineEdit* e : {Ctl(*w).txtTB, Ctl(*w).txtTL, Ctl(*w).txtJB, Ctl(*w).txtJL, Ctl(*w).txtTkyx,
                       Ctl(*w).txtTkyy, Ctl(*w).txtTkyh, Ctl(*w).txtJgdx, Ctl(*w).txtJgdy,
                       Ctl(*w).txtJgdh, Ctl(*w).txtName}) {
    EXPECT_TRUE(e->text().isEmpty()) << e->objectName().toStdString();
  }
  for (QLabel* l : {Ctl(*w).lblTkyn, Ctl(*w).lblTkys, Ctl(*w).lblJgdn, Ctl(*w).lblJgds})
    EXPECT_TRUE(l->text().isEmpty());
  EXPECT_FALSE(Shown(Ctl(*w).fraTkyBL));
  EXPECT_EQ(w->statusText(), status);
  EXPECT_EQ(Ctl(*w).cmbPara->currentIndex(), 8);
  EXPECT_FALSE(Ctl(*w).cmdPrint->isEnabled());

  // Typing in the zone list's edit field disables it; choosing an item
  // from the program does not count as typing.
  Ctl(*w).cmbPara->setEnabled(true);
  w->Calculate();
  ASSERT_TRUE(Ctl(*w).cmdPrint->isEnabled());
  Ctl(*w).cmbPara->setCurrentIndex(8);
  EXPECT_TRUE(Ctl(*w).cmdPrint->isEnabled());
  QTest::keyClick(Ctl(*w).cmbPara->lineEdit(), Qt::Key_End);
  QTest::keyClick(Ctl(*w).cmbPara->lineEdit(), ' ');
  EXPECT_FALSE(Ctl(*w).cmdPrint->isEnabled());

  // cmdPrint runs the print hook and is disabled afterwards.
  int printed = 0;
  QObject::connect(w.get(), &FrmMain::printRequested, [&] { ++printed; });
  Ctl(*w).cmdPrint->setEnabled(true);
  Ctl(*w).cmdPrint->click();
  EXPECT_EQ(printed, 1);
  EXPECT_FALSE(Ctl(*w).cmdPrint->isEnabled());

  // Batch button and menu command open the batch dialog.
  int batch = 0;
  QObject::connect(w.get(), &FrmMain::batchRequested, [&] { ++batch; });
  Ctl(*w).cmdFile->click();
  Ctl(*w).mnuIkkatsu->trigger();
  EXPECT_EQ(batch, 2);
}

TEST_F(FrmMainTest, ConversionMethodDialog) {
  EXPECT_EQ(state.mode, params::ConversionMode::kGridOnly);
  Ctl(*w).mnuAdv->trigger();
  FrmAdv* adv = w->frmAdv();
  ASSERT_NE(adv, nullptr);
  EXPECT_TRUE(adv->isVisible());
  EXPECT_FALSE(adv->isModal());
  EXPECT_TRUE(Ctl(*w).mnuAdv->isChecked());
  EXPECT_TRUE(testing::Named<QRadioButton>(*adv, "optR")->isChecked());
  EXPECT_EQ(adv->windowTitle(), QString::fromUtf8("変換方法の変更"));
  Ctl(*w).mnuAdv->trigger();  // the second time hides it
  EXPECT_FALSE(adv->isVisible());
  EXPECT_FALSE(Ctl(*w).mnuAdv->isChecked());

  Ctl(*w).mnuAdv->trigger();
  testing::Named<QRadioButton>(*adv, "opt3")->click();
  EXPECT_EQ(state.mode, params::ConversionMode::kRepOnly);
  testing::Named<QRadioButton>(*adv, "optR3")->click();
  EXPECT_EQ(state.mode, params::ConversionMode::kGridThenRep);
  testing::Named<QPushButton>(*adv, "cmdClose")->click();  // OK hides and keeps the choice
  EXPECT_FALSE(adv->isVisible());
  EXPECT_FALSE(Ctl(*w).mnuAdv->isChecked());
  EXPECT_EQ(state.mode, params::ConversionMode::kGridThenRep);

  Ctl(*w).mnuAdv->trigger();
  EXPECT_TRUE(testing::Named<QRadioButton>(*adv, "optR3")->isChecked());
  adv->close();  // the close box unloads: back to grid only
  EXPECT_FALSE(Ctl(*w).mnuAdv->isChecked());
  EXPECT_EQ(state.mode, params::ConversionMode::kGridOnly);
  Ctl(*w).mnuAdv->trigger();
  EXPECT_TRUE(testing::Named<QRadioButton>(*w->frmAdv(), "optR")->isChecked());
}

TEST_F(FrmMainTest, StatusSinkSkipsUnchangedText) {
  w->SetStatusText("abc\rdef");
  EXPECT_EQ(Ctl(*w).lblStatus->text(), QStringLiteral("abc\ndef"));
  Ctl(*w).lblStatus->setText(QStringLiteral("marker"));
  w->SetStatusText("abc\rdef");  // the same text again: the label is not touched
  EXPECT_EQ(Ctl(*w).lblStatus->text(), QStringLiteral("marker"));
  w->SetStatusColor(colors::kGreen);
  EXPECT_EQ(Ctl(*w).lblStatus->palette().color(QPalette::Window), QColor(0, 255, 0));
}

TEST_F(FrmMainTest, ClosingTheWindowEndsTheProgram) {
  int ended = 0;
  QObject::connect(w.get(), &FrmMain::unloaded, [&] { ++ended; });
  Ctl(*w).mnuEnd->trigger();
  EXPECT_EQ(ended, 1);
  EXPECT_FALSE(w->isVisible());
}

}  // namespace
}  // namespace varno::ui
