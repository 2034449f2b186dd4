// Everything is read before anything is written, and the file stays held from the first read to
// the last write, so that no other program sees or makes a change in between.
#include "fixer/fix_font.h"

#include "fixer/apply_writes.h"
#include "reader/read_within.h"
#include "sfnt/big_endian.h"
#include "sfnt/sfnt.h"

namespace {

// Whether the DSIG table at offset, of length bytes, holds any signature.
bool HoldsSignatures(FileHandle file, std::uint64_t size, std::uint64_t offset,
                     std::uint64_t length) {
  std::vector<unsigned char> bytes;
  return offset <= size && length <= size - offset &&
         ReadWithin(file, offset, length, kNumSignaturesInDsig, 2, &bytes) &&
         LoadBigEndian16(bytes.data()) > 0;
}

bool Signed(FileHandle file, std::uint64_t size, const FontFix& fix) {
  for (const FaceSummary& face : fix.font.faces) {
    if (face.dsig.record != 0 && HoldsSignatures(file, size, face.dsig.offset, face.dsig.length)) {
      return true;
    }
  }
  if (SingleFont(fix.font.faces) != nullptr) return false;
  // A collection of version 2 may sign itself whole, in its header, after the members' offsets.
  std::vector<unsigned char> bytes;
  if (!ReadWithin(file, 0, size, 0, kCollectionHeaderSize, &bytes) ||
      LoadBigEndian32(bytes.data() + 4) < kCollectionVersion2) {
    return false;
  }
  const std::uint64_t numFonts = LoadBigEndian32(bytes.data() + 8);
  return ReadWithin(file, 0, size, kCollectionHeaderSize + 4 * numFonts, 12, &bytes) &&
         LoadBigEndian32(bytes.data()) == kDsigTag &&
         HoldsSignatures(file, size, LoadBigEndian32(bytes.data() + 8),
                         LoadBigEndian32(bytes.data() + 4));
}

// Reads what the plan needs beyond the faces: the OS/2 tables to change and a single font's
// checkSumAdjustment.
FixInput ReadFixInput(FileHandle file, std::uint64_t size, const FontFaces& font) {
  FixInput input;
  input.size = size;
  input.faces = font.faces;
  std::vector<unsigned char> bytes;
  for (const FaceSummary& face : font.faces) {
    if (!WantedWidth(face) || face.os2.length > kMaxOs2TableLength ||
        input.os2Tables.count(face.os2.offset) != 0) {
      continue;
    }
    if (ReadWithin(file, 0, size, face.os2.offset, face.os2.length, &bytes)) {
      input.os2Tables[face.os2.offset] = bytes;
    }
  }
  const FaceSummary* single = SingleFont(font.faces);
  if (single != nullptr && single->head.record != 0 &&
      ReadWithin(file, 0, size, single->head.offset + kCheckSumAdjustmentInHead, 4, &bytes)) {
    input.checkSumAdjustment = LoadBigEndian32(bytes.data());
  }
  return input;
}

}  // namespace

FontFix FixFontFile(const char* path) {
  FontFix fix;
  FileHandle file = 0;
  std::uint64_t size = 0;
  std::string why;
  if (!FileOpenToFix(path, &file, &size, &why)) {
    fix.error = "cannot open it to fix: " + why;
    return fix;
  }
  fix.font = ReadOpenFontFaces(file, size);
  if (!fix.font.error.empty()) {
    fix.error = fix.font.error;
    FileClose(file);
    return fix;
  }
  const FixInput input = ReadFixInput(file, size, fix.font);
  fix.plan = PlanFix(input);
  if (!fix.plan.error.empty()) {
    fix.error = fix.plan.error + "; nothing was written";
  } else if (!fix.plan.writes.empty()) {
    const bool wasSigned = Signed(file, size, fix);
    switch (ApplyWrites(file, size, fix.plan.writes)) {
      case WriteOutcome::kWritten:
        fix.signatureBroken = wasSigned;
        break;
      case WriteOutcome::kRestored:
        fix.error = "a write failed (is the disk full?); the file was put back as it was";
        break;
      case WriteOutcome::kNotRestored:
        fix.error =
            "a write failed, and so did putting the old bytes back: the file may hold part of the "
            "fix and bytes past its old end; restore it from a copy";
        break;
    }
  }
  FileClose(file);
  return fix;
}
