// The input editor, the result viewer and the file format help window.
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QTextCursor>

#include "batch/formats.h"
#include "batch/sima.h"
#include "codec/cp932.h"
#include "dialogs_test_util.h"
#include "ui/frm_format.h"
#include "ui/frm_in_file.h"
#include "ui/frm_out_file.h"
#include "window_controls.h"

namespace varno::ui {
namespace {

using dtest::ReadAll;
using dtest::WriteAll;

// The viewers' controls, found by their names.
QPlainTextEdit* Edit(QObject& viewer) {
  return viewer.findChild<QPlainTextEdit*>(QStringLiteral("txtEdit"));
}
QAction* Action(QObject& viewer, const char* name) {
  auto* a = viewer.findChild<QAction*>(QLatin1String(name));
  EXPECT_NE(a, nullptr) << name;
  return a;
}

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dtest::EnsureApp();
    dir = U8(tmp.path()) + "/";
    in.showModal = [](QDialog& d) { d.show(); };
  }
  QTemporaryDir tmp;
  std::string dir;
  ModuleState state;
  dtest::Messages messages;
  FrmInFile in{state, messages};
  FrmOutFile out{messages};
};

TEST_F(ViewerTest, InputEditorLoadsCp932AndKeepsItsEditsForTheSamePath) {
  const std::string path = dir + "pts.in";
  WriteAll(path, Utf8ToCp932("# 点名\r\n370856.1234 1395201.9876 123.456 剣岳\r\n"));
  int shown = 0;
  in.showModal = [&](QDialog& d) {
    ++shown;
    d.show();
  };
  in.OpenInFileView(path);
  EXPECT_EQ(U8(in.windowTitle()), "入力ﾌｧｲﾙ用ﾃｷｽﾄｴﾃﾞｨﾀ: " + path);
  EXPECT_EQ(U8(Edit(in)->toPlainText()), "# 点名\n370856.1234 1395201.9876 123.456 剣岳\n");
  // The caption matches: no reload, the edit stays.
  Edit(in)->setPlainText(QStringLiteral("edited"));
  in.OpenInFileView(path);
  EXPECT_EQ(Edit(in)->toPlainText(), QStringLiteral("edited"));
  EXPECT_EQ(shown, 1);
  // "閉じる" unloads: the next call reads the file again.
  Action(in, "mnuFileItem1")->trigger();
  EXPECT_EQ(U8(in.windowTitle()), "入力ファイル");
  in.OpenInFileView(path);
  EXPECT_NE(Edit(in)->toPlainText(), QStringLiteral("edited"));
  EXPECT_EQ(shown, 2);
}

TEST_F(ViewerTest, UnreadableFilesGiveTheEditorMessage) {
  in.OpenInFileView(dir + "missing.in");
  out.OpenOutFileView(dir + "missing.out");
  ASSERT_EQ(messages.boxes.size(), 2u);
  for (const auto& box : messages.boxes) {
    EXPECT_EQ(box.text.rfind("ﾌｧｲﾙを開くときにｴﾗｰが発生しました。", 0), 0u);
    EXPECT_EQ(box.text.substr(box.text.size() - 3), " 53");
    EXPECT_EQ(box.title, "ﾃｷｽﾄ ｴﾃﾞｨﾀ");
    EXPECT_EQ(box.icon, MessageIcon::kWarning);
  }
  EXPECT_FALSE(in.isVisible() || out.isVisible());
}

