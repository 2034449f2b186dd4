// Fuzz target for --output: any bytes as the font, copied and fixed into another file through
// in-memory files of its own; the first byte, when it is below 64, names the read before which
// another program replaces the font with the rest reversed. The font must never change by the
// fix, each handle must be closed once, no temporary may be left, and the output must be, when
// it is there, what a fix in place makes of the font as it was before or after that program.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "common/file.h"
#include "common/output_file.h"
#include "common/standard_input.h"
#include "fixer/fix_copy.h"
#include "fixer/fix_font.h"
#include "fuzz/require.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::map<std::string, Bytes> files;      // by name
std::map<FileHandle, std::string> open;  // by handle, what each handle reads
FileHandle nextHandle = 1;
std::size_t reads = 0;
std::size_t replacedBeforeRead = 0;  // 0 for never
Bytes replacement;

Bytes* Named(FileHandle file) {
  const auto found = open.find(file);
  Require(found != open.end(), "a call on a handle that is not open");
  return &files[found->second];
}

FileHandle Open(const std::string& name) {
  open[nextHandle] = name;
  return nextHandle++;
}

}  // namespace

bool FileOpen(const char*, FileHandle*, std::uint64_t*) { return false; }
bool FileOpenForReading(const char*, FileHandle*, std::uint64_t*, std::string*) { return false; }
bool FileOpenToFix(const char*, FileHandle*, std::uint64_t*, std::string*) { return false; }

bool FileOpenToCopy(const char* path, FileHandle* file, std::uint64_t* size, std::string*) {
  *file = Open(path);
  *size = files[path].size();
  return true;
}

bool FileReadAt(FileHandle file, std::uint64_t position, unsigned char* buffer, std::size_t count) {
  if (open[file] == "font.ttf" && ++reads == replacedBeforeRead) files["font.ttf"] = replacement;
  const Bytes& bytes = *Named(file);
  if (position > bytes.size() || count > bytes.size() - position) return false;
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(position), count, buffer);
  return true;
}

bool FileWriteAt(FileHandle file, std::uint64_t position, const unsigned char* bytes,
                 std::size_t count) {
  Bytes& target = *Named(file);
  Require(open[file] != "font.ttf", "the font itself was written");
  if (position + count > target.size()) target.resize(position + count);
  std::copy_n(bytes, count, target.begin() + static_cast<std::ptrdiff_t>(position));
  return true;
}

bool FileSetLength(FileHandle file, std::uint64_t length) {
  Named(file)->resize(length);
  return true;
}

std::uint64_t FileStoredBytes(FileHandle, std::uint64_t size) { return size; }
bool FileKeepOthersOut(FileHandle) { return true; }
void FileLetOthersIn(FileHandle) {}

void FileClose(FileHandle file) {
  Named(file);
  open.erase(file);
}

PathFacts LookAtPath(const std::string& path) {
  return files.count(path) != 0 ? PathFacts{PathKind::kFile, true} : PathFacts{};
}
std::string FileIdentity(const std::string& path) { return files.count(path) != 0 ? path : ""; }
std::uint32_t FilePermissions(FileHandle) { return 0644; }

void FileDataAfter(FileHandle file, std::uint64_t from, std::uint64_t size, std::uint64_t* first,
                   std::uint64_t* end) {
  Named(file);
  *first = from;
  *end = size;
}

bool FileCreateBeside(const std::string&, std::uint32_t, FileHandle* file, std::string* created,
                      std::string*) {
  *created = ".out.ttf.quenlo";
  files[*created] = {};
  *file = Open(*created);
  return true;
}

bool FileIsOpenAs(FileHandle file, const std::string& path) { return open[file] == path; }
bool FileFlush(FileHandle file) { return Named(file) != nullptr; }

bool FileRename(const std::string& from, const std::string& to, std::string*) {
  files[to] = files[from];
  files.erase(from);
  return true;
}

void FileRemove(const std::string& path) { files.erase(path); }
bool IsFolder(const std::string&) { return false; }
std::string PathInFolder(const std::string& folder, const std::string& file) {
  return folder + "/" + file;
}

bool StandardInputAsFile(FileHandle*, std::uint64_t*) { return false; }
bool SpoolCreate(FileHandle*, std::string*) { return false; }
bool SpoolMore(FileHandle, std::uint64_t, std::uint64_t*, std::string*) { return false; }

namespace {

// What a fix in place makes of the font.
Bytes FixedInPlace(const Bytes& font) {
  files["in-place"] = font;
  const FileHandle file = Open("in-place");
  const FontFix fix = FixOpenFile(file, font.size());
  FileClose(file);
  return fix.error.empty() ? files["in-place"] : Bytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  files.clear();
  open.clear();
  reads = 0;
  replacedBeforeRead = data[0] < 64 ? data[0] : 0;
  const Bytes font(data + 1, data + size);
  replacement.assign(font.rbegin(), font.rend());
  files["font.ttf"] = font;
  const FontFix fix = FixFontFileTo("font.ttf", "out.ttf", "out.ttf");
  Require(open.empty(), "a handle was left open");
  Require(files.count(".out.ttf.quenlo") == 0, "the temporary was left");
  const bool replaced = replacedBeforeRead != 0 && reads >= replacedBeforeRead;
  Require(files["font.ttf"] == (replaced ? replacement : font), "the font itself changed");
  Require(fix.error.empty() == (files.count("out.ttf") != 0), "an output without success");
  if (fix.error.empty()) {
    const Bytes output = files["out.ttf"];
    replacedBeforeRead = 0;
    Require(output == FixedInPlace(font) || (replaced && output == FixedInPlace(replacement)),
            "an output that no fix in place gives");
  }
  return 0;
}
