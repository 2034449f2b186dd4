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
  // A collection of version 2 may sign itself whole: the reader found that signature's table
  // through the header, after the header itself.
  const std::vector<ByteSpan>& spans = fix.font.collectionSpans;
  return spans.size() > 1 &&
         HoldsSignatures(file, size, spans[1].first, spans[1].end - spans[1].first);
}

// Reads what the plan needs beyond the faces: the OS/2 tables that the layout changes, only once
// the layout holds, and a single font's checkSumAdjustment.
FixInput ReadFixInput(FileHandle file, std::uint64_t size, const FontFaces& font) {
  FixInput input;
  input.size = size;
  input.faces = font.faces;
  input.collectionSpans = font.collectionSpans;
  std::vector<unsigned char> bytes;
  const FixLayout layout = LayOutFix(input);
  if (!layout.error.empty()) return input;
  for (const TableChange& change : layout.changes) {
    if (ReadWithin(file, 0, size, change.offset, change.length, &bytes)) {
      input.os2Tables[change.offset] = bytes;
    }
  }
  const FaceSummary* single = SingleFont(font.faces);
  if (single != nullptr && single->head.record != 0 &&
      ReadWithin(file, 0, size, single->head.offset + kCheckSumAdjustmentInHead, 4, &bytes)) {
    input.checkSumAdjustment = LoadBigEndian32(bytes.data());
  }
  return input;
}

// Whether the file still holds, right before the writes, what the plan was made from: the same
// length, collection header, table directories, OS/2 tables and checkSumAdjustment. A program that
// writes without taking the lock could have replaced it since it was read.
bool StillAsRead(FileHandle file, std::uint64_t size, const FixInput& input) {
  unsigned char byte = 0;
  if (size == 0 || !FileReadAt(file, size - 1, &byte, 1) || FileReadAt(file, size, &byte, 1)) {
    return false;
  }
  const FontFaces now = ReadFontDirectories(file, size);
  if (now.faces.size() != input.faces.size() || now.collectionSpans != input.collectionSpans) {
    return false;
  }
  for (std::size_t i = 0; i < now.faces.size(); ++i) {
    const FaceSummary& a = now.faces[i];
    const FaceSummary& b = input.faces[i];
    if (a.sfntVersion != b.sfntVersion || !(a.os2 == b.os2) || !(a.head == b.head) ||
        !(a.dsig == b.dsig) || !(a.directory == b.directory) ||
        (a.otherTables == nullptr) != (b.otherTables == nullptr) ||
        (a.otherTables != nullptr && *a.otherTables != *b.otherTables)) {
      return false;
    }
  }
  std::vector<unsigned char> bytes;
  for (const auto& [offset, table] : input.os2Tables) {
    if (!ReadWithin(file, 0, size, offset, table.size(), &bytes) || bytes != table) return false;
  }
  const FaceSummary* single = SingleFont(input.faces);
  return single == nullptr || single->head.record == 0 ||
         (ReadWithin(file, 0, size, single->head.offset + kCheckSumAdjustmentInHead, 4, &bytes) &&
          LoadBigEndian32(bytes.data()) == input.checkSumAdjustment);
}

}  // namespace

FontFix FixReadFont(FileHandle file, std::uint64_t size, FontFaces font) {
  FontFix fix;
  fix.font = std::move(font);
  if (!fix.font.error.empty()) {
    fix.error = fix.font.error;
    return fix;
  }
  const FixInput input = ReadFixInput(file, size, fix.font);
  fix.plan = PlanFix(input);
  if (!fix.plan.error.empty()) {
    fix.error = fix.plan.error + "; nothing was written";
  } else if (!fix.plan.writes.empty()) {
    const bool wasSigned = Signed(file, size, fix);
    // Where the system lets it, no other program can open the file from before the last reads
    // until after the last write, so none can write between them.
    const bool keptOut = FileKeepOthersOut(file);
    // The last reads before the first write.
    const WriteOutcome outcome = StillAsRead(file, size, input)
                                     ? ApplyWrites(file, size, fix.plan.writes)
                                     : WriteOutcome::kNotMade;
    if (keptOut) FileLetOthersIn(file);
    switch (outcome) {
      case WriteOutcome::kNotMade:
        fix.error = std::string(kFileChanged) + "; nothing was written";
        break;
      case WriteOutcome::kWritten:
        fix.signatureBroken = wasSigned;
        break;
      case WriteOutcome::kRestored:
        fix.error =
            "a write failed (is the disk full, or the file larger than allowed?); the "
            "file was put back as it was";
        break;
      case WriteOutcome::kNotRestored:
        fix.error =
            "a write failed, and so did putting the old bytes back: the file may hold part of the "
            "fix and bytes past its old end; restore it from a copy";
        break;
    }
  }
  return fix;
}