// What both windows share: the unwrapped text box under the menu bar, the
// place and width each is shown at, and closing by any means returning to the
// design caption with the text emptied.
TEST_F(ViewerTest, BothViewersShowTheFileAndUnloadWhenClosed) {
  const std::string path = dir + "both.txt";
  WriteAll(path, Utf8ToCp932("1 2 3 点\r\n"));
  struct Case {
    TextViewer* viewer;
    std::function<void()> open;
    const char* caption;
    const char* designCaption;
    QPoint place;  // pixels from the screen's corner
    int width;
    bool readOnly;
  };
  const Case cases[] = {{&in,
                         [&] { in.OpenInFileView(path); },
                         "入力ﾌｧｲﾙ用ﾃｷｽﾄｴﾃﾞｨﾀ: ",
                         "入力ファイル",
                         {33, 38},
                         266,
                         false},
                        {&out,
                         [&] { out.OpenOutFileView(path); },
                         "出力ﾌｧｲﾙ用ﾃｷｽﾄｴﾃﾞｨﾀ: ",
                         "出力ファイル",
                         {300, 13},
                         466,
                         true}};
  const QPoint origin = QApplication::primaryScreen()->availableGeometry().topLeft();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.designCaption);
    EXPECT_EQ(U8(c.viewer->windowTitle()), c.designCaption);
    c.open();
    EXPECT_EQ(U8(c.viewer->windowTitle()), c.caption + path);
    EXPECT_EQ(U8(c.viewer->text()), "1 2 3 点\n");
    EXPECT_EQ(c.viewer->pos(), origin + c.place);
    EXPECT_EQ(c.viewer->width(), c.width);
    QPlainTextEdit* e = Edit(*c.viewer);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->isReadOnly(), c.readOnly);
    EXPECT_EQ(e->lineWrapMode(), QPlainTextEdit::NoWrap);
    EXPECT_EQ(e->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    auto* bar = c.viewer->findChild<QMenuBar*>(QStringLiteral("menuBar"));
    ASSERT_NE(bar, nullptr);
    EXPECT_GE(e->y(), bar->geometry().bottom());
    // Esc, the title bar: every way of closing unloads.
    c.viewer->reject();
    EXPECT_EQ(U8(c.viewer->windowTitle()), c.designCaption);
    EXPECT_TRUE(c.viewer->text().isEmpty());
    EXPECT_FALSE(c.viewer->isVisible());
  }
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(ViewerTest, SavingAsksBeforeOverwritingAndWritesCp932) {
  const std::string path = dir + "pts.in";
  const std::string original = Utf8ToCp932("old\r\n");
  WriteAll(path, original);
  state.files.inFilePath = path;
  Edit(in)->setPlainText(Q("1 2 3 剣岳\n4 5 6"));
  // No: the file stays as it was.
  messages.answer = false;
  EXPECT_FALSE(in.SaveEditFile(path));
  ASSERT_EQ(messages.questions.size(), 1u);
  EXPECT_EQ(messages.questions[0], "既存のﾌｧｲﾙを上書きしますか ?");
  EXPECT_EQ(ReadAll(path), original);
  // Yes through the menu: CP932 with CR LF, one line break at the end, and
  // the chosen input path stays.
  messages.answer = true;
  Action(in, "mnuFileItem0")->trigger();
  EXPECT_EQ(ReadAll(path), Utf8ToCp932("1 2 3 剣岳\r\n4 5 6\r\n"));
  EXPECT_EQ(state.files.inFilePath, path);
  // Saving the loaded text again does not grow the file.
  Edit(in)->setPlainText(Q(Cp932ToUtf8(ReadAll(path))).replace(QLatin1String("\r\n"), "\n"));
  EXPECT_TRUE(in.SaveEditFile(path));
  EXPECT_EQ(ReadAll(path), Utf8ToCp932("1 2 3 剣岳\r\n4 5 6\r\n"));
  // A new file needs no question.
  EXPECT_TRUE(in.SaveEditFile(dir + "new.in"));
  EXPECT_EQ(messages.questions.size(), 3u);
  EXPECT_TRUE(messages.boxes.empty());
}

TEST_F(ViewerTest, TextThatShiftJisCannotHoldIsNotSaved) {
  const std::string path = dir + "pts.in";
  WriteAll(path, "old\r\n");
  // A long text with an emoji on its second line: the short message names
  // the character, its line and column, not the whole text.
  Edit(in)->setPlainText(
      Q("# " + std::string(5000, 'x') + "\n1 2 3 \xF0\x9F\x98\x80 \xE2\x82\xAC"));
  EXPECT_FALSE(in.SaveEditFile(path));
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].icon, MessageIcon::kWarning);
  const std::string& text = messages.boxes[0].text;
  EXPECT_LT(text.size(), 300u);
  EXPECT_NE(text.find("「\xF0\x9F\x98\x80」(U+1F600) は CP932 で表せません（2行 7列）"),
            std::string::npos)
      << text;
  EXPECT_EQ(text.find("数値"), std::string::npos);  // not a number conversion
  EXPECT_EQ(ReadAll(path), "old\r\n");
}

