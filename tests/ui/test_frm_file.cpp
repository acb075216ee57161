// The batch dialog driven offscreen: file choices, runs, cancel, errors.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMimeData>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QUrl>

#include "batch/convert.h"
#include "codec/cp932.h"
#include "dialogs_test_util.h"
#include "text/version.h"
#include "ui/dialog_texts.h"
#include "ui/frm_in_file.h"
#include "ui/frm_main.h"
#include "ui/frm_out_file.h"
#include "window_controls.h"

namespace varno::ui {
namespace {

using dtest::ReadAll;
using dtest::WriteAll;
using testing::Ctl;

class FrmFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dtest::EnsureApp();
    ASSERT_TRUE(tmp.isValid());
    dir = U8(tmp.path()) + "/";
    dtest::LoadDemoGrid(state, tmp.path());
    dtest::FillZones(zones);
    Make();
  }
  void Make() {
    dlg.reset();
    dlg = std::make_unique<FrmFile>(state, zones, status, messages);
    auto c = std::make_unique<dtest::ScriptedChooser>();
    chooser = c.get();
    dlg->SetFileChooser(std::move(c));
    dlg->Open();
  }
  void TearDown() override { dlg.reset(); }

  std::string Cp932File(const std::string& name, const std::string& utf8) {
    const std::string path = dir + name;
    WriteAll(path, Utf8ToCp932(utf8));
    return path;
  }
  void Choose(const std::string& in, const std::string& out) {
    chooser->inputs.push_back(in);
    chooser->results.push_back(out);
    Ctl(*dlg).cmdOpenInFile->click();
    Ctl(*dlg).cmdOpenOutFile->click();
  }
  // An X/Y input file of `n` data lines inside the demo grid.
  std::string LargeXyFile(const std::string& name, int n) {
    std::string text = "# large\r\n";
    for (int i = 1; i < n; ++i)
      text += std::to_string(160000 + i) + ".1234 " + std::to_string(10000 + i) +
              ".5678 12.3400 P" + std::to_string(i) + "\r\n";
    return Cp932File(name, text);
  }

  QTemporaryDir tmp;
  std::string dir;
  ModuleState state;
  QComboBox zones;
  dtest::Status status;
  dtest::Messages messages;
  dtest::ScriptedChooser* chooser = nullptr;
  std::unique_ptr<FrmFile> dlg;
};

const char* kXyText =
    "# X Y H 名称\r\n"
    "193524.0771 34235.1330 123.4560 剣岳\r\n"
    "\r\n"
    "47867.6425 -3939.3856    34.460   ﾏｲﾅｽ\r\n"
    "not a point\r\n"
    "160000.5 20000.25 -1.5\r\n";

TEST_F(FrmFileTest, FirstShowingHasTheDesignState) {
  EXPECT_EQ(U8(dlg->windowTitle()), "ﾌｧｲﾙ一括変換");
  EXPECT_TRUE(Ctl(*dlg).opt2->isChecked());
  EXPECT_FALSE(Ctl(*dlg).opt1->isChecked() || Ctl(*dlg).opt3->isChecked());
  EXPECT_FALSE(Ctl(*dlg).cmdStart->isEnabled());
  EXPECT_TRUE(Ctl(*dlg).cmdBreak->isHidden());
  EXPECT_FALSE(Ctl(*dlg).chkDispFile->isChecked());
  EXPECT_FALSE(Ctl(*dlg).chkInValue->isChecked());
  EXPECT_EQ(U8(Ctl(*dlg).lblStatus->text()), "Status:");
  EXPECT_EQ(dlg->statusColor(), (Rgb{192, 192, 255}));
  // The zone list is the main window's, locked to the parameter file's zone.
  ASSERT_EQ(Ctl(*dlg).cmbPara->count(), 19);
  EXPECT_EQ(U8(Ctl(*dlg).cmbPara->itemText(9)), "10  400000.  1405000.");
  EXPECT_EQ(U8(Ctl(*dlg).cmbPara->currentText()), " 9  360000.  1395000.");
  EXPECT_FALSE(Ctl(*dlg).cmbPara->isEnabled());
}

