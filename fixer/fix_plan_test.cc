// The fixer's decision, from faces and their tables to the list of writes, case by case.
#include "fixer/fix_plan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sfnt/big_endian.h"
#include "sfnt/checksum.h"

namespace {

constexpr std::uint64_t kSize = 1001;  // not a multiple of 4: a copy is padded first

// An 8-byte OS/2 table holding stored.
Bytes Table(std::int16_t stored) {
  Bytes table = {0, 4, 0, 0, 1, 2, 3, 4};
  StoreBigEndian16(static_cast<std::uint16_t>(stored), table.data() + 2);
  return table;
}

Bytes Word(std::uint32_t value) {
  Bytes bytes(4);
  StoreBigEndian32(value, bytes.data());
  return bytes;
}

// The record's checksum and offset as they would be written for table at offset.
Bytes Record(const Bytes& table, std::uint32_t offset) {
  Bytes bytes = Word(TableChecksum(table.data(), table.size()));
  const Bytes word = Word(offset);
  bytes.insert(bytes.end(), word.begin(), word.end());
  return bytes;
}

// Member index of a collection whose OS/2 record lies at 100 + 16 * index and points at offset.
FaceSummary Face(std::uint32_t index, std::uint32_t offset, std::int16_t stored,
                 std::int32_t suggested) {
  FaceSummary face;
  face.index = index;
  face.xAvgCharWidth = stored;
  face.os2 = {100 + 16u * index, 0x11111111, offset, 8};
  face.verdict.suggested = suggested;
  face.verdict.ok = std::abs(stored - suggested) <= 1;
  return face;
}

// The faces with their tables; they are members of a collection when they carry an index.
FixInput Input(std::vector<FaceSummary> faces) {
  FixInput input;
  input.size = kSize;
  for (const FaceSummary& face : faces)
    input.os2Tables[face.os2.offset] = Table(face.xAvgCharWidth);
  input.faces = std::move(faces);
  return input;
}

// The record write of member index, and its old bytes.
FileWrite RecordWrite(std::uint32_t index, std::uint32_t oldOffset, const Bytes& table,
                      std::uint32_t offset) {
  Bytes old = Word(0x11111111);
  const Bytes word = Word(oldOffset);
  old.insert(old.end(), word.begin(), word.end());
  return {100 + 16u * index + 4, Record(table, offset), old};
}

FileWrite ValueWrite(std::uint32_t offset, std::int16_t from, std::int16_t to) {
  const Bytes before = Table(from);
  const Bytes after = Table(to);
  return {offset + 2u, Bytes(after.begin() + 2, after.begin() + 4),
          Bytes(before.begin() + 2, before.begin() + 4)};
}

// The padding to a multiple of 4 and then the table.
FileWrite Append(std::uint64_t end, const Bytes& table) {
  const std::size_t padding = (4 - end % 4) % 4;
  FileWrite write{end, Bytes(padding + table.size(), 0), {}};
  std::copy(table.begin(), table.end(), write.bytes.begin() + static_cast<std::ptrdiff_t>(padding));
  return write;
}

void ExpectWrites(const FixPlan& plan, const std::vector<FileWrite>& expected) {
  EXPECT_EQ(plan.error, "");
  ASSERT_EQ(plan.writes.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(plan.writes[i].position, expected[i].position) << "write " << i;
    EXPECT_EQ(plan.writes[i].bytes, expected[i].bytes) << "write " << i;
    EXPECT_EQ(plan.writes[i].old, expected[i].old) << "write " << i;
  }
}

TEST(FixPlanTest, SharedTableWhoseFacesAgreeIsWrittenInPlace) {
  const FixPlan plan = PlanFix(Input({Face(0, 500, 979, 500), Face(1, 500, 979, 500)}));
  ExpectWrites(plan, {ValueWrite(500, 979, 500), RecordWrite(0, 500, Table(500), 500),
                      RecordWrite(1, 500, Table(500), 500)});
  EXPECT_EQ(plan.faces[0].written, 500);
  EXPECT_EQ(plan.faces[1].copyAt, 0u);
}

TEST(FixPlanTest, SharedTableWhoseFacesDisagreeIsSplit) {
  // Member 0 is ok with 979 and keeps the table; member 1 gets a copy holding 500.
  const FixPlan plan = PlanFix(Input({Face(0, 500, 979, 979), Face(1, 500, 979, 500)}));
  ExpectWrites(plan, {Append(kSize, Table(500)), RecordWrite(1, 500, Table(500), 1004)});
  EXPECT_EQ(plan.faces[0].written, std::nullopt);
  EXPECT_EQ(plan.faces[1].written, 500);
  EXPECT_EQ(plan.faces[1].copyAt, 1004u);
}

TEST(FixPlanTest, AllWrongWithTwoValuesLowestNumberedFaceKeepsTheTable) {
  const FixPlan plan = PlanFix(Input({Face(0, 500, 979, 600), Face(1, 500, 979, 500),
                                      Face(2, 500, 979, 500), Face(3, 508, 700, 600)}));
  ExpectWrites(plan,
               {Append(kSize, Table(500)), ValueWrite(500, 979, 600), ValueWrite(508, 700, 600),
                RecordWrite(0, 500, Table(600), 500), RecordWrite(1, 500, Table(500), 1004),
                RecordWrite(2, 500, Table(500), 1004), RecordWrite(3, 508, Table(600), 508)});
}

TEST(FixPlanTest, FaceThatCannotBeReadKeepsTheTableItPointsAt) {
  FaceSummary broken = Face(1, 500, 979, 979);
  broken.error = "the 'hmtx' table cannot be read";
  FaceSummary noOs2 = Face(2, 0, 0, 0);
  noOs2.error = "no 'OS/2' table";
  noOs2.os2 = {};
  // Its own table is left alone while another is written in place.
  FixPlan plan = PlanFix(Input({Face(0, 508, 979, 500), broken, noOs2}));
  ExpectWrites(plan, {ValueWrite(508, 979, 500), RecordWrite(0, 508, Table(500), 508)});
  EXPECT_EQ(plan.faces[1].written, std::nullopt);
  EXPECT_EQ(plan.faces[2].written, std::nullopt);
  // A table it shares is not split: a longer file might make it read otherwise.
  plan = PlanFix(Input({Face(0, 500, 979, 500), broken, noOs2}));
  EXPECT_NE(plan.error, "");
  EXPECT_TRUE(plan.writes.empty());
}

TEST(FixPlanTest, SuggestionOutOfRangeIsNotFixedAndKeepsTheTable) {
  const FixPlan plan = PlanFix(Input({Face(0, 500, 979, 0), Face(1, 508, 979, 40000)}));
  ExpectWrites(plan, {});
  EXPECT_EQ(plan.faces[0].notFixed, "the width it needs, 0, lies outside 1..32767");
  EXPECT_EQ(plan.faces[1].notFixed, "the width it needs, 40000, lies outside 1..32767");
}

TEST(FixPlanTest, SingleFontMovesCheckSumAdjustmentByTheChangeInTheFileSum) {
  FaceSummary face = Face(0, 500, 979, 500);
  face.index.reset();
  face.head = {20, 0, 200, 54};
  FixInput input = Input({face});
  input.checkSumAdjustment = 0x12345678;
  const FixPlan plan = PlanFix(input);
  const FileWrite value = ValueWrite(500, 979, 500);
  const FileWrite record = RecordWrite(0, 500, Table(500), 500);
  const std::uint32_t change =
      FileSumChange(value.position, value.old.data(), value.bytes.data(), 2) +
      FileSumChange(record.position, record.old.data(), record.bytes.data(), 8);
  ExpectWrites(plan, {value, record, {208, Word(0x12345678 - change), Word(0x12345678)}});
}

TEST(FixPlanTest, RefusesWritesThatWouldLandInAnotherField) {
  // Member 1's record lies inside the OS/2 table of member 0.
  FaceSummary inside = Face(1, 508, 979, 500);
  inside.os2.record = 496;
  FixPlan plan = PlanFix(Input({Face(0, 496, 979, 500), inside}));
  EXPECT_NE(plan.error, "");
  EXPECT_TRUE(plan.writes.empty());
  // Two tables that overlap.
  plan = PlanFix(Input({Face(0, 500, 979, 500), Face(1, 504, 979, 979)}));
  EXPECT_NE(plan.error, "");
  EXPECT_TRUE(plan.writes.empty());
  // The field lies inside a table that the rules read, so the fix would change the verdict.
  FaceSummary overlapping = Face(0, 500, 979, 500);
  overlapping.otherTables =
      std::make_shared<const std::vector<ByteSpan>>(std::vector<ByteSpan>{{400, 503}});
  plan = PlanFix(Input({overlapping}));
  EXPECT_NE(plan.error, "");
  EXPECT_TRUE(plan.writes.empty());
}

TEST(FixPlanTest, RefusesWritesIntoAnyOtherTableOrTheCollectionHeader) {
  const auto refused = [](FixInput input) {
    const FixPlan plan = PlanFix(input);
    return !plan.error.empty() && plan.writes.empty();
  };
  // The field lies in a table the rules do not read.
  FaceSummary face = Face(0, 500, 979, 500);
  face.otherTables =
      std::make_shared<const std::vector<ByteSpan>>(std::vector<ByteSpan>{{502, 503}});
  EXPECT_TRUE(refused(Input({face})));
  // A record lies in another table.
  face.otherTables =
      std::make_shared<const std::vector<ByteSpan>>(std::vector<ByteSpan>{{96, 120}});
  EXPECT_TRUE(refused(Input({face})));
  // The field lies in a version 2 header's signature fields, or in the signature they point at.
  for (const ByteSpan& span : {ByteSpan{0, 504}, ByteSpan{490, 510}}) {
    FixInput input = Input({Face(0, 500, 979, 500)});
    input.collectionSpans = {{0, 20}, span};
    EXPECT_TRUE(refused(input));
  }
  FixInput apart = Input({Face(0, 500, 979, 500)});
  apart.collectionSpans = {{0, 20}, {900, 1000}};
  EXPECT_FALSE(refused(apart));
}

TEST(FixPlanTest, DecidesFromTheRecordsBeforeAnyTableIsRead) {
  // Without the tables' bytes the layout still refuses overlapping tables, and says which
  // tables a fix that holds must read.
  FixInput input = Input({Face(0, 500, 979, 500), Face(1, 504, 979, 500)});
  input.os2Tables.clear();
  EXPECT_NE(LayOutFix(input).error, "");
  input = Input({Face(0, 500, 979, 500), Face(1, 508, 979, 600)});
  input.os2Tables.clear();
  const FixLayout layout = LayOutFix(input);
  EXPECT_EQ(layout.error, "");
  ASSERT_EQ(layout.changes.size(), 2u);
  EXPECT_EQ(layout.changes[0].offset, 500u);
  EXPECT_EQ(layout.changes[1].offset, 508u);
  EXPECT_EQ(PlanFix(input).error, "its 'OS/2' table at 500 could not be read whole");
}

TEST(FixPlanTest, GrowthIsBoundedByTheFileItself) {
  // Three copies of a 480-byte table would add more than the file's own 1001 bytes.
  std::vector<FaceSummary> faces = {Face(0, 500, 979, 979), Face(1, 500, 979, 500),
                                    Face(2, 500, 979, 600), Face(3, 500, 979, 700)};
  for (FaceSummary& face : faces) face.os2.length = 480;
  FixInput input = Input(faces);
  input.os2Tables.clear();
  EXPECT_EQ(LayOutFix(input).error,
            "the copies of its 'OS/2' table would lengthen it by more than the 1001 bytes that a "
            "fix of this file may add");
  // Two copies fit.
  faces.pop_back();
  input = Input(faces);
  input.os2Tables[500] = Bytes(480, 0);
  StoreBigEndian16(979, input.os2Tables[500].data() + 2);
  EXPECT_EQ(PlanFix(input).error, "");
  // Nor does a fix read more of its tables than the file holds.
  faces = {Face(0, 2000, 979, 500), Face(1, 2400, 979, 500), Face(2, 2800, 979, 500)};
  for (FaceSummary& face : faces) face.os2.length = 400;
  input = Input(faces);
  EXPECT_EQ(PlanFix(input).error,
            "the 'OS/2' tables to change hold more than the 1001 bytes that a fix of this file "
            "reads");
}

TEST(FixPlanTest, TableThatNoLongerHoldsWhatTheFacesReadMeansTheFileChanged) {
  FixInput input = Input({Face(0, 500, 979, 500)});
  input.os2Tables[500] = Table(640);
  const FixPlan plan = PlanFix(input);
  EXPECT_EQ(plan.error, kFileChanged);
  EXPECT_TRUE(plan.writes.empty());
  EXPECT_EQ(plan.faces[0].written, std::nullopt);
}

TEST(FixPlanTest, NothingToDoWhenEveryFaceIsOk) {
  const FixPlan plan = PlanFix(Input({Face(0, 500, 979, 979), Face(1, 500, 979, 980)}));
  ExpectWrites(plan, {});
}

}  // namespace
