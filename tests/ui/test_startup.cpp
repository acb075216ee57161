// Start-up: splash timer, the modal loading window (complete, cancelled,
// file missing), the main window's file label and zone list.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "app/startup.h"
#include "ui/frm_main.h"
#include "ui/frm_para_file1.h"
#include "ui/frm_splash.h"
#include "ui/texts.h"
#include "ui_test_support.h"
#include "window_controls.h"

namespace varno::app {
namespace {

using ui::testing::Ctl;
using ui::testing::GridFile;
using ui::testing::RecordingMessages;
using ui::testing::WhenReady;

struct StartupRun {
  ModuleState state;
  RecordingMessages messages;
  std::unique_ptr<Startup> startup;
  int ended = 0;
  QString loadingStatus;  // the loading window's status when it was closed
  bool breakClicked = false;

  explicit StartupRun(const std::string& path, bool cancel = false) {
    startup = std::make_unique<Startup>(state, messages, path);
    QObject::connect(startup.get(), &Startup::ended, [this] { ++ended; });
    QObject::connect(startup.get(), &Startup::loadingShown, [this, cancel](ui::FrmParaFile1& w) {
      if (cancel) {
        WhenReady(
            &w,
            [&w] {
              return w.reading() && ui::testing::Named<QPushButton>(w, "cmdBreak")->isVisible();
            },
            [this, &w] {
              breakClicked = true;
              ui::testing::Named<QPushButton>(w, "cmdBreak")->click();
            });
      }
      // Close once the load step has finished (the loading window is modal).
      WhenReady(
          &w,
          [this, &w] {
            return !w.reading() && ui::testing::Named<QPushButton>(w, "cmdClose")->isEnabled() &&
                   (ui::testing::Named<QLabel>(w, "lblStatus")->text() !=
                        QStringLiteral("Status:") ||
                    !messages.boxes.empty());
          },
          [this, &w] {
            loadingStatus = ui::testing::Named<QLabel>(w, "lblStatus")->text();
            ui::testing::Named<QPushButton>(w, "cmdClose")->click();
          });
    });
  }
  // Starts with the splash and waits for the sequence to finish.
  bool StartAndWait() {
    startup->Start();
    return QTest::qWaitFor([this] { return startup->outcome() != Startup::Outcome::kPending; },
                           10000);
  }
};

TEST(StartupTest, CompleteLoadingOpensTheMainWindow) {
  GridFile grid;
  ASSERT_TRUE(grid.ok());
  StartupRun run(grid.path());
  ASSERT_TRUE(run.StartAndWait());
  EXPECT_EQ(run.startup->outcome(), Startup::Outcome::kMainShown);
  EXPECT_EQ(run.ended, 0);
  EXPECT_TRUE(run.messages.boxes.empty());
  EXPECT_TRUE(run.loadingStatus.startsWith(QString::number(run.state.store.count) +
                                           QString::fromUtf8("行の変換ﾊﾟﾗﾒｰﾀを読み込みました。")))
      << run.loadingStatus.toStdString();
  ui::FrmMain* main = run.startup->mainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(main->isVisible());
  EXPECT_FALSE(run.startup->splash()->isVisible());
  EXPECT_EQ(Ctl(*main).lblParFile->text(),
            QString::fromUtf8("読込まれた変換ﾊﾟﾗﾒｰﾀﾌｧｲﾙ： Veltra.par    1.0"));
  EXPECT_EQ(Ctl(*main).cmbPara->currentIndex(), 8);
  EXPECT_FALSE(Ctl(*main).cmbPara->isEnabled());
  EXPECT_FALSE(run.state.cancelRequested);
  EXPECT_GT(run.state.store.count, 0);

  main->close();  // closing the main window ends the program
  EXPECT_EQ(run.ended, 1);
}

TEST(StartupTest, MissingParameterFileEndsTheProgram) {
  GridFile grid;
  StartupRun run(grid.MissingPath());
  ASSERT_TRUE(run.StartAndWait());
  EXPECT_EQ(run.startup->outcome(), Startup::Outcome::kEnded);
  EXPECT_EQ(run.ended, 1);
  ASSERT_EQ(run.messages.boxes.size(), 1u);
  EXPECT_EQ(run.messages.boxes[0].text,
            "変換パラメータファイルが開けません。\r座標変換プログラム."
            "exeと同一のﾌｫﾙﾀﾞにこのﾌｧｲﾙが必要です。");
  EXPECT_EQ(run.messages.boxes[0].title, "座標変換プログラム");
  EXPECT_EQ(run.messages.boxes[0].icon, MessageIcon::kCritical);
  EXPECT_EQ(run.loadingStatus, QStringLiteral("Status:"));  // the initial state
  EXPECT_TRUE(run.state.cancelRequested);
  // The main window never opened; the splash stays until the program ends.
  EXPECT_TRUE(run.startup->mainWindow() == nullptr || !run.startup->mainWindow()->isVisible());
  EXPECT_TRUE(run.startup->splash()->isVisible());
}

// A FIFO by the parameter file's name is refused as a missing file is, at
// once: opening it to test it would wait for a writer for ever.
TEST(StartupTest, AFifoForTheParameterFileEndsTheProgram) {
  GridFile grid;
  const std::string fifo = grid.path() + ".fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  StartupRun run(fifo);
  ASSERT_TRUE(run.StartAndWait());
  EXPECT_EQ(run.startup->outcome(), Startup::Outcome::kEnded);
  ASSERT_EQ(run.messages.boxes.size(), 1u);
  EXPECT_TRUE(run.messages.boxes[0].text.starts_with("変換パラメータファイルが開けません。"));
  ::unlink(fifo.c_str());
}

TEST(StartupTest, CancelledLoadingKeepsThePartialGrid) {
  params::GridShape shape = params::DemoGridShape();
  shape.rows = 100;
  shape.cols = 100;  // 10 000 nodes: yields at 2000, 4000, ...
  GridFile grid(shape);
  ASSERT_TRUE(grid.ok());
  StartupRun run(grid.path(), /*cancel=*/true);
  ASSERT_TRUE(run.StartAndWait());
  EXPECT_TRUE(run.breakClicked);
  // The click is seen at the yield of record 2000; the reading stops at 4000.
  EXPECT_EQ(run.state.store.count, 4000);
  EXPECT_EQ(run.state.store.repDx, 0.0);
  EXPECT_EQ(run.loadingStatus, QString::fromUtf8("ﾊﾟﾗﾒｰﾀﾌｧｲﾙの読み込みは中止しました"));
  EXPECT_FALSE(run.state.cancelRequested);
  EXPECT_EQ(run.startup->outcome(), Startup::Outcome::kMainShown);
  EXPECT_EQ(Ctl(*run.startup->mainWindow()).lblParFile->text(),
            QString::fromUtf8("読込まれた変換ﾊﾟﾗﾒｰﾀﾌｧｲﾙ： Veltra.par    1.0"));
}

TEST(StartupTest, SplashClickBeforeTheFirstTickEndsTheProgram) {
  GridFile grid;
  StartupRun run(grid.path());
  run.startup->Start();
  QTest::mouseClick(ui::testing::Named<ui::ClickFrame>(*run.startup->splash(), "Frame1"),
                    Qt::LeftButton);
  EXPECT_EQ(run.ended, 1);
  QTest::qWait(400);  // past the timer's interval: the sequence never runs
  EXPECT_EQ(run.startup->mainWindow(), nullptr);
  EXPECT_TRUE(run.state.store.paraFilePath.empty());
}

TEST(StartupTest, SplashShowsTitleAndVersion) {
  ui::FrmSplash splash;
  int ticks = 0;
  QObject::connect(&splash, &ui::FrmSplash::firstTick, [&] { ++ticks; });
  EXPECT_EQ(ui::testing::Named<QLabel>(splash, "lblVersion")->text(), QStringLiteral("Ver.1.0.0"));
  EXPECT_EQ(ui::testing::Named<QLabel>(splash, "lblProductName")->text(),
            QString::fromUtf8("座標変換プログラム"));
  EXPECT_EQ(ui::testing::Named<QTimer>(splash, "Timer1")->interval(), 300);
  ui::testing::Named<QTimer>(splash, "Timer1")->start();
  QTest::qWait(700);
  EXPECT_EQ(ticks, 1);
}

// The main window and the loading window, wired as at start-up, after the
// loading of the file at `path`.
struct Loaded {
  ModuleState state;
  RecordingMessages messages;
  ui::FrmMain main{state, messages};
  ui::FrmParaFile1 loading{state, messages};