TEST_F(ViewerTest, CutAndCopyNeedASelection) {
  Edit(in)->setPlainText(QStringLiteral("abc def"));
  emit in.findChild<QMenu*>(QStringLiteral("mnuEdit"))->aboutToShow();
  EXPECT_FALSE(Action(in, "mnuEditItem0")->isEnabled());
  EXPECT_FALSE(Action(in, "mnuEditItem1")->isEnabled());
  EXPECT_TRUE(Action(in, "mnuEditItem2")->isEnabled());
  QTextCursor c = Edit(in)->textCursor();
  c.setPosition(0);
  c.setPosition(3, QTextCursor::KeepAnchor);
  Edit(in)->setTextCursor(c);
  emit in.findChild<QMenu*>(QStringLiteral("mnuEdit"))->aboutToShow();
  ASSERT_TRUE(Action(in, "mnuEditItem0")->isEnabled() && Action(in, "mnuEditItem1")->isEnabled());
  Action(in, "mnuEditItem0")->trigger();  // cut
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("abc"));
  EXPECT_EQ(Edit(in)->toPlainText(), QStringLiteral(" def"));
  c = Edit(in)->textCursor();
  c.setPosition(0);
  Edit(in)->setTextCursor(c);
  Action(in, "mnuEditItem2")->trigger();  // paste
  EXPECT_EQ(Edit(in)->toPlainText(), QStringLiteral("abc def"));
}

// Texts of fewer than 16 000 characters are shown whole; longer ones are
// cut or padded to exactly 32 000 characters, with the message.
TEST_F(ViewerTest, ResultViewerSizeRules) {
  struct Case {
    int length;
    bool message;
    int shown;
  };
  const std::string path = dir + "r.out";
  for (const Case c : {Case{15999, false, 15999}, Case{16000, true, 32000},
                       Case{20000, true, 32000}, Case{40000, true, 32000}}) {
    SCOPED_TRACE(c.length);
    messages.boxes.clear();
    std::string text;
    for (int i = 0; static_cast<int>(text.size()) < c.length; ++i) text += std::to_string(i % 10);
    WriteAll(path, text);
    out.OpenOutFileView(path);
    const QString shown = Edit(out)->toPlainText();
    EXPECT_EQ(shown.size(), c.shown);
    EXPECT_EQ(shown.left(std::min(c.length, 32000)),
              Q(text.substr(0, static_cast<std::size_t>(std::min(c.length, 32000)))));
    if (c.length < 32000) {
      EXPECT_EQ(shown.mid(c.length).count(QLatin1Char(' ')), c.shown - c.length);
    }
    ASSERT_EQ(messages.boxes.size(), c.message ? 1u : 0u);
    if (c.message) {
      EXPECT_EQ(messages.boxes[0].text,
                "ﾌｧｲﾙｻｲｽﾞが大きいので32KBだけをﾃｷｽﾄｴﾃﾞｨﾀで表示します。\r処理は完了しました。");
      EXPECT_EQ(messages.boxes[0].title, "ﾃｷｽﾄ ｴﾃﾞｨﾀ");
      EXPECT_EQ(messages.boxes[0].icon, MessageIcon::kInformation);
    }
    EXPECT_EQ(U8(out.windowTitle()), "出力ﾌｧｲﾙ用ﾃｷｽﾄｴﾃﾞｨﾀ: " + path);
    EXPECT_TRUE(out.isVisible());
    EXPECT_TRUE(Edit(out)->isReadOnly());
  }
  Action(out, "mnuClose")->trigger();
  EXPECT_EQ(U8(out.windowTitle()), "出力ファイル");
}

TEST_F(ViewerTest, ALargeResultFileOfDoubleByteCharactersShowsItsFirst32000) {
  const std::string path = dir + "r.out";
  std::string text;
  for (int i = 0; i < 100000; ++i) text += i % 3 ? "点" : "ｱ";
  WriteAll(path, Utf8ToCp932(text));
  out.OpenOutFileView(path);
  const QString shown = Edit(out)->toPlainText();
  EXPECT_EQ(shown, Q(text).left(32000));
  EXPECT_EQ(messages.boxes.size(), 1u);
}

TEST_F(ViewerTest, ResultViewerShowsANewRunOfTheSameFile) {
  const std::string path = dir + "r.out";
  WriteAll(path, "first\r\n");
  out.OpenOutFileView(path);
  WriteAll(path, Utf8ToCp932("second 代表点\r\n"));
  out.OpenOutFileView(path);
  EXPECT_EQ(U8(Edit(out)->toPlainText()), "second 代表点\n");
}