TEST_F(FrmFileTest, WithoutParametersTheZoneIsFreeAndEveryStartWarns) {
  state.store = params::ParamStore{};
  Make();
  EXPECT_TRUE(Ctl(*dlg).cmbPara->isEnabled());
  EXPECT_EQ(Ctl(*dlg).cmbPara->currentIndex(), -1);
  Choose(Cp932File("a.in", kXyText), dir + "a.out");
  Ctl(*dlg).cmdStart->click();  // no zone chosen: told so, nothing runs
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(ReadAll(dir + "a.out"), "");
  Ctl(*dlg).cmbPara->setCurrentIndex(8);
  Ctl(*dlg).cmdStart->click();
  ASSERT_EQ(messages.boxes.size(), 2u);
  EXPECT_EQ(messages.boxes[1].text, "選択された座標系は、変換パラメータの座標系と異なります ");
  EXPECT_EQ(messages.boxes[1].title, "VARNO");
  EXPECT_EQ(messages.boxes[1].icon, MessageIcon::kCritical);
  EXPECT_EQ(state.geo.zone.zoneNo, 9);
  EXPECT_NE(ReadAll(dir + "a.out"), "");  // the run went on
}

TEST_F(FrmFileTest, ChoosingTheFilesInEitherOrderEnablesStartAtTheSecond) {
  const std::string in = Cp932File("pts.in", kXyText);
  for (bool inputFirst : {true, false}) {
    SCOPED_TRACE(inputFirst);
    dlg->Open();
    chooser->inputs.push_back(in);
    chooser->results.push_back(dir + "pts.out");
    if (inputFirst) {
      Ctl(*dlg).cmdOpenInFile->click();
      EXPECT_EQ(dlg->focusWidget(), Ctl(*dlg).cmdOpenOutFile);
      EXPECT_EQ(U8(Ctl(*dlg).lblStatus->text()), "開いた入力ファイルは" + in + "です。");
    } else {
      Ctl(*dlg).cmdOpenOutFile->click();
      EXPECT_EQ(dlg->focusWidget(), Ctl(*dlg).cmdOpenInFile);
      EXPECT_EQ(U8(Ctl(*dlg).lblStatus->text()),
                "開いた出力ファイルは" + dir + "pts.out" + "です。");
    }
    EXPECT_EQ(dlg->statusColor(), (Rgb{192, 255, 255}));
    EXPECT_FALSE(Ctl(*dlg).cmdStart->isEnabled());
    if (inputFirst) {
      Ctl(*dlg).cmdOpenOutFile->click();
    } else {
      Ctl(*dlg).cmdOpenInFile->click();
    }
    EXPECT_TRUE(Ctl(*dlg).cmdStart->isEnabled());
    EXPECT_EQ(dlg->focusWidget(), Ctl(*dlg).cmdStart);
  }
  EXPECT_EQ(state.files.inFileBase, dir + "pts");
  // The result dialog proposes the input's name with ".out" in its folder.
  EXPECT_EQ(chooser->proposed.back(), dir + "pts.out");
}

TEST_F(FrmFileTest, ProposedNameIgnoresADotInAFolderName) {
  ASSERT_TRUE(QDir().mkpath(tmp.filePath("survey.2011")));
  const std::string in = Cp932File("survey.2011/pts", kXyText);
  chooser->inputs.push_back(in);
  Ctl(*dlg).cmdOpenInFile->click();
  Ctl(*dlg).cmdOpenOutFile->click();  // cancelled
  ASSERT_EQ(chooser->proposed.size(), 1u);
  EXPECT_EQ(chooser->proposed[0], dir + "survey.2011/pts.out");
  EXPECT_EQ(chooser->initialDirs.back(), dir + "survey.2011/");
}

TEST_F(FrmFileTest, AChosenResultFileIsEmptiedAtOnce) {
  const std::string out = dir + "old.out";
  WriteAll(out, "earlier results\r\n");
  chooser->results.push_back(out);
  Ctl(*dlg).cmdOpenOutFile->click();
  EXPECT_TRUE(state.files.outFileChosen);
  EXPECT_EQ(ReadAll(out), "");
}

TEST_F(FrmFileTest, CancelledFileDialogsChangeNothing) {
  const std::string in = Cp932File("pts.in", kXyText);
  Choose(in, dir + "pts.out");
  const QString statusBefore = Ctl(*dlg).lblStatus->text();
  Ctl(*dlg).cmdOpenOutFile->click();  // queues are empty: both dialogs cancelled
  Ctl(*dlg).cmdOpenInFile->click();
  EXPECT_TRUE(messages.boxes.empty());
  EXPECT_TRUE(state.files.inFileChosen && state.files.outFileChosen);
  EXPECT_EQ(state.files.inFilePath, in);
  EXPECT_EQ(Ctl(*dlg).lblStatus->text(), statusBefore);
  EXPECT_TRUE(Ctl(*dlg).cmdStart->isEnabled());
}

