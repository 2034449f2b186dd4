// The writes are made from the layout and the bytes of the OS/2 tables it changes; nothing is
// decided from the file's bytes beyond those handed in.
#include "fixer/fix_plan.h"

#include <algorithm>

#include "sfnt/big_endian.h"
#include "sfnt/checksum.h"
#include "sfnt/sfnt.h"

namespace {

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

FixPlan PlanFix(const FixInput& input) {
  FixPlan plan;
  const FixLayout layout = LayOutFix(input);
  plan.faces = layout.faces;
  if (!layout.error.empty()) {
    plan.error = layout.error;
    return plan;
  }
  std::vector<FileWrite> appended, values, records;
  std::uint64_t end = input.size;
  for (const TableChange& change : layout.changes) {
    const auto found = input.os2Tables.find(change.offset);
    if (found == input.os2Tables.end() || found->second.size() != change.length) {
      plan.error =
          "its 'OS/2' table at " + std::to_string(change.offset) + " could not be read whole";
      ClearWrites(&plan.faces);
      return plan;
    }
    const Bytes& table = found->second;
    if (static_cast<std::int16_t>(LoadBigEndian16(table.data() + kXAvgCharWidthInOs2)) !=
        change.stored) {
      plan.error = kFileChanged;
      ClearWrites(&plan.faces);
      return plan;
    }
    if (change.inPlace) {
      const auto field = table.begin() + kXAvgCharWidthInOs2;
      values.push_back({change.offset + kXAvgCharWidthInOs2, Field(*change.inPlace),
                        Bytes(field, field + kXAvgCharWidthSize)});
    }
    for (const auto& [value, position] : change.copies) {
      const Bytes copy = TableWith(table, value);
      FileWrite write{end, Bytes(position - end, 0), {}};
      write.bytes.insert(write.bytes.end(), copy.begin(), copy.end());
      appended.push_back(write);
      end = position + change.length;
    }
    for (const std::size_t m : change.members) {
      const FaceFix& face = plan.faces[m];
      if (!face.written) continue;
      const std::uint64_t offset = face.copyAt != 0 ? face.copyAt : change.offset;
      records.push_back(RecordWrite(input.faces[m].os2, TableWith(table, *face.written), offset));
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

  const FaceSummary* single = SingleFont(input.faces);
  if (!writes.empty() && single != nullptr && single->head.record != 0) {
    // OpenType ignores checkSumAdjustment in a collection; in a single font it moves by the
    // change in the file's sum, so that a whole-file checksum that held before still holds.
    std::uint32_t change = 0;
    for (const FileWrite& write : writes) {
      const Bytes old = write.old.empty() ? Bytes(write.bytes.size(), 0) : write.old;
      change += FileSumChange(write.position, old.data(), write.bytes.data(), write.bytes.size());
    }
    if (change != 0) {
      writes.push_back({single->head.offset + kCheckSumAdjustmentInHead,
                        Word(input.checkSumAdjustment - change), Word(input.checkSumAdjustment)});
    }
  }
  plan.writes = writes;
  return plan;
}
