// Runs --fix --output and fonts on standard input as a build step would: the font itself left as
// it was, the output the bytes that a fix in place writes into a copy, and nothing at the output
// or beside it when the fix cannot be made.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
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

TEST_F(CheckOutputTest, StandardInputIsTakenInOnlyAsFarAsTheFontReaches) {
  const auto shell = [&](const std::string& line, const RunOptions& options = {}) {
    return RunCommand({"/bin/sh", "-c", line, kCheck}, dir_.Path(""), options);
  };
  // An endless stream that is no font is refused from its first bytes.
  for (const char* line : {"cat /dev/zero | \"$0\" -", "yes | \"$0\" --fix -o out.ttf -"}) {
    const Outcome outcome = shell(line);
    EXPECT_EQ(outcome.status, 2) << line;
    EXPECT_EQ(outcome.err, "quenlo-check: -: not a TrueType or CFF font\n") << line;
  }
  // A few bytes past the font are kept, as a real file may carry them; more are refused.
  const Bytes font = CjkFont(980);
  WriteFileBytes(dir_.Path("a.ttf"), font);
  Bytes tail = font;
  tail.resize(font.size() + 1000, 'x');
  WriteFileBytes(dir_.Path("tail.ttf"), tail);
  const Outcome fixed = shell("cat tail.ttf | \"$0\" --fix -o out.ttf -");
  EXPECT_EQ(fixed.status, 0) << fixed.err;
  Bytes expected = FixedInPlace(font);
  expected.resize(font.size() + 1000, 'x');
  EXPECT_EQ(ReadFileBytes(dir_.Path("out.ttf")), expected);
  const Outcome more = shell("(cat a.ttf; head -c 70000 /dev/zero) | \"$0\" -");
  EXPECT_EQ(more.status, 2);
  EXPECT_EQ(more.err,
            "quenlo-check: -: the stream goes on for more than 64 KiB past the end of the font: "
            "it holds something more than one font\n");
  // The temporary copy goes where TMPDIR says, and a failure there says why.
  RunOptions missingFolder;
  missingFolder.environment = {"TMPDIR=" + dir_.Path("no-such-folder")};
  const Outcome missing = shell("cat a.ttf | \"$0\" -", missingFolder);
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.err,
            "quenlo-check: -: cannot make a temporary file for it in the temporary folder "
            "($TMPDIR, else /tmp): No such file or directory\n");
  RunOptions folder;
  folder.environment = {"TMPDIR=" + dir_.Path("")};
  EXPECT_EQ(shell("cat a.ttf | \"$0\" -", folder).status, 1);
}

TEST_F(CheckOutputTest, StandardInputThatDoesNotBlockIsWaitedFor) {
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  // The font comes in two pieces, a moment apart, through a pipe set not to block.
  const Outcome outcome =
      RunCommand({"/usr/bin/python3", "-c",
                  "import os, subprocess, sys, time\n"
                  "data = open('a.ttf', 'rb').read()\n"
                  "r, w = os.pipe()\n"
                  "os.set_blocking(r, False)\n"
                  "run = subprocess.Popen([sys.argv[1], '-'], stdin=r, stdout=subprocess.PIPE)\n"
                  "os.close(r)\n"
                  "os.write(w, data[:100])\n"
                  "time.sleep(0.3)\n"
                  "os.write(w, data[100:])\n"
                  "os.close(w)\n"
                  "print(run.wait(), run.stdout.read().decode().split(':')[0])",
                  kCheck},
                 dir_.Path(""));
  EXPECT_EQ(outcome.out, "1 -\n") << outcome.err;
}

