// Runs --fix --output and fonts on standard input as a build step would: the font itself left as
// it was, the output the bytes that a fix in place writes into a copy, and nothing at the output
// or beside it when the fix cannot be made.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/check_program_test.h"
#include "tests/files.h"
#include "tests/metrics_fonts.h"
#include "tests/run_program.h"

namespace {

const char kCheck[] = QUENLO_CHECK_PROGRAM;

class CheckOutputTest : public CheckProgramTest {
 protected:
  // What --fix in place makes of font, in a copy of its own.
  Bytes FixedInPlace(const Bytes& font) {
    WriteFileBytes(dir_.Path("in-place"), font);
    EXPECT_EQ(Check({"--fix", "in-place"}).err, "");
    const Bytes fixed = ReadFileBytes(dir_.Path("in-place"));
    std::filesystem::remove(dir_.Path("in-place"));
    return fixed;
  }
  // The names in the folder, so that no temporary is left behind.
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.Path(""))) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(CheckOutputTest, WritesTheFixToTheOutputAndLeavesTheFontAsItWas) {
  for (const Bytes& font :
       {CjkFont(980), BuildCollection({ProportionalFont(980), CjkFont(980)}, true)}) {
    WriteFileBytes(dir_.Path("a.ttc"), font);
    WriteFileBytes(dir_.Path("out.ttc"), Bytes(10, 'x'));  // replaced whole
    const Outcome outcome = Check({"--fix", "--json", "-o", "out.ttc", "a.ttc"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("\"written\": 500, \"output\": \"out.ttc\"}"), std::string::npos)
        << outcome.out;
    EXPECT_EQ(ReadFileBytes(dir_.Path("a.ttc")), font);
    EXPECT_EQ(ReadFileBytes(dir_.Path("out.ttc")), FixedInPlace(font));
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.ttc", "out.ttc"}));
  }
  // A font that needs nothing is copied as it is, so that a build step always has its output.
  WriteFileBytes(dir_.Path("ok.ttf"), CjkFont(500));
  const Outcome outcome = Check({"--fix", "--output", "copy.ttf", "ok.ttf"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_NE(outcome.out.find("\nok.ttf: written to copy.ttf\n"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(dir_.Path("copy.ttf")), CjkFont(500));
}

TEST_F(CheckOutputTest, SeveralFontsGoIntoAFolderUnderTheirOwnNames) {
  std::filesystem::create_directory(dir_.Path("out"));
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  WriteFileBytes(dir_.Path("b.otf"), CjkFont(980, 0x4F54544F));
  EXPECT_EQ(Check({"--fix", "-o", "out", "a.ttf", "b.otf"}).status, 0);
  EXPECT_EQ(ReadFileBytes(dir_.Path("out/a.ttf")), FixedInPlace(CjkFont(980)));
  EXPECT_EQ(ReadFileBytes(dir_.Path("out/b.otf")), FixedInPlace(CjkFont(980, 0x4F54544F)));
  const Outcome outcome = Check({"--fix", "-o", "none", "a.ttf", "b.otf"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n')),
            "quenlo-check: with several fonts, --output names an existing folder");
}

TEST_F(CheckOutputTest, RefusesTheFontItselfAndLeavesAnOutputWhoseFixFailsAsItWas) {
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  std::filesystem::create_symlink("a.ttf", dir_.Path("link.ttf"));
  std::filesystem::create_hard_link(dir_.Path("a.ttf"), dir_.Path("hard.ttf"));
  for (const char* output : {"a.ttf", "link.ttf", "hard.ttf", "./a.ttf"}) {
    const Outcome outcome = Check({"--fix", "-o", output, "a.ttf"});
    EXPECT_EQ(outcome.status, 2) << output;
    EXPECT_EQ(outcome.err,
              "quenlo-check: a.ttf: the output is the font itself; to fix it in place, leave out "
              "--output\n");
  }
  EXPECT_EQ(ReadFileBytes(dir_.Path("a.ttf")), CjkFont(980));
  // A file that is no font gives no output: the old one stays, and nothing is left beside it.
  WriteFileBytes(dir_.Path("bad.ttf"), Bytes(64, 0));
  WriteFileBytes(dir_.Path("out.ttf"), Bytes(10, 'x'));
  const Outcome outcome = Check({"--fix", "-o", "out.ttf", "bad.ttf"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err,
            "quenlo-check: bad.ttf: not a TrueType or CFF font; no output was written\n");
  EXPECT_EQ(ReadFileBytes(dir_.Path("out.ttf")), Bytes(10, 'x'));
  EXPECT_EQ(Names(),
            (std::vector<std::string>{"a.ttf", "bad.ttf", "hard.ttf", "link.ttf", "out.ttf"}));
}

TEST_F(CheckOutputTest, ReadsAFontFromStandardInputOnce) {
  const Bytes font = BuildCollection({ProportionalFont(980), CjkFont(980)}, true);
  WriteFileBytes(dir_.Path("s.ttc"), font);
  const auto shell = [&](const std::string& line) {
    return RunCommand({"/bin/sh", "-c", line, kCheck}, dir_.Path(""));
  };
  // From a pipe and from a file, as the report names it: "-".
  for (const char* line : {"cat s.ttc | \"$0\" --json -", "\"$0\" --json - < s.ttc"}) {
    const Outcome outcome = shell(line);
    EXPECT_EQ(outcome.status, 1) << line << outcome.err;
    EXPECT_NE(outcome.out.find("{\"file\": \"-\", \"index\": 1,"), std::string::npos) << line;
  }
  const Outcome fixed = shell("cat s.ttc | \"$0\" --fix -o out.ttc -");
  EXPECT_EQ(fixed.status, 0) << fixed.err;
  EXPECT_EQ(ReadFileBytes(dir_.Path("out.ttc")), FixedInPlace(font));
  EXPECT_EQ(ReadFileBytes(dir_.Path("s.ttc")), font);
  struct Refusal {
    std::string line;
    std::string error;
  };
  for (const Refusal& refusal :
       {Refusal{"\"$0\" --fix - < s.ttc",
                "a font read from standard input is fixed into a file: give --output"},
        Refusal{"\"$0\" - - < s.ttc", "standard input (-) can be read only once"},
        Refusal{"\"$0\" -o out.ttc s.ttc", "--output goes with --fix"}}) {
    const Outcome outcome = shell(refusal.line);
    EXPECT_EQ(outcome.status, 2) << refusal.line;
    EXPECT_EQ(outcome.err.substr(0, outcome.err.find('\n')), "quenlo-check: " + refusal.error);
  }
}

}  // namespace
