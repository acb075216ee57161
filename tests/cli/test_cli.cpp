// varno-batch end to end: exit codes, refusals, messages and result files.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void Write(const fs::path& p, const std::string& s) {
  std::ofstream f(p, std::ios::binary);
  f << s;
}

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// The parameter file of the tests: zone `zone`, nodes every 1000 m from -10000
// to 10000 with dX = 0.5, dY = -0.25, dH = 0.125.
std::string ParFile(int zone) {
  std::string s =
      "\"\x83\x65\x83\x58\x83\x67\x94\xcd\x88\xcd\",\"\x88\xea\x92\xe8\x95\xe2\x90\xb3\",\"T1."
      "0\"," +
      std::to_string(zone) + "\r\n-10000,10000,1000\r\n-10000,10000,1000\r\nX,Y,dX,dY,dH\r\n";
  for (int i = -10; i <= 10; ++i)
    for (int j = -10; j <= 10; ++j)
      s += std::to_string(i * 1000) + "," + std::to_string(j * 1000) + ",0.5,-0.25,0.125\r\n";
  return s;
}

struct Result {
  int code;
  std::string out, err;
};

class Cli : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::path(::testing::TempDir()) /
           ("varno_cli_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    Write(dir_ / "Test.par", ParFile(9));
  }
  // `env`: assignments put before the command, such as "VARNO_PAR_FILE=...".
  Result Run(const std::string& args, const std::string& env = "") {
    const std::string cmd = env + " " + Quote(std::string(VARNO_BIN_DIR) + "/varno-batch") + " " +
                            args + " >" + Quote((dir_ / "stdout").string()) + " 2>" +
                            Quote((dir_ / "stderr").string()) + " </dev/null";
    int status = std::system(cmd.c_str());
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Read(dir_ / "stdout");
    r.err = Read(dir_ / "stderr");
    return r;
  }
  std::string P(const std::string& name) { return Quote((dir_ / name).string()); }
  std::string Par() { return "--par " + P("Test.par"); }
  fs::path Golden(const std::string& name) { return fs::path(VARNO_TEST_DATA) / "batch" / name; }
  fs::path dir_;
};

TEST_F(Cli, HelpAndBadUsage) {
  Result r = Run("--help");
  EXPECT_EQ(r.code, 0);
  for (const char* word : {"--par", "--process", "xy-bl", "--with-input", "--mode", "--zone",
                           "INPUT", "OUTPUT", "終了ステータス"})
    EXPECT_NE(r.out.find(word), std::string::npos) << word;
  const char* bad[] = {"",
                       "onlyone",
                       "a b c",
                       "--process zz a b",
                       "--mode 4 a b",
                       "--mode x a b",
                       "--zone 0 a b",
                       "--zone 20 a b",
                       "--frobnicate a b",
                       "-vx a b",
                       "-- -v a b c",
                       "- b",
                       "--par"};
  for (const char* args : bad) {
    SCOPED_TRACE(args);
    r = Run(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_FALSE(r.err.empty());
  }
}

// Each usage error names the option as written (without its "=value") and the
// value refused; flags ignore an "=value", an empty file name is refused.
TEST_F(Cli, UsageErrorsSayWhatIsWrong) {
  const std::pair<const char*, const char*> cases[] = {
      {"--frobnicate=3 a b", "不明なオプション: --frobnicate (unknown option)"},
      {"-vx a b", "不明なオプション: -vx (unknown option)"},
      {"--jobs 2 --jobs", "--jobs には値が必要です (--jobs needs a value)"},
      {"--par= a b", "--par が空です (--par is empty)"},
      {"--map= a b", "--map が空です (--map is empty)"},
      {"--process=xyz a b", "--process は bl, xy, xy-bl のいずれかです (got \"xyz\")"},
      {"--format CSV a b", "--format は text, csv, sima のいずれかです (got \"CSV\")"},
      {"--mode 0003 a b", "--mode は 1, 2, 3 のいずれかです (got \"0003\")"},
      {"--zone=-1 a b", "--zone は 1～19 の座標系番号です (got \"-1\")"},
      {"--jobs 257 a b", "--jobs は 1～256 のスレッド数です (got \"257\")"},
      {"--format sima --process bl a b",
       "--format sima では --process xy (既定) 以外の処理と --with-input は指定できません "
       "(SIMA is always converted X/Y -> X/Y/H)"},
      {"--verbose=no a",
       "入力ファイルと出力ファイルを1つずつ指定して下さい (expected INPUT and "
       "OUTPUT)"}};
  for (const auto& [args, message] : cases) {
    SCOPED_TRACE(args);
    const Result r = Run(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, std::string("varno-batch: ") + message +
                         "\n詳しくは varno-batch --help (see varno-batch --help)\n");
  }
  // A flag with a value is still the flag.
  EXPECT_EQ(Run("--help=yes").code, 0);
}

TEST_F(Cli, VersionAndCombinedShortOptions) {
  Result r = Run("--version");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "varno-batch (座標変換プログラム) 1.0.0\n");
  // "-vh" is "-v -h"; "-hv" the same; help wins over missing files.
  for (const char* args : {"-vh", "-hv", "-v -h"}) {
    SCOPED_TRACE(args);
    r = Run(args);
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("終了ステータス / exit status"), std::string::npos);
  }
  // Combined flags take effect: -v prints the parameter summary.
  Write(dir_ / "pts.in", "1000 2000 3\r\n");
  r = Run("-vv " + Par() + " " + P("pts.in") + " " + P("a.out"));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find("T1.0"), std::string::npos) << r.err;
}

