// Tables are grouped by the offset that their faces' records hold, since members of a collection
// share one table by pointing at the same bytes. Nothing is decided from the file's bytes beyond
// those handed in, and nothing is written unless every write is known to touch only its field.
#include "fixer/fix_plan.h"

#include <algorithm>

#include "common/width.h"
#include "fixer/write_bounds.h"
#include "sfnt/big_endian.h"
#include "sfnt/checksum.h"
#include "sfnt/sfnt.h"

namespace {

constexpr std::uint64_t kLargestOffset = 0xFFFFFFFF;

Bytes Word(std::uint32_t value) {
  Bytes bytes(4);
  StoreBigEndian32(value, bytes.data());
  return bytes;
}

Bytes Field(std::int32_t value) {
  Bytes bytes(kXAvgCharWidthSize);
  StoreBigEndian16(static_cast<std::uint16_t>(value), bytes.data());
  return bytes;
}

Bytes TableWith(Bytes table, std::int32_t value) {
  StoreBigEndian16(static_cast<std::uint16_t>(value), table.data() + kXAvgCharWidthInOs2);
  return table;
}

// The record's checksum and offset, in one write.
FileWrite RecordWrite(const TableRecordAt& record, const Bytes& table, std::uint64_t offset) {
  FileWrite write;
  write.position = record.record + kChecksumInRecord;
  write.bytes = Word(TableChecksum(table.data(), table.size()));
  const Bytes newOffset = Word(static_cast<std::uint32_t>(offset));
  write.bytes.insert(write.bytes.end(), newOffset.begin(), newOffset.end());
  write.old = Word(record.checksum);
  const Bytes oldOffset = Word(record.offset);
  write.old.insert(write.old.end(), oldOffset.begin(), oldOffset.end());
  return write;
}

}  // namespace

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