TEST_F(FrmFileTest, TheInputFileIsNeverTakenAsResultFile) {
  const std::string in = Cp932File("pts.in", kXyText);
  const std::string original = ReadAll(in);
  // Input first, then the same file as result.
  chooser->inputs.push_back(in);
  chooser->results.push_back(in);
  Ctl(*dlg).cmdOpenInFile->click();
  Ctl(*dlg).cmdOpenOutFile->click();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_NE(messages.boxes[0].text.find("入力ファイル"), std::string::npos);
  EXPECT_FALSE(state.files.outFileChosen);
  EXPECT_FALSE(Ctl(*dlg).cmdStart->isEnabled());
  EXPECT_EQ(ReadAll(in), original);
  // Result first (an empty file of its own), then that file as input.
  dlg->Open();
  state.files.inFilePath.clear();
  chooser->results.push_back(dir + "x.out");
  chooser->inputs.push_back(dir + "x.out");
  Ctl(*dlg).cmdOpenOutFile->click();
  Ctl(*dlg).cmdOpenInFile->click();
  EXPECT_EQ(messages.boxes.size(), 2u);
  EXPECT_FALSE(state.files.inFileChosen);
  EXPECT_FALSE(Ctl(*dlg).cmdStart->isEnabled());
}

TEST_F(FrmFileTest, TheParameterFileIsNeverTakenAsResultFile) {
  const std::string grid = ReadAll(state.store.paraFilePath);
  chooser->results.push_back(state.store.paraFilePath);
  Ctl(*dlg).cmdOpenOutFile->click();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_FALSE(state.files.outFileChosen);
  EXPECT_EQ(ReadAll(state.store.paraFilePath), grid);
}

TEST(FileFilterTest, EveryFileMatchesStarDotStar) {
  EXPECT_EQ(ToQtFilters("すべてのﾌｧｲﾙ (*.*)|*.*|入力ﾌｧｲﾙ (*.in)|*.in"),
            (QStringList{Q("すべてのﾌｧｲﾙ (*.*) (*)"), Q("入力ﾌｧｲﾙ (*.in) (*.in)")}));
}

TEST_F(FrmFileTest, InputChoiceFailures) {
  chooser->inputs.push_back(std::string());
  Ctl(*dlg).cmdOpenInFile->click();
  EXPECT_EQ(U8(Ctl(*dlg).lblStatus->text()),
            "入力ファイルは選択されませんでした。もう一度選択し直して下さい。");
  EXPECT_EQ(dlg->statusColor(), (Rgb{255, 0, 255}));
  chooser->inputs.push_back(dir + "missing.in");
  Ctl(*dlg).cmdOpenInFile->click();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text.rfind("ファイルが開けません。 Error # 53  ", 0), 0u)
      << messages.boxes[0].text;
  EXPECT_EQ(messages.boxes[0].title, "座標変換プログラム");
  EXPECT_FALSE(state.files.inFileChosen);
  chooser->results.push_back(dir + "no/such/folder/r.out");
  Ctl(*dlg).cmdOpenOutFile->click();
  ASSERT_EQ(messages.boxes.size(), 2u);
  EXPECT_FALSE(state.files.outFileChosen);
}