TEST_F(Cli, DashWritesTheResultToStandardOutput) {
  fs::copy_file(Golden("xy.in"), dir_ / "xy.in");
  Result r = Run(Par() + " --with-input " + P("xy.in") + " -");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_FALSE(fs::exists(dir_ / "-"));
  // Byte for byte the result file, except the first line, which names the result "-".
  const std::string file = Read(Golden("xy_in.out"));
  const auto body = file.find("\r\n");
  ASSERT_NE(body, std::string::npos);
  EXPECT_EQ(r.out.substr(r.out.find("\r\n")), file.substr(body));
  EXPECT_EQ(r.out.substr(0, r.out.find("\r\n") + 1),
            file.substr(0, file.find("result.out")) + "-\r");
  // Standard output onto the input file is refused, the input kept.
  const std::string in = Read(dir_ / "xy.in");
  const std::string cmd = Quote(std::string(VARNO_BIN_DIR) + "/varno-batch") + " " + Par() + " " +
                          P("xy.in") + " - >>" + P("xy.in") + " 2>/dev/null";
  EXPECT_NE(std::system(cmd.c_str()), 0);
  EXPECT_EQ(Read(dir_ / "xy.in"), in);
}

TEST_F(Cli, TheParameterFileCanComeFromTheEnvironment) {
  Write(dir_ / "pts.in", "1000 2000 3\r\n");
  Write(dir_ / "Other.par", ParFile(8));
  Result r = Run(P("pts.in") + " " + P("a.out"), "VARNO_PAR_FILE=" + P("Test.par"));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(Read(dir_ / "a.out").find("   1000.5000"), std::string::npos);
  // --par wins over the environment: zone 8 from Other.par, so no warning for --zone 8.
  r = Run("--par " + P("Other.par") + " --zone 8 " + P("pts.in") + " " + P("b.out"),
          "VARNO_PAR_FILE=" + P("Test.par"));
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  r = Run(P("pts.in") + " " + P("c.out"), "VARNO_PAR_FILE=" + P("missing.par"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("missing.par"), std::string::npos) << r.err;
}

TEST_F(Cli, ConvertsExactlyLikeTheDialog) {
  fs::copy_file(Golden("xy.in"), dir_ / "xy.in");
  struct Case {
    std::string args, golden;
  };
  for (const Case& c : {Case{"", "xy_noin.out"}, Case{"--process xy --with-input", "xy_in.out"},
                        Case{"--process xy-bl", "xybl_noin.out"},
                        Case{"--process=xy-bl --with-input --mode 2", "xybl_in.out"}}) {
    SCOPED_TRACE(c.args);
    Result r = Run(Par() + " " + c.args + " " + P("xy.in") + " " + P("result.out"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(Read(dir_ / "result.out"), Read(Golden(c.golden)));
  }
  fs::copy_file(Golden("bl.in"), dir_ / "bl.in");
  Result r = Run(Par() + " --process bl --with-input " + P("bl.in") + " " + P("result.out"));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(Read(dir_ / "result.out"), Read(Golden("bl_in.out")));
  // The range-test messages reach standard error, the success messages do not.
  EXPECT_NE(r.err.find("緯度は座標系  9 系の範囲外です。"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("変換しました"), std::string::npos) << r.err;
}

TEST_F(Cli, RepeatedMessagesArePrintedOnceAndCounted) {
  std::string in;
  for (int i = 0; i < 50; ++i) in += "400000 1395000 1\r\n";
  Write(dir_ / "far.in", in);
  Result r = Run(Par() + " --process bl " + P("far.in") + " " + P("far.out"));
  EXPECT_EQ(r.code, 0);
  const std::string msg = "緯度は座標系  9 系の範囲外です。入力し直して下さい。in Bl_File";
  const auto first = r.err.find(msg);
  ASSERT_NE(first, std::string::npos) << r.err;
  EXPECT_NE(r.err.find("行 1: " + msg), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("(50 回"), std::string::npos) << r.err;
  EXPECT_LT(r.err.size(), 1000u);
}

TEST_F(Cli, OutputNamingTheInputIsRefused) {
  Write(dir_ / "pts.in", "1000 2000 3\r\n");
  fs::create_symlink(dir_ / "pts.in", dir_ / "alias.out");
  for (const std::string& out :
       {P("pts.in"), P("alias.out"), Quote((dir_ / "." / "pts.in").string())}) {
    SCOPED_TRACE(out);
    Result r = Run(Par() + " " + P("pts.in") + " " + out);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("同じファイル"), std::string::npos) << r.err;
    EXPECT_EQ(Read(dir_ / "pts.in"), "1000 2000 3\r\n");
  }
}

TEST_F(Cli, UnreadableFilesAreErrorsAndCreateNoResult) {
  Write(dir_ / "pts.in", "1000 2000 3\r\n");
  Result r = Run("--par " + P("missing.par") + " " + P("pts.in") + " " + P("a.out"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("missing.par"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "a.out"));
  r = Run(Par() + " " + P("missing.in") + " " + P("a.out"));
  EXPECT_EQ(r.code, 1);
  EXPECT_FALSE(fs::exists(dir_ / "a.out"));
  // Without --par the file beside the executable is used; with no such file
  // the run fails cleanly rather than converting with an empty grid.
  if (!fs::exists(fs::path(VARNO_BIN_DIR) / "Veltra.par")) {
    r = Run(P("pts.in") + " " + P("a.out"));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Veltra.par"), std::string::npos);
  }
  r = Run(Par() + " " + P("pts.in") + " " + Quote((dir_ / "no" / "dir" / "a.out").string()));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("ファイルが開けません。 Error # 76  フォルダが見つかりません。"),
            std::string::npos)
      << r.err;
  // A device as result file is refused, not written to.
  if (fs::exists("/dev/full")) {
    r = Run(Par() + " " + P("pts.in") + " /dev/full");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("（デバイス）"), std::string::npos) << r.err;
  }
  // A folder or a pipe as input: refused before the result file is touched.
  Write(dir_ / "keep.out", "old");
  for (const std::string& in : {P(""), std::string("/dev/stdin")}) {
    SCOPED_TRACE(in);
    r = Run(Par() + " " + in + " " + P("keep.out"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(Read(dir_ / "keep.out"), "old");
  }
}

TEST_F(Cli, TheParameterFileIsNeverTheResultFile) {
  Write(dir_ / "pts.in", "1000 2000 3\r\n");
  const std::string par = Read(dir_ / "Test.par");
  Result r = Run(Par() + " " + P("pts.in") + " " + P("Test.par"));
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("変換パラメータファイル"), std::string::npos) << r.err;
  EXPECT_EQ(Read(dir_ / "Test.par"), par);
}

TEST_F(Cli, ARunStoppedByAnErrorExitsOneAndKeepsItsLines) {
  Write(dir_ / "noh.in", "# first\r\n1000 2000 3\r\n1000 2000\r\n1000 2000 3\r\n");
  Result r = Run(Par() + " " + P("noh.in") + " " + P("noh.out"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("入力されたデータに問題があると思われます。計算は中断しました。 in XY_File"),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("行 3"), std::string::npos) << r.err;
  const std::string out = Read(dir_ / "noh.out");
  EXPECT_NE(out.find("# first\r\n   1000.5000"), std::string::npos);
  EXPECT_EQ(out.find("\r\n\r\n   1000.5000"), std::string::npos);
}

TEST_F(Cli, ZoneChoice) {
  Write(dir_ / "pts.in", "1000 2000 3\r\n");
  // A different zone warns and goes on.
  Result r = Run(Par() + " --zone 8 " + P("pts.in") + " " + P("a.out"));
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.err.find("選択された座標系は、変換パラメータの座標系と異なります"),
            std::string::npos);
  r = Run(Par() + " --zone 9 " + P("pts.in") + " " + P("a.out"));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "");
  // A parameter file of zone 0 needs --zone, and always warns.
  Write(dir_ / "Zero.par", ParFile(0));
  r = Run("--par " + P("Zero.par") + " " + P("pts.in") + " " + P("b.out"));
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("--zone"), std::string::npos);
  EXPECT_FALSE(fs::exists(dir_ / "b.out"));
  r = Run("--par " + P("Zero.par") + " --zone 9 " + P("pts.in") + " " + P("b.out"));
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.err.find("選択された座標系は、変換パラメータの座標系と異なります"),
            std::string::npos);
  EXPECT_NE(Read(dir_ / "b.out").find("   1000.5000"), std::string::npos);
  // The first and the last zone are accepted; beyond them is bad usage.
  for (const char* zone : {"1", "19"}) {
    r = Run(Par() + " --zone " + zone + " " + P("pts.in") + " " + P("c.out"));
    EXPECT_EQ(r.code, 0) << zone << r.err;
  }
  for (const char* zone : {"0", "20"}) {
    r = Run(Par() + " --zone " + zone + " " + P("pts.in") + " " + P("c.out"));
    EXPECT_EQ(r.code, 2) << zone;
  }
}

