#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../text/number_texts.h"
#include "batch/layout.h"
#include "batch_test_util.h"
#include "codec/cp932.h"
#include "text/format.h"
#include "text/number.h"

namespace varno::batch {
namespace {

using testing::CrLfLines;

HeaderFields SampleHeader() {
  HeaderFields h;
  h.outFileName = "pts.out";
  h.paraFileName = "Veltra.par";
  h.paraVersion = "Ver2.0";
  h.rangeText = "R";
  h.methodText = "M";
  h.paraZoneNo = 9;
  h.inFileName = "pts.in";
  return h;
}

std::string U(const std::string& cp932) {
  return Cp932ToUtf8(cp932);
}

TEST(Header, BothVariantsLineByLine) {
  for (Converter c : {Converter::kBl, Converter::kXy}) {
    const bool bl = c == Converter::kBl;
    std::string out;
    AppendHeader(c, false, false, SampleHeader(), out);
    auto lines = CrLfLines(out);
    ASSERT_EQ(lines.size(), bl ? 11u : 10u);
    EXPECT_EQ(out.substr(out.size() - 4), "\r\n\r\n");  // ends with the empty line
    EXPECT_EQ(lines[0], std::string(69, ' ') + "pts.out");
    EXPECT_EQ(U(lines[1]),
              "     ==========  座標変換プログラム Ver.1.0.0     （バイリニア補間法）  ==========");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(U(lines[3]), bl ? "      変換パラメータファイルの名称 : Veltra.parVer2.0"
                              : "      変換パラメータファイルの名称 : Veltra.par   Ver2.0");
    EXPECT_EQ(U(lines[4]),
              bl ? "      変換パラメータの範囲        : R     変換パラメータ作成法 : M"
                 : "      変換パラメータの範囲         : R     変換パラメータ作成法 : M");
    EXPECT_EQ(U(lines[5]),
              "      変換パラメータの適用座標系   :  9 系      計算入力ファイル名 : pts.in");
    EXPECT_EQ(lines[6], "");
    EXPECT_EQ(lines.back(), "");
  }
}

TEST(Header, ZoneNumberIsSpacedAndBytesPassThrough) {
  HeaderFields h = SampleHeader();
  h.paraZoneNo = 0;
  h.rangeText = "\x95\x5c";  // CP932 bytes stay as they are
  std::string out;
  AppendHeader(Converter::kXy, true, true, h, out);
  auto lines = CrLfLines(out);
  EXPECT_NE(lines[4].find("\x95\x5c"), std::string::npos);
  EXPECT_NE(U(lines[5]).find(":  0 系"), std::string::npos);
  h.paraZoneNo = 12;
  out.clear();
  AppendHeader(Converter::kXy, true, true, h, out);
  EXPECT_NE(U(CrLfLines(out)[5]).find(":  12 系"), std::string::npos);
}

TEST(Titles, SixBlocksWithTheirBlanks) {
  struct Case {
    Converter c;
    bool withInput, angles;
    std::size_t lines;
    std::string first;  // the first title line, with its full-width spaces spelled out
  };
  const std::string fw = "\u3000";
  const std::vector<Case> cases = {
      {Converter::kBl, true, false, 3, "   " + fw + fw + fw + "     震災前成果（入力値）"},
      {Converter::kBl, false, false, 3, std::string(16, ' ') + "震災後成果      （計算値）"},
      {Converter::kXy, true, true, 3, "   " + fw + "   " + fw + "震災前成果（入力値）"},
      {Converter::kXy, true, false, 2, std::string(12, ' ') + "震災前成果(入力値)"},
      {Converter::kXy, false, true, 3,
       std::string(10, ' ') + fw + fw + fw + "     震災後成果  （計算値）"},
      {Converter::kXy, false, false, 2, std::string(10, ' ') + "震災後成果(計算値)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.first);
    auto t = TitleLines(c.c, c.withInput, c.angles);
    ASSERT_EQ(t.size(), c.lines);
    EXPECT_EQ(std::string(t[0]).substr(0, c.first.size()), c.first);
  }
  // The Bl converter has its angle columns whatever `angles` says.
  EXPECT_EQ(TitleLines(Converter::kBl, true, true), TitleLines(Converter::kBl, true, false));
  // Trailing blanks and double full-width spaces that are easy to lose.
  auto bl = TitleLines(Converter::kBl, false, false);
  EXPECT_EQ(bl[1].back(), ' ');
  EXPECT_EQ(bl[2].back(), ' ');
  auto xybl = TitleLines(Converter::kXy, true, true);
  EXPECT_NE(std::string(xybl[0]).find("震災後成果" + fw + fw + "  （計算値）"), std::string::npos);
  EXPECT_EQ(xybl[1].back(), ' ');
  EXPECT_NE(xybl[2].back(), ' ');
  EXPECT_EQ(TitleLines(Converter::kXy, false, false)[1], "     X(m)         Y(m)        H(m)");
}

PointColumns Corrected() {
  PointColumns p;
  p.in1 = 360503.954;
  p.in2 = 1365802.392;
  p.inH = 123.456;
  p.corrected = true;
  p.lat = {36, 5, 3.95412, ' '};
  p.lon = {136, 58, 2.39234, ' '};
  p.x2 = 9375.8938;
  p.y2 = -12067.6388;
  p.h2 = 124.5;
  p.name = "N";
  p.status = "S";
  return p;
}

// Column (1-based) where `piece` starts in `line`.
std::size_t Col(const std::string& line, const std::string& piece) {
  return line.find(piece) + 1;
}

TEST(DataLine, LatLonLayoutsAndStartColumns) {
  LineBuilder b;
  std::string out;
  b.AppendBl(true, Corrected(), out);
  ASSERT_EQ(out.substr(out.size() - 2), "\r\n");
  std::string line = out.substr(0, out.size() - 2);
  EXPECT_EQ(line,
            "360503.95400   1365802.39200       123.4560    360503.95412   1365802.39234  "
            "   9375.8938  -12067.6388     124.5000     N  S");
  EXPECT_EQ(Col(line, "1365802.39200"), 16u);
  EXPECT_EQ(Col(line, "123.4560"), 32u + 4);
  EXPECT_EQ(Col(line, " 360503.95412"), 47u);
  EXPECT_EQ(Col(line, " 1365802.39234"), 62u);
  EXPECT_EQ(Col(line, "   9375.8938"), 78u);
  EXPECT_EQ(Col(line, " -12067.6388"), 91u);
  EXPECT_EQ(Col(line, "    124.5000"), 104u);
  EXPECT_EQ(Col(line, "N  S"), 121u);

  out.clear();
  b.AppendBl(false, Corrected(), out);
  EXPECT_EQ(out,
            " 360503.95412   1365802.39234       9375.8938  -12067.6388     124.5000     N  S\r\n");
}

TEST(DataLine, NotCorrectedMarkersAndEmptyName) {
  PointColumns p = Corrected();
  p.corrected = false;
  p.name = "";
  p.status = "";
  LineBuilder b;
  std::string out;
  b.AppendBl(false, p, out);
  const std::string markers =
      std::string(7, ' ') + "-9999. " + " " + std::string(8, ' ') + "-9999. ";
  EXPECT_EQ(out, markers + "   " + std::string(38, ' ') + std::string(7, ' ') + "\r\n");
  out.clear();
  p.status = "Out of range";
  b.AppendXy(false, true, p, out);
  EXPECT_EQ(out, markers + " " + std::string(38, ' ') + "       Out of range\r\n");
  out.clear();
  b.AppendXy(false, false, p, out);
  EXPECT_EQ(out, std::string(38, ' ') + "       Out of range\r\n");
  // Input columns are filled as usual on a line that is not corrected.
  out.clear();
  b.AppendXy(true, false, p, out);
  EXPECT_EQ(out.substr(0, 41), " 360503.9540 1365802.3920     123.4560   ");
}

// The name and the status follow the cells unchanged at every length, those
// that fit beside the cells in the builder's buffer and those that do not.
TEST(DataLine, NamesAndStatusesOfEveryLengthFollowTheCells) {
  LineBuilder b;
  for (int layout = 0; layout < 3; ++layout) {
    auto append = [&](const PointColumns& p, std::string& out) {
      if (layout == 0) b.AppendBl(true, p, out);
      if (layout == 1) b.AppendXy(true, true, p, out);
      if (layout == 2) b.AppendXy(false, false, p, out);
    };
    PointColumns p = Corrected();
    p.name = p.status = "";
    std::string cells;
    append(p, cells);
    cells.resize(cells.size() - 4);  // the two blanks and CR LF
    for (std::size_t nameLength = 0; nameLength <= 260; nameLength += 13) {
      for (std::size_t statusLength : {0u, 1u, 12u, 40u, 130u}) {
        const std::string name(nameLength, 'n'), status(statusLength, 's');
        p.name = name;
        p.status = status;
        std::string out = "kept";
        append(p, out);
        EXPECT_EQ(out, "kept" + cells + name + "  " + status + "\r\n")
            << layout << " " << nameLength << " " << statusLength;
      }
    }
  }
}

TEST(DataLine, XyLayoutsAndCuts) {
  LineBuilder b;
  PointColumns p;
  p.in1 = 51393.9627;
  p.in2 = -3939.3856;
  p.inH = 123.456;
  p.corrected = true;
  p.x2 = 51394.4627;
  p.y2 = -3939.6356;
  p.h2 = 123.581;
  p.name = "\x83\x7d\x83\x43\x83\x69\x83\x58";  // マイナス
  std::string out;
  b.AppendXy(true, false, p, out);
  EXPECT_EQ(out,
            "  51393.9627   -3939.3856     123.4560     51394.4627   -3939.6356     123.5810     " +
                std::string(p.name) + "  \r\n");
  // Negative degrees: the sign text comes first; degrees without leading zeros.
  p.lat = {5, 7, 0.5, '-'};
  p.lon = {0, 0, 59.999999, ' '};
  out.clear();
  b.AppendXy(false, true, p, out);
  EXPECT_EQ(out.substr(0, 31), "-50700.50000    00060.00000    ");
  // Wider than the column: the left part is kept.
  p.x2 = 12345678.98765;
  p.in1 = -12345678.5;
  p.inH = 1234567.25;
  out.clear();
  b.AppendXy(true, false, p, out);
  EXPECT_EQ(out.substr(0, 12), "-12345678.50");
  EXPECT_EQ(out.substr(26, 12), "1234567.2500");
  EXPECT_EQ(out.substr(41, 12), "12345678.987");
}

// Every cell is the column pattern's text fitted to its width, whether the
// quick writer or the general formatter makes it: values beyond 2^64 units of
// the last decimal, ties, the smallest and negative values, and angles whose
// degrees are wide.
TEST(DataLine, EveryCellIsThePatternsTextFitted) {
  const NumberPattern xy("######0.0000"), h("####0.0000"), lat("000000.00000"),
      lon("0000000.00000"), sec("00.00000");
  LineBuilder b;
  for (double v : {0.0, -0.0, 0.00005, -0.00005, 4.9e-324, 123.45675, 1844674407370955.25, 1e25,
                   -1e25, 1.7976931348623157e308, -51393.96275}) {
    SCOPED_TRACE(v);
    PointColumns p;
    p.in1 = p.in2 = p.inH = v;
    p.corrected = true;
    p.x2 = p.y2 = p.h2 = v;
    p.lat = {-12345, 59, v, '-'};
    p.lon = {7, 3, v, ' '};
    p.name = "N";
    std::string out;
    b.AppendXy(true, true, p, out);
    const std::string angle = "--1234559" + sec.Format(v);  // the sign, then -12345
    EXPECT_EQ(out, FitRight(xy.Format(v), 12) + " " + FitRight(xy.Format(v), 12) + " " +
                       FitRight(h.Format(v), 12) + "   " + FitLeft(angle, 14) + " " +
                       FitLeft(" 703" + sec.Format(v), 15) + " " + FitRight(xy.Format(v), 12) +
                       " " + FitRight(xy.Format(v), 12) + " " + FitRight(h.Format(v), 12) +
                       "     N  \r\n");
    out.clear();
    b.AppendBl(true, p, out);
    EXPECT_EQ(out.substr(0, 46), FitLeft(lat.Format(v), 14) + " " + FitLeft(lon.Format(v), 15) +
                                     " " + FitRight(h.Format(v), 12) + "   ");
  }
}

// An input cell written from its field's text is byte for byte the cell of
// the formatted number, in every layout with input columns (the latitude,
// longitude, X/Y and H patterns), padded or cut alike, for the usual texts and
// every departure from them.
TEST(DataLine, InputCellsFromTheFieldTextsAreTheFormattedCells) {
  const NumberPattern patterns[] = {NumberPattern("000000.00000"), NumberPattern("0000000.00000"),
                                    NumberPattern("######0.0000"), NumberPattern("####0.0000")};
  int taken[4] = {};
  varno::testing::NumberTexts texts(11);
  LineBuilder b;
  std::string fromNumbers, fromTexts;
  for (int i = 0; i < 60000; ++i) {
    const std::string t1 = texts.Next(), t2 = texts.Next(), tH = texts.Next();
    PointColumns p = Corrected();
    // A field that is not a number stops the line before any cell is written.
    if (ReadNumber(t1, p.in1) != NumberRead::kOk || ReadNumber(t2, p.in2) != NumberRead::kOk ||
        ReadNumber(tH, p.inH) != NumberRead::kOk) {
      continue;
    }
    PointColumns q = p;
    q.in1Text = t1;
    q.in2Text = t2;
    q.inHText = tH;
    for (int k = 0; k < 4; ++k) {
      taken[k] += patterns[k].AsReadTail(k == 3 ? tH : k == 1 ? t2 : t1).has_value();
    }
    for (int layout = 0; layout < 3; ++layout) {
      fromNumbers.clear();
      fromTexts.clear();
      if (layout == 0) {
        b.AppendBl(true, p, fromNumbers);
        b.AppendBl(true, q, fromTexts);
      } else {
        b.AppendXy(true, layout == 2, p, fromNumbers);
        b.AppendXy(true, layout == 2, q, fromTexts);
      }
      ASSERT_EQ(fromTexts, fromNumbers)
          << layout << " [" << t1 << "] [" << t2 << "] [" << tH << "]";
    }
  }
  for (int k = 0; k < 4; ++k) EXPECT_GT(taken[k], 500) << patterns[k].pattern();
}

TEST(Cp932Lenient, UnencodableCharactersBecomeQuestionMarks) {
  EXPECT_EQ(ToCp932Lenient("pts.out"), "pts.out");
  EXPECT_EQ(ToCp932Lenient("表.out"), "\x95\x5c.out");
  EXPECT_EQ(ToCp932Lenient("a\xF0\x9F\x98\x80"
                           "b"),
            "a?b");  // an emoji
  EXPECT_EQ(ToCp932Lenient("a\xff"
                           "b"),
            "a?b");  // not UTF-8
}

}  // namespace
}  // namespace varno::batch
