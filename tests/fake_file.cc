// Defines the patcher's file functions over TheFakeFile(), recording each call.
#include "tests/fake_file.h"

#include <algorithm>

#include "common/file.h"

namespace {

constexpr FileHandle kFakeHandle = 42;
bool isOpen = false;

bool Usable(FileHandle file) {
  if (isOpen && file == kFakeHandle) return true;
  ++TheFakeFile().callsWhileClosed;
  return false;
}

}  // namespace

FakeFile& TheFakeFile() {
  static FakeFile fake;
  return fake;
}

void ResetFakeFile(std::vector<unsigned char> bytes) {
  TheFakeFile() = FakeFile{};
  TheFakeFile().bytes = std::move(bytes);
  isOpen = false;
}

bool FileOpenForReading(const char* path, FileHandle* file, std::uint64_t* size, std::string* why) {
  if (FileOpen(path, file, size)) return true;
  *why = "the fake file does not open";
  return false;
}

bool FileOpen(const char* path, FileHandle* file, std::uint64_t* size) {
  FakeFile& fake = TheFakeFile();
  fake.opened.push_back(path);
  if (!fake.openSucceeds) return false;
  isOpen = true;
  *file = kFakeHandle;
  *size = fake.bytes.size();
  return true;
}

bool FileOpenToFix(const char* path, FileHandle* file, std::uint64_t* size, std::string* why) {
  if (FileOpen(path, file, size)) return true;
  *why = "the fake file does not open";
  return false;
}

bool FileReadAt(FileHandle file, std::uint64_t position, unsigned char* buffer, std::size_t count) {
  FakeFile& fake = TheFakeFile();
  fake.reads.push_back({position, count});
  if (fake.reads.size() == fake.replacedBeforeRead) fake.bytes = fake.replacement;
  if (!Usable(file) || position > fake.bytes.size() || count > fake.bytes.size() - position) {
    return false;
  }
  std::copy_n(fake.bytes.begin() + static_cast<std::ptrdiff_t>(position), count, buffer);
  return true;
}

bool FileWriteAt(FileHandle file, std::uint64_t position, const unsigned char* bytes,
                 std::size_t count) {
  FakeFile& fake = TheFakeFile();
  fake.writes.push_back({position, count});
  if (!Usable(file)) return false;
  const bool fails = fake.writes.size() == fake.failingWrite;
  const std::size_t put = std::min(fails ? count / 2 : count, fake.bytesWritable);
  fake.bytesWritable -= put;
  if (position + put > fake.bytes.size()) fake.bytes.resize(position + put);
  std::copy_n(bytes, put, fake.bytes.begin() + static_cast<std::ptrdiff_t>(position));
  return put == count;
}

bool FileSetLength(FileHandle file, std::uint64_t length) {
  FakeFile& fake = TheFakeFile();
  fake.lengthsSet.push_back(length);
  if (!Usable(file) || !fake.setLengthSucceeds) return false;
  fake.bytes.resize(length);
  return true;
}

std::uint64_t FileStoredBytes(FileHandle, std::uint64_t size) { return size; }

bool FileKeepOthersOut(FileHandle file) {
  FakeFile& fake = TheFakeFile();
  if (!Usable(file)) return false;
  fake.keptOut = FileAccessCount{fake.reads.size(), fake.writes.size()};
  return true;
}

void FileLetOthersIn(FileHandle file) {
  FakeFile& fake = TheFakeFile();
  if (Usable(file)) fake.letIn = FileAccessCount{fake.reads.size(), fake.writes.size()};
}

void FileClose(FileHandle file) {
  ++TheFakeFile().closes;
  if (Usable(file)) isOpen = false;
}
