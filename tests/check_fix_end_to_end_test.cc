// Runs the width check's --fix as a user would, on fonts built here: what it writes and reports,
// its exit status, and the files, of which only the fields a fix may change must change.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/check_program_test.h"
#include "tests/files.h"
#include "tests/metrics_fonts.h"
#include "tests/run_program.h"
#include "tests/small_tmpfs.h"

namespace {

// The sum of the file's 32-bit words, which a single font's checkSumAdjustment keeps constant.
std::uint32_t WordSum(Bytes bytes) {
  bytes.resize((bytes.size() + 3) / 4 * 4);
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < bytes.size(); i += 4) sum += GetBigEndian32(bytes, i);
  return sum;
}

std::size_t Os2Record(const Bytes& font, std::size_t directory) {
  for (std::size_t record = directory + 12;; record += 16) {
    if (std::string(font.begin() + static_cast<std::ptrdiff_t>(record),
                    font.begin() + static_cast<std::ptrdiff_t>(record) + 4) == "OS/2") {
      return record;
    }
  }
}

class CheckFixTest : public CheckProgramTest {};

TEST_F(CheckFixTest, FixesTrueTypeAndCffInPlaceKeepingTheFileSum) {
  for (const std::uint32_t version : {0x00010000u, 0x4F54544Fu}) {
    const Bytes before = CjkFont(980, version);
    WriteFileBytes(dir_.Path("a.otf"), before);
    const Outcome outcome = Check({"--fix", "a.otf"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("\n  fixed: 980 -> 500\n"), std::string::npos) << outcome.out;
    const Bytes after = ReadFileBytes(dir_.Path("a.otf"));
    const std::size_t os2 = TableOffset(before, "OS/2");
    const std::size_t record = Os2Record(before, 0);
    const std::size_t head = TableOffset(before, "head");
    // The field, the record's checksum and checkSumAdjustment; the offset stays.
    for (const std::size_t position : DifferingPositions(before, after)) {
      EXPECT_TRUE(position - os2 - 2 < 2 || position - record - 4 < 4 || position - head - 8 < 4)
          << position;
    }
    EXPECT_EQ(GetBigEndian32(after, os2) & 0xFFFF, 500u);
    EXPECT_EQ(WordSum(after), WordSum(before));
    EXPECT_EQ(Check({"a.otf"}).status, 0);
    EXPECT_EQ(Check({"--fix", "a.otf"}).status, 0);
    EXPECT_EQ(ReadFileBytes(dir_.Path("a.otf")), after);
  }
}

TEST_F(CheckFixTest, SplitsASharedTableWhoseMembersNeedDifferentValues) {
  const Bytes before = BuildCollection({ProportionalFont(980), CjkFont(980)}, true);
  WriteFileBytes(dir_.Path("s.ttc"), before);
  const Outcome outcome = Check({"--fix", "--json", "s.ttc"});
  EXPECT_EQ(outcome.status, 0) << outcome.err;
  EXPECT_NE(outcome.out.find("\"index\": 0, "), std::string::npos);
  EXPECT_NE(
      outcome.out.find("\"ok\": true, \"patchable\": false, \"kept\": false, \"written\": null}"),
      std::string::npos)
      << outcome.out;
  EXPECT_NE(
      outcome.out.find("\"ok\": false, \"patchable\": false, \"kept\": false, \"written\": 500}"),
      std::string::npos)
      << outcome.out;

  const Bytes after = ReadFileBytes(dir_.Path("s.ttc"));
  const std::size_t copyAt = (before.size() + 3) / 4 * 4;
  ASSERT_EQ(after.size(), copyAt + 96);
  const std::size_t os2 = GetBigEndian32(before, Os2Record(before, GetBigEndian32(before, 12)) + 8);
  const std::size_t member1 = Os2Record(before, GetBigEndian32(before, 16));
  // Member 1's record now points at the copy, which differs only in the width.
  EXPECT_EQ(GetBigEndian32(after, member1 + 8), copyAt);
  for (const std::size_t position : DifferingPositions(before, after)) {
    EXPECT_TRUE(position - member1 - 4 < 8 || position >= before.size()) << position;
  }
  Bytes copy(after.begin() + static_cast<std::ptrdiff_t>(copyAt), after.end());
  EXPECT_EQ(copy[2] << 8 | copy[3], 500);
  copy[2] = before[os2 + 2];
  copy[3] = before[os2 + 3];
  EXPECT_EQ(copy, Bytes(before.begin() + static_cast<std::ptrdiff_t>(os2),
                        before.begin() + static_cast<std::ptrdiff_t>(os2) + 96));

  const Outcome text = Check({"--fix", "s.ttc"});
  EXPECT_EQ(text.status, 0);
  EXPECT_EQ(ReadFileBytes(dir_.Path("s.ttc")), after);
  EXPECT_EQ(Check({"s.ttc"}).status, 0);
}

TEST_F(CheckFixTest, ReportsTheNewCopyAndWhoSharesIt) {
  WriteFileBytes(dir_.Path("t.ttc"),
                 BuildCollection({ProportionalFont(980), CjkFont(980), CjkFont(980)}, true));
  const Outcome outcome = Check({"--fix", "t.ttc"});
  EXPECT_EQ(outcome.status, 0);
  const std::string at = std::to_string(ReadFileBytes(dir_.Path("t.ttc")).size() - 96);
  EXPECT_NE(outcome.out.find("t.ttc#1: xAvgCharWidth 980, should be 500: "), std::string::npos);
  EXPECT_NE(outcome.out.find("\n  fixed: 980 -> 500, in a new copy of its OS/2 table at byte " +
                             at + ", shared with #2\n"),
            std::string::npos)
      << outcome.out;
}

TEST_F(CheckFixTest, FullDiskWhileAppendingACopyLeavesTheFileAsItWas) {
  const SmallTmpfs tmpfs(dir_.Path("full"));
  if (!tmpfs.mounted()) GTEST_SKIP() << "mounting a tmpfs is not allowed here";
  // The collection ends on a page boundary, so the copy needs a page the full disk cannot give.
  Bytes font = BuildCollection({ProportionalFont(980), CjkFont(980)}, true);
  font.resize((font.size() + 4095) / 4096 * 4096);
  const std::string path = dir_.Path("full/s.ttc");
  WriteFileBytes(path, font);
  ASSERT_TRUE(tmpfs.FillUp());

  const Outcome outcome = Check({"--fix", path});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err, "quenlo-check: " + path +
                             ": a write failed (is the disk full, or the file larger than "
                             "allowed?); the file was put back as it "
                             "was\n");
  EXPECT_EQ(ReadFileBytes(path), font);
}

