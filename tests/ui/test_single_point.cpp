// Single-point conversion through the real window: both input formats with
// the demo grid, points without parameters, the conversion modes, missing
// and malformed input, range tests.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "geodesy/angles.h"
#include "geodesy/projection.h"
#include "params/interpolate.h"
#include "text/format.h"
#include "ui/frm_adv.h"
#include "ui/frm_main.h"
#include "ui/texts.h"
#include "ui_test_support.h"
#include "window_controls.h"

namespace varno::ui {
namespace {

using testing::Ctl;
using testing::GridFile;
using testing::RecordingMessages;

QString L(const std::string& s) {
  return QString::fromStdString(s);
}

// What one side of the window shows for X, Y, computed from the logic alone.
struct SideText {
  QString lat, lon, conv, scale;
};
SideText FromXy(double x, double y) {
  geo::GeoState g;  // zone 9
  const geo::GeoResult r = geo::Projection(g).Inverse(x, y);
  return {L(geo::DmsText5(geo::FormatDms5(r.phi * geo::kRadToDeg))),
          L(geo::DmsText5(geo::FormatDms5(r.lambda * geo::kRadToDeg))),
          L(geo::DmsText3(geo::FormatDms3(-r.gamma * geo::kRadToDeg))),
          L(FormatNumber(r.m, "#.00000000"))};
}

QString Xy(double v) {
  return L(FormatNumber(v, "######.0000"));
}

class SinglePointTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(grid.ok());
    testing::LoadStore(state, grid.path());
    ASSERT_EQ(state.store.zoneNo, 9);
    w = std::make_unique<FrmMain>(state, messages);
    Ctl(*w).cmbPara->setEnabled(false);
  }
  void SetXyh(const char* x, const char* y, const char* h) {
    Ctl(*w).txtTkyx->setText(QLatin1String(x));
    Ctl(*w).txtTkyy->setText(QLatin1String(y));
    Ctl(*w).txtTkyh->setText(QLatin1String(h));
  }
  void ExpectRight(const SideText& s) {
    EXPECT_EQ(Ctl(*w).txtJB->text(), s.lat);
    EXPECT_EQ(Ctl(*w).txtJL->text(), s.lon);
    EXPECT_EQ(Ctl(*w).lblJgdn->text(), s.conv);
    EXPECT_EQ(Ctl(*w).lblJgds->text(), s.scale);
  }
  GridFile grid;
  ModuleState state;
  RecordingMessages messages;
  std::unique_ptr<FrmMain> w;
};

TEST_F(SinglePointTest, ExampleInBothInputFormats) {
  const double x = 193524.0771, y = 34235.1330, h = 123.456;
  const params::Corrections c = params::InterpolatePara(state.store, x, y);
  ASSERT_NE(c.dx, params::kNoParameters);
  const double x2 = x + c.dx, y2 = y + c.dy, h2 = h + c.dh;

  w->Calculate();  // X/Y input, the start state
  EXPECT_TRUE(messages.boxes.empty());
  const SideText left = FromXy(x, y);
  EXPECT_EQ(Ctl(*w).txtTB->text(), left.lat);
  EXPECT_EQ(Ctl(*w).txtTL->text(), left.lon);
  EXPECT_EQ(Ctl(*w).lblTkyn->text(), left.conv);
  EXPECT_EQ(Ctl(*w).lblTkys->text(), left.scale);
  EXPECT_EQ(Ctl(*w).txtJgdx->text(), Xy(x2));
  EXPECT_EQ(Ctl(*w).txtJgdy->text(), Xy(y2));
  EXPECT_EQ(Ctl(*w).txtJgdh->text(), Xy(h2));
  ExpectRight(FromXy(x2, y2));
  EXPECT_EQ(w->statusColor(), colors::kLightYellow);
  EXPECT_EQ(w->statusText(),
            "「地域毎の変換ﾊﾟﾗﾒｰﾀ」で変換しました。\r"
            "震災前成果から震災後成果へ（→右方向に）変換しました。");
  EXPECT_TRUE(Ctl(*w).cmdPrint->isEnabled());
  EXPECT_EQ(state.geo.zone.zoneNo, 9);
  EXPECT_EQ(state.fieldSide, FieldSide::kPost);

  // The same point typed as latitude/longitude: the left X/Y come from the
  // forward projection, the right side from its corrected point.
  Ctl(*w).optBl->click();
  Ctl(*w).txtTkyx->clear();
  Ctl(*w).txtTkyy->clear();
  w->Calculate();
  EXPECT_TRUE(messages.boxes.empty());
  geo::GeoState g;
  const geo::DmsParts b = geo::DmsToDeg(Ctl(*w).txtTB->text().toDouble());
  const geo::DmsParts l = geo::DmsToDeg(Ctl(*w).txtTL->text().toDouble());
  const geo::PlaneResult p =
      geo::Projection(g).Forward(b.degrees * geo::kDegToRad, l.degrees * geo::kDegToRad);
  EXPECT_EQ(Ctl(*w).txtTkyx->text(), Xy(p.x));
  EXPECT_EQ(Ctl(*w).txtTkyy->text(), Xy(p.y));
  EXPECT_NEAR(p.x, x, 1e-4);
  EXPECT_NEAR(p.y, y, 1e-4);
  const params::Corrections c2 = params::InterpolatePara(state.store, p.x, p.y);
  EXPECT_EQ(Ctl(*w).txtJgdx->text(), Xy(p.x + c2.dx));
  EXPECT_EQ(Ctl(*w).txtJgdh->text(), Xy(h + c2.dh));
  ExpectRight(FromXy(p.x + c2.dx, p.y + c2.dy));
  EXPECT_TRUE(Ctl(*w).fraJgdxy->isVisibleTo(w.get()));
}