TEST_F(CheckOutputTest, WritesOnlyANewOrRegularFileThatTheUserMayWrite) {
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  WriteFileBytes(dir_.Path("other.ttf"), Bytes(10, 'x'));
  ASSERT_EQ(mkfifo(dir_.Path("fifo").c_str(), 0600), 0);
  std::filesystem::create_symlink("other.ttf", dir_.Path("link.ttf"));
  std::filesystem::create_directories(dir_.Path("out/a.ttf"));
  WriteFileBytes(dir_.Path("locked.ttf"), Bytes(10, 'x'));
  std::filesystem::permissions(dir_.Path("locked.ttf"), std::filesystem::perms::owner_read);
  struct Refusal {
    std::string output;
    std::string why;
  };
  for (const Refusal& refusal :
       {Refusal{"fifo", "is not a regular file (a device, a pipe or a socket): it is not replaced"},
        Refusal{"link.ttf",
                "is a symbolic link: give the path of the file it points to, or remove the link"},
        Refusal{"out", "is a folder"},
        Refusal{"locked.ttf", "is read-only, or this user may not write it: it is not replaced"}}) {
    const Outcome outcome = Check({"--fix", "-o", refusal.output, "a.ttf"});
    EXPECT_EQ(outcome.status, 2) << refusal.output;
    const std::string shown = refusal.output == "out" ? "out/a.ttf" : refusal.output;
    EXPECT_EQ(outcome.err, "quenlo-check: a.ttf: the output " + shown + " " + refusal.why +
                               "; no output was written\n");
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir_.Path("link.ttf")));
  EXPECT_EQ(ReadFileBytes(dir_.Path("other.ttf")), Bytes(10, 'x'));
  EXPECT_EQ(ReadFileBytes(dir_.Path("locked.ttf")), Bytes(10, 'x'));
  EXPECT_TRUE(std::filesystem::is_fifo(dir_.Path("fifo")));
}

