// The program on the desktop: Qt's own texts in Japanese, readable status
// colours, the identity the desktop entry matches, the printer set-up dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QPageLayout>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <memory>

#include "ui/desktop.h"
#include "ui/frm_main.h"
#include "ui/frm_printer.h"
#include "ui/message_service.h"
#include "ui/print_result.h"
#include "ui_test_support.h"
#include "window_controls.h"

namespace varno::ui {
namespace {

TEST(Desktop, QtTextsAreJapanese) {
  const QLocale before;
  QTranslator translator;
  ASSERT_TRUE(InstallQtJapanese(translator)) << "qtbase_ja.qm (qt6-translations-l10n) missing";
  QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Save);
  EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("キャンセル"));
  EXPECT_EQ(box.button(QDialogButtonBox::Save)->text(), QString::fromUtf8("保存"));
  // A text box's context menu.
  QLineEdit edit;
  std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
  QStringList items;
  for (QAction* a : menu->actions()) items << a->text();
  EXPECT_TRUE(items.join(u'|').contains(QString::fromUtf8("すべてを選択")))
      << items.join(u'|').toStdString();
  EXPECT_EQ(QLocale().language(), QLocale::Japanese);
  QCoreApplication::removeTranslator(&translator);
  QLocale::setDefault(before);
}

TEST(Desktop, TheDesktopFileMatchesTheProgram) {
  SetApplicationIdentity();
  EXPECT_EQ(QCoreApplication::applicationVersion(), QStringLiteral("1.0.0"));
  const QString entry = QStringLiteral(VARNO_TEST_DATA "/../../packaging/") +
                        QGuiApplication::desktopFileName() + QStringLiteral(".desktop");
  EXPECT_TRUE(QFileInfo::exists(entry)) << entry.toStdString();
}

TEST(Desktop, StatusTextIsReadableOnEveryBackground) {
  // Only the dark red is dark enough for white text; the rest keep black.
  const Rgb white{255, 255, 255}, black{0, 0, 0};
  EXPECT_EQ(TextColorOn(colors::kDarkRed), white);
  EXPECT_EQ(TextColorOn(colors::kDarkGreen), white);
  EXPECT_EQ(TextColorOn(Rgb{0, 0, 128}), white);
  for (Rgb light : {colors::kLightYellow, colors::kGreen, colors::kLightGreen, colors::kLightCyan,
                    colors::kLightRed, colors::kLavender, colors::kMagenta, colors::kGrey}) {
    EXPECT_EQ(TextColorOn(light), black)
        << int(light.r) << "," << int(light.g) << "," << int(light.b);
  }
}

class PrinterSetupTest : public ::testing::Test {
 protected:
  const QStringList printers{QStringLiteral("Office"), QStringLiteral("Plotter")};
  QTemporaryDir tmp;
};

TEST_F(PrinterSetupTest, StartsAtThePrintersChoiceAndCancelKeepsIt) {
  QPrinter printer;
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(tmp.filePath(QStringLiteral("old.pdf")));
  printer.setPageSize(QPageSize(QPageSize::JisB5));
  printer.setPageOrientation(QPageLayout::Landscape);
  FrmPrinter d(printer, printers, QStringLiteral("Plotter"));
  EXPECT_TRUE(d.pdfChosen());
  EXPECT_EQ(testing::Named<QLineEdit>(d, "txtPdfFile")->text(),
            tmp.filePath(QStringLiteral("old.pdf")));
  EXPECT_EQ(testing::Named<QComboBox>(d, "cmbPaper")->currentData().toInt(), QPageSize::JisB5);
  EXPECT_TRUE(testing::Named<QRadioButton>(d, "optLandscape")->isChecked());
  // The buttons say what they do.
  EXPECT_EQ(testing::Named<QPushButton>(d, "cmdOk")->text(),
            QString::fromUtf8("このプリンタを使う"));
  testing::Named<QRadioButton>(d, "optPortrait")->setChecked(true);
  testing::Named<QComboBox>(d, "cmbPaper")
      ->setCurrentIndex(testing::Named<QComboBox>(d, "cmbPaper")->findData(QPageSize::A3));
  testing::Named<QPushButton>(d, "cmdCancel")->click();
  EXPECT_EQ(d.result(), QDialog::Rejected);
  EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::JisB5);
  EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);

  // A printer without a choice yet (here perhaps Qt's PDF stand-in) starts at
  // the default printer.
  QPrinter fresh;
  FrmPrinter d2(fresh, printers, QStringLiteral("Plotter"));
  EXPECT_EQ(testing::Named<QComboBox>(d2, "cmbPrinter")->currentText(), QStringLiteral("Plotter"));
  EXPECT_FALSE(testing::Named<QLineEdit>(d2, "txtPdfFile")->isEnabled());
}

