// The fixer on the recording fake file, where the exact reads show: what it reads once, what it
// refuses before reading, and a file replaced by another program while it is being fixed.
#include "fixer/fix_font.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/fake_file.h"
#include "tests/metrics_fonts.h"

namespace {

// CjkFont(980) with one more table, so that every table lies 16 bytes further on.
Bytes ShiftedCjkFont() {
  MetricsFont font = CjkMetrics(980);
  font.more = {{"name", Bytes(40, 7)}};
  return BuildMetricsFont(font);
}

// The bytes a fix of font gives when nothing else touches it.
Bytes Fixed(const Bytes& font) {
  ResetFakeFile(font);
  EXPECT_EQ(FixFontFile("font.ttf").error, "");
  return TheFakeFile().bytes;
}

TEST(FixFontTest, FileReplacedWhileBeingFixedIsNeverWrittenAtStalePlaces) {
  const Bytes original = CjkFont(980);
  const Bytes replacement = ShiftedCjkFont();
  const Bytes fixedReplacement = Fixed(replacement);
  Fixed(original);
  const std::size_t reads = TheFakeFile().reads.size();
  // The other program replaces the file before each of the fix's reads in turn: the fix either
  // sees the new content whole and fixes it, or leaves it as the other program wrote it.
  for (std::size_t before = 1; before <= reads; ++before) {
    ResetFakeFile(original);
    TheFakeFile().replacedBeforeRead = before;
    TheFakeFile().replacement = replacement;
    const FontFix fix = FixFontFile("font.ttf");
    const Bytes& after = TheFakeFile().bytes;
    EXPECT_TRUE(after == replacement || after == fixedReplacement)
        << "replaced before read " << before << ": " << fix.error;
    // Replaced just before the last read, which checks what the writes depend on, it is caught
    // by that check alone.
    if (before == reads) {
      EXPECT_EQ(fix.error, std::string(kFileChanged) + "; nothing was written");
    }
  }
}

TEST(FixFontTest, OtherProgramsAreKeptOutFromTheLastReadsToTheLastWrite) {
  ResetFakeFile(CjkFont(980));
  EXPECT_EQ(FixFontFile("font.ttf").error, "");
  const FakeFile& fake = TheFakeFile();
  ASSERT_TRUE(fake.keptOut && fake.letIn);
  // The check that the file is unchanged reads it again after others were kept out.
  EXPECT_LT(fake.keptOut->reads, fake.reads.size());
  EXPECT_GT(fake.keptOut->reads, 0u);
  EXPECT_EQ(fake.keptOut->writes, 0u);
  EXPECT_EQ(fake.letIn->writes, fake.writes.size());
  EXPECT_FALSE(fake.writes.empty());
}

TEST(FixFontTest, MembersThatShareADirectoryAreReadOnce) {
  ResetFakeFile(BuildCollection({CjkFont(500)}));
  EXPECT_EQ(FixFontFile("font.ttc").error, "");
  const std::size_t oneMember = TheFakeFile().reads.size();
  ResetFakeFile(BuildCollection({CjkFont(500)}, false, std::vector<std::size_t>(50, 0)));
  const FontFix fix = FixFontFile("font.ttc");
  EXPECT_EQ(fix.error, "");
  EXPECT_EQ(fix.font.faces.size(), 50u);
  EXPECT_EQ(fix.font.faces[49].index, 49u);
  EXPECT_TRUE(fix.font.faces[49].verdict.ok);
  EXPECT_EQ(TheFakeFile().reads.size(), oneMember);
}

TEST(FixFontTest, OverlappingTablesAreRefusedBeforeTheyAreRead) {
  Bytes font = BuildCollection({CjkFont(980), CjkFont(980)});
  // Member 1's OS/2 record points 4 bytes into member 0's table.
  const std::uint32_t first = GetBigEndian32(font, 12);
  const std::uint32_t second = GetBigEndian32(font, 16);
  const std::uint32_t os2 = GetBigEndian32(font, first + 12 + 16 * 1 + 8);
  const std::uint32_t length = GetBigEndian32(font, first + 12 + 16 * 1 + 12);
  PutBigEndian32(font, second + 12 + 16 * 1 + 8, os2 + 4);
  ResetFakeFile(font);
  const FontFix fix = FixFontFile("font.ttc");
  for (const FaceSummary& face : fix.font.faces) {
    EXPECT_EQ(face.error, "its tables overlap another member's without being the same tables");
  }
  EXPECT_TRUE(fix.plan.writes.empty());
  EXPECT_EQ(TheFakeFile().bytes, font);
  for (const FileAccess& read : TheFakeFile().reads) {
    EXPECT_FALSE(read.count == length && (read.position == os2 || read.position == os2 + 4));
  }
}

TEST(FixFontTest, WritesKeepOutOfTheHeadersOfMembersThatCannotBeRead) {
  // A third member's offset table lies at the start of member 0's OS/2 table, which it reads as
  // no font; writing 500 there would change that member's header.
  Bytes font = BuildCollection({CjkFont(980), CjkFont(980)});
  const std::uint32_t first = GetBigEndian32(font, 12);
  const std::uint32_t os2 = GetBigEndian32(font, first + 12 + 16 * 1 + 8);
  Bytes three = {'t', 't', 'c', 'f', 0, 1, 0, 0, 0, 0, 0, 3};
  for (const std::uint32_t offset : {first + 4, GetBigEndian32(font, 16) + 4, os2 + 4}) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      three.push_back(static_cast<unsigned char>(offset >> shift));
    }
  }
  // Every offset moves 4 bytes on, as the header does.
  three.insert(three.end(), font.begin() + 20, font.end());
  for (const std::uint32_t member : {0u, 1u}) {
    const std::uint32_t directory = GetBigEndian32(three, 12 + 4 * member);
    for (std::uint32_t record = 0; record < 6; ++record) {
      const std::size_t at = directory + 12 + 16 * record + 8;
      PutBigEndian32(three, at, GetBigEndian32(three, at) + 4);
    }
  }
  ResetFakeFile(three);
  const FontFix fix = FixFontFile("font.ttc");
  ASSERT_EQ(fix.font.faces.size(), 3u);
  EXPECT_EQ(fix.font.faces[0].error, "");
  EXPECT_EQ(fix.font.faces[2].error, "not a TrueType or CFF font");
  EXPECT_NE(fix.error.find("overlap the fields to be written"), std::string::npos) << fix.error;
  EXPECT_EQ(TheFakeFile().bytes, three);
}

}  // namespace
