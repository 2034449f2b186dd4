// Decides how to fix a font file: from what was read of it to the list of writes, as a pure
// function, so that every choice can be tested without a file.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
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

struct FileWrite {
  std::uint64_t position = 0;
  Bytes bytes;  // what goes there
  Bytes old;    // what was there, as long as bytes; empty for bytes past the file's old end
};

// What the fix does for one face.
struct FaceFix {
  std::optional<std::int32_t> written;  // the value now stored for the face; none if unchanged
  std::uint64_t copyAt = 0;  // where its new copy of the OS/2 table starts; 0 when it has none
  std::string notFixed;      // why a face that is not ok keeps its value
};

// Why a fix stops when the bytes it reads again differ from the first reading.
constexpr char kFileChanged[] =
    "the file changed while it was being fixed (another program wrote to it)";

struct FixPlan {
  std::string error;              // why nothing may be written; empty when the plan holds
  std::vector<FileWrite> writes;  // in the order they must be made
  std::vector<FaceFix> faces;     // one per face of the input, in its order
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

// Decides the writes: each OS/2 table whose faces all want one value gets it in place; a table
// whose faces want different values keeps the value of the faces that keep theirs (or else of
// the lowest-numbered face), and each other value gets a copy of the table appended at the end,
// to which the records of the faces that want it then point. Every record of a changed or new
// table gets its checksum, and a single font's checkSumAdjustment moves by the change in the
// file's sum. Order: appended copies, values in place, records, checkSumAdjustment. The layout
// is LayOutFix's; the bytes come from the OS/2 tables of the input.
FixPlan PlanFix(const FixInput& input);