FixPlan PlanFix(const FixInput& input) {
  FixPlan plan;
  const std::size_t count = input.faces.size();
  plan.faces.resize(count);
  std::vector<std::optional<std::int32_t>> want(count);
  std::map<std::uint32_t, std::vector<std::size_t>> groups;  // faces by their OS/2 table
  for (std::size_t i = 0; i < count; ++i) {
    const FaceSummary& face = input.faces[i];
    if (face.os2.record != 0) groups[face.os2.offset].push_back(i);
    if (!face.error.empty() || face.verdict.ok) continue;
    if (!WantedWidth(face)) {
      plan.faces[i].notFixed = "the width it needs, " + std::to_string(face.verdict.suggested) +
                               ", lies outside 1.." + std::to_string(kMaxWidth);
    } else if (face.os2.length > kMaxOs2TableLength) {
      plan.faces[i].notFixed = "its 'OS/2' table is " + std::to_string(face.os2.length) +
                               " bytes long, far more than any version of it defines";
    } else {
      want[i] = WantedWidth(face);
    }
  }

  std::vector<FileWrite> appended, values, records;
  std::vector<ByteSpan> tables;
  std::uint64_t end = input.size;
  for (const auto& [offset, members] : groups) {
    tables.push_back({offset, std::uint64_t{offset} + input.faces[members[0]].os2.length});
    const bool changes = std::any_of(members.begin(), members.end(),
                                     [&](std::size_t m) { return want[m].has_value(); });
    if (!changes) continue;
    const std::uint32_t length = input.faces[members[0]].os2.length;
    for (const std::size_t m : members) {
      if (input.faces[m].os2.length != length) {
        plan.error = "its faces give one 'OS/2' table different lengths";
        return plan;
      }
    }
    const auto found = input.os2Tables.find(offset);
    if (found == input.os2Tables.end() || found->second.size() != length) {
      plan.error = "its 'OS/2' table at " + std::to_string(offset) + " could not be read whole";
      return plan;
    }
    const Bytes& table = found->second;
    const std::int32_t stored = static_cast<std::int16_t>(LoadBigEndian16(table.data() + 2));
    // The table keeps its value when any face keeps its own; otherwise the lowest-numbered face,
    // the first member, decides it.
    const bool kept = std::any_of(members.begin(), members.end(),
                                  [&](std::size_t m) { return !want[m].has_value(); });
    const std::int32_t tableValue = kept ? stored : *want[members[0]];
    if (tableValue != stored) {
      values.push_back({offset + kXAvgCharWidthInOs2, Field(tableValue),
                        Bytes(table.begin() + kXAvgCharWidthInOs2,
                              table.begin() + kXAvgCharWidthInOs2 + kXAvgCharWidthSize)});
      const Bytes changed = TableWith(table, tableValue);
      for (const std::size_t m : members) {
        if (want[m] != tableValue) continue;
        records.push_back(RecordWrite(input.faces[m].os2, changed, offset));
        plan.faces[m].written = tableValue;
      }
    }
    for (const std::size_t first : members) {
      if (!want[first] || *want[first] == tableValue || plan.faces[first].written) continue;
      const std::int32_t value = *want[first];
      const std::uint64_t position = (end + 3) / 4 * 4;
      if (position + length > kLargestOffset) {
        plan.error = "a copy of its 'OS/2' table would lie past the 4 GiB that offsets reach";
        return plan;
      }
      const Bytes copy = TableWith(table, value);
      FileWrite write{end, Bytes(position - end, 0), {}};
      write.bytes.insert(write.bytes.end(), copy.begin(), copy.end());
      appended.push_back(write);
      end = position + length;
      for (const std::size_t m : members) {
        if (want[m] != value) continue;
        records.push_back(RecordWrite(input.faces[m].os2, copy, position));
        plan.faces[m].written = value;
        plan.faces[m].copyAt = position;
      }
    }
  }

  // Faces that share one table directory share its records too: one write each.
  std::sort(records.begin(), records.end(),
            [](const FileWrite& a, const FileWrite& b) { return a.position < b.position; });
  records.erase(std::unique(records.begin(), records.end(),
                            [](const FileWrite& a, const FileWrite& b) {
                              return a.position == b.position && a.bytes == b.bytes;
                            }),
                records.end());
  std::vector<FileWrite> writes = appended;
  writes.insert(writes.end(), values.begin(), values.end());
  writes.insert(writes.end(), records.begin(), records.end());
  if (writes.empty()) return plan;

  std::vector<FileWrite> adjustment;
  const FaceSummary* single = SingleFont(input.faces);
  if (single != nullptr && single->head.record != 0) {
    // OpenType ignores checkSumAdjustment in a collection; in a single font it moves by the
    // change in the file's sum, so that a whole-file checksum that held before still holds.
    std::uint32_t change = 0;
    for (const FileWrite& write : writes) {
      const Bytes old = write.old.empty() ? Bytes(write.bytes.size(), 0) : write.old;
      change += FileSumChange(write.position, old.data(), write.bytes.data(), write.bytes.size());
    }
    if (change != 0) {
      adjustment.push_back({single->head.offset + kCheckSumAdjustmentInHead,
                            Word(input.checkSumAdjustment - change),
                            Word(input.checkSumAdjustment)});
    }
  }
  if (!WritesStayInTheirFields(input, tables, values, records, adjustment)) {
    plan.error =
        "its tables overlap the fields to be written, so no write can be made without changing "
        "another table";
    return plan;
  }
  // A face that cannot be read might read otherwise once the file is longer.
  const bool broken = std::any_of(input.faces.begin(), input.faces.end(),
                                  [](const FaceSummary& face) { return !face.error.empty(); });
  if (!appended.empty() && broken) {
    plan.error =
        "some of its faces cannot be read, and they might read otherwise once copies of its "
        "'OS/2' table lengthen the file";
    return plan;
  }
  writes.insert(writes.end(), adjustment.begin(), adjustment.end());
  plan.writes = writes;
  return plan;
}
