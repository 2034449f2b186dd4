// Prints the xAvgCharWidth of a TrueType file, read with the tests' own reader rather than the
// program's, so that the demo shows the program's effect through independent eyes.
#include <cstdio>

#include "tests/files.h"
#include "tests/font_builder.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: print_avg_width <font.ttf>\n");
    return 2;
  }
  const Bytes font = ReadFileBytes(argv[1]);
  for (const TableRecord& record : ReadTableDirectory(font)) {
    if (record.tag == "OS/2" && std::uint64_t{record.offset} + 4 <= font.size()) {
      const auto width =
          static_cast<std::int16_t>(font[record.offset + 2] << 8 | font[record.offset + 3]);
      std::printf("%s: xAvgCharWidth = %d\n", argv[1], width);
      return 0;
    }
  }
  std::fprintf(stderr, "%s: no OS/2 table\n", argv[1]);
  return 1;
}
