// The fixed copy as a new font file, read back with the test's own reading of the sfnt layout:
// only the faces that need a fix, their width, checksums that hold, shared tables once, and no
// signature.
#include "install/fixed_copy.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/files.h"
#include "tests/metrics_fonts.h"

namespace {

class FixedCopyTest : public testing::Test {
 protected:
  FixedCopy Copy(const Bytes& font, const std::string& family = "") {
    WriteFileBytes(dir_.Path("font"), font);
    FileHandle file = 0;
    std::uint64_t size = 0;
    std::string why;
    if (!FileOpenForReading(dir_.Path("font").c_str(), &file, &size, &why))
      return {why, {}, {}, {}};
    const FixedCopy copy =
        MakeFixedCopy(file, size, ReadOpenFontFaces(file, size), family, "0123abcd");
    FileClose(file);
    return copy;
  }
  FontFaces ReadBack(const Bytes& copy) {
    WriteFileBytes(dir_.Path("copy"), copy);
    return ReadFontFaces(dir_.Path("copy").c_str());
  }
  TempDir dir_;
};

std::uint32_t Sum(const Bytes& bytes, std::size_t first, std::size_t length) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < (length + 3) / 4 * 4; ++i) {
    const std::uint32_t byte = i < length ? bytes[first + i] : 0;
    sum += byte << (24 - 8 * (i % 4));
  }
  return sum;
}

TEST_F(FixedCopyTest, SingleFaceCopyHoldsTheFixAndChecksumsThatHold) {
  MetricsFont metrics = CjkMetrics(980);
  metrics.more = {{"name", NameTable({{3, 0x409, 1, "Test Gothic"}, {3, 0x409, 2, "Regular"}})},
                  {"DSIG", Bytes{0, 0, 0, 1, 0, 1, 0, 1}}};
  const FixedCopy copy = Copy(BuildMetricsFont(metrics));
  ASSERT_EQ(copy.error, "");
  EXPECT_EQ(copy.extension, ".ttf");
  ASSERT_EQ(copy.faces.size(), 1u);
  EXPECT_EQ(copy.faces[0].family, "Test Gothic Fixed");
  EXPECT_EQ(copy.faces[0].written, 500);
  std::set<std::string> tags;
  std::string last;
  for (const TableRecord& record : ReadTableDirectory(copy.bytes)) {
    EXPECT_LT(last, record.tag);  // sorted, each once
    last = record.tag;
    tags.insert(record.tag);
    Bytes table(copy.bytes.begin() + record.offset,
                copy.bytes.begin() + record.offset + record.length);
    if (record.tag == "head") PutBigEndian32(table, 8, 0);  // summed without its adjustment
    EXPECT_EQ(record.checksum, Sum(table, 0, table.size())) << record.tag;
    EXPECT_EQ(record.offset % 4, 0u);
  }
  EXPECT_EQ(tags.count("DSIG"), 0u);
  EXPECT_EQ(Sum(copy.bytes, 0, copy.bytes.size()), 0xB1B0AFBAu);
  const FontFaces read = ReadBack(copy.bytes);
  ASSERT_EQ(read.faces.size(), 1u);
  EXPECT_TRUE(read.faces[0].verdict.ok);
  EXPECT_EQ(read.faces[0].xAvgCharWidth, 500);
}

TEST_F(FixedCopyTest, CollectionCopyHoldsOnlyTheFacesThatNeedAFixAndSharedTablesOnce) {
  const Bytes three = BuildCollection({NamedCjkFont(980, "A Gothic"), NamedCjkFont(500, "B Gothic"),
                                       NamedCjkFont(980, "C Gothic")});
  const FixedCopy copy = Copy(three);
  ASSERT_EQ(copy.error, "");
  EXPECT_EQ(copy.extension, ".ttc");
  ASSERT_EQ(copy.faces.size(), 2u);
  EXPECT_EQ(copy.faces[0].family, "A Gothic Fixed");
  EXPECT_EQ(copy.faces[1].family, "C Gothic Fixed");
  EXPECT_EQ(copy.faces[1].index, 2u);
  const FontFaces read = ReadBack(copy.bytes);
  ASSERT_EQ(read.faces.size(), 2u);
  EXPECT_TRUE(read.faces[0].verdict.ok && read.faces[1].verdict.ok);
  // Two members that share their OS/2 table, and want one width, share its copy.
  const FixedCopy shared = Copy(BuildCollection({CjkFont(980), CjkFont(980)}, true));
  EXPECT_NE(shared.error.find("no 'name' table"), std::string::npos) << shared.error;
  const FixedCopy named =
      Copy(BuildCollection({NamedCjkFont(980, "A Gothic"), NamedCjkFont(980, "A Gothic")}, true));
  ASSERT_EQ(named.error, "");
  const FontFaces pair = ReadBack(named.bytes);
  ASSERT_EQ(pair.faces.size(), 2u);
  EXPECT_EQ(pair.faces[0].os2.offset, pair.faces[1].os2.offset);
}

TEST_F(FixedCopyTest, FamilyNamesOneFaceAndAFontThatNeedsNothingGetsNoCopy) {
  const FixedCopy chosen = Copy(NamedCjkFont(980, "Test Gothic"), "My Mono");
  ASSERT_EQ(chosen.error, "");
  EXPECT_EQ(chosen.faces[0].family, "My Mono");
  const Bytes two = BuildCollection({NamedCjkFont(980, "A Gothic"), NamedCjkFont(980, "C Gothic")});
  EXPECT_EQ(Copy(two, "My Mono").error,
            "--family names one face, and 2 faces of this font need a copy");
  const FixedCopy none = Copy(NamedCjkFont(500, "Test Gothic"));
  EXPECT_EQ(none.error, "");
  EXPECT_TRUE(none.bytes.empty());
}

TEST_F(FixedCopyTest, BytesGivenTwoTagsAreCopiedOnceForEachTag) {
  // The 'name' record names the 'head' table's bytes: the copy must rename those bytes as a name
  // table, not take the 'head' table it made of them (whose names would then be none at all).
  Bytes font = NamedCjkFont(980, "Test Gothic");
  const std::vector<TableRecord> records = ReadTableDirectory(font);
  for (std::size_t i = 0; i < records.size(); ++i) {
    if (records[i].tag != "name") continue;
    PutBigEndian32(font, 12 + 16 * i + 8, TableOffset(font, "head"));
    PutBigEndian32(font, 12 + 16 * i + 12, 54);
  }
  EXPECT_EQ(Copy(font).error, "it has no family name to rename");
}

TEST_F(FixedCopyTest, CopyThatWouldRepeatTheFontManyTimesOverIsRefused) {
  // Members that use one directory of a thousand records: each member's copy repeats it.
  MetricsFont metrics = CjkMetrics(980);
  metrics.more = {{"name", NameTable({{3, 0x409, 1, "Test Gothic"}})}};
  for (int i = 1000; i < 2000; ++i) metrics.more.push_back({"x" + std::to_string(i).substr(1), {}});
  const Bytes font = BuildMetricsFont(metrics);
  EXPECT_EQ(Copy(BuildCollection({font}, false, std::vector<std::size_t>(4, 0))).error, "");
  EXPECT_NE(Copy(BuildCollection({font}, false, std::vector<std::size_t>(100, 0)))
                .error.find("more than twice the bytes it holds"),
            std::string::npos);
}

}  // namespace
