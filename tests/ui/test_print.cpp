// The result page model, its rendering to PDF, and the viewers' printing.
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>

#include "dialogs_test_util.h"
#include "ui/frm_main.h"
#include "ui/print_result.h"
#include "ui/print_text.h"
#include "window_controls.h"

namespace varno::ui {
namespace {

// The example point after a grid conversion, as the main window shows it.
PrintFields XyFields() {
  PrintFields f;
  f.txtTB = "360503.954";
  f.txtJB = "360504.123";
  f.txtTL = "1365802.392";
  f.txtJL = "1365801.5";
  f.txtTkyx = "193524.0771";
  f.txtJgdx = "193873.5324";
  f.txtTkyy = "34235.1330";
  f.txtJgdy = "33953.7444";
  f.lblTkys = ".99990000";
  f.lblJgds = "1.00001234";
  f.txtTkyh = "123.4560";
  f.txtJgdh = "123.1230";
  f.lblTkyn = "-1234.567";
  f.lblJgdn = "1234.5";
  f.txtName = "No Name";
  f.paraFilePath = "/data/varno/Veltra.par";
  f.paraVersion = "1.0";
  f.paraRangeText = "Veltra区全域";
  f.zoneNo = 9;
  return f;
}

// The only row of page line `n` (1-based).
std::string Row(const ResultPage& page, int n) {
  const std::vector<std::string> rows = LayoutRows(page.lines.at(static_cast<std::size_t>(n - 1)));
  EXPECT_EQ(rows.size(), 1u) << "line " << n;
  return rows.front();
}

// The column where `text` starts in `row`, or 0.
int ColumnOf(const std::string& row, const std::string& text) {
  const std::size_t at = row.find(text);
  return at == std::string::npos ? 0 : ColumnsOf(row.substr(0, at)) + 1;
}

TEST(ResultPageTest, ColumnsAndRows) {
  EXPECT_EQ(ColumnsOf("abc"), 3);
  EXPECT_EQ(ColumnsOf("座標Ｘ"), 6);
  EXPECT_EQ(ColumnsOf("ﾏｲﾅｽ"), 4);  // half-width katakana: one column each
  EXPECT_EQ(ColumnsOf("°"), 2);     // double-byte in Shift_JIS
  // An item whose column is already passed starts on a new row.
  const PageLine line{11.0, {{5, "0123456789"}, {10, "x"}, {20, "y"}}};
  EXPECT_EQ(LayoutRows(line),
            (std::vector<std::string>{"    0123456789",
                                      std::string(9, ' ') + "x" + std::string(9, ' ') + "y"}));
}

TEST(ResultPageTest, PlaneCoordinateModeAfterAGridConversion) {
  const ResultPage page = BuildResultPage(XyFields());
  ASSERT_EQ(page.lines.size(), 32u);
  for (int n : {1, 2, 3, 4, 6, 8, 9, 14, 16, 18, 20, 24, 28, 31})
    EXPECT_TRUE(page.lines[static_cast<std::size_t>(n - 1)].items.empty()) << n;
  for (int n : {5, 15, 19, 32}) EXPECT_EQ(Row(page, n), std::string(9, ' ') + std::string(90, '-'));
  EXPECT_EQ(page.lines[6].pointSize, 18.0);
  EXPECT_EQ(Row(page, 7), std::string(20, ' ') + "座 標 変 換 計 算");
  EXPECT_EQ(page.lines[7].pointSize, 11.0);

  const std::string l10 = Row(page, 10);
  EXPECT_EQ(ColumnOf(l10, "変換パラメータファイル名 : Veltra.par "), 20);
  EXPECT_EQ(ColumnOf(l10, "1.0"), 73);
  EXPECT_EQ(ColumnOf(Row(page, 11), "変換パラメータの範囲 : Veltra区全域"), 20);
  EXPECT_EQ(ColumnOf(Row(page, 12), "座標変換方法 : "), 20);
  EXPECT_EQ(ColumnOf(Row(page, 12), "（バイリニア補間法）"), 40);
  EXPECT_EQ(Row(page, 13), std::string(69, ' ') + "座標系番号 :  9");
  EXPECT_EQ(ColumnOf(Row(page, 17), "変換する座標の名称 :"), 25);
  EXPECT_EQ(ColumnOf(Row(page, 17), "[   No Name   ]"), 46);
  EXPECT_EQ(ColumnOf(Row(page, 21), "震災前成果(2000)"), 41);
  EXPECT_EQ(ColumnOf(Row(page, 21), "震災後成果(2011)"), 71);

  // Cells are right-aligned: a value ends at its cell's last column.
  struct Cell {
    int line;
    const char* caption;
    const char* value;
    int lastColumn;
  };
  const Cell cells[] = {
      {22, "緯　度　Ｂ", "36°5' 3.95400", 35 + 21 - 1},
      {22, "緯　度　Ｂ", "36°5' 4.12300", 65 + 21 - 1},
      {23, "経　度　Ｌ", "136°58' 2.39200", 35 + 21 - 1},
      {23, "経　度　Ｌ", "136°58' 1.50000", 65 + 21 - 1},
      {25, "座標Ｘ", "193,524.0771", 37 + 19 - 1},
      {25, "座標Ｘ", "193,873.5324", 67 + 19 - 1},
      {26, "座標Ｙ", "34,235.1330", 37 + 19 - 1},
      {26, "座標Ｙ", "33,953.7444", 67 + 19 - 1},
      {27, "標高Ｈ", "123.4560", 37 + 19 - 1},
      {27, "標高Ｈ", "123.1230", 67 + 19 - 1},
      {29, "真北方向角", "-0°12' 34.567", 39 + 17 - 1},
      {29, "真北方向角", " 0°12' 34.500", 69 + 17 - 1},
      {30, "縮尺係数", " 0.99990000", 38 + 19 - 1},
      {30, "縮尺係数", " 1.00001234", 68 + 19 - 1},
  };
  for (const Cell& c : cells) {
    SCOPED_TRACE(c.value);
    const std::string row = Row(page, c.line);
    EXPECT_EQ(ColumnOf(row, c.caption), 15);
    const int start = ColumnOf(row, c.value);
    ASSERT_GT(start, 0) << row;
    EXPECT_EQ(start + static_cast<int>(Q(c.value).size()) - 1, c.lastColumn) << row;
  }
  for (int n : {25, 26, 27}) EXPECT_EQ(ColumnOf(Row(page, n), " m"), 86);
}

TEST(ResultPageTest, LatitudeLongitudeModeBlanksTheValueRows) {
  PrintFields f = XyFields();
  f.latLonMode = true;
  f.txtTkyx = f.txtJgdx = f.lblTkys = f.lblTkyn = "";  // not read in this mode
  const ResultPage page = BuildResultPage(f);
  EXPECT_EQ(Row(page, 25), std::string(14, ' ') + "座標Ｘ" + std::string(66, ' ') + "m");
  EXPECT_EQ(Row(page, 29), std::string(14, ' ') + "真北方向角" + std::string(61, ' '));
  EXPECT_EQ(Row(page, 30), std::string(14, ' ') + "縮尺係数" + std::string(64, ' '));
  EXPECT_NE(Row(page, 22).find("36°5' 3.95400"), std::string::npos);
}

TEST(ResultPageTest, FieldCases) {
  PrintFields f = XyFields();
  f.txtJgdx = f.txtJgdy = f.txtJgdh = "-9999.";
  f.zoneNo = 10;
  f.txtName = "剣岳 1";
  const ResultPage page = BuildResultPage(f);
  EXPECT_NE(Row(page, 25).find("-9,999.0000"), std::string::npos);
  EXPECT_EQ(Row(page, 13), std::string(69, ' ') + "座標系番号 :  10");
  EXPECT_EQ(ColumnOf(Row(page, 17), "[   剣岳 1   ]"), 46);
  // Not numbers: nothing can be built.
  for (std::string PrintFields::*field :
       {&PrintFields::txtJgdx, &PrintFields::txtTB, &PrintFields::lblJgdn, &PrintFields::lblTkys}) {
    PrintFields bad = XyFields();
    bad.*field = "";
    EXPECT_THROW(BuildResultPage(bad), VarnoError);
    bad.*field = "1,234.5";
    EXPECT_THROW(BuildResultPage(bad), VarnoError);
  }
}

std::string PdfText(const QString& pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  return p.readAllStandardOutput().toStdString();
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
    out.push_back(text.substr(start, nl - start));
  return out;
}

// Characters before `what` in `line` (pdftotext lays columns out by position).
int CharsBefore(const std::string& line, const std::string& what) {
  const std::size_t at = line.find(what);
  return at == std::string::npos ? -1 : static_cast<int>(Q(line.substr(0, at)).size());
}

class PrintPdfTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dtest::EnsureApp();
    pdf = tmp.filePath(QStringLiteral("page.pdf"));
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
  }
  QTemporaryDir tmp;
  QString pdf;
  QPrinter printer{QPrinter::HighResolution};
  dtest::Messages messages;
};

