// The copy is made in the output's own folder, so that the last step is a rename there: a build
// step, or a program killed at any moment, never finds a partial or half-fixed file at output.
#include "fixer/fix_copy.h"

#include <algorithm>
#include <cstring>

#include "common/output_file.h"
#include "reader/standard_input.h"

namespace {

constexpr std::size_t kCopyPiece = 65536;

// Calls each(at, count) for every piece of at most kCopyPiece bytes of the file's data.
template <typename Each>
bool ForEachDataPiece(FileHandle file, std::uint64_t size, Each each) {
  std::uint64_t first = 0;
  std::uint64_t end = 0;
  for (FileDataAfter(file, 0, size, &first, &end); first < size;
       FileDataAfter(file, end, size, &first, &end)) {
    for (std::uint64_t at = first; at < end; at += kCopyPiece) {
      if (!each(at, static_cast<std::size_t>(std::min<std::uint64_t>(kCopyPiece, end - at)))) {
        return false;
      }
    }
    if (end <= first) return false;  // a system that says no more than it did
  }
  return true;
}

// Copies the data of the source of size bytes to the new file, leaving holes where it has them.
bool Copy(FileHandle from, FileHandle to, std::uint64_t size) {
  static unsigned char buffer[kCopyPiece];
  return ForEachDataPiece(from, size,
                          [&](std::uint64_t at, std::size_t count) {
                            return FileReadAt(from, at, buffer, count) &&
                                   FileWriteAt(to, at, buffer, count);
                          }) &&
         FileSetLength(to, size);
}

// Whether the source still holds, with its old length, what the copy holds but for the fix's
// writes: a program that writes without a lock may have changed it while it was copied.
bool StillAsCopied(FileHandle from, FileHandle to, std::uint64_t size,
                   const std::vector<FileWrite>& writes) {
  static unsigned char source[kCopyPiece];
  static unsigned char copy[kCopyPiece];
  unsigned char byte = 0;
  if ((size > 0 && !FileReadAt(from, size - 1, &byte, 1)) || FileReadAt(from, size, &byte, 1)) {
    return false;
  }
  const auto written = [&](std::uint64_t position) {
    return std::any_of(writes.begin(), writes.end(), [&](const FileWrite& w) {
      return position >= w.position && position - w.position < w.bytes.size();
    });
  };
  const auto same = [&](std::uint64_t at, std::size_t count) {
    if (!FileReadAt(from, at, source, count) || !FileReadAt(to, at, copy, count)) return false;
    if (std::memcmp(source, copy, count) == 0) return true;
    for (std::size_t i = 0; i < count; ++i) {
      if (source[i] != copy[i] && !written(at + i)) return false;
    }
    return true;
  };
  // Every byte of the copy that the source holds as a hole must still be zero there too.
  return ForEachDataPiece(from, size, same) && ForEachDataPiece(to, size, same);
}

constexpr char kChangedWhileCopied[] =
    "the font changed while it was being copied (another program wrote to it)";

// Why the output cannot go at output, or "" when it can.
std::string OutputRefusal(const std::string& output, const std::string& shown) {
  const PathFacts facts = LookAtPath(output);
  switch (facts.kind) {
    case PathKind::kNothing:
      return "";
    case PathKind::kFile:
      return facts.writable ? ""
                            : "the output " + shown +
                                  " is read-only, or this user may not write it: it is not "
                                  "replaced";
    case PathKind::kFolder:
      return "the output " + shown + " is a folder";
    case PathKind::kLink:
      return "the output " + shown +
             " is a symbolic link: give the path of the file it points to, or remove the link";
    case PathKind::kOther:
      return "the output " + shown +
             " is not a regular file (a device, a pipe or a socket): it is not replaced";
  }
  return "";
}

// Ends an error with what it means for the output, once.
void NoOutput(std::string* error) {
  const std::string nothing = "; nothing was written";
  if (error->size() > nothing.size() &&
      error->compare(error->size() - nothing.size(), nothing.size(), nothing) == 0) {
    error->resize(error->size() - nothing.size());
  }
  *error += "; no output was written";
}

}  // namespace

FontFix FixFontFileTo(const std::string& source, const std::string& output,
                      const std::string& shownOutput, const WidthRules& rules) {
  FontFix fix;
  FileHandle from = 0;
  std::uint64_t size = 0;
  std::string why;
  const bool standardInput = source == kStandardInput;
  const bool opened = standardInput ? OpenStandardInputFont(&from, &size, &why)
                                    : FileOpenToCopy(source.c_str(), &from, &size, &why);
  if (!opened) {
    fix.error = standardInput ? why : "cannot open it: " + why;
    return fix;
  }
  if (FileIsOpenAs(from, output)) {
    FileClose(from);
    fix.error = "the output is the font itself; to fix it in place, leave out --output";
    return fix;
  }
  if (const std::string refusal = OutputRefusal(output, shownOutput); !refusal.empty()) {
    FileClose(from);
    fix.error = refusal;
    NoOutput(&fix.error);
    return fix;
  }
  FileHandle to = 0;
  std::string copy;
  const std::uint32_t permissions = standardInput ? kNewFilePermissions : FilePermissions(from);
  const bool created = FileCreateBeside(output, permissions, &to, &copy, &why);
  if (!created) {
    fix.error = "cannot make the output beside " + shownOutput + ": " + why;
  } else if (!Copy(from, to, size)) {
    fix.error = "cannot copy it to the output (is the disk full?)";
  } else if (const bool web = WebFlavourOfFile(to, size) != WebFlavour::kNone;
             web && !StillAsCopied(from, to, size, {})) {
    // A web font is written anew from the first byte that changes, so its copy is compared
    // with the font before the fix, not after.
    fix.error = kChangedWhileCopied;
  } else {
    fix = FixOpenFile(to, size, rules);
    // A file none of whose faces can be read is no font to build on: it gets no output.
    const std::vector<FaceSummary>& faces = fix.font.faces;
    if (fix.error.empty() && std::all_of(faces.begin(), faces.end(),
                                         [](const FaceSummary& f) { return !f.error.empty(); })) {
      fix.error = faces.size() == 1 ? faces[0].error : "none of its members can be read";
    }
    if (fix.error.empty() && !web && !StillAsCopied(from, to, size, fix.plan.writes)) {
      fix.error = kChangedWhileCopied;
    }
  }
  FileClose(from);
  if (created) {
    if (fix.error.empty() && !FileFlush(to)) fix.error = "cannot write the output to its disk";
    FileClose(to);
    if (fix.error.empty() && !FileRename(copy, output, &why)) {
      fix.error = "cannot put the output in place as " + shownOutput + ": " + why;
    }
    if (!fix.error.empty()) FileRemove(copy);
  }
  if (!fix.error.empty()) NoOutput(&fix.error);
  return fix;
}