// The dialog's result file is byte for byte the one varno-batch writes.
TEST_F(FrmFileTest, FullRunsWriteTheSameBytesAsTheHeadlessConverter) {
  const std::string batch = std::string(VARNO_BIN_DIR) + "/varno-batch";
  if (!QFileInfo::exists(Q(batch))) GTEST_SKIP() << "varno-batch not built";
  const std::string xyIn = Cp932File("pts.in", kXyText);
  const std::string blIn = Cp932File("bl.in",
                                     "# B L H\r\n"
                                     "374400.12345 1401300.5 12.5 p1\r\n"
                                     "360503.954 1365802.392 123.4560 外\r\n"
                                     "500000.0 1401300.5 1.0 範囲外\r\n");
  struct Case {
    const char* process;
    QRadioButton* testing::FileControls::*option;
    const std::string* input;
    bool withInput;
  };
  const Case cases[] = {{"xy", &testing::FileControls::opt2, &xyIn, false},
                        {"xy", &testing::FileControls::opt2, &xyIn, true},
                        {"xy-bl", &testing::FileControls::opt3, &xyIn, true},
                        {"bl", &testing::FileControls::opt1, &blIn, false},
                        {"bl", &testing::FileControls::opt1, &blIn, true}};
  ASSERT_TRUE(QDir().mkpath(tmp.filePath("cli")));
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.process) + (c.withInput ? " with input" : ""));
    dlg->Open();
    (Ctl(*dlg).*c.option)->setChecked(true);
    Ctl(*dlg).chkInValue->setChecked(c.withInput);
    Choose(*c.input, dir + "r.out");
    Ctl(*dlg).cmdStart->click();
    QStringList args{QStringLiteral("--par"), Q(state.store.paraFilePath),
                     QStringLiteral("--process"), QString::fromLatin1(c.process)};
    if (c.withInput) args << QStringLiteral("--with-input");
    args << Q(*c.input) << tmp.filePath("cli/r.out");
    QProcess p;
    p.start(Q(batch), args);
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    const std::string mine = ReadAll(dir + "r.out");
    EXPECT_GT(mine.size(), 200u);
    EXPECT_EQ(mine, ReadAll(dir + "cli/r.out"));
    // The end state.
    EXPECT_EQ(U8(Ctl(*dlg).lblStatus->text()),
              c.input == &xyIn ? "ファイル一括計算処理が終了しました。　 6行を処理しました。"
                               : "ファイル一括計算処理が終了しました。　 4行を処理しました。");
    EXPECT_EQ(dlg->statusColor(), (Rgb{192, 255, 255}));
    EXPECT_FALSE(Ctl(*dlg).cmdStart->isEnabled());
    EXPECT_TRUE(Ctl(*dlg).cmdBreak->isHidden());
    EXPECT_FALSE(state.files.inFileChosen || state.files.outFileChosen);
    EXPECT_EQ(state.files.outFile, nullptr);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(Ctl(*dlg).opt1->isEnabled() && Ctl(*dlg).cmdOpenInFile->isEnabled());
    EXPECT_EQ(Ctl(*dlg).ProgressBar1->value(), Ctl(*dlg).ProgressBar1->maximum());
  }
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(FrmFileTest, TheResultViewerOpensAtTheEndWhenAsked) {
  Ctl(*dlg).chkDispFile->setChecked(true);
  dlg->inFileView().showModal = [](QDialog&) {};
  Choose(Cp932File("pts.in", kXyText), dir + "pts.out");
  Ctl(*dlg).cmdStart->click();
  EXPECT_EQ(U8(dlg->outFileView().windowTitle()), "出力ﾌｧｲﾙ用ﾃｷｽﾄｴﾃﾞｨﾀ: " + dir + "pts.out");
  EXPECT_TRUE(dlg->outFileView().isVisible());
}

// After a run its points wait for the parameter-range picture, and the map
// button opens it; an earlier run's points are replaced.
TEST_F(FrmFileTest, TheMapButtonShowsTheLastRunsPoints) {
  EXPECT_FALSE(Ctl(*dlg).cmdMap->isEnabled());
  int opened = 0, ended = 0;
  QObject::connect(dlg.get(), &FrmFile::mapRequested, [&] { ++opened; });
  QObject::connect(dlg.get(), &FrmFile::runEnded, [&] { ++ended; });
  state.lastRun.points.resize(7);
  Choose(Cp932File("pts.in", kXyText), dir + "pts.out");
  Ctl(*dlg).cmdStart->click();
  ASSERT_TRUE(Ctl(*dlg).cmdMap->isEnabled());
  EXPECT_EQ(ended, 1);
  Ctl(*dlg).cmdMap->click();
  EXPECT_EQ(opened, 1);
  const map::RunPoints& run = state.lastRun;
  ASSERT_EQ(run.points.size(), 3u);
  EXPECT_EQ(run.points[0].line, 2);
  EXPECT_EQ(run.points[0].outcome, map::Outcome::kGrid);
  EXPECT_EQ(Cp932ToUtf8(run.points[0].name), "剣岳");
  EXPECT_EQ(run.points[1].outcome, map::Outcome::kNone);  // far outside the demo grid
  EXPECT_EQ(run.points[2].line, 6);
  EXPECT_EQ(run.inputName, "pts.in");
  EXPECT_TRUE(run.finished);
  // A run stopped by an error keeps the points before it.
  Choose(Cp932File("bad.in", "193524.0771 34235.1330 1 A\r\n193525.0771 34236.1330\r\n"),
         dir + "r.out");
  Ctl(*dlg).cmdStart->click();
  EXPECT_EQ(run.points.size(), 1u);
  EXPECT_FALSE(run.finished);
  EXPECT_TRUE(Ctl(*dlg).cmdMap->isEnabled());
}