// The help texts, line by line.
TEST(FrmFormatTest, HelpTextsAndWindow) {
  dtest::EnsureApp();
  const std::vector<std::string> text1 = {
      "1行には，緯度，経度，標高,名称の順番で入力。",
      "緯度と経度，経度と標高,標高と名称の間の区切りは，1つ以上の半角空白と",
      "する。",
      "区切り文字として，全角空白やタブやカンマは使わないこと。",
      "緯度の前や名称の後ろに半角空白はあっても良い。",
      "緯度，経度の形式は，度分秒を区切らずに記述する。",
      "分および秒の整数部分は2桁とする。10の位がゼロのときは空白とせず0とす",
      "る。",
      "秒のみ小数点入力。秒の有効桁は小数点以下7桁。",
      "標高の単位は，メートルとする。ただし，”m”等の文字は入れないこと。",
      "標高の後の名称はなくてもよい。",
      "コメント行の行頭は\"#\"（半角）とする。",
      "緯度，経度,標高の数字は半角とする。",
      "",
      "［例］",
      "# 緯度(dms)   経度(dms)    　H(m)    名称",
      "370856.1234  1395201.9876   123.456  剣岳",
      "",
      "［緯度，経度の良い例　37度8分56.1234秒の場合］",
      "370856.1234",
      "+370856.1234",
      "",
      "［緯度，経度の悪い例　37度8分56.1234秒の場合］",
      "370856　　　　　　　　 ← 秒に小数点がない",
      "37 08 56.1234　　　　　← 度，分，秒の区切りが半角空白となっている",
      "37:08:56.1234　　　　　← 度，分，秒の区切りがコロンとなっている",
      "37-08-56.1234　　　　　← 度，分，秒の区切りがハイフンとなっている",
      "37.08561234　　　　　　← 度と分の間に小数点が入っている",
      "37 856.1234　　　　　　← 分が1桁になっている",
      "３７８５６．１２３４　 ← 数字が全角となっている",
  };
  const std::vector<std::string> text2 = {
      "1行には，X，Y，H, 名称の順番で入力。",
      "XとY，YとH, Hと名称の間の区切りは，1つ以上の半角空白とする。",
      "区切り文字として，全角空白やタブやカンマは使わないこと。",
      "Xの前や名称の後ろに半角空白はあっても良い。",
      "X，Y,H の単位は，メートルとする。ただし，”m”等の文字は入れないこと。",
      "小数点は必ず入力すること。有効桁は小数点以下7桁。",
      "Hの後の名称はなくてもよい。",
      "コメント行の行頭は\"#\"（半角）とする。",
      "符号と数字は密着させること。",
      "X，Y, Hの数字は半角とする。",
      "",
      "［例］",
      "# 　X(m)　　　　 Y(m)　　H(m)  　 点名",
      "51393.9627 67365.0402    123.456   剣岳",
      "47867.6425 -3939.3856    34.460   マイナス",
      "",
      "［X，Y, Hの良い例　-3939.3856mの場合］",
      "-3939.3856",
      "",
      "［X，Y, Hのの悪い例　-3939.3856mの場合］",
      "-3939.3856m　　　　　　← ”m”がついている",
      "-3939　　　　　　　　　 ← 小数点がない",
      "-3939,3856　　　　　　　← 小数点がカンマ”,”になっている",
      "- 3939.3856 　　　　　　← 符号と数字の間に余計な文字が入っている",
      "－３９３９．３８５６　　← 符号と数字が全角となっている",
  };
  const std::vector<std::string> text3 = {
      "行末に「-9999.」とある行は，「Veltra区変換パラメータ」で設定された範",
      "囲外で変換されなかった行です。",
      "行末にもない行は，「Veltra区変換パラメータ」で変換された行です。",
      "ただし，コメント行や数値の形式が不正な行は，変換されずにそのまま出力",
      "されます。",
  };
  FrmFormat help;
  auto lines = [](const QPlainTextEdit* box) {
    const std::string all = U8(box->toPlainText());
    EXPECT_EQ(all.back(), '\n');
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t nl; (nl = all.find('\n', start)) != std::string::npos; start = nl + 1)
      out.push_back(all.substr(start, nl - start));
    return out;
  };
  EXPECT_EQ(lines(testing::Named<QPlainTextEdit>(help, "Text1")), text1);
  EXPECT_EQ(lines(testing::Named<QPlainTextEdit>(help, "Text2")), text2);
  EXPECT_EQ(lines(testing::Named<QPlainTextEdit>(help, "Text3")), text3);
  EXPECT_EQ(U8(help.windowTitle()), "ﾌｧｲﾙ形式の説明");
  EXPECT_EQ(U8(testing::Named<QLabel>(help, "lblDai")->text()), "入力ファイルの形式についての説明");
  EXPECT_EQ(U8(testing::Named<QLabel>(help, "Label2")->text()), "平面直角座標 X Y の場合");
  EXPECT_EQ(testing::Named<QLabel>(help, "Label3")->palette().color(QPalette::Window),
            QColor(224, 224, 224));
  help.ShowModeless();
  EXPECT_TRUE(help.isVisible());
  EXPECT_FALSE(help.isModal());
  testing::Named<QPushButton>(help, "cmdClose")->click();
  EXPECT_FALSE(help.isVisible());
}

