// The patcher against the recording fake file: which bytes it reads and writes, and how each
// failure ends.
#include "font/avg_char_width.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/expected_messages.h"
#include "tests/fake_file.h"
#include "tests/font_builder.h"
#include "tests/recording_reporter.h"

namespace {

Bytes Header(std::uint32_t sfntVersion, std::uint16_t numTables) {
  Bytes bytes(12);
  PutBigEndian32(bytes, 0, sfntVersion);
  PutBigEndian16(bytes, 4, numTables);
  return bytes;
}

// A directory of records with the given tags, each pointing at offset.
Bytes Directory(const std::vector<std::string>& tags, std::uint32_t offset) {
  Bytes bytes = Header(0x00010000, static_cast<std::uint16_t>(tags.size()));
  for (const std::string& tag : tags) {
    bytes.insert(bytes.end(), tag.begin(), tag.end());
    Bytes rest(12);
    PutBigEndian32(rest, 0, 0xC0FFEE00);
    PutBigEndian32(rest, 4, offset);
    PutBigEndian32(rest, 8, 96);
    bytes.insert(bytes.end(), rest.begin(), rest.end());
  }
  return bytes;
}

Bytes Prefix(const Bytes& bytes, std::size_t size) {
  return Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size));
}

class PatcherTest : public testing::Test {
 protected:
  void SetUp() override { ShownErrors().clear(); }

  // Runs the patcher on bytes and checks what holds after every run: one open of the name, and
  // one close once the open succeeded, with no call on a closed handle.
  bool Patch(Bytes bytes, Width width = 500) {
    ResetFakeFile(std::move(bytes));
    const bool result = SetAverageCharWidth("font.ttf", width);
    const FakeFile& fake = TheFakeFile();
    EXPECT_EQ(fake.opened, std::vector<std::string>{"font.ttf"});
    EXPECT_EQ(fake.closes, fake.openSucceeds ? 1 : 0);
    EXPECT_EQ(fake.callsWhileClosed, 0);
    return result;
  }
};