TEST_F(PrintPdfTest, TheResultPageInAPdfFile) {
  ASSERT_TRUE(PrintResult(XyFields(), messages, printer));
  EXPECT_TRUE(messages.boxes.empty());
  const std::string text = PdfText(pdf);
  if (text.empty()) GTEST_SKIP() << "pdftotext not available";
  const std::vector<std::string> lines = Lines(text);
  // The texts in their order on the page.
  const char* order[] = {"変換パラメータファイル名",
                         "変換パラメータの範囲",
                         "（バイリニア補間法）",
                         "座標系番号",
                         "No Name",
                         "震災前成果(2000)",
                         "36°5' 3.95400",
                         "136°58' 2.39200",
                         "193,524.0771",
                         "34,235.1330",
                         "123.4560",
                         "-0°12' 34.567",
                         "0.99990000"};
  std::size_t pos = 0;
  for (const char* t : order) {
    const std::size_t at = text.find(t, pos);
    ASSERT_NE(at, std::string::npos) << t << "\n" << text;
    pos = at;
  }
  auto lineWith = [&](const std::string& t) {
    for (const std::string& l : lines)
      if (l.find(t) != std::string::npos) return l;
    return std::string();
  };
  // Right-aligned cells end in the same column on every row; the pre value
  // stands left of the post value.
  const std::string x = lineWith("座標Ｘ"), y = lineWith("座標Ｙ");
  ASSERT_FALSE(x.empty() || y.empty()) << text;
  EXPECT_EQ(CharsBefore(x, "193,524.0771") + 12, CharsBefore(y, "34,235.1330") + 11) << x << "\n"
                                                                                     << y;
  EXPECT_EQ(CharsBefore(x, "193,873.5324") + 12, CharsBefore(y, "33,953.7444") + 11);
  EXPECT_LT(CharsBefore(x, "193,524.0771"), CharsBefore(x, "193,873.5324"));
  EXPECT_GT(CharsBefore(x, " m"), CharsBefore(x, "193,873.5324"));
  EXPECT_NE(lineWith("座 標 変 換 計 算"), "");
}

