// The copy is made in the output's own folder, so that the last step is a rename there: a build
// step, or a program killed at any moment, never finds a partial or half-fixed file at output.
#include "fixer/fix_copy.h"

#include <algorithm>

#include "common/output_file.h"

namespace {

constexpr std::size_t kCopyPiece = 65536;

bool Copy(FileHandle from, FileHandle to, std::uint64_t size) {
  static unsigned char buffer[kCopyPiece];
  for (std::uint64_t at = 0; at < size; at += kCopyPiece) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(kCopyPiece, size - at));
    if (!FileReadAt(from, at, buffer, count) || !FileWriteAt(to, at, buffer, count)) return false;
  }
  return true;
}

}  // namespace

FontFix FixFontFileTo(const std::string& source, const std::string& output) {
  FontFix fix;
  FileHandle from = 0;
  std::uint64_t size = 0;
  std::string why;
  const bool opened = source == kStandardInput
                          ? FileOpenStandardInput(&from, &size, &why)
                          : FileOpenForReading(source.c_str(), &from, &size, &why);
  if (!opened) {
    fix.error = "cannot open it: " + why;
    return fix;
  }
  if (FileIsOpenAs(from, output)) {
    FileClose(from);
    fix.error = "the output is the font itself; to fix it in place, leave out --output";
    return fix;
  }
  FileHandle to = 0;
  std::string copy;
  if (!FileCreateBeside(output, &to, &copy, &why)) {
    FileClose(from);
    fix.error = "cannot make the output beside " + output + ": " + why;
    return fix;
  }
  const bool copied = Copy(from, to, size);
  FileClose(from);
  if (copied) {
    fix = FixOpenFile(to, size);
    // A file none of whose faces can be read is no font to build on: it gets no output.
    const std::vector<FaceSummary>& faces = fix.font.faces;
    if (fix.error.empty() && std::all_of(faces.begin(), faces.end(),
                                         [](const FaceSummary& f) { return !f.error.empty(); })) {
      fix.error = faces.size() == 1 ? faces[0].error : "none of its members can be read";
    }
  } else {
    fix.error = "cannot copy it to the output (is the disk full?)";
  }
  if (fix.error.empty() && !FileFlush(to)) fix.error = "cannot write the output to its disk";
  FileClose(to);
  if (fix.error.empty() && !FileRename(copy, output, &why)) {
    fix.error = "cannot put the output in place as " + output + ": " + why;
  }
  if (!fix.error.empty()) {
    FileRemove(copy);
    const std::string nothing = "; nothing was written";
    if (fix.error.size() > nothing.size() &&
        fix.error.compare(fix.error.size() - nothing.size(), nothing.size(), nothing) == 0) {
      fix.error.resize(fix.error.size() - nothing.size());
    }
    fix.error += "; no output was written";
  }
  return fix;
}
