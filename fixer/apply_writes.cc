// A failed write may have changed part of its bytes, so its own old bytes go back too; bytes
// past the old end need no putting back, as cutting the file removes them.
#include "fixer/apply_writes.h"

WriteOutcome ApplyWrites(FileHandle file, std::uint64_t oldSize,
                         const std::vector<FileWrite>& writes) {
  std::size_t made = 0;
  for (; made < writes.size(); ++made) {
    const FileWrite& write = writes[made];
    if (!FileWriteAt(file, write.position, write.bytes.data(), write.bytes.size())) break;
  }
  if (made == writes.size()) return WriteOutcome::kWritten;
  bool restored = true;
  for (std::size_t i = made + 1; i-- > 0;) {
    const FileWrite& write = writes[i];
    if (write.old.empty()) continue;
    restored = FileWriteAt(file, write.position, write.old.data(), write.old.size()) && restored;
  }
  restored = FileSetLength(file, oldSize) && restored;
  return restored ? WriteOutcome::kRestored : WriteOutcome::kNotRestored;
}