TEST_F(PrintPdfTest, AFieldThatIsNotANumberPrintsNothing) {
  PrintFields f = XyFields();
  f.txtJgdx.clear();
  EXPECT_FALSE(PrintResult(f, messages, printer));
  ASSERT_EQ(messages.boxes.size(), 1u);
  EXPECT_EQ(messages.boxes[0].text,
            "フォームの印刷ができません。「通常使うﾌﾟﾘﾝﾀ」を確認して下さい。");
  EXPECT_FALSE(QFileInfo::exists(pdf));
}

TEST_F(PrintPdfTest, NoPrinterGivesTheMessage) {
  QPrinter none;
  none.setOutputFormat(QPrinter::PdfFormat);  // a PDF printer without a file
  EXPECT_FALSE(PrintResult(XyFields(), messages, none));
  EXPECT_EQ(messages.boxes.size(), 1u);
}

TEST_F(PrintPdfTest, ViewerTextInAPdfFile) {
  const QString text = Q("# 点名\n193524.0771 34235.1330 123.4560 剣岳\n") +
                       QString(300, QLatin1Char('x')) + QLatin1Char('\n');
  EXPECT_TRUE(PrintPlainText(text, printer, messages));
  EXPECT_TRUE(messages.boxes.empty());
  const std::string out = PdfText(pdf);
  if (out.empty()) GTEST_SKIP() << "pdftotext not available";
  EXPECT_NE(out.find("# 点名"), std::string::npos) << out;
  EXPECT_NE(out.find("193524.0771 34235.1330 123.4560 剣岳"), std::string::npos) << out;
  EXPECT_NE(out.find("xxxxxxxxxx"), std::string::npos);
}

}  // namespace
}  // namespace varno::ui

