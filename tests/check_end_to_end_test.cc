// Runs the built width check as a user would: its report, its exit status, and the files it was
// pointed at, which it must never change.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/check_program_test.h"
#include "tests/files.h"
#include "tests/metrics_fonts.h"
#include "tests/run_program.h"

namespace {

const char kCheck[] = QUENLO_CHECK_PROGRAM;
const char kQuenlo[] = QUENLO_PROGRAM;
const char kBizUdGothic[] = "/usr/share/fonts/truetype/bizud-gothic/BIZUDGothic-Regular.ttf";

class CheckTest : public CheckProgramTest {};

struct StartCase {
  const char* name;
  std::string check;   // how the check is started from the font's folder, by sh
  std::string quenlo;  // how the printed fix reaches quenlo
  bool onPath;         // whether PATH holds the programs' folder
};

void PrintTo(const StartCase& c, std::ostream* os) { *os << c.name; }

class CheckStartTest : public CheckTest, public testing::WithParamInterface<StartCase> {};

// The printed command, pasted into the same shell in the same folder, runs as printed: through
// PATH when PATH finds the same programs, else by the path the check was started by.
TEST_P(CheckStartTest, PrintsTheFixThatRunsAsPrinted) {
  std::filesystem::create_directory(dir_.Path("bin"));
  std::filesystem::copy_file(kCheck, dir_.Path("bin/quenlo-check"));
  std::filesystem::copy_file(kQuenlo, dir_.Path("bin/quenlo"));
  WriteFileBytes(dir_.Path("My Font.ttf"), CjkFont(980));
  const RunOptions path = {
      {"PATH=" + (GetParam().onPath ? dir_.Path("bin") + ":" : "") + "/usr/bin:/bin"}, false, {}};
  const std::string check = std::string(GetParam().check).replace(0, 4, dir_.Path(""));
  const std::string started = GetParam().check.rfind("DIR/", 0) == 0 ? check : GetParam().check;
  const Outcome first =
      RunCommand({"/bin/sh", "-c", started + " 'My Font.ttf'"}, dir_.Path(""), path);
  EXPECT_EQ(first.status, 1);
  EXPECT_EQ(first.err, "");
  std::string quenlo = GetParam().quenlo;
  if (quenlo.rfind("DIR/", 0) == 0) quenlo.replace(0, 4, dir_.Path(""));
  EXPECT_EQ(first.out, "My Font.ttf: xAvgCharWidth 980, should be 500: " + kCjkReason +
                           "\n  fix: " + quenlo + " -w 500 'My Font.ttf'\n");

  const std::string command = first.out.substr(first.out.find("fix: ") + 5);
  const Outcome fix = RunCommand({"/bin/sh", "-c", command}, dir_.Path(""), path);
  EXPECT_EQ(fix.status, 0) << fix.err;
  const Outcome second = Check({"My Font.ttf"});
  EXPECT_EQ(second.status, 0);
  EXPECT_EQ(second.out, "My Font.ttf: xAvgCharWidth 500 ok: " + kCjkReason + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckStartTest,
    testing::Values(StartCase{"ThroughPath", "quenlo-check", "quenlo", true},
                    StartCase{"ByPathThatPathAlsoFinds", "DIR/bin/quenlo-check", "quenlo", true},
                    StartCase{"ByRelativePath", "bin/quenlo-check", "bin/quenlo", false},
                    StartCase{"ByFullPath", "DIR/bin/quenlo-check", "DIR/bin/quenlo", false}),
    [](const testing::TestParamInfo<StartCase>& test) { return std::string(test.param.name); });

TEST_F(CheckTest, JsonHasEveryFieldForEachFace) {
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  WriteFileBytes(dir_.Path("b.ttc"),
                 BuildCollection({CjkFont(500), CjkFont(500, 0x4F54544F)}, true));
  WriteFileBytes(dir_.Path("bad\xFC.ttf"), Bytes(20, 'x'));
  const Outcome outcome = Check({"--json", "a.ttf", "b.ttc", "bad\xFC.ttf"});
  EXPECT_EQ(outcome.status, 2);
  const std::string fields =
      "\"os2Version\": 4, \"unitsPerEm\": 1000, \"xAvgCharWidth\": 980, \"average\": 957, "
      "\"weightedAverage\": 500, \"halfWidth\": 500, \"halfWidthCount\": 95, \"fullWidth\": "
      "1000, \"cjkCount\": 1000, \"kind\": \"duospaced\", \"suggested\": 500, ";
  std::string member = fields;
  member.replace(member.find("980"), 3, "500");
  EXPECT_EQ(
      outcome.out,
      "[\n"
      "{\"file\": \"a.ttf\", \"index\": null, \"sfntVersion\": \"0x00010000\", \"flavour\": "
      "null, " +
          fields + "\"ok\": false, \"patchable\": true, \"kept\": false},\n" +
          "{\"file\": \"b.ttc\", \"index\": 0, \"sfntVersion\": \"0x00010000\", \"flavour\": "
          "null, " +
          member + "\"ok\": true, \"patchable\": false, \"kept\": false},\n" +
          "{\"file\": \"b.ttc\", \"index\": 1, \"sfntVersion\": \"OTTO\", \"flavour\": null, " +
          member + "\"ok\": true, \"patchable\": false, \"kept\": false},\n" +
          "{\"file\": \"bad\\udcfc.ttf\", \"error\": \"not a TrueType or CFF font\"}\n]\n");
  EXPECT_EQ(outcome.err, "quenlo-check: bad\\xfc.ttf: not a TrueType or CFF font\n");
}

// VL PGothic stores 957 with averages of 478 and 959 and a full width of 1000: no rewrite.
TEST_F(CheckTest, ProportionalCjkFontKeepsAValueBetweenItsAveragesAndItsFullWidth) {
  const std::string font = "/usr/share/fonts/truetype/vlgothic/VL-PGothic-Regular.ttf";
  const Outcome outcome = Check({font});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.out, font +
                             ": xAvgCharWidth 957 ok: kept: it lies from the lower average to the "
                             "highest of the averages and the full width (478 to 1000), where no "
                             "program is known to need one value over another, for a proportional "
                             "font (11 of 95 ASCII characters at 627) with 12597 CJK characters\n");
}

// A 3:5 build: ASCII at 618, 1000 CJK characters at 1030. Either width is kept; a value left by
// a merger gets the half width, or with --dual-width full the full width, also when fixed.
TEST_F(CheckTest, DualWidthFontKeepsEitherWidthAndGetsTheOneChosen) {
  MetricsFont metrics = CjkMetrics(976);
  for (std::size_t i = 1; i < 96; ++i) metrics.advances[i] = 618;
  for (std::size_t i = 96; i < metrics.advances.size(); ++i) metrics.advances[i] = 1030;
  WriteFileBytes(dir_.Path("dual.ttf"), BuildMetricsFont(metrics));
  const std::string reason =
      " width of a CJK font with dual widths 618:1030 (1:1.67), either of which it may hold: 95 "
      "of 95 ASCII characters at 618, full width 1030 (1000 CJK characters)\n";
  const Outcome half = Check({"dual.ttf"});
  EXPECT_EQ(half.status, 1);
  EXPECT_EQ(half.out.substr(0, half.out.find('\n') + 1),
            "dual.ttf: xAvgCharWidth 976, should be 618: half" + reason);
  EXPECT_NE(Check({"--json", "dual.ttf"}).out.find("\"kind\": \"dualwidth\""), std::string::npos);
  const Outcome full = Check({"--fix", "--dual-width", "full", "dual.ttf"});
  EXPECT_EQ(full.status, 0) << full.err;
  EXPECT_NE(full.out.find("  fixed: 976 -> 1030\n"), std::string::npos) << full.out;
  EXPECT_EQ(Check({"dual.ttf"}).out, "dual.ttf: xAvgCharWidth 1030 ok: full" + reason);
  const Outcome wrong = Check({"--dual-width", "wide", "dual.ttf"});
  EXPECT_EQ(wrong.status, 2);
  EXPECT_EQ(wrong.err.substr(0, wrong.err.find('\n')),
            "quenlo-check: --dual-width takes half or full, not wide");
}

TEST_F(CheckTest, PointsFontsQuenloCannotPatchAtTheFixAndSaysWhatIsShared) {
  WriteFileBytes(dir_.Path("c d.otf"), CjkFont(980, 0x4F54544F));
  // Member 0 is ok with 980; member 1 shares its table but needs 500.
  WriteFileBytes(dir_.Path("e.ttc"), BuildCollection({ProportionalFont(980), CjkFont(980)}, true));
  // Both members need 500: sharing the table does not matter.
  WriteFileBytes(dir_.Path("f.ttc"), BuildCollection({CjkFont(980), CjkFont(980)}, true));
  const Outcome outcome = Check({"c d.otf", "e.ttc", "f.ttc"});
  EXPECT_EQ(outcome.status, 1);
  const std::string proportional =
      "e.ttc#0: xAvgCharWidth 980 ok: average advance of the glyphs, the rule of OS/2 version 4, "
      "for a proportional font (48 of 95 ASCII characters at 1000)\n";
  const std::string cjk = ": xAvgCharWidth 980, should be 500: " + kCjkReason + "\n";
  const std::string fix = "  fix: " + std::string(kCheck) + " --fix ";
  EXPECT_EQ(
      outcome.out,
      "c d.otf" + cjk + fix + "'c d.otf'\n" + proportional +
          "  its OS/2 table is shared with #1: one write changes them all\n" + "e.ttc#1" + cjk +
          fix + "e.ttc\n" +
          "  its OS/2 table is shared with #0 and the members named under it: one write changes "
          "them all\n" +
          "f.ttc#0" + cjk + fix + "f.ttc\n" + "f.ttc#1" + cjk + fix + "f.ttc\n");
}

struct TroubleCase {
  const char* name;
  std::vector<std::string> arguments;
  std::string out;
  std::string errStart;  // what standard error starts with
  RunOptions options;
};

void PrintTo(const TroubleCase& c, std::ostream* os) { *os << c.name; }

class CheckTroubleTest : public CheckTest, public testing::WithParamInterface<TroubleCase> {};

TEST_P(CheckTroubleTest, ExitsTwoAndSaysWhyOnStandardError) {
  const TroubleCase& c = GetParam();
  WriteFileBytes(dir_.Path("ok.ttf"), CjkFont(500));
  const auto before = Snapshot(dir_);
  const Outcome outcome = Check(c.arguments, c.options);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.out, c.out);
  EXPECT_EQ(outcome.err.substr(0, c.errStart.size()), c.errStart) << outcome.err;
  EXPECT_EQ(Snapshot(dir_), before);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CheckTroubleTest,
    testing::Values(
        TroubleCase{"NoArguments", {}, "", "quenlo-check: no font given\n\nUsage: ", {}},
        TroubleCase{"UnknownOption", {"-x", "ok.ttf"}, "", "quenlo-check: unknown option -x\n", {}},
        TroubleCase{"Missing",
                    {"ok.ttf", "missing.ttf"},
                    "ok.ttf: xAvgCharWidth 500 ok: " + kCjkReason + "\n",
                    "quenlo-check: missing.ttf: cannot open it: there is no such file\n",
                    {}},
        TroubleCase{"Directory",
                    {"."},
                    "",
                    "quenlo-check: .: cannot open it: it is a directory, not a font file\n",
                    {}},

        TroubleCase{"OutputClosed",
                    {"ok.ttf"},
                    "",
                    "quenlo-check: cannot write the report: standard output is closed\n",
                    {{}, false, {1}}}),
    [](const testing::TestParamInfo<TroubleCase>& test) { return std::string(test.param.name); });