TEST_F(PrinterSetupTest, APdfFileNeedsANameThenTakesPaperAndOrientation) {
  QPrinter printer;
  FrmPrinter d(printer, printers, QString());
  testing::Named<QComboBox>(d, "cmbPrinter")
      ->setCurrentIndex(testing::Named<QComboBox>(d, "cmbPrinter")->count() - 1);
  ASSERT_TRUE(d.pdfChosen());
  EXPECT_TRUE(testing::Named<QLineEdit>(d, "txtPdfFile")->isEnabled());
  testing::Named<QLineEdit>(d, "txtPdfFile")->clear();
  testing::Named<QPushButton>(d, "cmdOk")->click();
  EXPECT_NE(d.result(), QDialog::Accepted);  // stays open, says why
  EXPECT_NE(
      testing::Named<QLabel>(d, "lblNote")->text().indexOf(QString::fromUtf8("PDF ファイルの名前")),
      -1);
  EXPECT_EQ(testing::Named<QLabel>(d, "lblNote")->palette().color(QPalette::WindowText),
            QColor(Qt::white));

  // A folder (and so a FIFO or a device) is not a file to write the page into.
  testing::Named<QLineEdit>(d, "txtPdfFile")->setText(tmp.path());
  testing::Named<QPushButton>(d, "cmdOk")->click();
  EXPECT_NE(d.result(), QDialog::Accepted);
  EXPECT_NE(testing::Named<QLabel>(d, "lblNote")->text().indexOf(QString::fromUtf8("フォルダ")),
            -1);

  const QString pdf = tmp.filePath(QStringLiteral("page.pdf"));
  testing::Named<QLineEdit>(d, "txtPdfFile")->setText(pdf);
  testing::Named<QComboBox>(d, "cmbPaper")
      ->setCurrentIndex(testing::Named<QComboBox>(d, "cmbPaper")->findData(QPageSize::A3));
  testing::Named<QRadioButton>(d, "optLandscape")->setChecked(true);
  testing::Named<QPushButton>(d, "cmdOk")->click();
  EXPECT_EQ(d.result(), QDialog::Accepted);
  EXPECT_EQ(printer.outputFormat(), QPrinter::PdfFormat);
  EXPECT_EQ(printer.outputFileName(), pdf);
  EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A3);
  EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
}

TEST(PrinterSetupMenu, OpensWithoutBlockingAndPrintGoesWhereItWasSet) {
  testing::LoadedMain loaded;
  ASSERT_TRUE(loaded.grid.ok());
  FrmMain& main = *loaded.window;
  main.show();
  testing::Ctl(main).mnuPrinter->trigger();
  auto* setup = main.findChild<FrmPrinter*>();
  ASSERT_NE(setup, nullptr);
  EXPECT_TRUE(setup->isVisible());
  EXPECT_TRUE(setup->isModal());
  // A second trigger brings up the same dialog.
  testing::Ctl(main).mnuPrinter->trigger();
  EXPECT_EQ(main.findChildren<FrmPrinter*>().size(), 1);

  QTemporaryDir tmp;
  const QString pdf = tmp.filePath(QStringLiteral("result.pdf"));
  testing::Named<QComboBox>(*setup, "cmbPrinter")
      ->setCurrentIndex(testing::Named<QComboBox>(*setup, "cmbPrinter")->count() - 1);
  testing::Named<QLineEdit>(*setup, "txtPdfFile")->setText(pdf);
  testing::Named<QPushButton>(*setup, "cmdOk")->click();
  main.Calculate();
  ASSERT_TRUE(testing::Ctl(main).cmdPrint->isEnabled());
  PrintResult(main, loaded.state, loaded.messages, main.printer());
  EXPECT_TRUE(loaded.messages.boxes.empty());
  EXPECT_GT(QFileInfo(pdf).size(), 0);
}

}  // namespace
}  // namespace varno::ui
