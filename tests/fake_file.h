// Test double for the patcher's file access: an in-memory file that records every call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct FileAccess {
  std::uint64_t position;
  std::size_t count;
  bool operator==(const FileAccess& other) const {
    return position == other.position && count == other.count;
  }
};

struct FileAccessCount {
  std::size_t reads;
  std::size_t writes;
};

struct FakeFile {
  // What the fake does.
  bool openSucceeds = true;
  std::size_t bytesWritable = SIZE_MAX;  // a write stops short after this many bytes in all
  std::size_t failingWrite = 0;  // the write (1 for the first) that fails halfway; 0 for none
  bool setLengthSucceeds = true;
  std::vector<unsigned char> bytes;
  // Before the read with this number (1 for the first), another program that takes no lock
  // replaces the content with replacement; 0 for never.
  std::size_t replacedBeforeRead = 0;
  std::vector<unsigned char> replacement;

  // What the patcher did.
  std::vector<std::string> opened;
  std::vector<FileAccess> reads;
  std::vector<FileAccess> writes;
  std::vector<std::uint64_t> lengthsSet;
  int closes = 0;
  int callsWhileClosed = 0;  // reads, writes or closes on a handle that is not open
  // How many reads and writes had been made when other programs were kept out and let in again.
  std::optional<FileAccessCount> keptOut, letIn;
};

// The one fake file that the FileOpen family works on; Reset it before each case.
FakeFile& TheFakeFile();
void ResetFakeFile(std::vector<unsigned char> bytes);