struct RefusalCase {
  const char* name;
  Bytes bytes;
  const char* message;
  std::vector<FileAccess> reads;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class PatcherRefusalTest : public PatcherTest, public testing::WithParamInterface<RefusalCase> {};

TEST_P(PatcherRefusalTest, ReadsOnlyWhatItNeedsAndReportsOnce) {
  const RefusalCase& c = GetParam();
  EXPECT_FALSE(Patch(c.bytes));
  EXPECT_EQ(ShownErrors(), std::vector<std::string>{c.message});
  EXPECT_EQ(TheFakeFile().reads, c.reads);
  EXPECT_TRUE(TheFakeFile().writes.empty());
  EXPECT_EQ(TheFakeFile().bytes, c.bytes);
}

const Bytes kThreeRecords = Directory({"cmap", "head", "OS/2"}, 60);

INSTANTIATE_TEST_SUITE_P(
    Cases, PatcherRefusalTest,
    testing::Values(RefusalCase{"Empty", {}, kEndOfFile, {{0, 4}}},
                    RefusalCase{"ThreeBytes", {0, 1, 0}, kEndOfFile, {{0, 4}}},
                    RefusalCase{"VersionOnly", {0, 1, 0, 0}, kEndOfFile, {{0, 4}, {4, 2}}},
                    RefusalCase{"HalfNumTables", {0, 1, 0, 0, 0}, kEndOfFile, {{0, 4}, {4, 2}}},
                    RefusalCase{"Otto", Header(0x4F54544F, 3), kFormat, {{0, 4}}},
                    RefusalCase{"AppleTrue", Header(0x74727565, 3), kFormat, {{0, 4}}},
                    RefusalCase{"Collection", Header(0x74746366, 3), kFormat, {{0, 4}}},
                    RefusalCase{"ShortOtto", {'O', 'T', 'T', 'O', 0}, kFormat, {{0, 4}}},
                    RefusalCase{"VersionTwo", Header(0x00020000, 3), kFormat, {{0, 4}}},
                    RefusalCase{"NoTables", Header(0x00010000, 0), kNotFound, {{0, 4}, {4, 2}}},
                    RefusalCase{"NoOs2Record",
                                Directory({"cmap", "os/2", "OS/3"}, 60),
                                kNotFound,
                                {{0, 4}, {4, 2}, {12, 4}, {28, 4}, {44, 4}}},
                    RefusalCase{"Os2OffsetZero",
                                Directory({"cmap", "OS/2"}, 0),
                                kNotFound,
                                {{0, 4}, {4, 2}, {12, 4}, {28, 4}, {32, 4}, {36, 4}}},
                    RefusalCase{"MoreRecordsClaimedThanPresent",
                                WithNumTables(Directory({"cmap", "head"}, 60), 3),
                                kEndOfFile,
                                {{0, 4}, {4, 2}, {12, 4}, {28, 4}, {44, 4}}},
                    RefusalCase{"TagCutShort",
                                Prefix(kThreeRecords, 46),
                                kEndOfFile,
                                {{0, 4}, {4, 2}, {12, 4}, {28, 4}, {44, 4}}},
                    RefusalCase{"ChecksumCutShort",
                                Prefix(kThreeRecords, 51),
                                kEndOfFile,
                                {{0, 4}, {4, 2}, {12, 4}, {28, 4}, {44, 4}, {48, 4}}},
                    RefusalCase{"OffsetCutShort",
                                Prefix(kThreeRecords, 55),
                                kEndOfFile,
                                {{0, 4}, {4, 2}, {12, 4}, {28, 4}, {44, 4}, {48, 4}, {52, 4}}},
                    // The directory ends at 60 with the field's bytes at 62 and 63 beyond it.
                    RefusalCase{"Os2AtEndOfFile",
                                kThreeRecords,
                                kBeyondEnd,
                                {{0, 4}, {4, 2}, {12, 4}, {28, 4}, {44, 4}, {48, 4}, {52, 4}}},
                    RefusalCase{"FieldHalfInside",
                                Directory({"OS/2"}, 25),
                                kBeyondEnd,
                                {{0, 4}, {4, 2}, {12, 4}, {16, 4}, {20, 4}}},
                    RefusalCase{"OffsetNearFourGigabytes",
                                Directory({"OS/2"}, 0xFFFFFFFE),
                                kBeyondEnd,
                                {{0, 4}, {4, 2}, {12, 4}, {16, 4}, {20, 4}}},
                    RefusalCase{"OffsetAllOnes",
                                Directory({"OS/2"}, 0xFFFFFFFF),
                                kBeyondEnd,
                                {{0, 4}, {4, 2}, {12, 4}, {16, 4}, {20, 4}}}),
    [](const testing::TestParamInfo<RefusalCase>& test) { return std::string(test.param.name); });

TEST_F(PatcherTest, WritesWidthHighByteFirstAtOs2OffsetPlusTwo) {
  const Bytes before = SampleFont(1000);
  const std::uint32_t os2 = TableOffset(before, "OS/2");
  EXPECT_TRUE(Patch(before, 500));
  EXPECT_TRUE(ShownErrors().empty());
  EXPECT_EQ(TheFakeFile().writes, (std::vector<FileAccess>{{os2 + 2u, 2}}));
  EXPECT_EQ(DifferingPositions(before, TheFakeFile().bytes),
            (std::vector<std::size_t>{os2 + 2u, os2 + 3u}));
  EXPECT_EQ(TheFakeFile().bytes[os2 + 2], 0x01);
  EXPECT_EQ(TheFakeFile().bytes[os2 + 3], 0xF4);
}

TEST_F(PatcherTest, ReadsTagsOfEarlierRecordsThenChecksumAndOffsetOfOs2Record) {
  Bytes font = kThreeRecords;
  font.resize(100);
  EXPECT_TRUE(Patch(font));
  EXPECT_EQ(TheFakeFile().reads,
            (std::vector<FileAccess>{{0, 4}, {4, 2}, {12, 4}, {28, 4}, {44, 4}, {48, 4}, {52, 4}}));
  EXPECT_EQ(TheFakeFile().writes, (std::vector<FileAccess>{{62, 2}}));
}

TEST_F(PatcherTest, FirstOs2RecordWins) {
  Bytes font = Directory({"OS/2", "OS/2"}, 80);
  PutBigEndian32(font, 28 + 8, 40);
  font.resize(120);
  EXPECT_TRUE(Patch(font));
  EXPECT_EQ(TheFakeFile().writes, (std::vector<FileAccess>{{82, 2}}));
  EXPECT_EQ(TheFakeFile().reads.size(), 5u);
}

TEST_F(PatcherTest, FieldEndingExactlyAtEndOfFileIsWritten) {
  Bytes font = Directory({"OS/2"}, 24);
  font.resize(28);
  EXPECT_TRUE(Patch(font, 0x7FFF));
  EXPECT_EQ(TheFakeFile().bytes.size(), 28u);
  EXPECT_EQ(TheFakeFile().bytes[26], 0x7F);
  EXPECT_EQ(TheFakeFile().bytes[27], 0xFF);
}

TEST_F(PatcherTest, WalksAllOfTheLargestDirectory) {
  // 65535 records with OS/2 only in the last: a 16-bit record index would wrap before it.
  std::vector<std::string> tags(65535, "glyf");
  tags.back() = "OS/2";
  Bytes font = Directory(tags, 40);
  EXPECT_TRUE(Patch(font, 1));
  EXPECT_EQ(TheFakeFile().reads.size(), 2u + 65535u + 2u);
  EXPECT_EQ(TheFakeFile().reads[2 + 65534].position, 12u + 16u * 65534u);
  EXPECT_EQ(TheFakeFile().writes, (std::vector<FileAccess>{{42, 2}}));
}

TEST_F(PatcherTest, OpenFailureReportsCantOpenAndTouchesNothing) {
  ResetFakeFile(SampleFont());
  TheFakeFile().openSucceeds = false;
  EXPECT_FALSE(SetAverageCharWidth("font.ttf", 500));
  EXPECT_EQ(ShownErrors(), std::vector<std::string>{kCantOpen});
  EXPECT_TRUE(TheFakeFile().reads.empty());
  EXPECT_EQ(TheFakeFile().closes, 0);
}

struct WriteFaultCase {
  const char* name;
  std::size_t bytesWritable;
};

void PrintTo(const WriteFaultCase& c, std::ostream* os) { *os << c.name; }

class PatcherWriteFaultTest : public PatcherTest,
                              public testing::WithParamInterface<WriteFaultCase> {};

TEST_P(PatcherWriteFaultTest, ReportsCantWriteAndFails) {
  ResetFakeFile(SampleFont());
  TheFakeFile().bytesWritable = GetParam().bytesWritable;
  EXPECT_FALSE(SetAverageCharWidth("font.ttf", 500));
  EXPECT_EQ(ShownErrors(), std::vector<std::string>{kCantWrite});
  EXPECT_EQ(TheFakeFile().closes, 1);
}

INSTANTIATE_TEST_SUITE_P(Cases, PatcherWriteFaultTest,
                         testing::Values(WriteFaultCase{"WriteFails", 0},
                                         WriteFaultCase{"WriteShort", 1}),
                         [](const testing::TestParamInfo<WriteFaultCase>& test) {
                           return std::string(test.param.name);
                         });

TEST_F(PatcherTest, SecondRunWithSameWidthChangesNothing) {
  ASSERT_TRUE(Patch(SampleFont(), 321));
  const Bytes once = TheFakeFile().bytes;
  ASSERT_TRUE(Patch(once, 321));
  EXPECT_EQ(TheFakeFile().bytes, once);
}

}  // namespace