TEST_F(CheckTest, UnreadableFileSaysPermissionDenied) {
  WriteFileBytes(dir_.Path("secret.ttf"), CjkFont(500));
  ASSERT_EQ(chmod(dir_.Path("secret.ttf").c_str(), 0), 0);
  // A copy of the program in the open folder runs as nobody wherever the build lies.
  ASSERT_EQ(chmod(dir_.Path("").c_str(), 0755), 0);
  const std::string program = dir_.Path("quenlo-check");
  std::filesystem::copy_file(kCheck, program);
  const Outcome outcome = RunCommand({program, "secret.ttf"}, dir_.Path(""), {{}, true, {}});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err,
            "quenlo-check: secret.ttf: cannot open it: permission denied: this user may not read "
            "it\n");
}

TEST_F(CheckTest, HelpAndVersionGoToStandardOutput) {
  const Outcome help = Check({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_EQ(help.out.substr(0, help.out.find("Tells")),
            "Usage: quenlo-check [--fix [--output PATH] | --install [--family NAME]] [--json]\n"
            "                    [--installed] [--dual-width half|full] FONT...\n"
            "       quenlo-check --uninstall\n");
  EXPECT_EQ(help.err, "");
  const Outcome version = Check({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out.substr(0, 13), "quenlo-check ");
  // After --, an argument that looks like an option is a font.
  EXPECT_EQ(Check({"--", "--help"}).status, 2);
}

TEST_F(CheckTest, WorksWithStandardErrorClosed) {
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  const auto before = Snapshot(dir_);
  const Outcome outcome = Check({"a.ttf", "missing.ttf"}, {{}, false, {2}});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.out.substr(0, 26), "a.ttf: xAvgCharWidth 980, ");
  EXPECT_EQ(Snapshot(dir_), before);
}

TEST_F(CheckTest, ReportThatCannotBeWrittenIsNeverASuccess) {
  WriteFileBytes(dir_.Path("ok.ttf"), CjkFont(500));
  const Outcome outcome =
      RunCommand({"/bin/sh", "-c", "\"$0\" ok.ttf >/dev/full", kCheck}, dir_.Path(""));
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err, "quenlo-check: cannot write the report to standard output\n");
}

TEST_F(CheckTest, RealCjkFontIsFixedByThePrintedCommand) {
  const Bytes original = ReadFileBytes(kBizUdGothic);
  if (original.empty()) GTEST_SKIP() << "install fonts-morisawa-bizud-gothic";
  WriteFileBytes(dir_.Path("BIZUDGothic-Regular.ttf"), original);
  const Outcome before = Check({"BIZUDGothic-Regular.ttf"});
  EXPECT_EQ(before.status, 1);
  EXPECT_EQ(before.out.substr(0, 64),
            "BIZUDGothic-Regular.ttf: xAvgCharWidth 1962, should be 1024: hal");
  EXPECT_NE(
      before.out.find("\n  fix: " + std::string(kQuenlo) + " -w 1024 BIZUDGothic-Regular.ttf\n"),
      std::string::npos);
  EXPECT_EQ(RunCommand({kQuenlo, "-w", "1024", "BIZUDGothic-Regular.ttf"}, dir_.Path("")).status,
            0);
  EXPECT_EQ(Check({"BIZUDGothic-Regular.ttf"}).status, 0);
}

}  // namespace
