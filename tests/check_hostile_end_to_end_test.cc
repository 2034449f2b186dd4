// Runs the width check on hostile fonts and names, built small: a report that must grow with the
// members and not with their square, a collection past the member limit, names that would forge
// lines on a terminal, names that only the check's own fix can take, JSON names that give the
// exact bytes back, and a fix stopped by a file size limit.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/check_program_test.h"
#include "tests/files.h"
#include "tests/metrics_fonts.h"
#include "tests/run_program.h"

namespace {

const char kCheck[] = QUENLO_CHECK_PROGRAM;
const char kPython[] = "/usr/bin/python3";

const std::string kCjkVerdict = ": xAvgCharWidth 980, should be 500: " + kCjkReason + "\n";

class CheckHostileTest : public CheckProgramTest {};

// Members that point in turn at a proportional face that is ok with 980 and at a CJK face that
// needs 500, through two directories and one shared OS/2 table.
Bytes Alternating(std::size_t members) {
  std::vector<std::size_t> order;
  for (std::size_t i = 0; i < members; ++i) order.push_back(i % 2);
  return BuildCollection({ProportionalFont(980), CjkFont(980)}, true, order);
}

TEST_F(CheckHostileTest, ReportGrowsWithTheMembersNotWithTheirSquare) {
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{}, {"--json"}, {"--fix"}, {"--fix", "--json"}}) {
    std::size_t bytes[2] = {};
    const std::size_t members[2] = {40, 400};
    for (int i = 0; i < 2; ++i) {
      WriteFileBytes(dir_.Path("s.ttc"), Alternating(members[i]));
      std::vector<std::string> arguments = options;
      arguments.push_back("s.ttc");
      const Outcome outcome = Check(arguments);
      EXPECT_EQ(outcome.status,
                options.empty() || options == std::vector<std::string>{"--json"} ? 1 : 0);
      bytes[i] = outcome.out.size();
    }
    SCOPED_TRACE(options.empty() ? "" : options[0] + (options.size() > 1 ? " --json" : ""));
    EXPECT_LE(bytes[1], 400u * members[1]);
    EXPECT_LE(bytes[1] * members[0], bytes[0] * members[1] * 11 / 10);
  }
  // The list of those who share the table is written once, under the first member.
  WriteFileBytes(dir_.Path("s.ttc"), Alternating(6));
  const Outcome outcome = Check({"s.ttc"});
  EXPECT_NE(outcome.out.find("  its OS/2 table is shared with #1-#5: one write changes them all\n"),
            std::string::npos)
      << outcome.out;
  EXPECT_NE(outcome.out.find("s.ttc#5" + kCjkVerdict + "  fix: " + std::string(kCheck) +
                             " --fix s.ttc\n  its OS/2 table is shared with #0 and the members "
                             "named under it: one write changes them all\n"),
            std::string::npos)
      << outcome.out;
}

TEST_F(CheckHostileTest, CollectionPastTheMemberLimitIsRefusedAndLeftAlone) {
  const Bytes atLimit = BuildCollection({CjkFont(500)}, false, std::vector<std::size_t>(16384, 0));
  WriteFileBytes(dir_.Path("limit.ttc"), atLimit);
  const Outcome read = Check({"limit.ttc"});
  EXPECT_EQ(read.status, 0) << read.err;
  EXPECT_NE(read.out.find("\nlimit.ttc#16383: xAvgCharWidth 500 ok"), std::string::npos);

  Bytes beyond = {'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0x40, 0x01};  // 16385 members
  beyond.resize(4096, 0);
  WriteFileBytes(dir_.Path("big.ttc"), beyond);
  const std::string why =
      "the collection's header lists 16385 fonts, more than the 16384 that any real collection "
      "needs";
  for (const char* option : {"--json", "--fix"}) {
    const Outcome outcome = Check({option, "big.ttc"});
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err, "quenlo-check: big.ttc: " + why + "\n");
    EXPECT_EQ(ReadFileBytes(dir_.Path("big.ttc")), beyond);
  }
  EXPECT_EQ(Check({"--json", "big.ttc"}).out,
            "[\n{\"file\": \"big.ttc\", \"error\": \"" + why + "\"}\n]\n");
}

TEST_F(CheckHostileTest, NamesThatCouldForgeLinesAreShownEscapedWithoutACommand) {
  const std::string forged = "cr\r  fix: touch PWNED\x1b[K #.ttf";
  const std::string lines = "two\nlines.ttf";
  for (const std::string& name : {forged, lines}) WriteFileBytes(dir_.Path(name), CjkFont(980));
  WriteFileBytes(dir_.Path("c1\x9b.ttf"), Bytes(64, 0));
  const Outcome outcome = Check({forged, lines, "c1\x9b.ttf"});
  EXPECT_EQ(outcome.status, 2);
  const std::string remedy =
      "  fix: rename the file first, then check it again: its name holds characters that cannot "
      "be shown or pasted safely (written \\xHH above)\n";
  EXPECT_EQ(outcome.out, "cr\\x0d  fix: touch PWNED\\x1b[K #.ttf" + kCjkVerdict + remedy +
                             "two\\x0alines.ttf" + kCjkVerdict + remedy);
  EXPECT_EQ(outcome.err, "quenlo-check: c1\\x9b.ttf: not a TrueType or CFF font\n");
  for (const char c : outcome.out + outcome.err) {
    const auto byte = static_cast<unsigned char>(c);
    EXPECT_TRUE(byte == '\n' || (byte >= 0x20 && byte < 0x7F)) << int{byte};
  }
  EXPECT_EQ(Check({"--", "-\x1b[2J"}).err,
            "quenlo-check: -\\x1b[2J: cannot open it: there is no such file\n");
}

