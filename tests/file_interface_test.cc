// What every platform's file functions must do, checked on real files; linked into the POSIX
// and the Windows tests alike.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/file.h"
#include "font/avg_char_width.h"
#include "tests/files.h"
#include "tests/font_builder.h"
#include "tests/recording_reporter.h"

namespace {

class FileInterfaceTest : public testing::Test {
 protected:
  void SetUp() override { ShownErrors().clear(); }
  TempDir dir_;
};

TEST_F(FileInterfaceTest, ReadsAndWritesAtPositionsAndKnowsTheSize) {
  const std::string path = dir_.Path("f.bin");
  WriteFileBytes(path, {1, 2, 3, 4, 5, 6});
  FileHandle file = 0;
  std::uint64_t size = 0;
  ASSERT_TRUE(FileOpen(path.c_str(), &file, &size));
  EXPECT_EQ(size, 6u);
  unsigned char buffer[4] = {};
  EXPECT_TRUE(FileReadAt(file, 2, buffer, 4));
  EXPECT_EQ(Bytes(buffer, buffer + 4), (Bytes{3, 4, 5, 6}));
  EXPECT_FALSE(FileReadAt(file, 3, buffer, 4));
  EXPECT_FALSE(FileReadAt(file, 6, buffer, 1));
  // A position past 4 GiB must not wrap around to the start of the file.
  EXPECT_FALSE(FileReadAt(file, 0x100000002, buffer, 1));
  const unsigned char two[2] = {0xAB, 0xCD};
  EXPECT_TRUE(FileWriteAt(file, 4, two, 2));
  FileClose(file);
  EXPECT_EQ(ReadFileBytes(path), (Bytes{1, 2, 3, 4, 0xAB, 0xCD}));
}

TEST_F(FileInterfaceTest, PatcherChangesOnlyTheFieldOfARealFile) {
  const std::string path = dir_.Path("font.ttf");
  const Bytes before = SampleFont(1234);
  WriteFileBytes(path, before);
  ASSERT_TRUE(SetAverageCharWidth(path.c_str(), 500));
  const Bytes after = ReadFileBytes(path);
  const std::uint32_t os2 = TableOffset(before, "OS/2");
  EXPECT_EQ(DifferingPositions(before, after), (std::vector<std::size_t>{os2 + 2u, os2 + 3u}));
  EXPECT_EQ(after.at(os2 + 2), 0x01);
  EXPECT_EQ(after.at(os2 + 3), 0xF4);
  EXPECT_TRUE(ShownErrors().empty());
}

}  // namespace
