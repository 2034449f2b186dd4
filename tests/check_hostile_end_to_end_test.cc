// Runs the width check on hostile fonts and names, built small: a report that must grow with the
// members and not with their square, a collection past the member limit, names that would forge
// lines on a terminal, names that only the check's own fix can take, JSON names that give the
// exact bytes back, and a fix stopped by a file size limit.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
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

// A collection of members whose table directories start 16 bytes apart, each claiming 65535
// records: every 16 bytes read both as an offset table and as a record.
Bytes OverlappingDirectories(std::uint32_t members) {
  Bytes font = {'t', 't', 'c', 'f', 0, 1, 0, 0};
  font.resize(12 + 4 * members);
  PutBigEndian32(font, 8, members);
  for (std::uint32_t i = 0; i < members; ++i) {
    PutBigEndian32(font, 12 + 4 * i, 12 + 4 * members + 16 * i);
  }
  const Bytes unit = {0, 1, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16};
  for (std::uint32_t i = 0; i < 65535 + members; ++i)
    font.insert(font.end(), unit.begin(), unit.end());
  return font;
}

TEST_F(CheckHostileTest, OverlappingDirectoriesAreRefusedAsDamaged) {
  const Bytes font = OverlappingDirectories(300);
  WriteFileBytes(dir_.Path("o.ttc"), font);
  for (const char* option : {"--json", "--fix"}) {
    const Outcome outcome = Check({option, "o.ttc"});
    EXPECT_EQ(outcome.status, 2);
    std::string expected;
    for (int i = 0; i < 300; ++i) {
      expected += "quenlo-check: o.ttc#" + std::to_string(i) +
                  ": its table directory overlaps another member's, or the collection's header\n";
    }
    EXPECT_EQ(outcome.err, expected);
  }
  EXPECT_EQ(ReadFileBytes(dir_.Path("o.ttc")), font);
}

