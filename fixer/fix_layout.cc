// Tables are grouped by the offset that their faces' records hold, since members of a collection
// share one table by pointing at the same bytes. Nothing is written unless every write is known to
// touch only its field, and all of that is known from the records.
#include "fixer/fix_layout.h"

#include <algorithm>

#include "common/width.h"
#include "fixer/write_bounds.h"
#include "sfnt/sfnt.h"

namespace {

constexpr std::uint64_t kLargestOffset = 0xFFFFFFFF;

}  // namespace

void ClearWrites(std::vector<FaceFix>* faces) {
  for (FaceFix& face : *faces) {
    face.written.reset();
    face.copyAt = 0;
  }
}

const FaceSummary* SingleFont(const std::vector<FaceSummary>& faces) {
  return faces.size() == 1 && !faces[0].index ? &faces[0] : nullptr;
}

std::optional<std::int32_t> WantedWidth(const FaceSummary& face) {
  const std::int32_t suggested = face.verdict.suggested;
  if (!face.error.empty() || face.verdict.ok || suggested < 1 || suggested > kMaxWidth) {
    return std::nullopt;
  }
  return suggested;
}

FixLayout LayOutFix(const FixInput& input) {
  FixLayout layout;
  const std::size_t count = input.faces.size();
  layout.faces.resize(count);
  std::vector<std::optional<std::int32_t>> want(count);
  std::map<std::uint32_t, std::vector<std::size_t>> groups;  // faces by their OS/2 table
  for (std::size_t i = 0; i < count; ++i) {
    const FaceSummary& face = input.faces[i];
    if (face.os2.record != 0) groups[face.os2.offset].push_back(i);
    if (!face.error.empty() || face.verdict.ok) continue;
    if (!WantedWidth(face)) {
      layout.faces[i].notFixed = "the width it needs, " + std::to_string(face.verdict.suggested) +
                                 ", lies outside 1.." + std::to_string(kMaxWidth);
    } else if (face.os2.length > kMaxOs2TableLength) {
      layout.faces[i].notFixed = "its 'OS/2' table is " + std::to_string(face.os2.length) +
                                 " bytes long, far more than any version of it defines";
    } else {
      want[i] = WantedWidth(face);
    }
  }

  const auto refuse = [&](const std::string& why) {
    layout.error = why;
    layout.changes.clear();
    ClearWrites(&layout.faces);
    return layout;
  };
  std::vector<ByteSpan> tables;
  WriteSpans spans;
  const std::uint64_t limit = std::min(input.size, kMaxFixBytes);
  std::uint64_t end = input.size;
  std::uint64_t read = 0;
  for (const auto& [offset, members] : groups) {
    const std::uint32_t length = input.faces[members[0]].os2.length;
    tables.push_back({offset, std::uint64_t{offset} + length});
    const auto wanting = std::find_if(members.begin(), members.end(),
                                      [&](std::size_t m) { return want[m].has_value(); });
    if (wanting == members.end()) continue;
    for (const std::size_t m : members) {
      if (input.faces[m].os2.length != length) {
        return refuse("its faces give one 'OS/2' table different lengths");
      }
    }
    read += length;
    if (read > limit) {
      return refuse("the 'OS/2' tables to change hold more than the " + std::to_string(limit) +
                    " bytes that a fix of this file reads");
    }
    TableChange change;
    change.offset = offset;
    change.length = length;
    change.members = members;
    // Every face that points at the table read the same value from it.
    const std::int32_t stored = input.faces[*wanting].xAvgCharWidth;
    change.stored = stored;
    // The table keeps its value when any face keeps its own; otherwise the lowest-numbered face,
    // the first member, decides it.
    const bool kept = std::any_of(members.begin(), members.end(),
                                  [&](std::size_t m) { return !want[m].has_value(); });
    const std::int32_t tableValue = kept ? stored : *want[members[0]];
    if (tableValue != stored) {
      change.inPlace = tableValue;
      spans.values.push_back(
          {offset + kXAvgCharWidthInOs2, offset + kXAvgCharWidthInOs2 + kXAvgCharWidthSize});
    }
    // Where the copy holding each value starts, so that each member finds its copy at once.
    std::map<std::int32_t, std::uint64_t> copyOf;
    for (const std::size_t m : members) {
      if (!want[m]) continue;
      // A face wants another value than the one stored, so a face that wants the table's value
      // has it written in place; any other value goes into a copy.
      FaceFix& face = layout.faces[m];
      if (*want[m] != tableValue) {
        auto copy = copyOf.find(*want[m]);
        if (copy == copyOf.end()) {
          const std::uint64_t position = (end + 3) / 4 * 4;
          if (position + length > kLargestOffset) {
            return refuse("a copy of its 'OS/2' table would lie past the 4 GiB that offsets reach");
          }
          end = position + length;
          if (end - input.size > limit) {
            return refuse("the copies of its 'OS/2' table would lengthen it by more than the " +
                          std::to_string(limit) + " bytes that a fix of this file may add");
          }
          change.copies.emplace_back(*want[m], position);
          copy = copyOf.emplace(*want[m], position).first;
        }
        face.copyAt = copy->second;
      }
      face.written = want[m];
      const std::uint64_t record = input.faces[m].os2.record + kChecksumInRecord;
      spans.records.push_back({record, record + 8});
    }
    layout.changes.push_back(change);
  }
  if (layout.changes.empty()) return layout;

  const FaceSummary* single = SingleFont(input.faces);
  if (single != nullptr && single->head.record != 0) {
    const std::uint64_t adjustment = std::uint64_t{single->head.offset} + kCheckSumAdjustmentInHead;
    spans.adjustment.push_back({adjustment, adjustment + 4});
  }
  if (!WritesStayInTheirFields(input, tables, spans)) {
    return refuse(
        "its tables overlap the fields to be written, so no write can be made without changing "
        "another table");
  }
  // A face that cannot be read might read otherwise once the file is longer.
  const bool broken = std::any_of(input.faces.begin(), input.faces.end(),
                                  [](const FaceSummary& face) { return !face.error.empty(); });
  if (end != input.size && broken) {
    return refuse(
        "some of its faces cannot be read, and they might read otherwise once copies of its "
        "'OS/2' table lengthen the file");
  }
  return layout;
}