TEST_F(CheckOutputTest, OutputKeepsTheFontsPermissionsAndNothingIsLeftBeside) {
  namespace fs = std::filesystem;
  WriteFileBytes(dir_.Path("private.ttf"), CjkFont(980));
  fs::permissions(dir_.Path("private.ttf"), fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(
      RunCommand({"/bin/sh", "-c", "umask 022 && exec \"$0\" --fix -o out.ttf private.ttf", kCheck},
                 dir_.Path(""))
          .status,
      0);
  EXPECT_EQ(fs::status(dir_.Path("out.ttf")).permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  // A name as long as a file name may be still has room for its temporary beside it.
  const std::string longName(251, 'n');
  const Outcome outcome = Check({"--fix", "-o", longName + ".ttf", "private.ttf"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_EQ(Names(), (std::vector<std::string>{longName + ".ttf", "out.ttf", "private.ttf"}));
}

TEST_F(CheckOutputTest, FolderOutputsThatWouldOverwriteEachOtherOrAFontAreRefused) {
  namespace fs = std::filesystem;
  fs::create_directories(dir_.Path("a"));
  fs::create_directories(dir_.Path("b"));
  fs::create_directories(dir_.Path("out"));
  WriteFileBytes(dir_.Path("a/x.ttf"), CjkFont(980));
  WriteFileBytes(dir_.Path("b/x.ttf"), CjkFont(960));
  const Outcome twice = Check({"--fix", "-o", "out", "a/x.ttf", "b/x.ttf"});
  EXPECT_EQ(twice.status, 2);
  EXPECT_EQ(twice.err,
            "quenlo-check: a/x.ttf and b/x.ttf would both be written to out/x.ttf; nothing was "
            "written\n");
  // out/x.ttf is another name of b/y.ttf, which would be replaced before it is read.
  fs::create_hard_link(dir_.Path("b/x.ttf"), dir_.Path("b/y.ttf"));
  fs::create_hard_link(dir_.Path("b/x.ttf"), dir_.Path("out/x.ttf"));
  const Outcome over = Check({"--fix", "-o", "out", "a/x.ttf", "b/y.ttf"});
  EXPECT_EQ(over.status, 2);
  EXPECT_EQ(over.err,
            "quenlo-check: the output of a/x.ttf, out/x.ttf, is b/y.ttf, which is to be read too; "
            "nothing was written\n");
  EXPECT_EQ(ReadFileBytes(dir_.Path("b/y.ttf")), CjkFont(960));
  EXPECT_EQ(fs::hard_link_count(dir_.Path("b/y.ttf")), 3u);
}

TEST_F(CheckOutputTest, OutputIsNamedEscapedInMessages) {
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  const Outcome outcome = Check({"--fix", "-o", "no\rfolder\n  fix: rm -rf ~/x.ttf", "a.ttf"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err,
            "quenlo-check: a.ttf: cannot make the output beside no\\x0dfolder\\x0a  fix: rm -rf "
            "~/x.ttf: No such file or directory; no output was written\n");
}

TEST_F(CheckOutputTest, FontThatAnotherProgramWritesMeanwhileGivesNoTornOutput) {
  // Another program writes the font, without a lock, as one font or the other while it is
  // copied: each output is the fix of one of them whole, or there is none.
  const Bytes one = BuildCollection(std::vector<Bytes>(200, CjkFont(980)), true);
  const Bytes two = BuildCollection(std::vector<Bytes>(200, CjkFont(960)), true);
  ASSERT_EQ(one.size(), two.size());
  const Bytes fixedOne = FixedInPlace(one);
  const Bytes fixedTwo = FixedInPlace(two);
  WriteFileBytes(dir_.Path("a.ttc"), one);
  WriteFileBytes(dir_.Path("two.ttc"), two);
  const Outcome outcome = RunCommand(
      {"/usr/bin/python3", "-c",
       "import os, subprocess, sys\n"
       "fonts = [open('a.ttc', 'rb').read(), open('two.ttc', 'rb').read()]\n"
       "writer = os.fork()\n"
       "if writer == 0:\n"
       "    fd = os.open('a.ttc', os.O_WRONLY)\n"
       "    for i in range(4000): os.pwrite(fd, fonts[i % 2], 0)\n"
       "    os._exit(0)\n"
       "for i in range(40):\n"
       "    run = subprocess.run([sys.argv[1], '--fix', '-o', 'out%d.ttc' % i, 'a.ttc'],\n"
       "                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)\n"
       "    print(run.returncode, run.stderr.decode().strip())\n"
       "os.waitpid(writer, 0)",
       kCheck},
      dir_.Path(""));
  for (int i = 0; i < 40; ++i) {
    const std::string output = dir_.Path("out" + std::to_string(i) + ".ttc");
    if (std::filesystem::exists(output)) {
      const Bytes written = ReadFileBytes(output);
      EXPECT_TRUE(written == fixedOne || written == fixedTwo) << i << "\n" << outcome.out;
    }
  }
  // A run that wrote nothing says why.
  const std::string changed =
      "2 quenlo-check: a.ttc: the font changed while it was being copied (another program wrote "
      "to it); no output was written";
  for (std::size_t at = 0; at < outcome.out.size();) {
    const std::size_t end = outcome.out.find('\n', at);
    const std::string line = outcome.out.substr(at, end - at);
    EXPECT_TRUE(line == "0 " || line == changed) << line;
    at = end == std::string::npos ? end : end + 1;
  }
}

TEST_F(CheckOutputTest, FontThatAFixInPlaceHoldsIsNotCopied) {
  WriteFileBytes(dir_.Path("a.ttf"), CjkFont(980));
  // A program that holds the font to write it, as quenlo-check --fix does.
  const Outcome outcome =
      RunCommand({"/usr/bin/python3", "-c",
                  "import fcntl, subprocess, sys\n"
                  "held = open('a.ttf', 'r+b')\n"
                  "fcntl.flock(held, fcntl.LOCK_EX)\n"
                  "run = subprocess.run([sys.argv[1], '--fix', '-o', 'out.ttf', 'a.ttf'],\n"
                  "                     stderr=subprocess.PIPE)\n"
                  "print(run.returncode, run.stderr.decode(), end='')",
                  kCheck},
                 dir_.Path(""));
  EXPECT_EQ(outcome.out,
            "2 quenlo-check: a.ttf: cannot open it: it is in use: another program holds a lock on "
            "it to write it\n");
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("out.ttf")));
}

TEST_F(CheckOutputTest, SparseFontGivesASparseOutput) {
  const Bytes font = CjkFont(980);
  WriteFileBytes(dir_.Path("a.ttf"), font);
  const std::uintmax_t size = std::uintmax_t{1} << 30;
  std::filesystem::resize_file(dir_.Path("a.ttf"), size);
  struct stat status;
  ASSERT_EQ(stat(dir_.Path("a.ttf").c_str(), &status), 0);
  if (status.st_blocks * 512 >= 1 << 20) GTEST_SKIP() << "this file system keeps no holes";
  const Outcome outcome = Check({"--fix", "-o", "out.ttf", "a.ttf"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  ASSERT_EQ(stat(dir_.Path("out.ttf").c_str(), &status), 0);
  EXPECT_EQ(static_cast<std::uintmax_t>(status.st_size), size);
  EXPECT_LT(status.st_blocks * 512, 1 << 20);
  // The zeros past the font change no checksum, so its bytes are those of the short font's fix.
  std::ifstream out(dir_.Path("out.ttf"), std::ios::binary);
  Bytes start(font.size());
  out.read(reinterpret_cast<char*>(start.data()), static_cast<std::streamsize>(start.size()));
  EXPECT_EQ(start, FixedInPlace(font));
}

}  // namespace