TEST_F(CheckHostileTest, JsonNamesGiveTheExactBytesBack) {
  // The byte 0xE9 alone and the character é (0xC3 0xA9) are two files and two names.
  const std::vector<std::string> names = {"caf\xE9.ttf", "caf\xC3\xA9.ttf", "tab\t\x01.ttf"};
  std::vector<std::string> arguments = {"--json"};
  for (const std::string& name : names) {
    WriteFileBytes(dir_.Path(name), CjkFont(500));
    arguments.push_back(name);
  }
  const Outcome outcome = Check(arguments);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.out.find("\"file\": \"caf\\udce9.ttf\""), std::string::npos);
  EXPECT_NE(outcome.out.find("\"file\": \"caf\xC3\xA9.ttf\""), std::string::npos);
  WriteFileBytes(dir_.Path("report.json"), Bytes(outcome.out.begin(), outcome.out.end()));
  // Python reads names with surrogateescape, as os.fsencode gives them back.
  const Outcome python = RunCommand(
      {kPython, "-c",
       "import json, os\n"
       "for face in json.load(open('report.json')): print(os.fsencode(face['file']).hex())"},
      dir_.Path(""));
  std::string hex;
  for (const std::string& name : names) {
    for (const char c : name) {
      const char digits[] = "0123456789abcdef";
      hex += digits[static_cast<unsigned char>(c) >> 4];
      hex += digits[static_cast<unsigned char>(c) & 0xF];
    }
    hex += "\n";
  }
  EXPECT_EQ(python.out, hex) << python.err;
}

TEST_F(CheckHostileTest, NameLongerThanQuenloTakesGetsTheChecksOwnFix) {
  // A relative path of 2046 bytes is the longest quenlo takes; one more byte is too many.
  const std::string folder(200, 'd');
  std::string path;
  for (int i = 0; i < 10; ++i) path += folder + "/";
  std::filesystem::create_directories(dir_.Path(path));
  const std::string quenlo =
      std::filesystem::path(kCheck).parent_path().string() + "/quenlo -w 500 ";
  for (const std::size_t length : {std::size_t{2046}, std::size_t{2047}}) {
    const std::string name = path + std::string(length - path.size() - 4, 'n') + ".ttf";
    WriteFileBytes(dir_.Path(name), CjkFont(980));
    const std::string fix = length == 2046 ? quenlo + name : std::string(kCheck) + " --fix " + name;
    EXPECT_EQ(Check({name}).out, name + kCjkVerdict + "  fix: " + fix + "\n");
  }
}

TEST_F(CheckHostileTest, WritePastAFileSizeLimitIsUndone) {
  // The collection fills whole 512-byte blocks, the units of sh's ulimit -f, so the copy that
  // --fix appends is the first byte past the limit.
  Bytes font = Alternating(2);
  font.resize((font.size() + 511) / 512 * 512);
  WriteFileBytes(dir_.Path("s.ttc"), font);
  const Outcome outcome = RunCommand(
      {"/bin/sh", "-c",
       "ulimit -f " + std::to_string(font.size() / 512) + " && exec \"$0\" --fix s.ttc", kCheck},
      dir_.Path(""));
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err,
            "quenlo-check: s.ttc: a write failed (is the disk full, or the file larger than "
            "allowed?); the file was put back as it was\n");
  EXPECT_EQ(ReadFileBytes(dir_.Path("s.ttc")), font);
}

TEST_F(CheckHostileTest, FixWhoseReportFindsItsPipeClosedSaysSo) {
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  // The pipe's reading end is closed before the check starts, so its report cannot be written.
  const Outcome outcome =
      RunCommand({kPython, "-c",
                  "import os, subprocess, sys\n"
                  "r, w = os.pipe()\n"
                  "os.close(r)\n"
                  "run = subprocess.run(sys.argv[1:], stdout=w, stderr=subprocess.PIPE)\n"
                  "print(run.returncode, run.stderr.decode(), end='')",
                  kCheck, "--fix", "a.ttf"},
                 dir_.Path(""));
  EXPECT_EQ(outcome.out, "2 quenlo-check: cannot write the report to standard output\n");
  EXPECT_NE(ReadFileBytes(dir_.Path("a.ttf")), CjkFont(980));
}

}  // namespace