// A FIFO (or a device) as input, result or parameter file is refused at once
// with the path and what it is; nothing is created or emptied. `timeout`
// turns a blocking open into a failure instead of a hanging test.
TEST_F(Cli, SpecialFilesAreRefusedAtOnce) {
  Write(dir_ / "pts.in", "1000 2000 3\r\n");
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  const std::string fifo = P("fifo");
  struct Case {
    std::string args, path, kind;
  };
  const Case cases[] = {
      {Par() + " " + fifo + " " + P("a.out"), "fifo", "FIFO"},
      {Par() + " " + P("pts.in") + " " + fifo, "fifo", "FIFO"},
      {"--par " + fifo + " " + P("pts.in") + " " + P("a.out"), "fifo", "FIFO"},
      {"--par /dev/zero " + P("pts.in") + " " + P("a.out"), "/dev/zero", "デバイス"},
      {"--par " + P("") + " " + P("pts.in") + " " + P("a.out"), dir_.string(), "フォルダ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const Result r = Run(c.args, "timeout 10 ");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(c.path), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(c.kind), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir_ / "a.out"));
  }
  EXPECT_TRUE(fs::is_fifo(dir_ / "fifo"));
  // The parameter file named by the environment is checked the same way.
  const Result r = Run(P("pts.in") + " " + P("a.out"), "VARNO_PAR_FILE=" + fifo + " timeout 10 ");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("FIFO"), std::string::npos) << r.err;
}