// Cancel at the first progress update of a file of more than 1000 lines: the
// result holds the header and exactly the first 100 lines.
TEST_F(FrmFileTest, CancelAtTheFirstProgressUpdateKeepsTheLinesWritten) {
  const std::string in = LargeXyFile("big.in", 2500);
  // A complete run first, for the expected lines (the same result file name:
  // the header shows it).
  ASSERT_TRUE(QDir().mkpath(tmp.filePath("full")));
  Choose(in, dir + "full/r.out");
  Ctl(*dlg).cmdStart->click();
  const std::string full = ReadAll(dir + "full/r.out");
  dlg->Open();
  Choose(in, dir + "r.out");
  bool lockedDuringRun = false;
  QTimer::singleShot(0, dlg.get(), [&] {
    // The first event processing of the run, at line 100.
    lockedDuringRun = dlg->running() && !Ctl(*dlg).cmdStart->isEnabled() &&
                      !Ctl(*dlg).cmdOpenInFile->isEnabled() &&
                      !Ctl(*dlg).cmdOpenOutFile->isEnabled() && !Ctl(*dlg).opt1->isEnabled() &&
                      !Ctl(*dlg).chkInValue->isEnabled() && Ctl(*dlg).cmdBreak->isVisible() &&
                      dlg->statusColor() == colors::kLightGreen &&
                      QApplication::overrideCursor() != nullptr;
    dlg->Start();  // a second run is impossible
    Ctl(*dlg).cmdBreak->click();
  });
  Ctl(*dlg).cmdStart->click();
  EXPECT_TRUE(lockedDuringRun);
  const std::string cut = ReadAll(dir + "r.out");
  // Header lines: the full file has 2500 data lines after them.
  const std::size_t fullLines = std::count(full.begin(), full.end(), '\n');
  const std::size_t headerLines = fullLines - 2500;
  std::size_t pos = 0;
  for (std::size_t i = 0; i < headerLines + 100; ++i) pos = full.find('\n', pos) + 1;
  EXPECT_EQ(cut, full.substr(0, pos));
  EXPECT_EQ(U8(Ctl(*dlg).lblStatus->text()), "一括処理は中止しました");
  EXPECT_FALSE(Ctl(*dlg).cmdStart->isEnabled());
  EXPECT_TRUE(Ctl(*dlg).cmdBreak->isHidden());
  EXPECT_FALSE(state.cancelRequested);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(U8(Ctl(*dlg).lblLine->text()), "全 2500行");
  EXPECT_EQ(U8(Ctl(*dlg).lblPercent->text()), "処理状況 4.0%  100行");
}

// The window system gets its turns at 100-line points only (here at every
// one): at every turn the progress bar and lblPercent show that point, and a
// cancel clicked at a later turn leaves exactly the lines up to it. The end of
// a full run shows the last line.
TEST_F(FrmFileTest, TurnsOfTheEventLoopShowTheirProgressPointAndCancelThere) {
  const std::string in = LargeXyFile("paced.in", 20000);
  ASSERT_TRUE(QDir().mkpath(tmp.filePath("full")));
  Choose(in, dir + "full/r.out");
  Ctl(*dlg).cmdStart->click();
  EXPECT_EQ(U8(Ctl(*dlg).lblPercent->text()), "処理状況 100.0%  20000行");
  EXPECT_EQ(Ctl(*dlg).ProgressBar1->value(), 20000);
  const std::string full = ReadAll(dir + "full/r.out");

  dlg->Open();
  Choose(in, dir + "r.out");
  dlg->pacer().SetInterval(0);
  std::vector<int> shown;
  bool consistent = true;
  QTimer turns;
  turns.setInterval(0);
  QObject::connect(&turns, &QTimer::timeout, [&] {
    if (!dlg->running() || Ctl(*dlg).cmdBreak->isHidden()) return;
    const int value = Ctl(*dlg).ProgressBar1->value();
    consistent = consistent && value % 100 == 0 &&
                 U8(Ctl(*dlg).lblPercent->text()).ends_with(" " + std::to_string(value) + "行");
    shown.push_back(value);
    if (shown.size() == 3) Ctl(*dlg).cmdBreak->click();
  });
  turns.start();
  Ctl(*dlg).cmdStart->click();
  turns.stop();
  ASSERT_EQ(shown, (std::vector<int>{100, 200, 300}));
  EXPECT_TRUE(consistent);
  const std::string cut = ReadAll(dir + "r.out");
  const std::size_t headerLines = std::count(full.begin(), full.end(), '\n') - 20000;
  std::size_t pos = 0;
  for (std::size_t i = 0; i < headerLines + static_cast<std::size_t>(shown[2]); ++i)
    pos = full.find('\n', pos) + 1;
  EXPECT_EQ(cut, full.substr(0, pos));
  EXPECT_EQ(Ctl(*dlg).ProgressBar1->value(), shown[2]);
}

