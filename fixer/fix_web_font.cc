// The fix is decided on the view, where the fixer's rules and checks apply as they do to any
// font; what it changed there is then carried into the web font, table by table.
#include "fixer/fix_web_font.h"

#include <algorithm>

#include "fixer/apply_writes.h"
#include "webfont/replace_tables.h"

namespace {

// The tables of the view that the fix changed, by their index in the web font.
bool ChangedTables(const WebReading& web, std::map<std::size_t, TableRewrite>* changes) {
  for (const ViewTable& table : web.view.tables) {
    const auto first = web.view.bytes.begin() + static_cast<std::ptrdiff_t>(table.offset);
    TableRewrite change{{first, first + static_cast<std::ptrdiff_t>(table.length)}, {}};
    change.after.resize(change.before.size());
    if (!change.after.empty() &&
        !FileReadAt(web.spool, table.offset, change.after.data(), change.after.size())) {
      return false;
    }
    if (change.after == change.before) continue;
    if (table.rebuilt) return false;  // the fixer writes no hmtx: the view is not as it was made
    (*changes)[table.table] = std::move(change);
  }
  return true;
}

// Writes after in place of before, the file's bytes: from the first byte that differs, then its
// new length; puts the old bytes and length back when a write fails.
WriteOutcome WriteAnew(FileHandle file, const std::vector<unsigned char>& before,
                       const std::vector<unsigned char>& after) {
  const std::size_t common = std::min(before.size(), after.size());
  const std::size_t first = static_cast<std::size_t>(
      std::mismatch(before.begin(), before.begin() + static_cast<std::ptrdiff_t>(common),
                    after.begin())
          .first -
      before.begin());
  std::vector<FileWrite> writes;
  if (first < common) {
    writes.push_back({first,
                      {after.begin() + static_cast<std::ptrdiff_t>(first),
                       after.begin() + static_cast<std::ptrdiff_t>(common)},
                      {before.begin() + static_cast<std::ptrdiff_t>(first),
                       before.begin() + static_cast<std::ptrdiff_t>(common)}});
  }
  if (after.size() > common) {
    writes.push_back(
        {common, {after.begin() + static_cast<std::ptrdiff_t>(common), after.end()}, {}});
  }
  const WriteOutcome outcome = ApplyWrites(file, before.size(), writes);
  if (outcome != WriteOutcome::kWritten || after.size() >= before.size()) return outcome;
  if (FileSetLength(file, after.size())) return outcome;
  std::vector<FileWrite> undo;
  for (const FileWrite& write : writes) undo.push_back({write.position, write.old, write.bytes});
  return ApplyWrites(file, before.size(), undo) == WriteOutcome::kWritten
             ? WriteOutcome::kRestored
             : WriteOutcome::kNotRestored;
}

}  // namespace

FontFix FixOpenWebFont(FileHandle file, std::uint64_t size, const WidthRules& rules) {
  const WebReading web = ReadWebFont(file, size);
  if (!web.error.empty()) return FixReadFont(file, size, ReadWebViewFaces(web, rules));
  FontFix fix = FixReadFont(web.spool, web.view.bytes.size(), ReadWebViewFaces(web, rules));
  std::map<std::size_t, TableRewrite> changes;
  const bool appended =
      std::any_of(fix.plan.writes.begin(), fix.plan.writes.end(),
                  [&](const FileWrite& write) { return write.position >= web.view.bytes.size(); });
  if (!fix.error.empty() || fix.plan.writes.empty()) {
    // Nothing to carry into the web font.
  } else if (appended) {
    fix.error =
        "its members share one OS/2 table but need different values, and a web font cannot give "
        "them a table each; nothing was written";
  } else if (!ChangedTables(web, &changes)) {
    fix.error = "its decoded tables could not be read back; nothing was written";
  } else if (!changes.empty()) {
    std::vector<unsigned char> after;
    const std::string why = ReplaceWebTables(web.font, web.file, changes, &after);
    std::vector<unsigned char> now(web.file.size());
    unsigned char past = 0;
    if (!why.empty()) {
      fix.error = why + "; nothing was written";
    } else if (!FileReadAt(file, 0, now.data(), now.size()) || now != web.file ||
               FileReadAt(file, now.size(), &past, 1)) {
      fix.error = std::string(kFileChanged) + "; nothing was written";
    } else {
      const bool keptOut = FileKeepOthersOut(file);
      const WriteOutcome outcome = WriteAnew(file, web.file, after);
      if (keptOut) FileLetOthersIn(file);
      if (outcome == WriteOutcome::kRestored) {
        fix.error =
            "a write failed (is the disk full, or the file larger than allowed?); the file was "
            "put back as it was";
      } else if (outcome == WriteOutcome::kNotRestored) {
        fix.error =
            "a write failed, and so did putting the old bytes back: the file may hold part of the "
            "fix; restore it from a copy";
      }
    }
  }
  FileClose(web.spool);
  return fix;
}
