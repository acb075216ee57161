#include "cli/options.h"

#include <deque>
#include <string_view>

#include "text/version.h"

namespace varno::cli {

namespace {

bool ParseSmallInt(std::string_view s, int lo, int hi, int& out) {
  if (s.empty() || s.size() > 3) return false;
  int v = 0;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v < lo || v > hi) return false;
  out = v;
  return true;
}

// The long option a one-letter flag stands for, or nullptr.
const char* LongFlag(char letter) {
  switch (letter) {
    case 'h':
      return "--help";
    case 'v':
      return "--verbose";
    default:
      return nullptr;
  }
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options o;
  bool processGiven = false;
  std::vector<std::string> positional;
  bool optionsDone = false;
  // Arguments not yet read; a combined "-vh" is put back as "--verbose --help".
  std::deque<std::string> rest(args.begin(), args.end());
  while (!rest.empty()) {
    std::string arg = std::move(rest.front());
    rest.pop_front();
    if (optionsDone || arg.size() < 2 || arg[0] != '-') {
      positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      optionsDone = true;
      continue;
    }
    if (arg[1] != '-') {
      // One-letter flags: "-vh" is "-v -h". Each letter must be a flag.
      for (std::size_t j = arg.size(); j-- > 1;) {
        const char* name = LongFlag(arg[j]);
        if (name == nullptr) {
          error = "不明なオプション: " + arg + " (unknown option)";
          return std::nullopt;
        }
        rest.push_front(name);
      }
      continue;
    }
    std::string value;
    bool hasValue = false;
    if (auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
      value = arg.substr(eq + 1);
      arg = arg.substr(0, eq);
      hasValue = true;
    }
    auto needValue = [&]() -> bool {
      if (hasValue) return true;
      if (rest.empty()) {
        error = arg + " には値が必要です (" + arg + " needs a value)";
        return false;
      }
      value = std::move(rest.front());
      rest.pop_front();
      return true;
    };
    if (arg == "--help") {
      o.help = true;
    } else if (arg == "--version") {
      o.version = true;
    } else if (arg == "--verbose") {
      o.verbose = true;
    } else if (arg == "--with-input") {
      o.withInput = true;
    } else if (arg == "--par") {
      if (!needValue()) return std::nullopt;
      if (value.empty()) {
        error = "--par が空です (--par is empty)";
        return std::nullopt;
      }
      o.parFile = value;
    } else if (arg == "--process") {
      if (!needValue()) return std::nullopt;
      processGiven = true;
      if (value == "bl") {
        o.process = batch::Process::kBl;
      } else if (value == "xy") {
        o.process = batch::Process::kXy;
      } else if (value == "xy-bl") {
        o.process = batch::Process::kXyBl;
      } else {
        error = "--process は bl, xy, xy-bl のいずれかです (got \"" + value + "\")";
        return std::nullopt;
      }
    } else if (arg == "--format") {
      if (!needValue()) return std::nullopt;
      if (value == "text") {
        o.format = batch::InputFormat::kText;
      } else if (value == "csv") {
        o.format = batch::InputFormat::kCsv;
      } else if (value == "sima") {
        o.format = batch::InputFormat::kSima;
      } else {
        error = "--format は text, csv, sima のいずれかです (got \"" + value + "\")";
        return std::nullopt;
      }
    } else if (arg == "--mode") {
      if (!needValue()) return std::nullopt;
      int m = 0;
      if (!ParseSmallInt(value, 1, 3, m)) {
        error = "--mode は 1, 2, 3 のいずれかです (got \"" + value + "\")";
        return std::nullopt;
      }
      o.mode = static_cast<params::ConversionMode>(m);
    } else if (arg == "--map") {
      if (!needValue()) return std::nullopt;
      if (value.empty()) {
        error = "--map が空です (--map is empty)";
        return std::nullopt;
      }
      o.mapFile = value;
    } else if (arg == "--zone") {
      if (!needValue()) return std::nullopt;
      int z = 0;
      if (!ParseSmallInt(value, 1, 19, z)) {
        error = "--zone は 1～19 の座標系番号です (got \"" + value + "\")";
        return std::nullopt;
      }
      o.zone = z;
    } else if (arg == "--jobs") {
      if (!needValue()) return std::nullopt;
      int j = 0;
      if (!ParseSmallInt(value, 1, 256, j)) {
        error = "--jobs は 1～256 のスレッド数です (got \"" + value + "\")";
        return std::nullopt;
      }
      o.jobs = j;
    } else {
      error = "不明なオプション: " + arg + " (unknown option)";
      return std::nullopt;
    }
  }
  if (o.help || o.version) return o;
  // A SIMA file is always converted X/Y -> X/Y/H, record for record.
  if (o.format == batch::InputFormat::kSima &&
      ((processGiven && o.process != batch::Process::kXy) || o.withInput)) {
    error =
        "--format sima では --process xy (既定) 以外の処理と --with-input は指定できません "
        "(SIMA is always converted X/Y -> X/Y/H)";
    return std::nullopt;
  }
  if (positional.size() != 2) {
    error = "入力ファイルと出力ファイルを1つずつ指定して下さい (expected INPUT and OUTPUT)";
    return std::nullopt;
  }
  o.input = positional[0];
  o.output = positional[1];
  if (o.input == kStdoutName) {
    error =
        "入力は通常のファイルにして下さい (the input is read twice, so standard input will not "
        "do)";
    return std::nullopt;
  }
  return o;
}

std::string VersionText() {
  return "varno-batch (" + std::string(kProgramTitle) + ") " + std::string(kVersionText) + "\n";
}

std::string HelpText() {
  return R"(使い方 / usage:
  varno-batch [--par FILE] [--format text|csv|sima] [--process bl|xy|xy-bl]
              [--with-input] [--mode 1|2|3] [--zone N] [--map FILE.svg] [--jobs N] [-v]
              INPUT OUTPUT
  varno-batch --help | --version

震災前成果(2000) の座標値ファイル INPUT を震災後成果(2011) に一括変換し，結果ファイル
OUTPUT (CP932, CR LF) に書き出します。結果ファイルは画面の「ﾌｧｲﾙ一括変換」と同じものです。
OUTPUT が - のときは標準出力に書き出します。INPUT は通常のファイルです (2 回読みます)。
Converts a file of pre-earthquake (JGD2000) points into a post-earthquake (JGD2011) result
file, byte for byte the same as the batch dialog of the program writes. OUTPUT - writes
to standard output; INPUT must be a regular file (it is read twice).

オプション / options:
  --par FILE      変換パラメータファイル (既定: 環境変数 VARNO_PAR_FILE，
                  それもなければ実行ファイルと同じﾌｫﾙﾀﾞの Veltra.par)
                  the parameter file (default: $VARNO_PAR_FILE, else Veltra.par
                  beside this executable)
  --format F      入力ファイルの形式 / input format:
                  text = 空白区切り (既定 / default)
                  csv  = カンマ区切り: 項目の前後の空白は無視。点名は3つ目のカンマの後ろ全部
                         comma-separated; the name is the rest after the third comma
                  sima = SIMA座標ﾃﾞｰﾀ (.sim): A01 の X, Y, H だけを変換し，ほかは
                         そのまま書き出します。結果も SIMA ファイルで，その横に
                         報告ファイル (名前_report.txt) を作ります。処理は xy のみ。
                         the result is a SIMA file too (only the X, Y, H of A01
                         records change) plus a report beside it; process xy only
  --process P     bl    = 緯度･経度・H → 緯度･経度・X・Y・H
                  xy    = Ｘ･Ｙ・H → Ｘ･Ｙ・H                (既定 / default)
                  xy-bl = Ｘ･Ｙ ・H→ 緯度･経度･Ｘ･Ｙ・H
  --with-input    入力値の出力: write the input values in the first columns
  --mode M        変換方法 / conversion mode:
                  1 = grid; where it has no parameters, the representative point (代表点)
                  2 = grid only; points without parameters are not converted (既定 / default)
                  3 = the representative point for every point
  --zone N        平面直角座標系の番号 1～19。既定はパラメータファイルの座標系。
                  ファイルが座標系 0 のときだけ必要です。異なる番号を指定すると警告を
                  表示し，そのまま変換します。
                  the plane rectangular zone; by default the parameter file's zone.
                  Needed only when the file states zone 0; a different zone gives a
                  warning and the run goes on.
  --map FILE.svg  変換パラメータ範囲図: 格子の範囲，ﾊﾟﾗﾒｰﾀのあるｾﾙ・ないｾﾙ，補正量の矢印と
                  この変換の点 (結果別の色) を SVG 図形に書き出します。点は入力の順に
                  1 行 1 要素 (class="point grid|rep|none|range"，<title> に行番号と点名)。
                  the picture of the grid and of this run's points as SVG: one element
                  per data line in input order, class "point" plus its outcome, its line
                  number and name in a <title>. Written also when the run stops early.
  --jobs N        変換に使うスレッド数 1～256 (既定: CPU のコア数)。1 は 1 行ずつ
                  順に変換します。結果はスレッド数によらず同じです。
                  conversion threads (default: one per core); 1 converts line by
                  line. The result is the same whatever the number.
  -v, --verbose   パラメータファイルの読み込み結果と終了メッセージを表示します
                  print the parameter file summary and the closing message
  -h, --help      この説明 / this text
      --version   版数 / the version
  短いオプションはまとめて書けます (-vh = -v -h) / short options combine

入力ファイル / input: one point per line, blank-separated (commas with --format csv):
  bl:     緯度 ddmmss.sssss  経度 dddmmss.sssss  H  [点名]
  xy:     X  Y  H  [点名]          (metres, in the zone of the run)
  sima:   A01,点番号,点名,X,Y,H,   (other records are copied)
Lines starting with "#", empty lines and lines that are not points are copied unchanged.
A line ends at CR LF, LF or a lone CR. A data line without H stops the run.

メッセージ / messages: what the program window would show goes to standard error;
a message that repeats is printed once, with its count at the end. A progress bar is
drawn on standard error when it is a terminal. Ctrl-C stops the run like the cancel
button: the lines written so far are kept.

終了ステータス / exit status:
  0  変換が終了しました / the run finished
  1  エラーで中断した，またはパラメータファイル・入力ファイルが読めない
     the run stopped on an error, or the parameter or input file could not be read
  2  使い方の誤り (出力ファイル = 入力ファイルを含む) / bad usage, OUTPUT = INPUT included
  3  変換は終了したが警告あり: 変換できなかった SIMA の点がある，または点として
     読めた行が1行もない / finished with a warning: SIMA points left unconverted,
     or no line was read as a point
  130 Ctrl-C で中止 / cancelled by Ctrl-C
)";
}

}  // namespace varno::cli
