// The fixer's writer against the recording fake file: the writes in order, and a failure at any
// of them leaving the file as it was.
#include "fixer/apply_writes.h"

#include <gtest/gtest.h>

#include "tests/fake_file.h"

namespace {

const Bytes kOriginal(1001, 0xAB);

// A copy appended at the end, then two writes in place.
const std::vector<FileWrite> kWrites = {
    {1001, Bytes(11, 7), {}},
    {502, {1, 2}, {0xAB, 0xAB}},
    {104, {1, 2, 3, 4, 5, 6, 7, 8}, Bytes(8, 0xAB)},
};

WriteOutcome Apply() {
  FileHandle file = 0;
  std::uint64_t size = 0;
  EXPECT_TRUE(FileOpen("font.ttc", &file, &size));
  const WriteOutcome outcome = ApplyWrites(file, size, kWrites);
  FileClose(file);
  return outcome;
}

TEST(ApplyWritesTest, MakesTheWritesInOrder) {
  ResetFakeFile(kOriginal);
  EXPECT_EQ(Apply(), WriteOutcome::kWritten);
  const std::vector<FileAccess> expected = {{1001, 11}, {502, 2}, {104, 8}};
  EXPECT_EQ(TheFakeFile().writes, expected);
  EXPECT_TRUE(TheFakeFile().lengthsSet.empty());
  EXPECT_EQ(TheFakeFile().bytes.size(), 1012u);
}

TEST(ApplyWritesTest, FailureAtAnyWriteLeavesTheFileAsItWas) {
  for (std::size_t failing = 1; failing <= kWrites.size(); ++failing) {
    ResetFakeFile(kOriginal);
    TheFakeFile().failingWrite = failing;
    EXPECT_EQ(Apply(), WriteOutcome::kRestored) << "write " << failing;
    EXPECT_EQ(TheFakeFile().bytes, kOriginal) << "write " << failing;
    EXPECT_EQ(TheFakeFile().lengthsSet, std::vector<std::uint64_t>{1001});
  }
}

TEST(ApplyWritesTest, SaysSoWhenTheFileCannotBeCutBack) {
  ResetFakeFile(kOriginal);
  TheFakeFile().failingWrite = 2;
  TheFakeFile().setLengthSucceeds = false;
  EXPECT_EQ(Apply(), WriteOutcome::kNotRestored);
}

}  // namespace