// The CSV and SIMA examples of the help window are what the converters
// accept and refuse: a good example is a point, a bad one is not.
TEST(FrmFormatTest, CsvAndSimaExamplesAgreeWithTheConverters) {
  dtest::EnsureApp();
  FrmFormat help;
  EXPECT_EQ(U8(testing::Named<QLabel>(help, "Label4")->text()), "CSV，SIMA座標ﾃﾞｰﾀの場合");
  const std::string all = U8(testing::Named<QPlainTextEdit>(help, "Text4")->toPlainText());
  std::string section;
  int checked = 0;
  std::size_t start = 0;
  for (std::size_t nl; (nl = all.find('\n', start)) != std::string::npos; start = nl + 1) {
    std::string line = all.substr(start, nl - start);
    if (line.rfind("［", 0) == 0) {
      section = line;
      continue;
    }
    if (line.empty() || section.find("例］") == std::string::npos) continue;
    const bool good = section.find("良い例") != std::string::npos;
    // The example ends where the full-width blanks before the arrow begin.
    line = line.substr(0, std::min(line.find("\u3000"), line.find(" ←")));
    const std::string bytes = Utf8ToCp932(line);
    if (section.find("CSV") != std::string::npos) {
      batch::LineFields f;
      EXPECT_EQ(batch::ClassifyCsvLine(bytes, f) == batch::LineKind::kData, good) << line;
    } else {
      const batch::sima::ParsedRecord r = batch::sima::ParseRecord(bytes);
      EXPECT_TRUE(r.isPoint) << line;
      EXPECT_EQ(r.problem == batch::sima::Problem::kNone, good) << line;
    }
    ++checked;
  }
  EXPECT_EQ(checked, 10);
}

}  // namespace
}  // namespace varno::ui

namespace varno::ui {
namespace {

// "印刷" in both viewers: the printer dialog, then the text; a cancelled
// dialog prints nothing.
TEST_F(ViewerTest, PrintMenusPrintTheTextAfterThePrinterDialog) {
  const std::string path = dir + "r.out";
  WriteAll(path, Utf8ToCp932("結果 193873.5324\r\n"));
  out.OpenOutFileView(path);
  in.OpenInFileView(path);
  struct Viewer {
    QAction* menu;
    std::function<bool(QPrinter&)>* chooser;
  };
  for (const Viewer& v : {Viewer{Action(in, "mnuPrintList"), &in.choosePrinter},
                          Viewer{Action(out, "mnuPrintList"), &out.choosePrinter}}) {
    const QString pdf = tmp.filePath(QStringLiteral("print.pdf"));
    QFile::remove(pdf);
    *v.chooser = [](QPrinter&) { return false; };
    v.menu->trigger();
    EXPECT_FALSE(QFileInfo::exists(pdf));
    *v.chooser = [&](QPrinter& p) {
      p.setOutputFormat(QPrinter::PdfFormat);
      p.setOutputFileName(pdf);
      return true;
    };
    v.menu->trigger();
    EXPECT_GT(QFileInfo(pdf).size(), 0);
  }
  EXPECT_TRUE(messages.boxes.empty());
}

}  // namespace
}  // namespace varno::ui
