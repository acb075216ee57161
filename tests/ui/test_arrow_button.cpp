// The arrow button: keyboard, mouse, focus and the name assistive technology
// reads, on the button alone and in the main window.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "ui/arrow_button.h"
#include "ui/frm_main.h"
#include "ui/texts.h"
#include "ui_test_support.h"

namespace varno::ui {
namespace {

class ArrowButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window.resize(200, 100);
    other = new QWidget(&window);
    other->setFocusPolicy(Qt::StrongFocus);
    button = new ArrowButton(&window);
    button->move(20, 20);
    window.show();
    QApplication::setActiveWindow(&window);
  }
  QWidget window;
  QWidget* other = nullptr;
  ArrowButton* button = nullptr;
};

TEST_F(ArrowButtonTest, KeyboardAndMouseClickIt) {
  QSignalSpy clicks(button, &QAbstractButton::clicked);
  button->setFocus();
  QTest::keyClick(button, Qt::Key_Space);
  EXPECT_EQ(clicks.size(), 1);
  QTest::keyClick(button, Qt::Key_Return);
  QTest::keyClick(button, Qt::Key_Enter);
  EXPECT_EQ(clicks.size(), 3);
  // Other keys do nothing.
  QTest::keyClick(button, Qt::Key_A);
  QTest::keyClick(button, Qt::Key_Escape);
  EXPECT_EQ(clicks.size(), 3);
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_EQ(clicks.size(), 4);
  // A press released outside the button is no click; a right click neither.
  QTest::mousePress(button, Qt::LeftButton);
  QTest::mouseRelease(button, Qt::LeftButton, {}, QPoint(200, 5));
  QTest::mouseClick(button, Qt::RightButton);
  EXPECT_EQ(clicks.size(), 4);
  // Disabled, it takes no click.
  button->setEnabled(false);
  QTest::mouseClick(button, Qt::LeftButton);
  QTest::keyClick(button, Qt::Key_Space);
  EXPECT_EQ(clicks.size(), 4);
}

TEST_F(ArrowButtonTest, TakesFocusAndShowsIt) {
  EXPECT_EQ(button->size(), QSize(62, 24));
  other->setFocus();
  QTest::mouseClick(button, Qt::LeftButton);
  EXPECT_TRUE(button->hasFocus());
  other->setFocus();
  EXPECT_FALSE(button->hasFocus());
  // With the focus it is drawn with a black border; without, the corner stays
  // the background.
  const auto corner = [&] { return button->grab().toImage().pixelColor(0, 0); };
  const QColor unfocused = corner();
  button->setFocus();
  EXPECT_EQ(corner(), QColor(Qt::black));
  EXPECT_NE(unfocused, QColor(Qt::black));
}

TEST(ArrowButtonInMain, HasAccessibleNameAndTabStop) {
  testing::LoadedMain loaded;
  ASSERT_TRUE(loaded.grid.ok());
  FrmMain& w = *loaded.window;
  auto* arrow = w.findChild<ArrowButton*>(QStringLiteral("picCalc1"));
  ASSERT_NE(arrow, nullptr);
  EXPECT_EQ(arrow->accessibleName(), QString::fromUtf8(text::kPicCalcName));
  EXPECT_EQ(arrow->toolTip(), QString::fromUtf8(text::kPicCalcTip));
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(arrow);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->role(), QAccessible::Button);
  EXPECT_EQ(a->text(QAccessible::Name), QString::fromUtf8(text::kPicCalcName));
  EXPECT_TRUE(arrow->focusPolicy() & Qt::TabFocus);
}

}  // namespace
}  // namespace varno::ui