  explicit Loaded(const std::string& path) {
    state.store.paraFilePath = path;
    QObject::connect(&loading, &ui::FrmParaFile1::parFileTextChanged, &main,
                     &ui::FrmMain::SetParFileText);
    QObject::connect(&loading, &ui::FrmParaFile1::zoneRead, &main, &ui::FrmMain::LockZones);
    loading.LoadStep();
  }
};

TEST(LoadingWindowTest, ZoneOutsideTheListLeavesItUnselected) {
  params::GridShape shape = params::DemoGridShape();
  shape.zone = 25;
  GridFile grid(shape);
  ASSERT_TRUE(grid.ok());
  Loaded run(grid.path());
  auto& [state, messages, main, loading] = run;
  EXPECT_EQ(state.store.zoneNo, 25);
  EXPECT_EQ(Ctl(main).cmbPara->currentIndex(), -1);
  EXPECT_TRUE(Ctl(main).cmbPara->isEnabled());  // the user chooses the zone
  EXPECT_EQ(ui::testing::Named<QProgressBar>(loading, "ProgressBar1")->value(),
            ui::testing::Named<QProgressBar>(loading, "ProgressBar1")->maximum());
  EXPECT_TRUE(
      ui::testing::Named<QLabel>(loading, "lblLine")->text().endsWith(QStringLiteral(" Bytes")));
  EXPECT_FALSE(ui::testing::Named<QPushButton>(loading, "cmdBreak")->isVisible());
  // Without a chosen zone a conversion names the empty zone text; with one
  // it converts.
  main.Calculate();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_TRUE(messages.boxes[0].text.ends_with(ui::text::kCheckInputTail));
  EXPECT_FALSE(Ctl(main).cmdPrint->isEnabled());
  Ctl(main).cmbPara->setCurrentIndex(8);
  main.Calculate();
  EXPECT_EQ(messages.boxes.size(), 1u);
  EXPECT_TRUE(Ctl(main).cmdPrint->isEnabled());
  EXPECT_EQ(Ctl(main).txtJgdx->text().left(4), QStringLiteral("1935"));
}

TEST(LoadingWindowTest, FileZoneLocksTheList) {
  params::GridShape shape = params::DemoGridShape();
  shape.zone = 10;
  GridFile grid(shape);
  Loaded run(grid.path());
  auto& main = run.main;
  EXPECT_EQ(Ctl(main).cmbPara->currentText(), QStringLiteral("10  400000.  1405000."));
  EXPECT_FALSE(Ctl(main).cmbPara->isEnabled());
  EXPECT_TRUE(Ctl(main).lblParFile->text().endsWith(QString::fromUtf8("Veltra.par     ver.1.0")))
      << Ctl(main).lblParFile->text().toStdString();
}

// A parameter file whose name reads as markup is shown as it is named, in
// the loading window and in the main window.
TEST(LoadingWindowTest, AFileNameLikeMarkupIsShownAsText) {
  GridFile grid(params::DemoGridShape(), "<b>Veltra.par");
  ASSERT_TRUE(grid.ok());
  Loaded run(grid.path());
  auto& [state, messages, main, loading] = run;
  ShowLoadedFile(main, state);
  std::vector<std::string> markup;  // labels that would show markup
  for (QWidget* w : {static_cast<QWidget*>(&loading), static_cast<QWidget*>(&main)}) {
    for (const QLabel* l : w->findChildren<QLabel*>()) {
      if (l->textFormat() != Qt::PlainText && Qt::mightBeRichText(l->text()))
        markup.push_back(l->objectName().toStdString() + ": " + l->text().toStdString());
    }
  }
  EXPECT_NE(Ctl(main).lblParFile->text().indexOf(QStringLiteral("<b>Veltra.par")), -1);
  EXPECT_TRUE(markup.empty()) << markup.front();
}

}  // namespace
}  // namespace varno::app