TEST_F(CheckFixTest, RefusalsSayWhyAndTouchNothingWhileOtherFilesAreFixed) {
  WriteFileBytes(dir_.Path("read-only.ttf"), CjkFont(980));
  ASSERT_EQ(chmod(dir_.Path("read-only.ttf").c_str(), 0444), 0);
  WriteFileBytes(dir_.Path("locked.ttf"), CjkFont(980));
  const int holder = open(dir_.Path("locked.ttf").c_str(), O_RDONLY);
  ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
  ASSERT_EQ(mkfifo(dir_.Path("pipe.ttf").c_str(), 0600), 0);
  std::filesystem::create_directory(dir_.Path("folder.ttf"));
  WriteFileBytes(dir_.Path("good.ttf"), CjkFont(980));
  const auto before = Snapshot(dir_);

  const Outcome outcome = Check({"--fix", "read-only.ttf", "locked.ttf", "pipe.ttf", "folder.ttf",
                                 "missing.ttf", "good.ttf"});
  close(holder);
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.err,
            "quenlo-check: read-only.ttf: cannot open it to fix: it is read-only\n"
            "quenlo-check: locked.ttf: cannot open it to fix: it is in use: another program "
            "holds a lock on it\n"
            "quenlo-check: pipe.ttf: cannot open it to fix: it is not a regular file\n"
            "quenlo-check: folder.ttf: cannot open it to fix: it is a directory, not a font file\n"
            "quenlo-check: missing.ttf: cannot open it to fix: there is no such file\n");
  auto after = Snapshot(dir_);
  const std::string good = dir_.Path("good.ttf");
  EXPECT_NE(after[good], before.at(good));
  after[good] = before.at(good);
  EXPECT_EQ(after, before);
}

TEST_F(CheckFixTest, SaysWhenASignatureNoLongerMatches) {
  MetricsFont font;
  font.xAvgCharWidth = 980;
  font.advances = std::vector<std::uint16_t>(96, 500);
  font.advances[0] = 0;
  font.cmap = CmapTable({{3, 1, CmapFormat4({{0x20, 0x7E, 1}})}});
  // A DSIG table of version 1 with one signature, and one with none.
  for (const unsigned signatures : {1u, 0u}) {
    font.more = {{"DSIG", {0, 0, 0, 1, 0, static_cast<unsigned char>(signatures), 0, 0}}};
    WriteFileBytes(dir_.Path("signed.ttf"), BuildMetricsFont(font));
    const Outcome outcome = Check({"--fix", "signed.ttf"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.err, signatures == 0 ? ""
                                           : "quenlo-check: signed.ttf: its digital signature (the "
                                             "'DSIG' table) no longer matches the font; sign it "
                                             "again if it must be signed\n");
  }
}

TEST_F(CheckFixTest, WidthOutsideTheFieldIsNotFixed) {
  MetricsFont font;
  font.xAvgCharWidth = 500;
  font.advances = {0, 40000, 40000};
  WriteFileBytes(dir_.Path("wide.ttf"), BuildMetricsFont(font));
  const auto before = Snapshot(dir_);
  const Outcome outcome = Check({"--fix", "wide.ttf"});
  EXPECT_EQ(outcome.status, 1);
  EXPECT_NE(outcome.out.find("\n  not fixed: the width it needs, 40000, lies outside 1..32767\n"),
            std::string::npos)
      << outcome.out;
  EXPECT_EQ(Snapshot(dir_), before);
}

}  // namespace