TEST_F(SinglePointTest, KnownPointsOutsideTheGrid) {
  // X/Y input: the left side is complete, the right side marked.
  SetXyh("10000.0", "20000.0", "10");
  w->SetStatusColor(colors::kLavender);
  w->Calculate();
  EXPECT_EQ(Ctl(*w).txtTB->text(), QStringLiteral(" 360523.73329"));
  EXPECT_EQ(Ctl(*w).txtTL->text(), QStringLiteral(" 1400319.53559"));
  EXPECT_EQ(Ctl(*w).lblTkyn->text(), QStringLiteral("-0750.971"));
  EXPECT_EQ(Ctl(*w).lblTkys->text(), QStringLiteral(".99990493"));
  for (QLineEdit* e :
       {Ctl(*w).txtJB, Ctl(*w).txtJL, Ctl(*w).txtJgdx, Ctl(*w).txtJgdy, Ctl(*w).txtJgdh}) {
    EXPECT_EQ(e->text(), QStringLiteral("-9999.")) << e->objectName().toStdString();
  }
  EXPECT_EQ(Ctl(*w).lblJgdn->text(), QStringLiteral("-9999."));
  EXPECT_EQ(Ctl(*w).lblJgds->text(), QStringLiteral("-9999."));
  EXPECT_EQ(w->statusText(), text::kNoParamsXy);
  EXPECT_EQ(w->statusColor(), colors::kLavender);  // colour kept
  EXPECT_TRUE(Ctl(*w).cmdPrint->isEnabled());

  // Latitude/longitude input: only the right latitude/longitude are marked.
  Ctl(*w).optBl->click();
  Ctl(*w).txtTB->setText(QStringLiteral("360503.954"));
  Ctl(*w).txtTL->setText(QStringLiteral("1395802.392"));
  Ctl(*w).txtJgdx->setText(QStringLiteral("1.0000"));
  Ctl(*w).lblJgds->setText(QStringLiteral("keep"));
  w->Calculate();
  EXPECT_EQ(Ctl(*w).txtTkyx->text(), QStringLiteral("9375.8938"));
  EXPECT_EQ(Ctl(*w).txtTkyy->text(), QStringLiteral("12067.6388"));
  EXPECT_EQ(Ctl(*w).lblTkyn->text(), QStringLiteral("-0444.118"));
  EXPECT_EQ(Ctl(*w).lblTkys->text(), QStringLiteral(".99990179"));
  EXPECT_EQ(Ctl(*w).txtJB->text(), QStringLiteral("-9999."));
  EXPECT_EQ(Ctl(*w).txtJL->text(), QStringLiteral("-9999."));
  EXPECT_EQ(Ctl(*w).txtJgdx->text(), QStringLiteral("1.0000"));
  EXPECT_EQ(Ctl(*w).lblJgds->text(), QStringLiteral("keep"));
  EXPECT_EQ(w->statusText(), text::kNoParamsBl);
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(SinglePointTest, RepresentativePointModeAndBackToGridOnly) {
  Ctl(*w).mnuAdv->trigger();
  testing::Named<QRadioButton>(*w->frmAdv(), "opt3")->click();
  SetXyh("10000.0", "20000.0", "10");
  w->Calculate();
  EXPECT_EQ(Ctl(*w).txtJgdx->text(), Xy(10000.0 + state.store.repDx));
  EXPECT_EQ(Ctl(*w).txtJgdy->text(), Xy(20000.0 + state.store.repDy));
  EXPECT_EQ(Ctl(*w).txtJgdh->text(), Xy(10.0 + state.store.repDh));
  ExpectRight(FromXy(10000.0 + state.store.repDx, 20000.0 + state.store.repDy));
  EXPECT_EQ(w->statusText(),
            "「地域毎のﾊﾟﾗﾒｰﾀ」における「代表点」で変換しました。\r"
            "震災前成果から震災後成果へ（→右方向に）変換しました。");

  w->frmAdv()->close();  // close box: mode 2 again
  w->Calculate();
  EXPECT_EQ(Ctl(*w).txtJgdx->text(), QStringLiteral("-9999."));
  EXPECT_EQ(w->statusText(), text::kNoParamsXy);
}

TEST_F(SinglePointTest, MissingInput) {
  const QString before = Ctl(*w).txtTB->text();
  Ctl(*w).txtTkyx->clear();
  w->Calculate();
  ASSERT_EQ(messages.Texts(), std::vector<std::string>{text::kNoInputXy});
  EXPECT_EQ(messages.boxes[0].title, "座標変換プログラム");
  EXPECT_EQ(Ctl(*w).txtTB->text(), before);
  EXPECT_TRUE(Ctl(*w).cmdPrint->isEnabled());

  messages.boxes.clear();
  Ctl(*w).optBl->click();
  Ctl(*w).txtTL->clear();
  w->Calculate();
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{text::kNoInputBl});
}