// Bytes of a hostile file never reach the terminal raw: escapes, bells and a
// NUL in a field are shown escaped; a too small decimal is 0, a too large one
// an overflow that names its line.
TEST_F(Cli, MessagesQuoteInputSafely) {
  Write(dir_ / "esc.in", std::string("1000 2000 \x1b]0;title\x07\x1b[2J") + '\0' + "x\x9b\x80\r\n");
  Result r = Run(Par() + " " + P("esc.in") + " " + P("a.out"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("\\x1B]0;title\\x07\\x1B[2J\\x00x"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find('\0'), std::string::npos);
  EXPECT_EQ(r.err.find('\x1b'), std::string::npos);
  EXPECT_EQ(r.err.find('\x07'), std::string::npos);
  Write(dir_ / "num.in",
        "0." + std::string(399, '0') + "1 2000 3\r\n1" + std::string(400, '0') + " 2000 3\r\n");
  r = Run(Par() + " " + P("num.in") + " " + P("b.out"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("行 2: 入力されたデータに問題があります。計算は中断しました。 in XY_File"),
            std::string::npos)
      << r.err;
}

// A full disk, made by a file size limit: the result is cut back to whole
// lines and the message says how many it holds and where writing failed.
TEST_F(Cli, WriteFailureKeepsWholeLines) {
  auto lineCount = [](const std::string& text) {
    std::size_t n = 0;
    for (std::size_t p = 0; (p = text.find("\r\n", p)) != std::string::npos; p += 2) ++n;
    return n;
  };
  Write(dir_ / "empty.in", "");
  ASSERT_EQ(Run(Par() + " " + P("empty.in") + " " + P("h.out")).code, 0);
  const std::size_t header = lineCount(Read(dir_ / "h.out"));
  std::string in;
  for (int i = 0; i < 20000; ++i) in += "1000 2000 3 P" + std::to_string(i) + "\r\n";
  Write(dir_ / "big.in", in);
  const Result r = Run(Par() + " " + P("big.in") + " " + P("a.out"),
                       "sh -c 'trap \"\" XFSZ; ulimit -f 200; exec \"$0\" \"$@\"' ");
  EXPECT_EQ(r.code, 1);
  const std::string out = Read(dir_ / "a.out");
  ASSERT_GT(out.size(), 0u);
  EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
  const std::size_t results = lineCount(out) - header;
  EXPECT_NE(r.err.find("行 " + std::to_string(results + 1) + ": "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("結果ファイルには " + std::to_string(results) + "行の結果があります"),
            std::string::npos)
      << r.err;
}

// SIGINT and SIGTERM stop a run like the cancel button: exit 130 or 143 and
// a result file that ends with a whole line. A signal already pending at the
// start stops the run before the result file is created.
TEST_F(Cli, SignalsStopAtALineBoundary) {
  std::string in;
  for (int i = 0; i < 3000000; ++i) in += "1000 2000 3\r\n";
  Write(dir_ / "big.in", in);
  in.clear();
  const std::string bin = std::string(VARNO_BIN_DIR) + "/varno-batch";
  const std::string par = (dir_ / "Test.par").string();
  for (const int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    const std::string out = (dir_ / ("s" + std::to_string(sig) + ".out")).string();
    for (const bool pendingAtStart : {true, false}) {
      fs::remove(out);
      const pid_t pid = ::fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        ::freopen("/dev/null", "w", stderr);
        if (pendingAtStart) {  // blocked and pending across exec
          sigset_t set;
          sigemptyset(&set);
          sigaddset(&set, sig);
          sigprocmask(SIG_BLOCK, &set, nullptr);
          ::raise(sig);
        }
        ::execl(bin.c_str(), bin.c_str(), "--par", par.c_str(), (dir_ / "big.in").c_str(),
                out.c_str(), static_cast<char*>(nullptr));
        ::_exit(99);
      }
      if (!pendingAtStart) {
        // Once the header is written the run is counting or converting.
        for (int k = 0; k < 2000 && !(fs::exists(out) && fs::file_size(out) > 0); ++k)
          ::usleep(1000);
        ::kill(pid, sig);
      }
      int status = 0;
      ASSERT_EQ(::waitpid(pid, &status, 0), pid);
      ASSERT_TRUE(WIFEXITED(status));
      EXPECT_EQ(WEXITSTATUS(status), 128 + sig);
      if (pendingAtStart) {
        EXPECT_FALSE(fs::exists(out));
        continue;
      }
      const std::string result = Read(out);
      ASSERT_GE(result.size(), 2u);
      EXPECT_EQ(result.substr(result.size() - 2), "\r\n");
      EXPECT_LT(result.size(), 3000000u * 45);  // stopped before the end
    }
  }
}

}  // namespace

namespace {

// The class attributes of the elements that stand for data points, in order.
std::vector<std::string> PointClasses(const std::string& svg) {
  std::vector<std::string> classes;
  for (std::size_t p = 0; (p = svg.find(" class=\"point ", p)) != std::string::npos;) {
    p += 8;
    classes.push_back(svg.substr(p, svg.find('"', p) - p));
  }
  return classes;
}

}  // namespace

TEST_F(Cli, MapWritesOnePointPerDataLineAndRefusesTheRunsFiles) {
  Write(
      dir_ / "pts.in",
      "# two inside, one outside\r\n100 200 1 a<b>\r\n50000 0 1 far\r\nword\r\n-300 -400 2 c\r\n");
  Result r = Run(Par() + " --map " + P("run.svg") + " " + P("pts.in") + " " + P("a.out"));
  EXPECT_EQ(r.code, 0) << r.err;
  const std::string svg = Read(dir_ / "run.svg");
  EXPECT_EQ(PointClasses(svg),
            (std::vector<std::string>{"point grid", "point none", "point grid"}));
  EXPECT_NE(svg.find("data-line=\"2\""), std::string::npos);
  EXPECT_NE(svg.find("a&lt;b&gt;"), std::string::npos);
  EXPECT_EQ(svg.find("a<b>"), std::string::npos);
  // The result file is the same with or without the picture.
  r = Run(Par() + " " + P("pts.in") + " " + P("b.out"));
  EXPECT_EQ(Read(dir_ / "a.out").substr(100), Read(dir_ / "b.out").substr(100));
  // The mode decides the outcome of the point outside the grid.
  r = Run(Par() + " --mode 1 --map " + P("run1.svg") + " " + P("pts.in") + " -");
  EXPECT_EQ(PointClasses(Read(dir_ / "run1.svg"))[1], "point rep");
  // Never onto the input, the result or the parameter file; a missing folder
  // is an error after the run.
  const std::string input = Read(dir_ / "pts.in");
  for (const char* clash : {"pts.in", "c.out", "Test.par"}) {
    r = Run(Par() + " --map " + P(clash) + " " + P("pts.in") + " " + P("c.out"));
    EXPECT_EQ(r.code, 2) << clash;
  }
  EXPECT_EQ(Read(dir_ / "pts.in"), input);
  EXPECT_NE(Read(dir_ / "Test.par").size(), 0u);
  r = Run(Par() + " --map " + P("none/run.svg") + " " + P("pts.in") + " " + P("d.out"));
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("範囲図が書き出せません"), std::string::npos) << r.err;
  EXPECT_EQ(Run("--map= " + P("pts.in") + " -").code, 2);
}

// --format: SIMA converts record for record and exits 3 with the points left
// unconverted; SIMA takes no other process; CSV gives the text result; a file
// in which nothing was read as a point exits 3 naming the format.
TEST_F(Cli, FormatsAndTheirWarnings) {
  Result r =
      Run("--format sima " + Par() + " " + Golden("points.sim").string() + " " + P("pts_2011.sim"));
  EXPECT_EQ(r.code, 3) << r.err;
  EXPECT_EQ(Read(dir_ / "pts_2011.sim"), Read(Golden("points_mode2.sim")));
  EXPECT_NE(r.err.find("変換できなかった点が 5 点あります。"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("ﾚｺｰﾄﾞ 8: 点番号 4"), std::string::npos) << r.err;
  EXPECT_NE(Read(dir_ / "pts_2011_report.txt"), "");
  // To standard output, the report beside the input.
  fs::copy_file(Golden("points.sim"), dir_ / "in.sim");
  r = Run("--format sima " + Par() + " " + P("in.sim") + " -");
  EXPECT_EQ(r.code, 3);
  EXPECT_EQ(r.out, Read(Golden("points_mode2.sim")));
  EXPECT_NE(Read(dir_ / "in_2011_report.txt"), "");
  // The picture never replaces the report, wherever the report goes.
  const std::string report = Read(dir_ / "pts_2011_report.txt");
  for (const auto& [map, out] :
       {std::pair("pts_2011_report.txt", "pts_2011.sim"), std::pair("in_2011_report.txt", "-")}) {
    SCOPED_TRACE(map);
    r = Run("--format sima --map " + P(map) + " " + Par() + " " + P("in.sim") + " " +
            (std::string(out) == "-" ? "-" : P(out)));
    EXPECT_EQ(r.code, 2) << r.err;
    EXPECT_NE(r.err.find("報告ファイル"), std::string::npos) << r.err;
  }
  EXPECT_EQ(Read(dir_ / "pts_2011_report.txt"), report);

  for (const char* bad : {"--format sima --process bl", "--format sima --process xy-bl",
                          "--format sima --with-input", "--format xls"}) {
    SCOPED_TRACE(bad);
    r = Run(std::string(bad) + " " + Par() + " a.sim b.sim");
    EXPECT_EQ(r.code, 2);
  }
  EXPECT_EQ(Run("--format sima --process xy " + Par() + " " + Golden("points.sim").string() + " " +
                P("b.sim"))
                .code,
            3);

  r = Run("--format csv " + Par() + " " + Golden("same_points.csv").string() + " " + P("c.out"));
  EXPECT_EQ(r.code, 0) << r.err;
  r = Run(Par() + " " + Golden("same_points.csv").string() + " " + P("t.out"));
  EXPECT_EQ(r.code, 3);
  EXPECT_NE(r.err.find("点として読めた行が1行もありませんでした。"), std::string::npos);
  EXPECT_NE(r.err.find("「空白区切り」"), std::string::npos);
}