TEST_F(FrmFileTest, ClosingTheDialogDuringARunCancelsIt) {
  const std::string in = LargeXyFile("big.in", 1500);
  Choose(in, dir + "r.out");
  QTimer::singleShot(0, dlg.get(), [&] { Ctl(*dlg).cmdClose->click(); });
  Ctl(*dlg).cmdStart->click();
  EXPECT_FALSE(dlg->isVisible());
  EXPECT_FALSE(dlg->running());
  const std::string out = ReadAll(dir + "r.out");
  EXPECT_EQ(out.find("P150 "), std::string::npos);
  EXPECT_NE(out.find("P99 "), std::string::npos);
  EXPECT_EQ(state.files.outFile, nullptr);
}

TEST_F(FrmFileTest, ALineWithoutHeightStopsTheRunWithTheMessage) {
  const std::string in = Cp932File("bad.in",
                                   "193524.0771 34235.1330 123.4560 A\r\n"
                                   "193525.0771 34236.1330\r\n"
                                   "193526.0771 34237.1330 1.0 C\r\n");
  Choose(in, dir + "r.out");
  Ctl(*dlg).cmdStart->click();
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text.rfind(
                "入力されたデータに問題があると思われます。計算は中断しました。 in XY_File", 0),
            0u);
  EXPECT_EQ(messages.boxes[0].title, "座標変換プログラム");
  const std::string out = ReadAll(dir + "r.out");
  EXPECT_NE(out.find(" A"), std::string::npos);
  EXPECT_EQ(out.find(" C"), std::string::npos);
  EXPECT_FALSE(dlg->running());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  EXPECT_TRUE(Ctl(*dlg).cmdOpenInFile->isEnabled());
}

// The drop handler as the window system calls it.
struct DropTarget : FrmFile {
  using FrmFile::dropEvent;
  using FrmFile::FrmFile;
};

TEST_F(FrmFileTest, ADroppedFileIsTakenAsInputOnly) {
  auto target = std::make_unique<DropTarget>(state, zones, status, messages);
  dlg = std::move(target);
  auto* dropTarget = static_cast<DropTarget*>(dlg.get());
  auto c = std::make_unique<dtest::ScriptedChooser>();
  chooser = c.get();
  dlg->SetFileChooser(std::move(c));
  dlg->Open();
  const std::string in = Cp932File("drop.in", kXyText);
  const std::string original = ReadAll(in);
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(Q(in))});
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  dropTarget->dropEvent(&drop);
  EXPECT_TRUE(drop.isAccepted());
  EXPECT_TRUE(state.files.inFileChosen);
  EXPECT_EQ(state.files.inFilePath, in);
  EXPECT_FALSE(state.files.outFileChosen);
  EXPECT_EQ(ReadAll(in), original);
  // Dropping it again once a result file is chosen leaves the result file alone.
  chooser->results.push_back(dir + "r.out");
  Ctl(*dlg).cmdOpenOutFile->click();
  dropTarget->dropEvent(&drop);
  EXPECT_TRUE(Ctl(*dlg).cmdStart->isEnabled());
  EXPECT_EQ(state.files.outFilePath, dir + "r.out");
}

TEST_F(FrmFileTest, OpenResetsTheChoicesAndTheProgress) {
  Choose(Cp932File("pts.in", kXyText), dir + "pts.out");
  Ctl(*dlg).cmdStart->click();
  Choose(Cp932File("pts.in", kXyText), dir + "p2.out");
  dlg->Open();
  EXPECT_FALSE(state.files.inFileChosen || state.files.outFileChosen);
  EXPECT_EQ(state.files.outFile, nullptr);
  EXPECT_FALSE(Ctl(*dlg).cmdStart->isEnabled());
  EXPECT_TRUE(Ctl(*dlg).lblLine->text().isEmpty() && Ctl(*dlg).lblPercent->text().isEmpty());
  EXPECT_EQ(Ctl(*dlg).ProgressBar1->value(), 0);
  EXPECT_EQ(dlg->statusColor(), (Rgb{192, 192, 255}));
  EXPECT_TRUE(Ctl(*dlg).opt2->isChecked());  // settings stay
}

}  // namespace
}  // namespace varno::ui