TEST_F(SinglePointTest, MissingHeight) {
  // X/Y input: H is read before anything is written.
  Ctl(*w).txtTkyh->clear();
  const QString lat = Ctl(*w).txtTB->text();
  w->Calculate();
  ASSERT_EQ(messages.boxes.size(), 1u);
  const std::string& m = messages.boxes[0].text;
  EXPECT_TRUE(m.ends_with(text::kCheckInputTail)) << m;
  EXPECT_GT(m.size(), std::string(text::kCheckInputTail).size());  // a description first
  EXPECT_EQ(Ctl(*w).txtTB->text(), lat);
  EXPECT_FALSE(Ctl(*w).cmdPrint->isEnabled());

  // Latitude/longitude input: H is read after the left X/Y are written.
  messages.boxes.clear();
  Ctl(*w).optBl->click();
  Ctl(*w).txtTB->setText(QStringLiteral("370000"));
  Ctl(*w).txtTL->setText(QStringLiteral("1400000"));
  Ctl(*w).txtTkyx->clear();
  Ctl(*w).lblTkys->clear();
  w->Calculate();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_TRUE(messages.boxes[0].text.ends_with(text::kCheckInputTail));
  EXPECT_FALSE(Ctl(*w).txtTkyx->text().isEmpty());
  EXPECT_FALSE(Ctl(*w).lblTkys->text().isEmpty());
  EXPECT_FALSE(Ctl(*w).cmdPrint->isEnabled());
}

