// Finds the OS/2 table through the table directory and overwrites its xAvgCharWidth.
#include "font/avg_char_width.h"

#include <cstring>

#include "common/file.h"
#include "common/show_error.h"
#include "sfnt/big_endian.h"
#include "sfnt/sfnt.h"

namespace {

constexpr char kCantOpenMessage[] = "Cant't open TTF file";
constexpr char kEndOfFileMessage[] =
    "Unexpected end of TTF file. Maybe TTF is corrupt or incorrect TTF format.";
constexpr char kFormatMessage[] = "Incorrect TTF file format.";
constexpr char kNotFoundMessage[] = "'OS/2' table not found in TTF file.";
constexpr char kBeyondEndMessage[] = "'OS/2' table lies beyond the end of TTF file.";
constexpr char kWriteMessage[] = "Can't write to TTF file.";

// Reads the header and the directory up to the first OS/2 record, then writes the width.
// Returns the message that describes the failure, or nullptr once the two bytes are written.
const char* PatchOpenFile(FileHandle file, std::uint64_t size, Width width) {
  unsigned char buffer[4];
  if (!FileReadAt(file, kSfntVersionPosition, buffer, 4)) return kEndOfFileMessage;
  if (LoadBigEndian32(buffer) != kTrueTypeVersion) return kFormatMessage;
  if (!FileReadAt(file, kNumTablesPosition, buffer, 2)) return kEndOfFileMessage;
  const std::uint32_t numTables = LoadBigEndian16(buffer);

  // An offset of 0 cannot hold a table after the header, so it stands for "no OS/2 table".
  std::uint32_t os2Offset = 0;
  for (std::uint32_t i = 0; i < numTables; ++i) {
    const std::uint64_t record = kFirstTableRecordPosition + kTableRecordSize * i;
    if (!FileReadAt(file, record, buffer, kTagSize)) return kEndOfFileMessage;
    if (std::memcmp(buffer, kOs2Tag, kTagSize) != 0) continue;
    // The checksum is read only to prove the record is whole; it is never checked or updated.
    if (!FileReadAt(file, record + kChecksumInRecord, buffer, 4)) return kEndOfFileMessage;
    if (!FileReadAt(file, record + kOffsetInRecord, buffer, 4)) return kEndOfFileMessage;
    os2Offset = LoadBigEndian32(buffer);
    break;
  }
  if (os2Offset == 0) return kNotFoundMessage;

  // Writing past the end would lengthen the file, by gigabytes for a hostile offset, so the field
  // must lie wholly inside it. 64-bit arithmetic keeps offsets near 4 GiB from wrapping.
  const std::uint64_t fieldPosition = std::uint64_t{os2Offset} + kXAvgCharWidthInOs2;
  if (fieldPosition + kXAvgCharWidthSize > size) return kBeyondEndMessage;

  unsigned char field[kXAvgCharWidthSize];
  StoreBigEndian16(static_cast<std::uint16_t>(width), field);
  if (!FileWriteAt(file, fieldPosition, field, kXAvgCharWidthSize)) return kWriteMessage;
  return nullptr;
}

}  // namespace

bool SetAverageCharWidth(const char* fileName, Width width) {
  FileHandle file = 0;
  std::uint64_t size = 0;
  if (!FileOpen(fileName, &file, &size)) {
    ShowError(kCantOpenMessage);
    return false;
  }
  // The message goes up while the file is still held, so nobody else can open it meanwhile.
  const char* failure = PatchOpenFile(file, size, width);
  if (failure != nullptr) ShowError(failure);
  FileClose(file);
  return failure == nullptr;
}