namespace varno::ui {
namespace {

using testing::Ctl;

// With the real main window: the zone list is its cmbPara, and the range
// messages of a latitude/longitude run go to its status line.
TEST_F(FrmFileTest, WorksWithTheMainWindow) {
  FrmMain main(state, messages);
  main.SetStatusText("before");
  dlg.reset();
  FrmFile withMain(state, main.zoneItems(), main, messages);
  auto c = std::make_unique<dtest::ScriptedChooser>();
  chooser = c.get();
  withMain.SetFileChooser(std::move(c));
  withMain.Open();
  ASSERT_EQ(Ctl(withMain).cmbPara->count(), Ctl(main).cmbPara->count());
  EXPECT_EQ(Ctl(withMain).cmbPara->itemText(0), Ctl(main).cmbPara->itemText(0));
  Ctl(withMain).opt1->setChecked(true);
  chooser->inputs.push_back(Cp932File("bl.in", "500000.0 1401300.5 1.0 far\r\n"));
  chooser->results.push_back(dir + "bl.out");
  Ctl(withMain).cmdOpenInFile->click();
  Ctl(withMain).cmdOpenOutFile->click();
  Ctl(withMain).cmdStart->click();
  EXPECT_EQ(main.statusText(), "緯度は座標系  9 系の範囲外です。入力し直して下さい。in Bl_File");
  EXPECT_EQ(main.statusColor(), (Rgb{192, 0, 0}));
  EXPECT_EQ(U8(Ctl(withMain).lblStatus->text()),
            "ファイル一括計算処理が終了しました。　 1行を処理しました。");
}

}  // namespace
}  // namespace varno::ui

namespace varno::ui {
namespace {

// The input format shares the row of 入力値の出力: every other control keeps
// its place and size, and the dialog its size.
TEST_F(FrmFileTest, FormatChoiceLeavesTheOtherControlsInPlace) {
  FrmFile without(state, zones, status, messages);
  Ctl(without).lblFormat->hide();
  Ctl(without).cmbFormat->hide();
  for (FrmFile* d : {dlg.get(), &without}) {
    d->adjustSize();
    d->show();
  }
  QApplication::processEvents();
  EXPECT_EQ(dlg->size(), without.size());
  auto places = [](FrmFile& d) {
    std::vector<QRect> r;
    for (QWidget* w : std::vector<QWidget*>{
             Ctl(d).Label4,        Ctl(d).fraShori,      Ctl(d).opt1,         Ctl(d).opt2,
             Ctl(d).opt3,          Ctl(d).fraZahyo,      Ctl(d).lblZahyo,     Ctl(d).cmbPara,
             Ctl(d).fraFileSelect, Ctl(d).cmdOpenInFile, Ctl(d).Label1,       Ctl(d).cmdOpenOutFile,
             Ctl(d).Label2,        Ctl(d).chkDispFile,   Ctl(d).cmdExp,       Ctl(d).chkInValue,
             Ctl(d).cmdStart,      Ctl(d).cmdClose,      Ctl(d).ProgressBar1, Ctl(d).lblLine,
             Ctl(d).lblPercent,    Ctl(d).lblStatus})
      r.emplace_back(w->mapTo(&d, QPoint(0, 0)), w->size());
    return r;
  };
  EXPECT_EQ(places(*dlg), places(without));
  EXPECT_TRUE(Ctl(*dlg).cmbFormat->isVisible());
  EXPECT_EQ(Ctl(*dlg).cmbFormat->count(), 3);
  EXPECT_EQ(U8(Ctl(*dlg).cmbFormat->itemText(0)), "空白区切り");
  EXPECT_EQ(U8(Ctl(*dlg).cmbFormat->itemText(1)), "CSV");
  EXPECT_EQ(U8(Ctl(*dlg).cmbFormat->itemText(2)), "SIMA座標ﾃﾞｰﾀ");
  EXPECT_EQ(dlg->CurrentFormat(), batch::InputFormat::kText);
}

// A .sim input suggests SIMA, which allows only X/Y -> X/Y/H and proposes a
// SIMA result that is never the input itself; leaving SIMA gives the earlier
// choices back.
TEST_F(FrmFileTest, SimaInputLimitsTheChoicesAndProposesASimaResult) {
  Ctl(*dlg).opt3->setChecked(true);
  chooser->inputs.push_back(Cp932File("pts.sim", "A01,1,T,1.000,2.000,3.000,\r\n"));
  Ctl(*dlg).cmdOpenInFile->click();
  EXPECT_EQ(dlg->CurrentFormat(), batch::InputFormat::kSima);
  EXPECT_TRUE(Ctl(*dlg).opt2->isChecked());
  EXPECT_FALSE(Ctl(*dlg).opt1->isEnabled());
  EXPECT_FALSE(Ctl(*dlg).opt3->isEnabled());
  EXPECT_FALSE(Ctl(*dlg).chkInValue->isEnabled());
  EXPECT_TRUE(Ctl(*dlg).opt2->isEnabled());
  Ctl(*dlg).cmdOpenOutFile->click();  // cancelled: only the proposal is looked at
  ASSERT_EQ(chooser->proposed.size(), 1u);
  EXPECT_EQ(chooser->proposed[0], dir + "pts_2011.sim");

  dlg->SetFormat(batch::InputFormat::kText);
  EXPECT_TRUE(Ctl(*dlg).opt3->isChecked());
  EXPECT_TRUE(Ctl(*dlg).opt1->isEnabled() && Ctl(*dlg).opt3->isEnabled() &&
              Ctl(*dlg).chkInValue->isEnabled());
  Ctl(*dlg).cmdOpenOutFile->click();
  EXPECT_EQ(chooser->proposed[1], dir + "pts.out");

  // .csv (any case) suggests CSV; another extension leaves the choice alone.
  chooser->inputs.push_back(Cp932File("b.CSV", "1,2,3\r\n"));
  Ctl(*dlg).cmdOpenInFile->click();
  EXPECT_EQ(dlg->CurrentFormat(), batch::InputFormat::kCsv);
  chooser->inputs.push_back(Cp932File("c.in", "1 2 3\r\n"));
  Ctl(*dlg).cmdOpenInFile->click();
  EXPECT_EQ(dlg->CurrentFormat(), batch::InputFormat::kCsv);
}

}  // namespace
}  // namespace varno::ui