TEST_F(CheckHostileTest, MembersWhoseTablesOverlapWithoutBeingOneAreRefusedAsDamaged) {
  // Each member lists member 0's character map one byte longer than the member before.
  Bytes font = BuildCollection(std::vector<Bytes>(40, CjkFont(980)));
  const std::uint32_t first = GetBigEndian32(font, 12);
  const std::uint32_t cmap = GetBigEndian32(font, first + 12 + 8);
  const std::uint32_t length = GetBigEndian32(font, first + 12 + 12);
  for (std::uint32_t i = 1; i < 40; ++i) {
    const std::uint32_t directory = GetBigEndian32(font, 12 + 4 * i);
    PutBigEndian32(font, directory + 12 + 8, cmap);
    PutBigEndian32(font, directory + 12 + 12, length + i);
  }
  WriteFileBytes(dir_.Path("t.ttc"), font);
  const Outcome outcome = Check({"--fix", "t.ttc"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.err.find("quenlo-check: t.ttc#39: its tables overlap another member's without "
                             "being the same tables\n"),
            std::string::npos)
      << outcome.err;
  EXPECT_EQ(outcome.out, "");
  EXPECT_EQ(ReadFileBytes(dir_.Path("t.ttc")), font);
  // Members that list one table, by the same offset and length, share it as before.
  WriteFileBytes(dir_.Path("s.ttc"), Alternating(4));
  EXPECT_EQ(Check({"s.ttc"}).err, "");
}

TEST_F(CheckHostileTest, CharacterMapIsReadNoFurtherThanItsGroupsHoldTogether) {
  // The only group maps ASCII; the format 12 subtable claims groups up to the end of a sparse
  // file of 64 MiB, which read as zeros.
  MetricsFont metrics;
  metrics.advances = std::vector<std::uint16_t>(96, 500);
  metrics.cmap = CmapTable({{3, 10, CmapFormat12({{0x20, 0x7E, 1}})}});
  Bytes font = BuildMetricsFont(metrics);
  const std::uint32_t size = 64 << 20;
  const std::uint32_t cmap = TableOffset(font, "cmap");
  PutBigEndian32(font, 12 + 8 + 4, size - cmap);  // the cmap record comes first
  PutBigEndian32(font, cmap + 12 + 4, 0xFFFFFFFF);
  PutBigEndian32(font, cmap + 12 + 12, (size - cmap - 28) / 12);
  font.resize(size);  // written as zeros: the test's folder may not keep holes
  WriteFileBytes(dir_.Path("c.ttf"), font);
  const Outcome outcome = Check({"c.ttf"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err,
            "quenlo-check: c.ttf: the character map's groups are not in order, each after the last "
            "and ending by U+10FFFF\n");
}

TEST_F(CheckHostileTest, WorkPastWhatTheFileHoldsIsRefused) {
  // 64 fonts, each with a character map of its own whose one group maps every code point the
  // rules look at to one glyph: each costs all of the rules' work, from a few hundred bytes.
  MetricsFont metrics;
  metrics.advances = {0, 500};
  metrics.cmap = CmapTable({{3, 10, CmapFormat12({{0x20, 0x2FFFF, 1}}, 13)}});
  const Bytes font = BuildCollection(std::vector<Bytes>(64, BuildMetricsFont(metrics)));
  WriteFileBytes(dir_.Path("w.ttc"), font);
  const Outcome outcome = Check({"w.ttc"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_NE(outcome.out.find("w.ttc#0: xAvgCharWidth 500 ok"), std::string::npos) << outcome.out;
  EXPECT_NE(outcome.err.find("quenlo-check: w.ttc#63: reading it would take more work than any "
                             "real font of its size needs (its character maps and metrics claim "
                             "far more than the file holds)\n"),
            std::string::npos)
      << outcome.err;
}

TEST_F(CheckHostileTest, FileNamedAsAnOptionIsNotTakenAsOne) {
  // What "quenlo-check *" gives in a folder that holds files named --fix and -.
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  WriteFileBytes(dir_.Path("--fix"), CjkFont(980));
  WriteFileBytes(dir_.Path("-"), CjkFont(980));
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"--fix", "a.ttf"}, {"-", "a.ttf"}}) {
    const Outcome outcome = Check(arguments);
    EXPECT_EQ(outcome.status, 2);
    EXPECT_EQ(outcome.err,
              "quenlo-check: " +
                  std::string(arguments[0] == "-" ? "- reads standard input"
                                                  : "--fix was read as an option") +
                  ", but a file of that name is here too (did a wildcard give it?): write ./" +
                  arguments[0] + " for the file, or -- before the fonts; nothing was done\n");
  }
  EXPECT_EQ(ReadFileBytes(dir_.Path("a.ttf")), CjkFont(980));
  const Outcome files = Check({"--", "--fix", "./-", "a.ttf"});
  EXPECT_EQ(files.status, 1) << files.err;
  EXPECT_NE(files.out.find("\n./-: xAvgCharWidth 980"), std::string::npos) << files.out;
}

TEST_F(CheckHostileTest, PrintedFixRunsOnlyTheFixInEveryShell) {
  struct NameCase {
    std::string name;
    bool command;  // false when the name gets the advice to rename it instead
  };
  const std::vector<NameCase> names = {{"My Font.ttf", true},
                                       {"Noto[wdth,wght].ttf", true},
                                       {"=ls", true},
                                       {"%self", true},
                                       {"$(touch PWNED).ttf", true},
                                       {"`touch PWNED`.ttf", true},
                                       {"~root.ttf", true},
                                       {"-x.ttf", true},
                                       {"!!.ttf", true},
                                       {"{a,b}.ttf", true},
                                       {"*.ttf", true},
                                       {"a;b|c&d>e.ttf", true},
                                       {"#c.ttf", true},
                                       {"\"q.ttf", true},
                                       {"\xE5\xAD\x97 x.ttf", true},
                                       {"my set.ttc", true},
                                       {"-s.ttc", true},
                                       {"a'; touch PWNED; #.ttf", false},
                                       {"a\\'; touch PWNED; #.ttf", false},
                                       {"x\xC2\xA0y.ttf", false},
                                       {"b\\x01.ttf", false}};
  const Bytes font = CjkFont(980);
  const Bytes collection = BuildCollection({CjkFont(980), CjkFont(980)});
  int run = 0;
  for (const NameCase& c : names) {
    const bool ttc = c.name.size() > 4 && c.name.substr(c.name.size() - 4) == ".ttc";
    const Bytes& original = ttc ? collection : font;
    WriteFileBytes(dir_.Path(c.name), original);
    const Outcome check = Check({"--", c.name});
    const std::size_t at = check.out.find("  fix: ");
    ASSERT_NE(at, std::string::npos) << c.name;
    const std::string line = check.out.substr(at + 7, check.out.find('\n', at) - at - 7);
    const bool command = line.rfind(std::filesystem::path(kCheck).parent_path().string(), 0) == 0;
    EXPECT_EQ(command, c.command) << c.name << ": " << line;
    if (!command) {
      std::filesystem::remove(dir_.Path(c.name));
      continue;
    }
    // What the line must do: quenlo's two bytes, or the check's own fix of a collection.
    Bytes patched = font;
    PutBigEndian16(patched, TableOffset(font, "OS/2") + 2, 500);
    if (ttc) {
      EXPECT_EQ(Check({"--fix", "--", c.name}).status, 0);
    }
    const std::map<std::string, Bytes> fixed =
        ttc ? Snapshot(dir_) : std::map<std::string, Bytes>{{dir_.Path(c.name), patched}};
    for (const char* shell :
         {"/bin/sh", "/bin/dash", "/bin/bash", "/usr/bin/zsh", "/usr/bin/fish"}) {
      if (!std::filesystem::exists(shell)) continue;
      WriteFileBytes(dir_.Path(c.name), original);
      const Outcome pasted = RunCommand({shell, "-c", line}, dir_.Path(""));
      EXPECT_EQ(pasted.status, 0) << shell << ": " << line << "\n" << pasted.err;
      EXPECT_TRUE(Snapshot(dir_) == fixed) << shell << ": " << line;
      ++run;
    }
    std::filesystem::remove(dir_.Path(c.name));
  }
  EXPECT_GT(run, 0);
}

}  // namespace
