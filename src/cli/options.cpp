#include "cli/options.h"

#include <cstddef>
#include <deque>
#include <string_view>
#include <utility>

#include "text/version.h"

namespace varno::cli {

namespace {

// What the command line has given so far.
struct Parsed {
  Options options;
  bool processGiven = false;  // --process was written, even as the default xy
  std::vector<std::string> operands;
};

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

std::string UnknownOption(const std::string& arg) {
  return "不明なオプション: " + arg + " (unknown option)";
}

// `expected` says what `name` takes, after "は".
bool Refuse(const std::string& name, const char* expected, const std::string& value,
            std::string& error) {
  error = name + " は " + expected + " (got \"" + value + "\")";
  return false;
}

// --par, --map: a file name, never empty.
bool SetFile(const std::string& name, const std::string& value, std::string& file,
             std::string& error) {
  if (value.empty()) {
    error = name + " が空です (" + name + " is empty)";
    return false;
  }
  file = value;
  return true;
}

// One of a few words, each standing for a value of T.
template <class T>
struct Word {
  std::string_view word;
  T value;
};

template <class T, std::size_t N>
bool SetWord(const std::string& name, const std::string& value, const Word<T> (&words)[N],
             const char* expected, T& out, std::string& error) {
  for (const Word<T>& w : words) {
    if (value == w.word) {
      out = w.value;
      return true;
    }
  }
  return Refuse(name, expected, value, error);
}

constexpr Word<batch::Process> kProcesses[] = {
    {"bl", batch::Process::kBl}, {"xy", batch::Process::kXy}, {"xy-bl", batch::Process::kXyBl}};
constexpr Word<batch::InputFormat> kFormats[] = {{"text", batch::InputFormat::kText},
                                                 {"csv", batch::InputFormat::kCsv},
                                                 {"sima", batch::InputFormat::kSima}};

// The options that take a value: each sets its field of `p`, or refuses the
// value with `error` set.
using Setter = bool (*)(const std::string& name, const std::string& value, Parsed& p,
                        std::string& error);

bool SetPar(const std::string& name, const std::string& value, Parsed& p, std::string& error) {
  return SetFile(name, value, p.options.parFile, error);
}

bool SetMap(const std::string& name, const std::string& value, Parsed& p, std::string& error) {
  return SetFile(name, value, p.options.mapFile, error);
}

bool SetProcess(const std::string& name, const std::string& value, Parsed& p, std::string& error) {
  p.processGiven = true;
  return SetWord(name, value, kProcesses, "bl, xy, xy-bl のいずれかです", p.options.process, error);
}

bool SetFormat(const std::string& name, const std::string& value, Parsed& p, std::string& error) {
  return SetWord(name, value, kFormats, "text, csv, sima のいずれかです", p.options.format, error);
}

bool SetMode(const std::string& name, const std::string& value, Parsed& p, std::string& error) {
  int m = 0;
  if (!ParseSmallInt(value, 1, 3, m)) return Refuse(name, "1, 2, 3 のいずれかです", value, error);
  p.options.mode = static_cast<params::ConversionMode>(m);
  return true;
}

bool SetZone(const std::string& name, const std::string& value, Parsed& p, std::string& error) {
  int z = 0;
  if (!ParseSmallInt(value, 1, 19, z)) return Refuse(name, "1～19 の座標系番号です", value, error);
  p.options.zone = z;
  return true;
}

bool SetJobs(const std::string& name, const std::string& value, Parsed& p, std::string& error) {
  if (!ParseSmallInt(value, 1, 256, p.options.jobs))
    return Refuse(name, "1～256 のスレッド数です", value, error);
  return true;
}

constexpr struct {
  std::string_view name;
  Setter set;
} kValueOptions[] = {{"--par", SetPar},   {"--process", SetProcess}, {"--format", SetFormat},
                     {"--mode", SetMode}, {"--map", SetMap},         {"--zone", SetZone},
                     {"--jobs", SetJobs}};

// The options without a value.
constexpr struct {
  std::string_view name;
  bool Options::*field;
} kFlags[] = {{"--help", &Options::help},
              {"--version", &Options::version},
              {"--verbose", &Options::verbose},
              {"--with-input", &Options::withInput}};

// Arguments not yet read; a combined "-vh" is put back as "--verbose --help".
using Rest = std::deque<std::string>;

std::string TakeFront(Rest& rest) {
  std::string arg = std::move(rest.front());
  rest.pop_front();
  return arg;
}

// One-letter flags: "-vh" is "-v -h". Each letter must be a flag.
bool PutBackShortFlags(const std::string& arg, Rest& rest, std::string& error) {
  for (std::size_t j = arg.size(); j-- > 1;) {
    const char* name = LongFlag(arg[j]);
    if (name == nullptr) {
      error = UnknownOption(arg);
      return false;
    }
    rest.push_front(name);
  }
  return true;
}

// A "--name" or "--name=value" argument; the value of an option that takes one
// is otherwise the next argument.
bool ReadLongOption(std::string arg, Rest& rest, Parsed& p, std::string& error) {
  std::string value;
  bool hasValue = false;
  if (auto eq = arg.find('='); eq != std::string::npos) {
    value = arg.substr(eq + 1);
    arg = arg.substr(0, eq);
    hasValue = true;
  }
  for (const auto& flag : kFlags) {
    if (arg == flag.name) {
      p.options.*flag.field = true;
      return true;
    }
  }
  for (const auto& option : kValueOptions) {
    if (arg != option.name) continue;
    if (!hasValue) {
      if (rest.empty()) {
        error = arg + " には値が必要です (" + arg + " needs a value)";
        return false;
      }
      value = TakeFront(rest);
    }
    return option.set(arg, value, p, error);
  }
  error = UnknownOption(arg);
  return false;
}

// What a run needs besides its options: INPUT and OUTPUT, and options that
// go together.
bool CheckRun(const Parsed& p, std::string& error) {
  const Options& o = p.options;
  // A SIMA file is always converted X/Y -> X/Y/H, record for record.
  if (o.format == batch::InputFormat::kSima &&
      ((p.processGiven && o.process != batch::Process::kXy) || o.withInput)) {
    error =
        "--format sima では --process xy (既定) 以外の処理と --with-input は指定できません "
        "(SIMA is always converted X/Y -> X/Y/H)";
    return false;
  }
  if (p.operands.size() != 2) {
    error = "入力ファイルと出力ファイルを1つずつ指定して下さい (expected INPUT and OUTPUT)";
    return false;
  }
  if (p.operands[0] == kStdoutName) {
    error =
        "入力は通常のファイルにして下さい (the input is read twice, so standard input will not "
        "do)";
    return false;
  }
  return true;
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Parsed p;
  bool optionsDone = false;
  Rest rest(args.begin(), args.end());
  while (!rest.empty()) {
    std::string arg = TakeFront(rest);
    if (optionsDone || arg.size() < 2 || arg[0] != '-') {
      p.operands.push_back(std::move(arg));
    } else if (arg == "--") {
      optionsDone = true;
    } else if (arg[1] != '-') {
      if (!PutBackShortFlags(arg, rest, error)) return std::nullopt;
    } else if (!ReadLongOption(std::move(arg), rest, p, error)) {
      return std::nullopt;
    }
  }
  if (p.options.help || p.options.version) return p.options;
  if (!CheckRun(p, error)) return std::nullopt;
  p.options.input = p.operands[0];
  p.options.output = p.operands[1];
  return p.options;
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
