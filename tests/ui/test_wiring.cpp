// The windows working together as the program wires them: the main window's
// buttons and menus open the one batch dialog, print the page and open the
// picture; the batch dialog's picture button opens the same picture; the end
// closes them and stops a run.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>

#include "app/wiring.h"
#include "ui/frm_file.h"
#include "ui/frm_main.h"
#include "ui/frm_map.h"
#include "ui_test_support.h"
#include "window_controls.h"

namespace varno::app {
namespace {

using ui::testing::Ctl;
using ui::testing::Named;

class WiringTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(grid.ok());
    ui::testing::LoadStore(state, grid.path());
    main = std::make_unique<ui::FrmMain>(state, messages);
    windows.Attach(*main);
  }
  void TearDown() override { windows.CloseAll(); }
  ui::testing::GridFile grid;
  ModuleState state;
  ui::testing::RecordingMessages messages;
  std::unique_ptr<ui::FrmMain> main;
  Windows windows{state, messages};
};

TEST_F(WiringTest, BatchButtonAndMenuOpenOneDialog) {
  EXPECT_EQ(windows.batchDialog(), nullptr);
  Ctl(*main).cmdFile->click();
  ui::FrmFile* dialog = windows.batchDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  dialog->close();
  Ctl(*main).mnuIkkatsu->trigger();
  EXPECT_EQ(windows.batchDialog(), dialog);
  EXPECT_TRUE(dialog->isVisible());
}

TEST_F(WiringTest, MenuAndBatchDialogOpenOnePicture) {
  EXPECT_EQ(windows.picture(), nullptr);
  Ctl(*main).mnuMap->trigger();
  ui::FrmMap* picture = windows.picture();
  ASSERT_NE(picture, nullptr);
  EXPECT_TRUE(picture->isVisible());
  picture->close();
  Ctl(*main).cmdFile->click();
  auto* cmdMap = Named<QPushButton>(*windows.batchDialog(), "cmdMap");
  cmdMap->setEnabled(true);
  cmdMap->click();
  EXPECT_EQ(windows.picture(), picture);
  EXPECT_TRUE(picture->isVisible());
  // The end of the program closes both and stops a run at its next yield.
  windows.CloseAll();
  EXPECT_FALSE(picture->isVisible());
  EXPECT_FALSE(windows.batchDialog()->isVisible());
  EXPECT_TRUE(state.cancelRequested);
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(WiringTest, PrintButtonPrintsThePointShown) {
  QTemporaryDir tmp;
  const QString pdf = tmp.filePath(QStringLiteral("page.pdf"));
  main->printer().setOutputFormat(QPrinter::PdfFormat);
  main->printer().setOutputFileName(pdf);
  main->Calculate();
  ASSERT_TRUE(main->printEnabled());
  Ctl(*main).cmdPrint->click();
  EXPECT_TRUE(messages.boxes.empty());
  EXPECT_GT(QFileInfo(pdf).size(), 0);
  EXPECT_FALSE(main->printEnabled());
}

}  // namespace
}  // namespace varno::app