TEST_F(SinglePointTest, RangeTestsAndMalformedInput) {
  Ctl(*w).optBl->click();
  struct Case {
    const char* lat;
    const char* lon;
    std::string status;
  };
  const std::string tail = " 系の範囲です。入力し直して下さい。in doCalcBl2xy";
  const Case cases[] = {
      {"325959", "1395000", "緯度は座標系  9" + tail},
      {"390001", "1395000", "緯度は座標系  9" + tail},
      {"360503.954", "1365802.392", "経度は座標系  9" + tail},  // the design example
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lat);
    messages.boxes.clear();
    Ctl(*w).txtTB->setText(QLatin1String(c.lat));
    Ctl(*w).txtTL->setText(QLatin1String(c.lon));
    Ctl(*w).txtTkyx->setText(QStringLiteral("keep"));
    w->Calculate();
    EXPECT_EQ(w->statusText(), c.status);
    EXPECT_EQ(w->statusColor(), colors::kDarkRed);
    EXPECT_EQ(Ctl(*w).txtTkyx->text(), QStringLiteral("keep"));
    EXPECT_EQ(messages.Texts(), std::vector<std::string>{text::kBadInputBl});
    EXPECT_TRUE(Ctl(*w).cmdPrint->isEnabled());
  }
  // The window's bounds themselves are inside.
  Ctl(*w).txtTB->setText(QStringLiteral("330000"));
  Ctl(*w).txtTL->setText(QStringLiteral("1412000"));
  messages.boxes.clear();
  w->Calculate();
  EXPECT_TRUE(messages.boxes.empty());

  // A latitude that is not a number: the step's box, then the caller's.
  messages.boxes.clear();
  Ctl(*w).txtTB->setText(QStringLiteral("36/05"));
  w->Calculate();
  ASSERT_EQ(messages.boxes.size(), 2u);
  EXPECT_TRUE(messages.boxes[0].text.ends_with(text::kBl2xyError));
  EXPECT_EQ(messages.boxes[1].text, text::kBadInputBl);

  // Degrees beyond 16 bits: an overflow, reported in green.
  messages.boxes.clear();
  Ctl(*w).txtTB->setText(QStringLiteral("999999999999"));
  w->Calculate();
  EXPECT_EQ(w->statusText(), text::kBl2xyOverflow);
  EXPECT_EQ(w->statusColor(), colors::kGreen);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{text::kBadInputBl});

  // An X that is not a number: the arrow handler's own message.
  messages.boxes.clear();
  Ctl(*w).optXy->click();
  Ctl(*w).txtTkyx->setText(QStringLiteral("1-2"));
  w->Calculate();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_TRUE(messages.boxes[0].text.ends_with(text::kCheckInputTail));
  EXPECT_FALSE(Ctl(*w).cmdPrint->isEnabled());
}

TEST_F(SinglePointTest, ZoneTextThatCannotBeParsed) {
  Ctl(*w).cmbPara->setEnabled(true);
  Ctl(*w).cmbPara->setEditText(QStringLiteral("zone nine"));
  w->Calculate();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_TRUE(messages.boxes[0].text.ends_with(text::kCheckInputTail));
  EXPECT_FALSE(Ctl(*w).cmdPrint->isEnabled());
}

TEST_F(SinglePointTest, FootpointNotSettledIsToldButNotAFailure) {
  SetXyh("1000000000", "0", "0");
  w->Calculate();
  ASSERT_FALSE(messages.boxes.empty());
  EXPECT_EQ(messages.boxes[0].text, text::kNotSettled);
  EXPECT_EQ(messages.boxes[0].title, "座標変換プログラム");
  for (const auto& b : messages.boxes) EXPECT_NE(b.text, text::kBadInputXy);
  EXPECT_EQ(Ctl(*w).txtJgdx->text(), QStringLiteral("-9999."));  // far outside the grid
  EXPECT_TRUE(Ctl(*w).cmdPrint->isEnabled());
}

TEST_F(SinglePointTest, OverflowInTheInverseStepIsReportedInGreen) {
  SetXyh("99999999999999999999", "0", "0");
  Ctl(*w).txtTB->setText(QStringLiteral("keep"));
  w->Calculate();
  EXPECT_EQ(w->statusText(), text::kXy2blOverflow);
  EXPECT_EQ(w->statusColor(), colors::kGreen);
  // The step failed: the caller says so and writes nothing on the right.
  ASSERT_FALSE(messages.boxes.empty());
  EXPECT_EQ(messages.boxes.back().text, text::kBadInputXy);
  EXPECT_EQ(Ctl(*w).txtJgdx->text(), QStringLiteral("193524.0771"));
}

}  // namespace
}  // namespace varno::ui