namespace varno::ui {
namespace {

// cmdPrint reads the main window's fields and is disabled after every attempt.
TEST_F(PrintPdfTest, PrintingFromTheMainWindow) {
  ModuleState state;
  dtest::LoadDemoGrid(state, tmp.path());
  FrmMain main(state, messages);
  struct Field {
    std::string PrintFields::*member;
    QWidget* widget;
  };
  const Field fields[] = {
      {&PrintFields::txtTB, testing::Ctl(main).txtTB},
      {&PrintFields::txtJB, testing::Ctl(main).txtJB},
      {&PrintFields::txtTL, testing::Ctl(main).txtTL},
      {&PrintFields::txtJL, testing::Ctl(main).txtJL},
      {&PrintFields::txtTkyx, testing::Ctl(main).txtTkyx},
      {&PrintFields::txtJgdx, testing::Ctl(main).txtJgdx},
      {&PrintFields::txtTkyy, testing::Ctl(main).txtTkyy},
      {&PrintFields::txtJgdy, testing::Ctl(main).txtJgdy},
      {&PrintFields::lblTkys, testing::Ctl(main).lblTkys},
      {&PrintFields::lblJgds, testing::Ctl(main).lblJgds},
      {&PrintFields::txtTkyh, testing::Ctl(main).txtTkyh},
      {&PrintFields::txtJgdh, testing::Ctl(main).txtJgdh},
      {&PrintFields::lblTkyn, testing::Ctl(main).lblTkyn},
      {&PrintFields::lblJgdn, testing::Ctl(main).lblJgdn},
      {&PrintFields::txtName, testing::Ctl(main).txtName},
  };
  int n = 0;
  for (const Field& f : fields) {
    const QString value = QString::number(++n) + QStringLiteral(".5");
    if (auto* edit = qobject_cast<QLineEdit*>(f.widget)) edit->setText(value);
    if (auto* label = qobject_cast<QLabel*>(f.widget)) label->setText(value);
  }
  state.geo.zone.zoneNo = 7;
  const PrintFields read = ReadPrintFields(main, state);
  n = 0;
  for (const Field& f : fields) EXPECT_EQ(read.*f.member, std::to_string(++n) + ".5");
  EXPECT_EQ(read.zoneNo, 7);
  EXPECT_EQ(read.paraFilePath, state.store.paraFilePath);
  EXPECT_EQ(read.paraVersion, "1.0");
  EXPECT_EQ(read.latLonMode, testing::Ctl(main).optBl->isChecked());

  testing::Ctl(main).cmdPrint->setEnabled(true);
  PrintResult(main, state, messages, printer);
  EXPECT_TRUE(messages.boxes.empty());
  EXPECT_TRUE(QFileInfo::exists(pdf));
  EXPECT_FALSE(testing::Ctl(main).cmdPrint->isEnabled());
  testing::Ctl(main).txtJgdx->clear();
  testing::Ctl(main).cmdPrint->setEnabled(true);
  PrintResult(main, state, messages, printer);
  EXPECT_EQ(messages.boxes.size(), 1u);
  EXPECT_FALSE(testing::Ctl(main).cmdPrint->isEnabled());
}

}  // namespace
}  // namespace varno::ui
