// Decides where a fix writes, from the faces' table records alone, before any OS/2 table is read:
// which tables change and how, which copies are appended where, or why the file is refused.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "reader/font_faces.h"

using Bytes = std::vector<unsigned char>;

// OpenType's OS/2 tables are at most 100 bytes; a longer one is not copied or summed.
constexpr std::uint32_t kMaxOs2TableLength = 65536;
// A fix reads the OS/2 tables it changes, and appends copies of some, up to the smaller of the
// file's own length and this many bytes, so that no font makes it read or write much more.
constexpr std::uint64_t kMaxFixBytes = 16 * 1024 * 1024;

// What was read of a file before deciding.
struct FixInput {
  std::uint64_t size = 0;                 // the file's length
  std::vector<FaceSummary> faces;         // as the reader found them
  std::vector<ByteSpan> collectionSpans;  // as the reader found them
  // The bytes of each OS/2 table, by offset, that some face wants changed.
  std::map<std::uint32_t, Bytes> os2Tables;
  std::uint32_t checkSumAdjustment = 0;  // a single font's, as read
};

// What the fix does for one face.
struct FaceFix {
  std::optional<std::int32_t> written;  // the value now stored for the face; none if unchanged
  std::uint64_t copyAt = 0;  // where its new copy of the OS/2 table starts; 0 when it has none
  std::string notFixed;      // why a face that is not ok keeps its value
};

// The single face of a font file on its own, which carries no member's number; the faces of a
// collection all do.
const FaceSummary* SingleFont(const std::vector<FaceSummary>& faces);

// The value a face should get: its suggestion, when it is readable, not ok, and the suggestion
// lies in 1..kMaxWidth; none when it keeps its value.
std::optional<std::int32_t> WantedWidth(const FaceSummary& face);

// One OS/2 table that the fix changes, and how.
struct TableChange {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
  std::vector<std::size_t> members;     // the faces that point at it, in order
  std::int32_t stored = 0;              // the value its faces read from it
  std::optional<std::int32_t> inPlace;  // its new value, when its own bytes change
  // The copies appended for the other values: each one's value and where it starts.
  std::vector<std::pair<std::int32_t, std::uint64_t>> copies;
};

// What the fix does, decided from the faces' records alone: every position it writes at, which
// tables it must read, or why it refuses the file.
struct FixLayout {
  std::string error;                 // why nothing may be written; empty when the layout holds
  std::vector<FaceFix> faces;        // one per face of the input, in its order
  std::vector<TableChange> changes;  // by offset
};

// Decides the layout without the OS/2 tables' bytes, so that a file is refused before they are
// read: each write must land in its own field (see WritesStayInTheirFields), the tables to read
// and the copies to append must stay within kMaxFixBytes and the file's own length, and a copy
// must lie within the 4 GiB that offsets reach.
FixLayout LayOutFix(const FixInput& input);

// A refused file keeps every value: no face is written, none gets a copy.
void ClearWrites(std::vector<FaceFix>* faces);
