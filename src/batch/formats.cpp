#include "batch/formats.h"

#include "text/format.h"
#include "text/number.h"

namespace varno::batch {

namespace {

std::string_view TrimBlanks(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
  while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
  return s.substr(b, e - b);
}

}  // namespace

std::string_view FormatName(InputFormat f) {
  switch (f) {
    case InputFormat::kCsv:
      return "CSV";
    case InputFormat::kSima:
      return "SIMA座標ﾃﾞｰﾀ";
    case InputFormat::kText:
      break;
  }
  return "空白区切り";
}

LineFields SplitCsvLine(std::string_view line) {
  LineFields f;
  std::size_t p = 0;
  for (int i = 0; i < 3; ++i) {
    const std::size_t comma = line.find(',', p);
    f.k = i + 1;
    if (comma == std::string_view::npos) {
      f.field[i] = TrimBlanks(line.substr(p));
      return f;
    }
    f.field[i] = TrimBlanks(line.substr(p, comma - p));
    p = comma + 1;
  }
  f.field[3] = line.substr(p);
  f.k = 4;
  return f;
}

LineKind ClassifyCsvLine(std::string_view line, LineFields& fields) {
  if (line.empty()) return LineKind::kEmpty;
  if (line[0] == '#') return LineKind::kComment;
  fields = SplitCsvLine(line);
  if (fields.k < 2 || !ReadNumericField(fields.field[0], fields.value[0], fields.known[0]) ||
      !ReadNumericField(fields.field[1], fields.value[1], fields.known[1]))
    return LineKind::kOther;
  return LineKind::kData;
}

std::string RunWarningText(const RunTotals& t, InputFormat f) {
  if (t.lines > 0 && t.points == 0) {
    return "点として読めた行が1行もありませんでした。\r\n入力ファイルの形式が「" +
           std::string(FormatName(f)) +
           "」で正しいか確認して下さい。\r\n"
           "（空白区切りのファイルをCSVとして，CSVのファイルを空白区切りとして選んでいませんか。）";
  }
  if (t.notConverted == 0) return {};
  std::string s = "変換できなかった点が" + SpacedNumber(t.notConverted) +
                  " 点あります。これらの点のレコードは変換せずにそのまま出力しました。";
  for (const std::string& line : t.firstNotConverted) s += "\r\n  " + line;
  const long long more = t.notConverted - static_cast<long long>(t.firstNotConverted.size());
  if (more > 0) s += "\r\n  ほか" + SpacedNumber(more) + " 点";
  if (!t.reportPath.empty())
    s += "\r\nすべての点の結果は報告ファイル " + t.reportPath + " にあります。";
  return s;
}

}  // namespace varno::batch