namespace varno::ui {
namespace {

// A SIMA run from the dialog converts record for record, writes its report
// and ends with a warning box counting the points left unconverted; a CSV
// file run as blank-separated text ends with the box that no point was read.
TEST_F(FrmFileTest, SimaRunWarnsOfUnconvertedPointsAndAWrongFormatOfNone) {
  const std::string in = Cp932File("pts.sim",
                                   "G00,01,現場,\r\n"
                                   "A01,1,内,160000.000,20000.000,10.000,\r\n"
                                   "A01,2,外,0.000,0.000,1.000,\r\n");
  Choose(in, dir + "pts_2011.sim");
  ASSERT_EQ(dlg->CurrentFormat(), batch::InputFormat::kSima);
  Ctl(*dlg).cmdStart->click();
  const std::string result = ReadAll(dir + "pts_2011.sim");
  std::vector<std::string> records;
  for (std::size_t p = 0, q; (q = result.find("\r\n", p)) != std::string::npos; p = q + 2)
    records.push_back(result.substr(p, q - p));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(Cp932ToUtf8(records[0]), "G00,01,現場,");
  EXPECT_NE(Cp932ToUtf8(records[1]), "A01,1,内,160000.000,20000.000,10.000,");
  EXPECT_EQ(Cp932ToUtf8(records[1]).rfind("A01,1,内,", 0), 0u);
  EXPECT_EQ(Cp932ToUtf8(records[2]), "A01,2,外,0.000,0.000,1.000,");
  EXPECT_NE(ReadAll(dir + "pts_2011_report.txt"), "");
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].icon, MessageIcon::kWarning);
  EXPECT_EQ(messages.boxes[0].text.rfind("変換できなかった点が 1 点あります。", 0), 0u);
  EXPECT_NE(messages.boxes[0].text.find("点番号 2  点名 外"), std::string::npos);

  dlg->SetFormat(batch::InputFormat::kText);
  Choose(Cp932File("pts.txt", "160000.0,20000.0,10.0,A\r\n"), dir + "pts.out");
  Ctl(*dlg).cmdStart->click();
  ASSERT_EQ(messages.boxes.size(), 2u);
  EXPECT_NE(messages.boxes[1].text.find("「空白区切り」"), std::string::npos);
}

}  // namespace
}  // namespace varno::ui
